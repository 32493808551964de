#include "printing/PrintSettings.h"

#include <gtest/gtest.h>

#include "printing/TablePrint.h"

namespace kablos::printing {
namespace {

TEST(PrintSettings, PageRanges) {
    struct Case {
        const char* text;
        ParseStatus status;
        std::vector<PageRange> ranges;
    } cases[] = {
        {"", ParseStatus::Empty, {}},
        {"3", ParseStatus::Ok, {{3, 3}}},
        {"1,3-4", ParseStatus::Ok, {{1, 1}, {3, 4}}},
        {"2-", ParseStatus::Ok, {{2, 0}}},             // to the last page
        {"2-x", ParseStatus::Ok, {{2, 0}}},            // likewise
        {"2-5-9", ParseStatus::Ok, {{2, 5}}},          // further parts ignored
        {"4-2", ParseStatus::Ok, {{4, 2}}},            // passed on as it is
        {"1,,3,", ParseStatus::Ok, {{1, 1}, {3, 3}}},  // empty items left out
        {",", ParseStatus::Ok, {}},
        {"2.5,3.5", ParseStatus::Ok, {{2, 2}, {4, 4}}},  // halves to even
        {" 7 ", ParseStatus::Ok, {{7, 7}}},
        {"a", ParseStatus::Invalid, {}},
        {"-3", ParseStatus::Invalid, {}},
        {"1,x-2", ParseStatus::Invalid, {}},
        {"40000", ParseStatus::Invalid, {}},
        {"1-40000", ParseStatus::Invalid, {}},
    };
    for (const Case& c : cases) {
        std::vector<PageRange> ranges = {{9, 9}};
        EXPECT_EQ(ParsePageRanges(c.text, ranges), c.status) << '"' << c.text << '"';
        EXPECT_EQ(ranges, c.ranges) << '"' << c.text << '"';
    }
}

TEST(PrintSettings, Copies) {
    struct Case {
        const char* text;
        ParseStatus status;
        std::int16_t copies;
    } cases[] = {
        {"", ParseStatus::Empty, 5},      {"1", ParseStatus::Ok, 1},
        {"3", ParseStatus::Ok, 3},        {"2.5", ParseStatus::Ok, 2},
        {"0", ParseStatus::Ok, 0},        {"abc", ParseStatus::Invalid, 5},
        {"3部", ParseStatus::Invalid, 5}, {"99999", ParseStatus::Invalid, 5},
    };
    for (const Case& c : cases) {
        std::int16_t copies = 5;
        EXPECT_EQ(ParseCopies(c.text, copies), c.status) << c.text;
        EXPECT_EQ(copies, c.copies) << c.text;
    }
}

TEST(PrintSettings, LpCommandsForCopiesAndRanges) {
    auto joined = [](const std::vector<std::string>& command) {
        std::string text;
        for (const std::string& part : command)
            text += (text.empty() ? "" : " ") + part;
        return text;
    };
    PrintSettings all;
    all.copies = 1;
    auto one = LpCommands("t.pdf", "", all);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(joined(one[0]), "lp -s -t 電線処理表 -n 1 t.pdf");
    all.copies = 3;
    EXPECT_EQ(joined(LpCommands("t.pdf", "office", all)[0]),
              "lp -s -t 電線処理表 -d office -n 3 t.pdf");

    PrintSettings ranges;
    ranges.allPages = false;
    ranges.copies = 2;
    ranges.ranges = {{3, 4}, {1, 1}, {2, 0}};
    auto jobs = LpCommands("t.pdf", "", ranges);
    ASSERT_EQ(jobs.size(), 3u);  // one job per range, in the order given
    EXPECT_EQ(joined(jobs[0]), "lp -s -t 電線処理表 -n 2 -o collate=true -P 3-4 t.pdf");
    EXPECT_EQ(joined(jobs[1]), "lp -s -t 電線処理表 -n 2 -o collate=true -P 1-1 t.pdf");
    EXPECT_EQ(joined(jobs[2]), "lp -s -t 電線処理表 -n 2 -o collate=true -P 2-32767 t.pdf");
}

}  // namespace
}  // namespace kablos::printing
