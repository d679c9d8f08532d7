// The window procedure of a window owned by one C++ object: the object comes
// with CreateWindowExW's last argument, is bound to the window at
// WM_NCCREATE and let go at WM_NCDESTROY, and gets every message in between
// through its Handle(message, wParam, lParam).
#pragma once

#include <windows.h>

namespace scrimble::win32 {

// Owner::Handle must not throw; Owner::BindWindow(HWND) is told the handle
// before CreateWindowExW returns.
template <typename Owner>
LRESULT CALLBACK BoundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        owner->BindWindow(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (owner == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return owner->Handle(message, wParam, lParam);
}

}  // namespace scrimble::win32
