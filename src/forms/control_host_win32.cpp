#include "forms/control_host_win32.h"

#include "platform/win32_handles.h"

namespace scrimble::win32 {

UINT SystemDpi() {
    static const auto getDpiForSystem = SystemFunction<UINT(WINAPI*)()>(L"user32.dll", "GetDpiForSystem");
    if (getDpiForSystem != nullptr) return getDpiForSystem();
    WindowDc screen(nullptr);
    return static_cast<UINT>(::GetDeviceCaps(screen.get(), LOGPIXELSX));
}

UINT WindowDpi(HWND hwnd) {
    static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust =
        SystemFunction<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjust != nullptr && adjust(&rect, style, FALSE, exStyle, dpi)) return;
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

NONCLIENTMETRICSW NonClientMetrics(UINT dpi) {
    static const auto forDpi =
        SystemFunction<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight =
        ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return metrics;
}

int ShiftState() {
    int shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

}  // namespace scrimble::win32
