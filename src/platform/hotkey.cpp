#include "platform/hotkey.h"

#include <iterator>
#include <vector>

#include "platform/ascii_case.h"

namespace scrimble {
namespace {

struct KeyName {
    int key;
    const wchar_t* name;
};

// Keys whose name is no single letter or digit; F1..F24 are made below.
constexpr KeyName kKeyNames[] = {
    {kKeyPrintScreen, L"PrtSc"}, {0x13, L"Pause"},   {0x20, L"Space"},    {0x2D, L"Insert"}, {0x2E, L"Delete"},
    {0x24, L"Home"},             {0x23, L"End"},     {0x21, L"PageUp"},   {0x22, L"PageDown"}, {0x25, L"Left"},
    {0x26, L"Up"},               {0x27, L"Right"},   {0x28, L"Down"},     {0x09, L"Tab"},    {0x0D, L"Enter"},
    {0x08, L"Backspace"},        {0x1B, L"Esc"},     {0x91, L"ScrollLock"},
};
constexpr int kF1 = 0x70;
constexpr int kF24 = 0x87;

struct ModifierName {
    int bit;
    const wchar_t* name;
};
constexpr ModifierName kModifierNames[] = {
    {kModControl, L"Ctrl"}, {kModShift, L"Shift"}, {kModAlt, L"Alt"}, {kModWin, L"Win"}};

// Control values: HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT.
constexpr unsigned kControlShift = 0x1;
constexpr unsigned kControlCtrl = 0x2;
constexpr unsigned kControlAlt = 0x4;

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring KeyText(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= kF1 && key <= kF24) return L"F" + std::to_wstring(key - kF1 + 1);
    for (const KeyName& entry : kKeyNames) {
        if (entry.key == key) return entry.name;
    }
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    return std::wstring{L'0', L'x', kHex[(key >> 4) & 0xF], kHex[key & 0xF]};
}

std::optional<int> KeyNamed(const std::wstring& name) {
    const std::wstring folded = AsciiUpperCase(name);
    if (folded.size() == 1 && ((folded[0] >= L'A' && folded[0] <= L'Z') || (folded[0] >= L'0' && folded[0] <= L'9'))) {
        return static_cast<int>(folded[0]);
    }
    if (folded.size() >= 2 && folded[0] == L'F' && folded.find_first_not_of(L"0123456789", 1) == std::wstring::npos) {
        const int number = std::stoi(folded.substr(1, 3));
        if (number >= 1 && number <= kF24 - kF1 + 1) return kF1 + number - 1;
        return std::nullopt;
    }
    if (folded.size() == 4 && folded.compare(0, 2, L"0X") == 0 &&
        folded.find_first_not_of(L"0123456789ABCDEF", 2) == std::wstring::npos) {
        return std::stoi(folded.substr(2), nullptr, 16);
    }
    for (const KeyName& entry : kKeyNames) {
        if (AsciiUpperCase(entry.name) == folded) return entry.key;
    }
    return std::nullopt;
}

}  // namespace

bool IsModifierKey(int key) {
    return key == 0x10 || key == 0x11 || key == 0x12 || key == 0x5B || key == 0x5C || (key >= 0xA0 && key <= 0xA5);
}

std::wstring HotkeyText(const Hotkey& hotkey) {
    if (hotkey.key == 0) return L"";
    std::wstring text;
    for (const ModifierName& modifier : kModifierNames) {
        if ((hotkey.modifiers & modifier.bit) != 0) text += std::wstring(modifier.name) + L"+";
    }
    return text + KeyText(hotkey.key);
}

std::optional<Hotkey> ParseHotkey(const std::wstring& text) {
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
        const size_t plus = text.find(L'+', start);
        parts.push_back(Trimmed(text.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start)));
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    Hotkey hotkey;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        int bit = 0;
        for (const ModifierName& modifier : kModifierNames) {
            if (AsciiUpperCase(modifier.name) == AsciiUpperCase(parts[i])) bit = modifier.bit;
        }
        if (AsciiUpperCase(parts[i]) == L"CONTROL") bit = kModControl;
        if (bit == 0 || (hotkey.modifiers & bit) != 0) return std::nullopt;
        hotkey.modifiers |= bit;
    }
    const std::optional<int> key = KeyNamed(parts.back());
    if (!key || *key == 0 || IsModifierKey(*key)) return std::nullopt;
    hotkey.key = *key;
    return hotkey;
}

Hotkey HotkeyFromControlValue(unsigned value) {
    const unsigned flags = (value >> 8) & 0xFF;
    Hotkey hotkey;
    hotkey.key = static_cast<int>(value & 0xFF);
    if ((flags & kControlShift) != 0) hotkey.modifiers |= kModShift;
    if ((flags & kControlCtrl) != 0) hotkey.modifiers |= kModControl;
    if ((flags & kControlAlt) != 0) hotkey.modifiers |= kModAlt;
    if (IsModifierKey(hotkey.key)) hotkey = Hotkey{};
    return hotkey;
}

unsigned ControlValueOf(const Hotkey& hotkey) {
    unsigned flags = 0;
    if ((hotkey.modifiers & kModShift) != 0) flags |= kControlShift;
    if ((hotkey.modifiers & kModControl) != 0) flags |= kControlCtrl;
    if ((hotkey.modifiers & kModAlt) != 0) flags |= kControlAlt;
    return (flags << 8) | (static_cast<unsigned>(hotkey.key) & 0xFF);
}

}  // namespace scrimble
