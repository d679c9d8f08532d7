#include "platform/rect.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_util.h"

namespace scrimble {
namespace {

using Rects = std::vector<Rect32>;

TEST(UncoveredParts, AreTheCornersNoAreaCoversRowByRow) {
    const struct { const char* what; Rect32 box; Rects areas, uncovered; } cases[] = {
        {"covered whole", {0, 0, 20, 10}, {{-5, -5, 30, 30}}, {}},
        {"no area", {0, 0, 20, 10}, {}, {{0, 0, 20, 10}}},
        {"lower right corner", {0, 0, 20, 10}, {{0, 0, 10, 10}, {10, 0, 20, 5}}, {{10, 5, 20, 10}}},
        {"both sides of a band", {0, 0, 20, 10}, {{5, 0, 10, 10}}, {{0, 0, 5, 10}, {10, 0, 20, 10}}},
        {"overlapping areas leave a hole", {0, 0, 30, 30},
         {{0, 0, 30, 10}, {0, 20, 30, 30}, {0, 0, 10, 30}, {20, 0, 30, 30}, {5, 5, 9, 9}}, {{10, 10, 20, 20}}},
        {"negative coordinates", {-800, 0, 1024, 768}, {{0, 0, 1024, 768}, {-800, 168, 0, 768}}, {{-800, 0, 0, 168}}},
        {"an empty box", {5, 5, 5, 9}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.uncovered, UncoveredParts(c.box, c.areas));
    }
}

// Where a saved window position still shows: some of it on a monitor's work
// area, wherever that monitor stands.
TEST(OverlapsAny, TellsAWindowThatStillShows) {
    const Rects workAreas = {{0, 0, 1920, 1040}, {-1280, -200, 0, 824}};  // a monitor left of and above the primary
    const struct { const char* what; Rect32 window; bool shows; } cases[] = {
        {"on the primary", {100, 100, 500, 400}, true},
        {"on the monitor to the left", {-1000, -150, -600, 150}, true},
        {"across the seam", {-200, 300, 200, 600}, true},
        {"where a monitor was", {2000, 100, 2400, 400}, false},
        {"under the taskbar only", {100, 1045, 500, 1080}, false},
        {"touching an edge only", {1920, 0, 2300, 300}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.shows, OverlapsAny(c.window, workAreas)) << c.what;
}

}  // namespace
}  // namespace scrimble
