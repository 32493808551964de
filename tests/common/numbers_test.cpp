#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace common {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] =
        {
            {"12.5mm", 12.5}, {" \t-3", -3}, {"+4", 4}, {".5", 0.5},  {"5.", 5},
            {"1e3x", 1000},   {"2E-1", 0.2}, {"1e", 1}, {"1e+", 1},   {"abc", 0},
            {"", 0},          {"-", 0},      {".", 0},  {"0012", 12}, {"1.25-4", 1.25},
            {"３", 0},  // full-width digits are not numbers
        };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LeadingInteger, ReadsTheLeadingDigitsOnly) {
    struct Case {
        const char* text;
        std::int64_t value;
    };
    const Case cases[] = {
        {"007", 7},
        {" \t12.9", 12},
        {"5e1", 5},
        {"2e1", 2},
        {"1e400", 1},
        {"-3x", -3},
        {"+4", 4},
        {"e5", 0},
        {".5", 0},
        {"", 0},
        {"-", 0},
        {"３", 0},  // full-width digits are no digits
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},
        {"123456789012345678901234567890", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"-99999999999999999999", INT64_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LeadingInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ParseNumber, TakesOnlyWholeNumericTexts) {
    EXPECT_EQ(ParseNumber(" 2.7 "), 2.7);
    EXPECT_EQ(ParseNumber("-1e2"), -100.0);
    EXPECT_FALSE(ParseNumber("2.7a"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("  "));
    EXPECT_FALSE(ParseNumber("1 2"));
    EXPECT_TRUE(IsNumeric("0"));
    EXPECT_FALSE(IsNumeric("x"));
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {0.5, 0},   {1.5, 2}, {2.5, 2}, {3.5, 4},   {-0.5, 0}, {-1.5, -2},
        {-2.5, -2}, {2.4, 2}, {2.6, 3}, {-2.6, -3}, {7, 7},    {1234567.5, 1234568},
    };
    for (auto [in, out] : cases) {
        EXPECT_EQ(RoundHalfEven(in), out) << in;
    }
}

TEST(WholeNumbers, ConvertWithinTheirRange) {
    EXPECT_EQ(ToInt16("2.5"), 2);
    EXPECT_EQ(ToInt16(" 3.5"), 4);
    EXPECT_EQ(ToInt16("32767"), 32767);
    EXPECT_EQ(ToInt16("-32768"), -32768);
    EXPECT_FALSE(ToInt16("32768"));
    EXPECT_FALSE(ToInt16("32767.5"));  // rounds to 32768
    EXPECT_FALSE(ToInt16("abc"));
    EXPECT_FALSE(ToInt16(""));
    EXPECT_EQ(ToInt32("2147483647"), 2147483647);
    EXPECT_FALSE(ToInt32("2147483648"));
    EXPECT_EQ(ToInt32("1e3"), 1000);
    EXPECT_FALSE(RoundToInt32(std::nan("")));
    EXPECT_FALSE(ToInt32("1e999"));
}

TEST(FormatSingle, ShowsTheShortestFormOfSevenDigits) {
    const std::pair<float, const char*> cases[] = {
        {0.5f, "0.5"},           {0.0f, "0"},
        {500.0f, "500"},         {1.0f / 3, "0.3333333"},
        {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"},
        {-0.25f, "-0.25"},       {2147483.647f, "2147484"},
        {0.001f, "0.001"},       {4166.7f, "4166.7"},
    };
    for (auto [value, text] : cases) {
        EXPECT_EQ(FormatSingle(value), text) << value;
    }
}

TEST(FormatDouble, ShowsTheShortestFormOfFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {1234.5, "1234.5"}, {100, "100"}, {0.25, "0.25"}, {0, "0"}, {-3, "-3"}, {0.1 + 0.2, "0.3"},
    };
    for (auto [value, text] : cases) {
        EXPECT_EQ(FormatDouble(value), text) << value;
    }
}

}  // namespace
}  // namespace common
