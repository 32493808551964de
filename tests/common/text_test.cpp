#include "common/text.h"

#include <gtest/gtest.h>

namespace common {
namespace {

using Pieces = std::vector<std::string_view>;

TEST(Split, KeepsEmptyPieces) {
    EXPECT_EQ(Split("a\t\tb", '\t'), (Pieces{"a", "", "b"}));
    EXPECT_EQ(Split("", '\t'), (Pieces{""}));
    EXPECT_EQ(Split("EnvNo\t", '\t'), (Pieces{"EnvNo", ""}));
    EXPECT_EQ(Split("\t", '\t'), (Pieces{"", ""}));
}

TEST(SplitLines, AcceptsEveryLineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Pieces{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(SplitLines(""), Pieces{});
    EXPECT_EQ(SplitLines("\n"), (Pieces{""}));
    EXPECT_EQ(SplitLines("a\r"), (Pieces{"a"}));
}

TEST(Trim, RemovesBlanksAndTabsOnly) {
    EXPECT_EQ(Trim(" \t x y \t"), "x y");
    EXPECT_EQ(Trim("　x"), "　x");  // an ideographic space is text
    EXPECT_EQ(Trim("   "), "");
}

TEST(CompareNoCase, IgnoresCaseAcrossScripts) {
    EXPECT_TRUE(EqualsNoCase("Model_Space", "MODEL_SPACE"));
    EXPECT_TRUE(EqualsNoCase("Ａｂｃ", "ａＢＣ"));  // full-width Latin
    EXPECT_TRUE(EqualsNoCase("Éte", "éTE"));
    EXPECT_TRUE(EqualsNoCase("電線", "電線"));
    EXPECT_FALSE(EqualsNoCase("abc", "abd"));
    EXPECT_FALSE(EqualsNoCase("abc", "ab"));
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    EXPECT_NE(CompareNoCase("a\xff", "a\xfe"), 0);  // invalid bytes still order
}

TEST(ToUpper, UppercasesLettersOnly) {
    EXPECT_EQ(ToUpper("b"), "B");
    EXPECT_EQ(ToUpper("ｂé1-電"), "ＢÉ1-電");
    EXPECT_EQ(ToUpper("a\xff"), "A\xff");
}

TEST(AppendLine, EndsLinesWithCrLf) {
    std::string out;
    AppendLine(out, "x");
    AppendLine(out, "");
    EXPECT_EQ(out, "x\r\n\r\n");
}

TEST(TruncateChars, CountsCharactersNotBytes) {
    EXPECT_EQ(TruncateChars("abc", 5), "abc");
    EXPECT_EQ(TruncateChars("abc", 2), "ab");
    EXPECT_EQ(TruncateChars("盤P1盤", 3), "盤P1");  // 3 bytes, then 1 and 1
    EXPECT_EQ(TruncateChars("日本語", 0), "");
    EXPECT_EQ(TruncateChars("", 3), "");
}

}  // namespace
}  // namespace common
