// The message library: insert expansion in both syntaxes, the table format and its errors,
// and the language of the locale.

#include "messages/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using messages::Arg;
using messages::FormatMessageText;
using messages::FormatPrintf;

TEST(FormatMessageText, NumberedAndTypedInserts) {
    struct Case {
        const char* text;
        std::vector<Arg> args;
        const char* expected;
    };
    const Case cases[] = {
        {"(FileName=%1|LastErr=%2!d!)", {"C:\\a b", 5}, "(FileName=C:\\a b|LastErr=5)"},
        {"%2 before %1", {"one", "two"}, "two before one"},
        {"<%1!5d!><%1!-4d!><%1!x!><%1!05X!>", {255}, "<  255><255 ><ff><000FF>"},
        {"%1!ld! %1!I64d! %1!u!", {42}, "42 42 42"},
        {"%1!s! %1", {12}, "12 12"},
        {"%1!.2f!", {2.5}, "2.50"},
        {"%10 and %1", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "ten"}, "ten and a"},
        {"100%% %n%r%t% %.%!", {}, "100% \r\n\r\t .!"},
        {"shown%0hidden", {}, "shown"},
        {"missing %3 stays", {"a"}, "missing %3 stays"},
        {"%1!bad! text", {"v"}, "v!bad! text"},
        {"%1 日本語 %2!d!件", {"盤", 3}, "盤 日本語 3件"},
        {"trailing %", {}, "trailing %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMessageText(c.text, c.args), c.expected) << c.text;
}

TEST(FormatPrintf, ConversionsInOrder) {
    EXPECT_EQ(FormatPrintf("\nSymbol Type [%s]", {"PNL"}), "\nSymbol Type [PNL]");
    EXPECT_EQ(FormatPrintf("\nDrawed %d WP Duct lines.", {12}), "\nDrawed 12 WP Duct lines.");
    EXPECT_EQ(FormatPrintf("%s=%5.1f%%", {"x", 2.25}), "x=  2.2%");
    EXPECT_EQ(FormatPrintf("%s and %s", {"one"}), "one and %s");
    EXPECT_EQ(FormatPrintf("%ls %I64d %lu", {"w", 7, 8u}), "w 7 8");
}

TEST(TruncateChars, KeepsWholeCharacters) {
    EXPECT_EQ(messages::TruncateChars("abc", 5), "abc");
    EXPECT_EQ(messages::TruncateChars("abc", 2), "ab");
    EXPECT_EQ(messages::TruncateChars("日本語", 2), "日本");
    EXPECT_EQ(messages::TruncateChars("日本語", 0), "");
}

TEST(StringTable, ParsesIdsEscapesAndComments) {
    std::string error;
    const auto table = messages::StringTable::Parse(
        "\xEF\xBB\xBF# comment\r\n\r\n101\tExecute WP-FromTo previously.\r\n"
        "2657\t\\nLAYOUT PATH :\n196\tline\\r\\nnext \\\\ back\\ttab\n",
        "t.txt", &error);
    ASSERT_TRUE(table) << error;
    EXPECT_EQ(table->Entries().size(), 3u);
    EXPECT_EQ(table->Text(101), "Execute WP-FromTo previously.");
    EXPECT_EQ(table->Text(2657), "\nLAYOUT PATH :");
    EXPECT_EQ(table->Text(196), "line\r\nnext \\ back\ttab");
    EXPECT_EQ(table->Find(102), nullptr);
    EXPECT_EQ(table->Text(102), "");
}

TEST(StringTable, MalformedFilesAreRefusedWithFileLineAndWhat) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"101 no tab\n", "t.txt:1: expected an id, a tab and the text, found \"101 no tab\""},
        {"# c\n12a\tx\n", "t.txt:2: the id \"12a\" is not a number"},
        {"\tx\n", "t.txt:1: the id \"\" is not a number"},
        {"1\ta\n1\tb\n", "t.txt:2: the id 1 is given twice"},
        {"5\te:\\zelk\n", "t.txt:1: unknown escape \"\\z\" in the text of 5"},
        {"5\tend\\", "t.txt:1: unknown escape \"\\\" in the text of 5"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(messages::StringTable::Parse(c.text, "t.txt", &error)) << c.text;
        EXPECT_TRUE(error.starts_with(c.error)) << error;
    }
}

TEST(StringTable, AMissingFileIsNamed) {
    std::string error;
    EXPECT_FALSE(
        messages::StringTable::Load("/nonexistent", "ROUTIX", messages::Language::English, &error));
    EXPECT_EQ(error, "/nonexistent/ROUTIX.en.txt: the string table cannot be read");
}

TEST(Language, TheFirstLocaleVariableThatIsSetDecides) {
    struct Case {
        const char* all;
        const char* messagesVar;
        const char* lang;
        messages::Language expected;
    };
    using messages::Language;
    const Case cases[] = {
        {nullptr, nullptr, "ja_JP.UTF-8", Language::Japanese},
        {nullptr, nullptr, "ja", Language::Japanese},
        {nullptr, nullptr, "en_US.UTF-8", Language::English},
        {nullptr, nullptr, nullptr, Language::English},
        {"C", nullptr, "ja_JP.UTF-8", Language::English},
        {"", "ja_JP.eucJP", "en_US", Language::Japanese},
        {nullptr, "", "jam", Language::Japanese},
        {nullptr, nullptr, "de_DE", Language::English},
    };
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        saved[i] = had[i] ? value : "";
    }
    for (const Case& c : cases) {
        const char* values[] = {c.all, c.messagesVar, c.lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i] != nullptr)
                setenv(names[i], values[i], 1);
            else
                unsetenv(names[i]);
        }
        EXPECT_EQ(messages::LanguageFromLocale(), c.expected)
            << (c.all ? c.all : "-") << " " << (c.messagesVar ? c.messagesVar : "-") << " "
            << (c.lang ? c.lang : "-");
    }
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

}  // namespace
