// A key that works from anywhere (RegisterHotKey): a virtual key and its
// modifiers, and the text it goes by in the settings file and the options
// dialog ("Alt+PrtSc", "Ctrl+Shift+F1").
#pragma once

#include <optional>
#include <string>

namespace scrimble {

// The modifier bits, as RegisterHotKey takes them (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT, MOD_WIN).
inline constexpr int kModAlt = 0x1;
inline constexpr int kModControl = 0x2;
inline constexpr int kModShift = 0x4;
inline constexpr int kModWin = 0x8;
inline constexpr int kKeyPrintScreen = 0x2C;  // VK_SNAPSHOT

struct Hotkey {
    int key = 0;        // a virtual-key code; 0 for none
    int modifiers = 0;  // kMod* bits
    bool operator==(const Hotkey& other) const { return key == other.key && modifiers == other.modifiers; }
    bool operator!=(const Hotkey& other) const { return !(*this == other); }
};

// Shift, Ctrl, Alt and the Windows keys alone make no hotkey.
bool IsModifierKey(int key);

// "Ctrl+Shift+PrtSc": the modifiers in the order Windows shows them, then
// the key's name ("F1", "A", "0", "PageUp", or "0xBA" for a key without
// one); "" for none.
std::wstring HotkeyText(const Hotkey& hotkey);

// The reverse, in any case of letters and with blanks around the parts;
// nullopt for no key, a modifier alone, a name it does not know or a
// modifier given twice.
std::optional<Hotkey> ParseHotkey(const std::wstring& text);

// The value of a hotkey control (HKM_GETHOTKEY): the key in the low byte,
// HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8 in the
// high one: Shift and Alt the other way round from the kMod* bits.
Hotkey HotkeyFromControlValue(unsigned value);
unsigned ControlValueOf(const Hotkey& hotkey);

}  // namespace scrimble
