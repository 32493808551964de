#include "common/codepage.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(CodePage, DefaultsToCp932) {
    EXPECT_EQ(ProcessCodePage(), "CP932");
}

TEST(CodePage, JapaneseTextRoundTripsThroughShiftJis) {
    const std::string text = "電線処理ダイアログ ｶﾅ ①";
    std::string sjis = ToCodePage(text);
    EXPECT_EQ(sjis.substr(0, 2), "\x93\x64");  // 電
    EXPECT_EQ(FromCodePage(sjis), text);
}

TEST(CodePage, BackslashAndTildeStayPathCharacters) {
    // Windows' CP932 keeps 0x5C and 0x7E as "\" and "~" (Shift_JIS proper would give ¥ and ‾).
    EXPECT_EQ(ToCodePage("C:\\data\\~x"), "C:\\data\\~x");
    EXPECT_EQ(FromCodePage("\x95\x5C"), "表");  // trail byte 0x5C is part of the character
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToCodePage("a😀b"), "a?b");
    EXPECT_EQ(ToCodePage("x\xff"
                         "y"),
              "x?y");                                  // not UTF-8
    EXPECT_EQ(ToCodePage("電\xe9\x9b"), "\x93\x64?");  // cut-off sequence at the end
}

TEST(CodePage, InvalidBytesAreRefusedOrReplaced) {
    const std::string bad = "ok\x81";  // a lead byte without its trail byte
    EXPECT_FALSE(FromCodePage(bad).has_value());
    EXPECT_EQ(FromCodePageLossy(bad), "ok\xEF\xBF\xBD");
    EXPECT_EQ(FromCodePageLossy("\xA0x"), "\xEF\xBF\xBDx");
}

TEST(CodePage, LargeMixedTextsDecodeExactly) {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "盤" + std::to_string(i) + "\tｶﾅ,①\\~\r\n";
    EXPECT_EQ(FromCodePage(ToCodePage(text)), text);
    std::string bytes = ToCodePage(text) + "\x81";  // cut off at the very end
    EXPECT_FALSE(FromCodePage(bytes));
    EXPECT_EQ(FromCodePageLossy(bytes), text + "\xEF\xBF\xBD");
    EXPECT_EQ(FromCodePageLossy("\x81\x20x"),
              "\xEF\xBF\xBD x");  // a lead byte without a valid trail
}

TEST(CodePage, ByteValuesThatAreNotAsciiInTheCodePageAreDecodedAsSuch) {
    ASSERT_TRUE(SetProcessCodePage("SHIFT_JIS"));  // JIS X 0201: 0x5C is the yen sign
    EXPECT_EQ(FromCodePageLossy("a\x5C\x93\x64"), "a¥電");
    ASSERT_TRUE(SetProcessCodePage("CP932"));
    EXPECT_EQ(FromCodePageLossy("a\x5C\x93\x64"), "a\\電");
}

TEST(CodePage, CanBeSwitchedToAnotherKnownEncoding) {
    EXPECT_FALSE(SetProcessCodePage("NO-SUCH-ENCODING"));
    EXPECT_EQ(ProcessCodePage(), "CP932");
    ASSERT_TRUE(SetProcessCodePage("ISO-8859-1"));
    EXPECT_EQ(ToCodePage("é"), "\xE9");
    EXPECT_EQ(FromCodePage("\xE9"), "é");
    ASSERT_TRUE(SetProcessCodePage("CP932"));
    EXPECT_EQ(ToCodePage("é"), "?");
}

}  // namespace
}  // namespace common
