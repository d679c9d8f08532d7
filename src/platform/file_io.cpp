#include "platform/file_io.h"

#include <algorithm>
#include <string_view>

#include "platform/errors.h"

namespace scrimble {
namespace {

class Disk final : public WholeFiles {
public:
    std::optional<std::string> Read(const std::wstring& path) override { return ReadWholeFile(path); }
    void Replace(const std::wstring& path, const std::string& contents) override {
        ReplaceFileContents(path, contents);
    }
};

}  // namespace

WholeFiles& DiskFiles() {
    static Disk disk;  // stateless: shared by every caller and thread
    return disk;
}

namespace {

// Windows reads the part before the first dot, blanks at its end dropped, as
// the device name: "nul.bmp" and "NUL .txt.bmp" both stand for NUL.
bool NamesADevice(const std::wstring& name) {
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; });
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = stem[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

void RequireUsableFileName(const std::wstring& name) {
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
    });
    if (badCharacter) throw FileNameCharacterError(name);
    if (name.empty() || name.back() == L'.' || name.back() == L' ' || NamesADevice(name)) {
        throw ReservedFileNameError(name);
    }
}

void ReplaceFileContents(const std::wstring& path, const std::string& contents) {
    ReplaceFileContents(path, contents.data(), contents.size());
}

std::wstring FolderOf(const std::wstring& path) {
    // Both slashes separate directories on Windows, and "C:name" is relative
    // to drive C:.
    const size_t lastSeparator = path.find_last_of(L"\\/:");
    return lastSeparator == std::wstring::npos ? std::wstring() : path.substr(0, lastSeparator + 1);
}

std::wstring TemporarySiblingPath(const std::wstring& path, unsigned long unique) {
    // In the target's directory, so that the final rename stays on one volume.
    const std::wstring folder = FolderOf(path);
    constexpr size_t kFixedLength = 5;  // "~" and ".tmp"
    const size_t nameLength = path.size() - folder.size();
    const size_t digits = std::clamp<size_t>(nameLength > kFixedLength ? nameLength - kFixedLength : 0, 2, 8);
    std::wstring hex(digits, L'0');
    for (size_t i = digits; i-- > 0; unique >>= 4) hex[i] = L"0123456789abcdef"[unique & 0xF];
    return folder + L"~" + hex + L".tmp";
}

bool IsScratchFileName(const std::wstring& name) {
    constexpr size_t kFixedLength = 5;  // "~" and ".tmp"
    if (name.size() < kFixedLength + 2 || name.size() > kFixedLength + 8) return false;
    if (name.front() != L'~' || name.compare(name.size() - 4, 4, L".tmp") != 0) return false;
    return std::all_of(name.begin() + 1, name.end() - 4,
                       [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); });
}

}  // namespace scrimble
