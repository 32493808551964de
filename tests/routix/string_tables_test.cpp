// The string tables as shipped: every table parses, both ROUTIX tables hold the same ids with
// the same inserts, and the copies beside the program are the ones in the source tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "frame/MessageIds.h"
#include "messages/dialogs.h"
#include "messages/messages.h"
#include "support/FileSupport.h"

namespace {

using messages::Language;
using messages::StringTable;

const std::filesystem::path kResources = ROUTIX_RESOURCES_DIR;

StringTable LoadRoutix(Language language) {
    std::string error;
    auto table = StringTable::Load(kResources / "routix", "ROUTIX", language, &error);
    EXPECT_TRUE(table) << error;
    return table ? *table : StringTable();
}

// The inserts of a text: numbered ones with their conversion ("%1", "%2!d!") and printf
// conversions ("%s", "%d"), sorted.
std::multiset<std::string> Inserts(const std::string& text) {
    static const std::regex insert(
        R"(%%|%[1-9][0-9]?(![^!]*!)?|%[-+ #0]*[0-9]*(\.[0-9]+)?(l|ll|h|I64)?[diuxXsScfeEgG])");
    std::multiset<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), insert);
         it != std::sregex_iterator(); ++it)
        if (it->str() != "%%")
            found.insert(it->str());
    return found;
}

TEST(StringTables, EveryTableInTheSourceTreeParses) {
    int tables = 0;
    for (const auto& folder : std::filesystem::directory_iterator(kResources)) {
        if (!folder.is_directory())
            continue;
        for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = file.path().filename().string();
            if (!name.ends_with(".en.txt") && !name.ends_with(".ja.txt"))
                continue;
            if (name.find(".dialogs.") != std::string::npos) {
                // Dialog templates beside the tables: read by their own parser.
                std::string error;
                EXPECT_TRUE(
                    messages::DialogTable::Parse(testsupport::ReadBytes(file.path()), name, &error))
                    << error;
                continue;
            }
            ++tables;
            std::string error;
            EXPECT_TRUE(StringTable::Parse(testsupport::ReadBytes(file.path()), name, &error))
                << error;
        }
    }
    EXPECT_GE(tables, 2);
}

TEST(StringTables, BothRoutixTablesHoldTheSameIdsWithTheSameInserts) {
    const StringTable english = LoadRoutix(Language::English);
    const StringTable japanese = LoadRoutix(Language::Japanese);
    std::set<std::uint32_t> englishIds, japaneseIds;
    for (const auto& [id, text] : english.Entries()) {
        englishIds.insert(id);
        EXPECT_FALSE(text.empty()) << id;
    }
    for (const auto& [id, text] : japanese.Entries()) {
        japaneseIds.insert(id);
        EXPECT_FALSE(text.empty()) << id;
    }
    EXPECT_EQ(englishIds, japaneseIds);
    // 120: the English text does not name the folder that the Japanese one inserts.
    const std::set<std::uint32_t> differentInserts = {120};
    for (const auto& [id, text] : english.Entries()) {
        const std::string* other = japanese.Find(id);
        if (other != nullptr && differentInserts.count(id) == 0) {
            EXPECT_EQ(Inserts(text), Inserts(*other)) << id << ": " << text << " / " << *other;
        }
    }
}

TEST(StringTables, EveryMessageIdOfThePluginIsInBothTables) {
    for (Language language : {Language::English, Language::Japanese}) {
        const StringTable table = LoadRoutix(language);
        for (unsigned id : routix::kAllMessageIds)
            EXPECT_NE(table.Find(id), nullptr) << id;
        EXPECT_EQ(table.Entries().size(), std::size(routix::kAllMessageIds));
    }
}

TEST(StringTables, MessageTwoSixFiveNineWithAPathAndFive) {
    const std::string english = LoadRoutix(Language::English).Text(2659);
    EXPECT_EQ(messages::FormatMessageText(english, {"C:\\temp\\key.txt", 5}),
              "\nCannot open the file (FileName=C:\\temp\\key.txt|LastErr=5)");
    const std::string japanese = LoadRoutix(Language::Japanese).Text(2659);
    EXPECT_EQ(messages::FormatMessageText(japanese, {"/tmp/key.txt", 5}),
              "\nファイルがオープンできません(FileName=/tmp/key.txt|LastErr=5)");
}

TEST(StringTables, TheCopiesBesideTheProgramAreTheSourceTables) {
    const auto folder = messages::StringsFolderOf(reinterpret_cast<const void*>(&LoadRoutix));
    for (Language language : {Language::English, Language::Japanese}) {
        std::string error;
        const auto copy = StringTable::Load(folder, "ROUTIX", language, &error);
        ASSERT_TRUE(copy) << error;
        EXPECT_EQ(copy->Entries(), LoadRoutix(language).Entries());
    }
}

}  // namespace
