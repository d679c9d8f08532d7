#include "platform/top_windows_win32.h"

#include <dwmapi.h>

#include <cwchar>
#include <exception>

#include "platform/win32_handles.h"

namespace scrimble::win32 {
namespace {

using GetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// Looked up at run time: null where dwmapi.dll cannot be had.
GetWindowAttribute WindowAttributeReader() {
    static const auto read = SystemFunction<GetWindowAttribute>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return read;
}

bool Shown(HWND window) {
    if (!::IsWindowVisible(window) || ::IsIconic(window)) return false;
    // Windows 8 on; older systems refuse the question.
    DWORD cloaked = 0;
    const auto read = WindowAttributeReader();
    if (read != nullptr && SUCCEEDED(read(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0) {
        return false;
    }
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wcscmp(name, L"Progman") != 0 && std::wcscmp(name, L"WorkerW") != 0;
}

// As a capture of the window reads it.
bool FrameOf(HWND window, Rect32& frame) {
    if (CompositorFrame(window, frame)) return true;
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    frame = Rect32{rect.left, rect.top, rect.right, rect.bottom};
    return true;
}

struct Listing {
    std::vector<ShownWindow> windows;
    std::exception_ptr failure;
};

BOOL CALLBACK Add(HWND window, LPARAM data) {
    auto& listing = *reinterpret_cast<Listing*>(data);
    try {
        Rect32 frame;
        if (Shown(window) && FrameOf(window, frame) && !frame.Empty()) listing.windows.push_back({window, frame});
        return TRUE;
    } catch (...) {
        // Not through the system's frames: thrown again once EnumWindows is back.
        listing.failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

bool CompositorFrame(HWND window, Rect32& frame) {
    const auto read = WindowAttributeReader();
    RECT bounds{};
    if (read == nullptr || FAILED(read(window, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds, sizeof bounds))) return false;
    frame = Rect32{bounds.left, bounds.top, bounds.right, bounds.bottom};
    return true;
}

std::vector<ShownWindow> ShownWindows() {
    Listing listing;
    ::EnumWindows(&Add, reinterpret_cast<LPARAM>(&listing));
    if (listing.failure) std::rethrow_exception(listing.failure);
    return std::move(listing.windows);
}

}  // namespace scrimble::win32
