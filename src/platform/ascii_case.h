// Letters a to z as A to Z and nothing else: how file names, extensions and
// key names compare, whatever the user's locale.
#pragma once

#include <string>

namespace scrimble {

inline std::wstring AsciiUpperCase(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

}  // namespace scrimble
