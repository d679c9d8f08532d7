#include "platform/hotkey.h"

#include <gtest/gtest.h>

#include <string>

namespace scrimble {
namespace {

// Text and key go both ways; the modifiers come out in Windows' order
// whatever order they went in.
TEST(Hotkey, TextAndKeyGoBothWays) {
    const struct { std::wstring typed, shown; Hotkey key; } cases[] = {
        {L"PrtSc", L"PrtSc", {kKeyPrintScreen, 0}},
        {L"alt+prtsc", L"Alt+PrtSc", {kKeyPrintScreen, kModAlt}},
        {L"Shift + Ctrl + F1", L"Ctrl+Shift+F1", {0x70, kModControl | kModShift}},
        {L"Control+Alt+Win+a", L"Ctrl+Alt+Win+A", {'A', kModControl | kModAlt | kModWin}},
        {L"F24", L"F24", {0x87, 0}},
        {L"ctrl+0xba", L"Ctrl+0xBA", {0xBA, kModControl}},
        {L"PageDown", L"PageDown", {0x22, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.typed));
        ASSERT_TRUE(ParseHotkey(c.typed).has_value());
        EXPECT_TRUE(c.key == *ParseHotkey(c.typed));
        EXPECT_EQ(c.shown, HotkeyText(c.key));
    }
    EXPECT_EQ(L"", HotkeyText(Hotkey{}));
    for (const wchar_t* bad : {L"", L"Alt", L"Alt+", L"Ctrl+Ctrl+A", L"Meta+A", L"F25", L"F0", L"AB", L"0x10", L"+A"}) {
        EXPECT_FALSE(ParseHotkey(bad).has_value()) << ::testing::PrintToString(std::wstring(bad));
    }
}

// The hotkey control keeps Shift and Alt in the other bits; a modifier on
// its own is no key.
TEST(Hotkey, ControlValuesSwapShiftAndAlt) {
    EXPECT_EQ(0x042Cu, ControlValueOf({kKeyPrintScreen, kModAlt}));
    EXPECT_EQ(0x0341u, ControlValueOf({'A', kModControl | kModShift}));
    EXPECT_TRUE((Hotkey{kKeyPrintScreen, kModShift}) == HotkeyFromControlValue(0x012C));
    EXPECT_TRUE((Hotkey{kKeyPrintScreen, kModAlt}) == HotkeyFromControlValue(0x0C2C));  // HOTKEYF_EXT dropped
    EXPECT_TRUE(Hotkey{} == HotkeyFromControlValue(0x0412));                             // Alt alone
}

}  // namespace
}  // namespace scrimble
