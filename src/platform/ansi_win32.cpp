#include "platform/ansi.h"

#include <windows.h>

#include <climits>

#include "platform/errors.h"

namespace scrimble {
namespace {

int CheckedLength(size_t size) {
    if (size > static_cast<size_t>(INT_MAX)) throw OverflowError();
    return static_cast<int>(size);
}

// Best-fit mapping would quietly turn characters the code page lacks into
// look-alikes (even into path separators); they must show up as '?' instead.
// UTF-8 as the system code page accepts neither that flag nor a default
// character, so it is asked to reject lone surrogates instead.
struct WideToAnsiMode {
    DWORD flags;
    bool reportsDefaultChar;
};

WideToAnsiMode CurrentWideToAnsiMode() {
    if (GetACP() == CP_UTF8) return {WC_ERR_INVALID_CHARS, false};
    return {WC_NO_BEST_FIT_CHARS, true};
}

struct WideToAnsiResult {
    std::string bytes;
    bool lossy = false;
};

WideToAnsiResult ConvertWideToAnsi(const std::wstring& text) {
    WideToAnsiResult result;
    if (text.empty()) return result;
    const int length = CheckedLength(text.size());
    WideToAnsiMode mode = CurrentWideToAnsiMode();

    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = mode.reportsDefaultChar ? &usedDefault : nullptr;
    int needed = WideCharToMultiByte(CP_ACP, mode.flags, text.data(), length, nullptr, 0, nullptr,
                                     usedDefaultOut);
    if (needed <= 0 && !mode.reportsDefaultChar) {
        // Invalid UTF-16 under a UTF-8 code page: convert with replacement.
        mode.flags = 0;
        result.lossy = true;
        needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (needed <= 0) {
        result.lossy = true;
        result.bytes.assign(text.size(), '?');
        return result;
    }
    result.bytes.resize(static_cast<size_t>(needed));
    WideCharToMultiByte(CP_ACP, mode.flags, text.data(), length, &result.bytes[0], needed, nullptr,
                        usedDefaultOut);
    if (usedDefault) result.lossy = true;
    return result;
}

}  // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = CheckedLength(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return std::wstring(bytes.size(), L'\uFFFD');
    std::wstring text(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, &text[0], needed);
    return text;
}

std::string WideToAnsi(const std::wstring& text) {
    return ConvertWideToAnsi(text).bytes;
}

bool WideFitsAnsi(const std::wstring& text) {
    return !ConvertWideToAnsi(text).lossy;
}

}  // namespace scrimble
