#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <string>

// The native build converts with code page 932, the code page of the Japanese
// systems the settings file is written on.

namespace scrimble {
namespace {

TEST(AnsiCodec, ConvertsTextTheCodePageHoldsBothWays) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"", ""},
        {L"FormTop   :10\r\nFile      :Screen\r\n", "FormTop   :10\r\nFile      :Screen\r\n"},
        {L"保存ﾊﾟｽ", "\x95\xDB\x91\xB6\xCA\xDF\xBD"},
        {L"C:\\画像\\ｽｸﾘｰﾝ 01", "C:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD 01"},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(bytes, WideToAnsi(text)) << text;
        EXPECT_EQ(text, AnsiToWide(bytes)) << text;
        EXPECT_EQ(true, WideFitsAnsi(text)) << text;
    }
}

TEST(AnsiCodec, ReplacesBytesThatMeanNothingAndKeepsTheRest) {
    EXPECT_EQ(L"A\uFFFD B", AnsiToWide("A\x81\x20" "B"));  // a lead byte that 0x20 cannot follow
    EXPECT_EQ(L"\uFFFDC", AnsiToWide("\xFD" "C"));         // no character in this code page
    EXPECT_EQ(L"ab\uFFFD", AnsiToWide("ab\x95"));          // cut after the lead byte
}

TEST(AnsiCodec, ReplacesCharactersTheCodePageLacks) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"café", "caf?"}, {L"x\U0001F600y", "x?y"}, {L"保\u00E9", "\x95\xDB?"}};
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(bytes, WideToAnsi(text)) << text;
        EXPECT_EQ(false, WideFitsAnsi(text)) << text;
    }
}

}  // namespace
}  // namespace scrimble
