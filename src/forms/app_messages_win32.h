// The program's own window messages, in one list so that no two share a
// number.
#pragma once

#include <windows.h>

namespace scrimble::win32 {

inline constexpr UINT kFocusRequestMessage = WM_APP + 1;  // wParam: the control
inline constexpr UINT kShownMessage = WM_APP + 2;         // after the first frame
inline constexpr UINT kNotifyIconMessage = WM_APP + 3;    // the icon's clicks (version 4)

// Timers of the main window.
inline constexpr UINT_PTR kHeldKeyTimer = 1;

}  // namespace scrimble::win32
