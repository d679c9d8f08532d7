#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <string>

// The native build converts with code page 932, the code page of the Japanese
// systems the settings file is written on.

namespace scrimble {
namespace {

const std::string kSaveHalfwidthPathCp932("\x95\xDB\x91\xB6\xCA\xDF\xBD");

TEST(AnsiCodec, WritesJapaneseTextInCp932) {
    EXPECT_EQ(kSaveHalfwidthPathCp932, WideToAnsi(L"保存ﾊﾟｽ"));
}

TEST(AnsiCodec, ReadsJapaneseTextFromCp932) {
    EXPECT_EQ(L"保存ﾊﾟｽ", AnsiToWide(kSaveHalfwidthPathCp932));
}

TEST(AnsiCodec, RoundTripsMixedText) {
    const std::wstring text = L"Path      :C:\\画像\\ｽｸﾘｰﾝ 01";
    EXPECT_EQ(text, AnsiToWide(WideToAnsi(text)));
    EXPECT_TRUE(WideFitsAnsi(text));
}

TEST(AnsiCodec, KeepsAsciiAsIs) {
    const std::string ascii = "FormTop   :10\r\nFile      :Screen\r\n";
    EXPECT_EQ(ascii, WideToAnsi(std::wstring(ascii.begin(), ascii.end())));
    EXPECT_EQ(std::wstring(ascii.begin(), ascii.end()), AnsiToWide(ascii));
}

TEST(AnsiCodec, HandlesEmptyText) {
    EXPECT_EQ(L"", AnsiToWide(""));
    EXPECT_EQ("", WideToAnsi(L""));
    EXPECT_TRUE(WideFitsAnsi(L""));
}

TEST(AnsiCodec, ReplacesInvalidBytesAndKeepsTheRest) {
    // 0x81 0x20: a lead byte followed by a byte that cannot trail it.
    EXPECT_EQ(L"A\uFFFD B", AnsiToWide(std::string("A\x81\x20" "B")));
    // 0xFD is no character in this code page.
    EXPECT_EQ(L"\uFFFDC", AnsiToWide(std::string("\xFD" "C")));
}

TEST(AnsiCodec, ReplacesATruncatedDoubleByteCharacterAtTheEnd) {
    EXPECT_EQ(L"ab\uFFFD", AnsiToWide(std::string("ab\x95")));
}

TEST(AnsiCodec, ReplacesCharactersTheCodePageLacks) {
    EXPECT_EQ("caf?", WideToAnsi(L"café"));
    EXPECT_EQ("x?y", WideToAnsi(L"x\U0001F600y"));
    EXPECT_EQ("\x95\xDB?", WideToAnsi(L"保\u00E9"));
}

TEST(AnsiCodec, TellsWhetherTextFits) {
    EXPECT_TRUE(WideFitsAnsi(L"保存してません。"));
    EXPECT_FALSE(WideFitsAnsi(L"café"));
    EXPECT_FALSE(WideFitsAnsi(L"\U0001F600"));
}

}  // namespace
}  // namespace scrimble
