// Picking a region of the screen: the picture taken a moment ago shown over
// every monitor, dimmed but for the part being dragged out, with a crosshair,
// a magnifier and a readout at the pointer; a click takes the window under it.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/rect.h"

namespace scrimble::win32 {

struct RegionOverlayInput {
    HBITMAP frozen;            // the whole virtual screen as captured a moment ago (a DDB compatible with the screen), not owned
    Rect32 screen;             // the virtual screen in physical pixels (its left/top may be negative)
    std::vector<Rect32> monitors;
    std::vector<Rect32> windowFrames;  // visible top-level windows' frames, front first, as F2 would take them (see below)
};

// Shows the frozen picture over every monitor and lets the user pick a region; modal (its own message loop, which must
// also dispatch other windows' messages). The rectangle in virtual-screen pixels, or nullopt when cancelled or empty.
// Throws WindowCreationError for what the system refuses (the window, its buffers); `frozen` must not be selected
// into a device context meanwhile.
std::optional<Rect32> SelectRegion(HINSTANCE instance, const RegionOverlayInput& input);

// The visible top-level windows' frames, front first (not minimised, not cloaked/invisible, not tool windows of our own
// process, each cut to the screen, empty ones left out), read before the overlay shows.
std::vector<Rect32> VisibleWindowFrames(const Rect32& screen);

}  // namespace scrimble::win32
