#include "platform/monitors_win32.h"

#include <windows.h>

namespace scrimble::win32 {
namespace {

struct Listing {
    MonitorPart part;
    std::vector<Rect32> rects;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& listing = *reinterpret_cast<Listing*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const RECT& r = listing.part == MonitorPart::Whole ? info.rcMonitor : info.rcWork;
        listing.rects.push_back(Rect32{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

}  // namespace

std::vector<Rect32> MonitorRects(MonitorPart part) {
    Listing listing{part, {}};
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&listing));
    return listing.rects;
}

}  // namespace scrimble::win32
