// The geometry of picking a region of the screen: the rectangle between two
// points, the pointer moved by the arrow keys, where the magnifier goes, the
// window under the pointer, the readout, and the remembered region on a
// desktop that may have changed since. Virtual-screen pixels throughout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/rect.h"

namespace scrimble {

struct Point32 {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const Point32& a, const Point32& b) { return a.x == b.x && a.y == b.y; }
};

// The rectangle from the press to the release point, dragged either way,
// the far edge left out: (100, 100) to (300, 250) is 200 x 150 pixels. Cut
// to the screen.
Rect32 SelectionBetween(Point32 press, Point32 release, const Rect32& screen);

// The pointer after an arrow key: one pixel, or ten with Ctrl, no further
// than the screen's last pixel.
Point32 Nudged(Point32 pointer, int dx, int dy, bool tenPixels, const Rect32& screen);

// The monitor the point lies on; the nearest one where it lies on none, the
// screen itself where there are no monitors.
Rect32 MonitorAt(Point32 point, const std::vector<Rect32>& monitors, const Rect32& screen);

// Where the magnifier (size x size) goes: below and right of the pointer,
// flipped left or up where it would leave the pointer's monitor, the other
// way round where it would cover the selection, and always whole on the
// monitor.
inline constexpr std::int32_t kMagnifierGap = 24;
Rect32 MagnifierPlace(Point32 pointer, std::int32_t size, const Rect32& monitor, const Rect32& selection);

// The first of the frames (in front first) that holds the point: the window
// a click takes; Empty() over the bare desktop.
Rect32 FrameAt(Point32 point, const std::vector<Rect32>& framesFrontFirst);

// "200 × 150" for a selection, "100, 250" for the pointer before a drag.
std::wstring SizeReadout(const Rect32& selection);
std::wstring PointReadout(Point32 pointer);

// The remembered region on today's desktop: the part of it that lies on the
// screen (a monitor may be gone); nullopt where none does.
std::optional<Rect32> RegionOnScreen(const Rect32& region, const Rect32& screen);

// The region as the settings file keeps it ("100,100,300,250": left, top,
// right, bottom) and back; nullopt for text that is no such rectangle.
std::wstring RegionText(const Rect32& region);
std::optional<Rect32> ParseRegion(const std::wstring& text);

}  // namespace scrimble
