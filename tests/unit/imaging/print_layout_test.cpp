#include "imaging/print_layout.h"

#include <gtest/gtest.h>

#include "support/test_util.h"

namespace scrimble {
namespace {

// The picture as large as the page's printable area allows, its proportions
// kept, centred; landscape proposed for a wide picture.
TEST(PrintLayout, FitsThePictureCentredKeepingItsProportions) {
    const Rect32 landscape{0, 0, 3300, 2400};  // A4 at 300 dpi, less the margins
    const struct { const char* what; int width, height; Rect32 area, placed; } cases[] = {
        {"wide, as wide as the page", 1920, 1080, landscape, {0, 272, 3300, 2128}},
        {"tall, as high as the page", 1080, 1920, landscape, {975, 0, 2325, 2400}},
        {"same proportions: the whole area", 1100, 800, landscape, {0, 0, 3300, 2400}},
        {"small: scaled up", 10, 10, {100, 200, 500, 400}, {200, 200, 400, 400}},
        {"an area off the origin", 3840, 2160, {75, 50, 3375, 2450}, {75, 322, 3375, 2178}},
        {"no picture", 0, 10, landscape, {}},
        {"no area", 10, 10, {0, 0, 0, 100}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.placed, FitCentred(c.width, c.height, c.area)) << c.what;
    // Pixels twice as high as wide (600 x 300 dpi): half as many rows.
    EXPECT_EQ((Rect32{0, 375, 3300, 2025}), FitCentred(1000, 1000, landscape, 600, 300));
    EXPECT_EQ((Rect32{1237, 0, 2062, 2400}), FitCentred(1100, 1600, landscape, 300, 600));  // and wider
    EXPECT_TRUE(ProposesLandscape(1920, 1080));
    EXPECT_FALSE(ProposesLandscape(1080, 1920));
}

}  // namespace
}  // namespace scrimble
