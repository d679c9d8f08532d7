#include "platform/region_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_util.h"

namespace scrimble {
namespace {

const Rect32 kScreen{-1920, 0, 1920, 1080};  // a monitor left of the primary one

// Either way of dragging gives one rectangle, its far edge left out, cut to
// the screen; a drag that goes nowhere is empty.
TEST(RegionGeometry, SelectionIsBetweenThePressAndTheRelease) {
    const struct { Point32 press, release; Rect32 selected; } cases[] = {
        {{100, 100}, {300, 250}, {100, 100, 300, 250}}, {{300, 250}, {100, 100}, {100, 100, 300, 250}},
        {{300, 100}, {100, 250}, {100, 100, 300, 250}}, {{100, 250}, {300, 100}, {100, 100, 300, 250}},
        {{-50, 10}, {50, 20}, {-50, 10, 50, 20}},        // across the seam of two monitors
        {{1900, 1000}, {2500, 1500}, {1900, 1000, 1920, 1080}},
        {{10, 10}, {10, 90}, {10, 10, 10, 90}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.selected, SelectionBetween(c.press, c.release, kScreen));
    EXPECT_TRUE(SelectionBetween({10, 10}, {10, 90}, kScreen).Empty());
}

TEST(RegionGeometry, ArrowsMoveThePointerAPixelOrTenAndKeepItOnTheScreen) {
    EXPECT_EQ((Point32{101, 100}), Nudged({100, 100}, 1, 0, false, kScreen));
    EXPECT_EQ((Point32{100, 90}), Nudged({100, 100}, 0, -1, true, kScreen));
    EXPECT_EQ((Point32{1919, 1079}), Nudged({1915, 1075}, 1, 1, true, kScreen));
    EXPECT_EQ((Point32{-1920, 0}), Nudged({-1915, 3}, -1, -1, true, kScreen));
}

// The magnifier keeps on the pointer's monitor and off the selection.
TEST(RegionGeometry, MagnifierFlipsAtTheMonitorsEdgesAndAwayFromTheSelection) {
    const Rect32 left{-1920, 0, 0, 1080};
    const Rect32 right{0, 0, 1920, 1080};
    const std::vector<Rect32> monitors = {left, right};
    const int g = kMagnifierGap;
    const struct { Point32 pointer; Rect32 selection; Rect32 placed; } cases[] = {
        {{500, 500}, {}, {500 + g, 500 + g, 620 + g, 620 + g}},           // below right
        {{1900, 500}, {}, {1900 - g - 120, 500 + g, 1900 - g, 620 + g}},  // the right edge: to the left
        {{500, 1070}, {}, {500 + g, 1070 - g - 120, 620 + g, 1070 - g}},  // the bottom: above
        {{-10, 500}, {}, {-10 - g - 120, 500 + g, -10 - g, 620 + g}},     // its own monitor, not the next one
        {{500, 500}, {500, 500, 1000, 1000}, {500 - g - 120, 500 + g, 500 - g, 620 + g}},  // off the selection
        {{3, 3}, {0, 0, 1920, 1080}, {3 + g, 3 + g, 123 + g, 123 + g}},  // nowhere is off it: stays
    };
    for (const auto& c : cases) {
        const Rect32 monitor = MonitorAt(c.pointer, monitors, kScreen);
        EXPECT_EQ(c.placed, MagnifierPlace(c.pointer, 120, monitor, c.selection))
            << c.pointer.x << "," << c.pointer.y;
    }
    EXPECT_EQ(right, MonitorAt({5000, 5}, monitors, kScreen));  // off every monitor: the nearest
}

TEST(RegionGeometry, WindowUnderThePointerReadoutsAndTheRegionKept) {
    const std::vector<Rect32> frames = {{10, 10, 100, 100}, {0, 0, 500, 500}};
    EXPECT_EQ((Rect32{10, 10, 100, 100}), FrameAt({50, 50}, frames));
    EXPECT_EQ((Rect32{0, 0, 500, 500}), FrameAt({100, 50}, frames));  // the far edge is the next window's
    EXPECT_TRUE(FrameAt({600, 50}, frames).Empty());
    EXPECT_EQ(L"200 \u00D7 150", SizeReadout({100, 100, 300, 250}));
    EXPECT_EQ(L"-5, 7", PointReadout({-5, 7}));

    EXPECT_EQ(std::optional<Rect32>({1800, 0, 1920, 50}), RegionOnScreen({1800, -20, 2000, 50}, kScreen));
    EXPECT_EQ(std::nullopt, RegionOnScreen({2000, 0, 2100, 50}, kScreen));  // its monitor gone
    EXPECT_EQ(L"-100,5,300,250", RegionText({-100, 5, 300, 250}));
    EXPECT_EQ(std::optional<Rect32>({-100, 5, 300, 250}), ParseRegion(L"-100,5,300,250"));
    for (const wchar_t* bad : {L"", L"1,2,3", L"1,2,3,4,5", L"a,b,c,d", L"5,5,5,9", L"1, 2,3,4", L"0,0,1,99999999999"}) {
        EXPECT_EQ(std::nullopt, ParseRegion(bad)) << ::testing::PrintToString(std::wstring(bad));
    }
}

}  // namespace
}  // namespace scrimble
