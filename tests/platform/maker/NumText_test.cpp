#include "services/numtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/codepage.h"

namespace {

using zelko::NaturalCompare;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

struct Case {
    const char* a;
    const char* b;
    int expected;  // sign of NaturalCompare(a, b)
    const char* why;
};

TEST(NaturalCompare, OrdersTextsAsPeopleReadThem) {
    const Case cases[] = {
        {"2", "10", -1, "numbers by value"},
        {"10", "2", 1, "and the other way round"},
        {"X9", "X10", -1, "a number after a prefix"},
        {"A1-2", "A1-10", -1, "the second number decides when the first ties"},
        {"TB2", "TB10A", -1, "number before a suffix"},
        {"1", "01", -1, "equal numbers: fewer leading zeros first"},
        {"01", "001", -1, "more zeros later"},
        {"01A", "1B", -1, "the text after a tie decides before the zeros"},
        {"007", "7", 1, "zeros decide only on a tie"},
        {"0", "00", -1, "zero with zeros"},
        {"abc", "ABC", 0, "case does not count"},
        {"Ｘ1", "ｘ1", 0, "nor does it for full-width letters"},
        {"a", "b", -1, "plain text"},
        {"1", "a", -1, "digits before letters"},
        {"", "a", -1, "empty first"},
        {"", "", 0, "empty equals empty"},
        {"A", "A1", -1, "a prefix first"},
        {"12345678901234567890123", "12345678901234567890124", -1,
         "numbers longer than any integer type"},
        {"99999999999999999999", "100000000000000000000", -1, "and of different lengths"},
        {"端子2", "端子10", -1, "numbers after Japanese text"},
        {"A", "端子", -1, "ASCII before other characters"},
        {"CN1:2", "CN1:10", -1, "numbers after punctuation"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(NaturalCompare(c.a, c.b)), c.expected)
            << c.a << " vs " << c.b << ": " << c.why;
        EXPECT_EQ(Sign(NaturalCompare(c.b, c.a)), -c.expected) << "reversed: " << c.why;
    }
}

TEST(NaturalCompare, SortsTerminalNumbersIntoReadingOrder) {
    std::vector<std::string> numbers = {"10", "A2", "2", "1", "A10", "01", "13", "A1", "14", "3"};
    std::sort(numbers.begin(), numbers.end(),
              [](const auto& a, const auto& b) { return NaturalCompare(a, b) < 0; });
    EXPECT_EQ(numbers,
              (std::vector<std::string>{"1", "01", "2", "3", "10", "13", "14", "A1", "A2", "A10"}));
}

TEST(StrBuf, KeepsTheTextAndItsCodePageFormTogether) {
    zelko::StrBuf text("盤P1");
    EXPECT_EQ(text.Text(), "盤P1");
    EXPECT_EQ(text.Narrow(), "\x94\xd5P1");  // Shift_JIS

    zelko::StrBuf narrow;
    narrow.SetNarrow("\x92\x5b\x8e\x71");  // 端子
    EXPECT_EQ(narrow.Text(), "端子");
    EXPECT_EQ(narrow.Narrow(), "\x92\x5b\x8e\x71");

    narrow.SetNarrow("A\x81");  // a lead byte without its second byte
    EXPECT_EQ(narrow.Text(), "A\xEF\xBF\xBD");
    EXPECT_FALSE(narrow.Empty());
}

}  // namespace
