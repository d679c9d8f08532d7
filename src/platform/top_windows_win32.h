// The desktop's top-level windows as the screen shows them: their frames
// and which of them a user sees, for the captures of a window and for
// picking one.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/rect.h"

namespace scrimble::win32 {

// The frame the compositor draws (DWMWA_EXTENDED_FRAME_BOUNDS), without the
// invisible resize borders the window's rectangle takes in; false without a
// compositor that answers.
bool CompositorFrame(HWND window, Rect32& frame);

// The windows a user sees, front first: visible, not minimised, not cloaked
// (on another virtual desktop, a suspended store app), not the desktop
// behind everything (Progman, WorkerW), each with its frame as a capture
// takes it: the compositor's, else the window's rectangle.
struct ShownWindow {
    HWND window;
    Rect32 frame;
};
std::vector<ShownWindow> ShownWindows();

}  // namespace scrimble::win32
