#include "platform/file_io.h"

#include <algorithm>

namespace scrimble {

void ReplaceFileContents(const std::wstring& path, const std::string& contents) {
    ReplaceFileContents(path, contents.data(), contents.size());
}

std::wstring TemporarySiblingPath(const std::wstring& path, unsigned long unique) {
    // Both slashes separate directories on Windows, and "C:name" is relative
    // to drive C:; the scratch file must land in the target's directory so
    // that the final rename stays on one volume.
    const size_t lastSeparator = path.find_last_of(L"\\/:");
    const size_t nameStart = lastSeparator == std::wstring::npos ? 0 : lastSeparator + 1;
    constexpr size_t kFixedLength = 5;  // "~" and ".tmp"
    const size_t nameLength = path.size() - nameStart;
    const size_t digits = std::clamp<size_t>(nameLength > kFixedLength ? nameLength - kFixedLength : 0, 2, 8);
    std::wstring hex(digits, L'0');
    for (size_t i = digits; i-- > 0; unique >>= 4) hex[i] = L"0123456789abcdef"[unique & 0xF];
    return path.substr(0, nameStart) + L"~" + hex + L".tmp";
}

}  // namespace scrimble
