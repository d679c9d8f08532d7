// Conversion between the system's ANSI code page (the encoding of the settings
// file) and UTF-16 text. Bytes or characters that have no counterpart never
// fail: a byte sequence that means nothing becomes U+FFFD (or the code page's
// own replacement), a character that the code page lacks becomes '?'.
#pragma once

#include <string>
#include <string_view>

namespace scrimble {

std::wstring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(const std::wstring& text);
// Whether every character of the text has an exact counterpart in the code
// page, so that WideToAnsi and AnsiToWide give the text back unchanged.
bool WideFitsAnsi(const std::wstring& text);

}  // namespace scrimble
