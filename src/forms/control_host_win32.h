// What the Win32 control peers need of the window they live on: the main
// window and the options dialog are both such hosts. Also the measures both
// take from the system at their DPI.
#pragma once

#include <windows.h>

#include <string>

#include "forms/control_spec.h"
#include "platform/twips.h"

namespace scrimble::win32 {

// A control's place on the client area, in pixels.
struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

class ControlHost {
public:
    virtual ~ControlHost() = default;
    virtual HWND hwnd() const = 0;
    virtual HINSTANCE instance() const = 0;
    virtual UINT Dpi() const = 0;
    virtual HFONT Font() const = 0;
    // A control's tooltip; a host without tooltips ignores it.
    virtual void SetToolTip(HWND control, const std::wstring& text) = 0;
    // Focus changes asked for by the program, carried out once the handler
    // that asked has returned.
    virtual void RequestFocus(HWND control) = 0;

    int Px(int twips) const { return twips::LayoutToPixels(twips, Dpi()); }
    PixelRect Px(const forms::TwipsRect& twips) const {
        return {Px(twips.left), Px(twips.top), Px(twips.width), Px(twips.height)};
    }
};

// The system DPI: window positions and the screen's twips are converted with
// it, whatever the DPI of the monitor the window is on.
UINT SystemDpi();
// The DPI of the monitor the window is on, where the system tells it.
UINT WindowDpi(HWND hwnd);
// The system's fonts and sizes at that DPI.
NONCLIENTMETRICSW NonClientMetrics(UINT dpi);
// The outer rectangle for a client rectangle, with the style given, at that DPI.
void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
// Shift, Ctrl, Alt held now: bit 0, 1, 2 (Form::KeyDown's shift).
int ShiftState();

}  // namespace scrimble::win32
