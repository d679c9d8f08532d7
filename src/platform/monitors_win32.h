// The monitors of the desktop as Windows lists them.
#pragma once

#include <vector>

#include "platform/rect.h"

namespace scrimble::win32 {

// Each monitor's whole rectangle on the virtual screen, or its work area
// (without the taskbar and docked bars), in EnumDisplayMonitors' order.
enum class MonitorPart { Whole, WorkArea };
std::vector<Rect32> MonitorRects(MonitorPart part);

}  // namespace scrimble::win32
