#include "capture/mdlCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/twips.h"
#include "support/recording_gdi.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using fakes::RecordingGdi;
using Lines = std::vector<std::string>;

constexpr int kTrueColourCaps = 0x7E99;  // RC_PALETTE clear
constexpr int kPaletteCaps = 0x7F99;     // RC_PALETTE set

void UseDisplay(RecordingGdi& gdi, bool palette, int paletteSize = 256) {
    gdi.rasterCaps = palette ? kPaletteCaps : kTrueColourCaps;
    gdi.paletteSize = paletteSize;
}

PicturePtr CaptureSample(RecordingGdi& gdi, bool withCursor = false) {
    return mdlCapture::CaptureArea(gdi, gdi.foregroundWindow, false, 10, 20, 300, 200, {}, withCursor);
}

// The calls made to these functions, in order.
Lines CallsTo(const RecordingGdi& gdi, const std::vector<std::string>& apis) {
    Lines found;
    for (const std::string& line : gdi.calls) {
        for (const std::string& api : apis) {
            if (line.rfind(api + "(", 0) == 0) found.push_back(line);
        }
    }
    return found;
}

// The calls that show which window was copied, and how much of it.
Lines WhatWasCopied(const RecordingGdi& gdi) {
    return CallsTo(gdi, {"GetForegroundWindow", "GetWindowRect", "GetDC", "GetWindowDC",
                         "CreateCompatibleBitmap", "BitBlt", "ReleaseDC"});
}

const std::vector<std::string> kCursorApis = {"GetCursorInfo", "GetIconHotSpot", "StandardArrowCursor", "DrawIconEx"};

// PICTDESC is 20 bytes on 32-bit Windows and 24 on 64-bit (pointer-sized handles).
const std::string kPictDescSize = sizeof(void*) == 4 ? "size 20" : "size 24";

const Lines kTrueColourCapture = {
    "GetWindowDC(fg) -> dc1",
    "CreateCompatibleDC(dc1) -> mem1",
    "CreateCompatibleBitmap(dc1, 300, 200) -> bmp1",
    "SelectObject(mem1, bmp1) -> stockbmp",
    "GetDeviceCaps(dc1, 38) -> 32409",
    "GetDeviceCaps(dc1, 104) -> 256",
    "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020)",
    "SelectObject(mem1, stockbmp) -> bmp1",
    "DeleteDC(mem1)",
    "ReleaseDC(fg, dc1)",
    "OleCreatePictureIndirect(" + kPictDescSize + ", type 1, bmp1, 0, own) -> picture",
};

const Lines kPaletteCapture = {
    "GetWindowDC(fg) -> dc1",
    "CreateCompatibleDC(dc1) -> mem1",
    "CreateCompatibleBitmap(dc1, 300, 200) -> bmp1",
    "SelectObject(mem1, bmp1) -> stockbmp",
    "GetDeviceCaps(dc1, 38) -> 32665",
    "GetDeviceCaps(dc1, 104) -> 256",
    "GetSystemPaletteEntries(dc1, 0, 256) -> 256",
    "CreatePalette(0x300, 256) -> pal1",
    "SelectPalette(mem1, pal1, false) -> stockpal",
    "RealizePalette(mem1)",
    "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020)",
    "SelectObject(mem1, stockbmp) -> bmp1",
    "SelectPalette(mem1, stockpal, false) -> pal1",
    "DeleteDC(mem1)",
    "ReleaseDC(fg, dc1)",
    "OleCreatePictureIndirect(" + kPictDescSize + ", type 1, bmp1, pal1, own) -> picture",
};

TEST(CaptureArea, MakesTheCallsInOrderAndHandsOverBitmapAndPaletteToThePicture) {
    for (bool palette : {false, true}) {
        SCOPED_TRACE(palette ? "palette display" : "true-colour display");
        RecordingGdi gdi;
        UseDisplay(gdi, palette);
        PicturePtr picture = CaptureSample(gdi);
        EXPECT_EQ(palette ? kPaletteCapture : kTrueColourCapture, gdi.calls);
        ASSERT_NE(nullptr, picture);
        EXPECT_EQ("bmp1", gdi.Name(picture->Bitmap()));
        EXPECT_EQ(palette ? "pal1" : "0", gdi.Name(picture->Palette()));
        EXPECT_EQ((palette ? Lines{"bmp1", "pal1"} : Lines{"bmp1"}), gdi.Unreleased());  // the picture's to delete
        picture.reset();
        EXPECT_EQ(Lines{}, gdi.Unreleased());
        EXPECT_EQ(Lines{}, gdi.misuse);
    }
}

TEST(CaptureArea, ClientAreaFlagTakesTheClientDeviceContext) {
    RecordingGdi gdi;
    PicturePtr picture = mdlCapture::CaptureArea(gdi, gdi.foregroundWindow, true, 0, 0, 8, 8);
    EXPECT_EQ((Lines{"GetDC(fg) -> dc1", "ReleaseDC(fg, dc1)"}), CallsTo(gdi, {"GetDC", "GetWindowDC", "ReleaseDC"}));
}

TEST(CaptureArea, SixteenColourPaletteIsNotCopied) {
    RecordingGdi gdi;
    UseDisplay(gdi, true, 16);
    PicturePtr picture = CaptureSample(gdi);
    Lines expected = kTrueColourCapture;
    expected[4] = "GetDeviceCaps(dc1, 38) -> 32665";
    expected[5] = "GetDeviceCaps(dc1, 104) -> 16";
    EXPECT_EQ(expected, gdi.calls);
}

// On the memory context between the copy and the bitmap's return, the
// cursor goes where the pointer is less its hot spot, in the capture's own
// coordinates (origin 10, 20). The arrow stands in for a cursor that cannot
// be read or drawn (another process's under Wine); none of it fails the capture.
TEST(CaptureArea, DrawsTheCursorWithItsHotSpotOnThePointer) {
    const struct { const char* what; void (*setUp)(RecordingGdi&); Lines drawing; } cases[] = {
        {"its own shape", [](RecordingGdi&) {},
         {"GetCursorInfo() -> cursor at 110, 220", "GetIconHotSpot(cursor) -> 3, 4",
          "DrawIconEx(mem1, 97, 196, cursor)"}},
        {"hot spot unreadable", [](RecordingGdi& g) { g.cursorHotSpotFails = true; },
         {"GetCursorInfo() -> cursor at 110, 220", "GetIconHotSpot(cursor) -> false", "StandardArrowCursor() -> arrow",
          "GetIconHotSpot(arrow) -> 1, 2", "DrawIconEx(mem1, 99, 198, arrow)"}},
        {"drawing refused", [](RecordingGdi& g) { g.cursorDrawFails = true; },
         {"GetCursorInfo() -> cursor at 110, 220", "GetIconHotSpot(cursor) -> 3, 4",
          "DrawIconEx(mem1, 97, 196, cursor) -> false", "StandardArrowCursor() -> arrow",
          "GetIconHotSpot(arrow) -> 1, 2", "DrawIconEx(mem1, 99, 198, arrow)"}},
        {"no cursor set", [](RecordingGdi& g) { g.cursor = 0; },
         {"GetCursorInfo() -> 0 at 110, 220", "StandardArrowCursor() -> arrow", "GetIconHotSpot(arrow) -> 1, 2",
          "DrawIconEx(mem1, 99, 198, arrow)"}},
        {"hot spot beyond int", [](RecordingGdi& g) { g.cursorHotSpot = {INT32_MIN, 4}; },
         {"GetCursorInfo() -> cursor at 110, 220", "GetIconHotSpot(cursor) -> -2147483648, 4",
          "StandardArrowCursor() -> arrow", "GetIconHotSpot(arrow) -> 1, 2", "DrawIconEx(mem1, 99, 198, arrow)"}},
        {"no arrow either", [](RecordingGdi& g) { g.cursor = 0, g.arrow = 0; },
         {"GetCursorInfo() -> 0 at 110, 220", "StandardArrowCursor() -> 0"}},
        {"hidden", [](RecordingGdi& g) { g.cursorShows = false; }, {"GetCursorInfo() -> hidden"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGdi gdi;
        UseDisplay(gdi, false);
        gdi.pointer = {110, 220};
        gdi.cursorHotSpot = {3, 4};
        gdi.arrowHotSpot = {1, 2};
        c.setUp(gdi);
        EXPECT_NE(nullptr, CaptureSample(gdi, true));
        Lines expected = kTrueColourCapture;
        expected.insert(expected.begin() + 7, c.drawing.begin(), c.drawing.end());  // after the BitBlt
        EXPECT_EQ(expected, gdi.calls);
        EXPECT_EQ(Lines{}, gdi.misuse);
    }
}

std::vector<std::uint32_t> Colours(const LogPalette256& palette) {
    std::vector<std::uint32_t> colours;
    for (const PaletteEntry& e : palette.entries) {
        colours.push_back(std::uint32_t(e.red) << 24 | e.green << 16 | e.blue << 8 | e.flags);
    }
    return colours;
}

TEST(CaptureArea, PaletteIsTheSystemPaletteInAFreshBufferEachTime) {
    RecordingGdi gdi;
    UseDisplay(gdi, true);
    LogPalette256 expected{};
    for (unsigned i = 0; i < 256; ++i) expected.entries[i] = RecordingGdi::SystemColour(i);

    PicturePtr first = CaptureSample(gdi);
    EXPECT_EQ(0x300, gdi.lastPalette.version);
    EXPECT_EQ(256, gdi.lastPalette.count);
    EXPECT_EQ(Colours(expected), Colours(gdi.lastPalette));

    // The second time the system hands over only 16 entries: the rest must
    // not carry colours over from the first capture.
    gdi.systemPaletteFill = 16;
    PicturePtr second = CaptureSample(gdi);
    for (unsigned i = 16; i < 256; ++i) expected.entries[i] = PaletteEntry{};
    EXPECT_EQ(Colours(expected), Colours(gdi.lastPalette));
}

// A step the system refuses (no memory for the bitmap, a copy refused on the
// secure desktop, no picture object) fails the capture: no picture, and
// nothing of what was made is left.
TEST(CaptureArea, RefusedStepFailsTheCaptureAndLeavesNothing) {
    const struct { const char* what; bool RecordingGdi::*refuses; Lines deleted; } cases[] = {
        {"bitmap", &RecordingGdi::bitmapFails, {}},
        {"copy", &RecordingGdi::copyFails, {"DeleteObject(pal1)", "DeleteObject(bmp1)"}},
        {"picture", &RecordingGdi::pictureFails, {"DeleteObject(pal1)", "DeleteObject(bmp1)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGdi gdi;
        UseDisplay(gdi, true);
        gdi.*c.refuses = true;
        EXPECT_EQ(480, test::ErrorNumberOf([&] { CaptureSample(gdi); }));
        EXPECT_EQ(c.deleted, CallsTo(gdi, {"DeleteObject"}));
        EXPECT_EQ(Lines{}, gdi.Unreleased());
        EXPECT_EQ(Lines{}, gdi.misuse);
    }
}

TEST(CaptureArea, FailureDuringCopyUndoesEveryStepInReverse) {
    RecordingGdi gdi;
    UseDisplay(gdi, true);
    gdi.failAtCall = 11;  // BitBlt
    EXPECT_THROW(CaptureSample(gdi), std::runtime_error);
    EXPECT_EQ((Lines{
                  "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020) throws",
                  "SelectPalette(mem1, stockpal, false) -> pal1",
                  "SelectObject(mem1, stockbmp) -> bmp1",
                  "DeleteDC(mem1)",
                  "ReleaseDC(fg, dc1)",
                  "DeleteObject(pal1)",
                  "DeleteObject(bmp1)",
              }),
              Lines(gdi.calls.begin() + 10, gdi.calls.end()));
}

// Whichever call fails, each device context taken is given back exactly once,
// nothing is deleted while still selected, and no bitmap or palette is left.
TEST(CaptureArea, FailureAtAnyCallReleasesEverything) {
    for (bool palette : {false, true}) {
        for (bool withCursor : {false, true}) {
            // With the cursor, its longest path: refused, then the arrow drawn.
            const size_t callsInFullRun =
                (palette ? kPaletteCapture : kTrueColourCapture).size() + (withCursor ? 6 : 0);
            for (size_t failing = 1; failing <= callsInFullRun; ++failing) {
                SCOPED_TRACE(::testing::Message() << (palette ? "palette" : "true colour")
                                                  << (withCursor ? " with cursor" : "") << ", call " << failing);
                RecordingGdi gdi;
                UseDisplay(gdi, palette);
                gdi.cursorDrawFails = true;
                gdi.failAtCall = static_cast<int>(failing);
                EXPECT_THROW(CaptureSample(gdi, withCursor), std::runtime_error);
                EXPECT_EQ(Lines{}, gdi.Unreleased());
                EXPECT_EQ(Lines{}, gdi.misuse);
            }
        }
    }
}

TEST(CaptureFullScreen, CopiesTheScreenRoundingTwipsHalfToEvenAndDividingTruncating) {
    const std::pair<ScreenTwips, std::string> cases[] = {
        {ScreenTwips{0, 0, 15360, 11520, 15, 15}, "1024, 768"},
        {ScreenTwips{0, 0, 15367.5f, 11520, 15, 15}, "1024, 768"},     // 15368 / 15
        {ScreenTwips{0, 0, 15374.5f, 11519.5f, 15, 15}, "1024, 768"},  // 15374 / 15, 11520 / 15
        {ScreenTwips{0, 0, 15360, 11520, 14.5f, 15.5f}, "1097, 720"},  // divided by 14 and 16
        {ScreenTwips{0, 0, 15359, 11519, 15, 15}, "1023, 767"},
    };
    for (const auto& [screen, size] : cases) {
        SCOPED_TRACE(screen.width);
        RecordingGdi gdi;
        EXPECT_NE(nullptr, mdlCapture::CaptureFullScreen(gdi, screen));
        EXPECT_EQ((Lines{"GetDC(0) -> dc1", "CreateCompatibleBitmap(dc1, " + size + ") -> bmp1",
                         "BitBlt(mem1, 0, 0, " + size + ", dc1, 0, 0, 0x00CC0020)", "ReleaseDC(0, dc1)"}),
                  WhatWasCopied(gdi));
    }
}

// Every monitor in one copy of their bounding box; what none shows is black.
// Where asked for, the cursor after that, at the pointer (100, 50) less its
// hot spot (3, 4) from the box's corner; elsewhere none is looked at.
TEST(CaptureFullScreen, TakesEveryMonitorAndBlackensWhatNoneShows) {
    const struct {
        const char* what; std::vector<Rect32> monitors; std::string copy; Lines black; std::string cursor;
    } cases[] = {
        {"one monitor", {{0, 0, 1024, 768}}, "1024, 768, dc1, 0, 0", {}, ""},
        {"two side by side", {{0, 0, 1024, 768}, {1024, 0, 2048, 768}}, "2048, 768, dc1, 0, 0", {}, "97, 46"},
        {"one to the left, lower", {{0, 0, 1024, 768}, {-800, 168, 0, 768}}, "1824, 768, dc1, -800, 0",
         {"PatBlt(mem1, 0, 0, 800, 168, 0x00000042)"}, "897, 46"},
        {"one above, narrower", {{0, 0, 1024, 768}, {100, -600, 900, 0}}, "1024, 1368, dc1, 0, -600",
         {"PatBlt(mem1, 0, 0, 100, 600, 0x00000042)", "PatBlt(mem1, 900, 0, 124, 600, 0x00000042)"}, "97, 646"},
        {"different heights", {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}, "3200, 1080, dc1, 0, 0",
         {"PatBlt(mem1, 1920, 1024, 1280, 56, 0x00000042)"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool withCursor = !c.cursor.empty();
        RecordingGdi gdi;
        gdi.monitors = c.monitors;
        gdi.pointer = {100, 50};
        gdi.cursorHotSpot = {3, 4};
        Rect32 box = c.monitors[0];
        for (const Rect32& m : c.monitors) {
            box = {std::min(box.left, m.left), std::min(box.top, m.top), std::max(box.right, m.right),
                   std::max(box.bottom, m.bottom)};
        }
        EXPECT_NE(nullptr, mdlCapture::CaptureFullScreen(
                               gdi, twips::ScreenInTwips(box.left, box.top, box.right - box.left, box.bottom - box.top, 96),
                               withCursor));
        const Lines copies = CallsTo(gdi, {"BitBlt"});
        ASSERT_EQ(1u, copies.size());
        EXPECT_EQ("BitBlt(mem1, 0, 0, " + c.copy + ", 0x00CC0020)", copies[0]);
        Lines drawing = c.black;
        if (withCursor) drawing.push_back("DrawIconEx(mem1, " + c.cursor + ", cursor)");
        EXPECT_EQ(drawing, CallsTo(gdi, {"PatBlt", "DrawIconEx"}));
        if (!withCursor) EXPECT_EQ(Lines{}, CallsTo(gdi, kCursorApis));
        EXPECT_EQ(Lines{}, gdi.misuse);
    }
}

// The screen as Windows reports it at each display scale: the capture has the
// screen's own pixel size and place, odd sizes and corners left of and above
// the primary monitor too.
TEST(CaptureFullScreen, ScreenInWholeTwipsGivesThePixelsAtEveryDpi) {
    const std::pair<int, int> sizes[] = {{1024, 768}, {1023, 767}, {1366, 768}, {1920, 1080}, {1921, 1081},
                                         {2560, 1440}, {2879, 1619}, {3840, 2160}};
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u, 216u, 240u, 288u, 0u, 5760u}) {
        for (const auto& [width, height] : sizes) {
            SCOPED_TRACE(::testing::Message() << width << " x " << height << " at " << dpi << " DPI");
            RecordingGdi gdi;
            gdi.monitors = {{-width, -7, 0, height - 7}};
            EXPECT_NE(nullptr, mdlCapture::CaptureFullScreen(gdi, twips::ScreenInTwips(-width, -7, width, height, dpi)));
            EXPECT_EQ(1, std::count(gdi.calls.begin(), gdi.calls.end(),
                                    "BitBlt(mem1, 0, 0, " + std::to_string(width) + ", " + std::to_string(height) +
                                        ", dc1, " + std::to_string(-width) + ", -7, 0x00CC0020)"));
        }
    }
}

TEST(CaptureFullScreen, BadScreenSizeFailsBeforeAnyDeviceContext) {
    const std::pair<ScreenTwips, int> cases[] = {
        {ScreenTwips{0, 0, 15360, 11520, 0.4f, 15}, 480},  // twips per pixel rounds to 0: CaptureFailed
        {ScreenTwips{0, 0, 3.0e9f, 11520, 15, 15}, 6},     // Overflow
        {ScreenTwips{0, 0, 15360, std::nanf(""), 15, 15}, 6},
        {ScreenTwips{-3.0e9f, 0, 15360, 11520, 15, 15}, 6},
    };
    for (const auto& [screen, error] : cases) {
        RecordingGdi gdi;
        const ScreenTwips& twips = screen;  // a binding cannot be captured before C++20
        EXPECT_EQ(error, test::ErrorNumberOf([&] { mdlCapture::CaptureFullScreen(gdi, twips); })) << twips.width;
        EXPECT_EQ(Lines{}, CallsTo(gdi, {"GetDC", "CreateCompatibleDC"}));
    }
}

// The frame bounds where the compositor tells them, else the window's
// rectangle; cut to the virtual screen; copied from the screen.
TEST(CaptureForegroundWindow, CopiesWhatTheScreenShowsOfTheWindow) {
    const struct { const char* what; bool frame; Rect32 bounds, screen; std::string from, size; } cases[] = {
        {"window rectangle", false, {100, 50, 500, 350}, {0, 0, 1024, 768}, "100, 50", "400, 300"},
        {"frame bounds", true, {107, 50, 493, 343}, {0, 0, 1024, 768}, "107, 50", "386, 293"},
        {"partly below the screen", false, {-50, 700, 300, 900}, {0, 0, 1024, 768}, "0, 700", "300, 68"},
        {"monitor left of the primary", true, {-1000, 10, -100, 110}, {-1920, 0, 1920, 1080}, "-1000, 10", "900, 100"},
        {"across the seam", false, {1800, 0, 2100, 100}, {0, 0, 3840, 1080}, "1800, 0", "300, 100"},
        {"bounds beyond 32 bits", false, {INT32_MIN, 0, INT32_MAX, 10}, {0, 0, 1024, 768}, "0, 0", "1024, 10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGdi gdi;
        gdi.frameBoundsAnswered = c.frame;
        (c.frame ? gdi.frameBounds : gdi.windowRect) = c.bounds;
        gdi.virtualScreen = c.screen;
        gdi.monitors = {c.screen};
        EXPECT_NE(nullptr, mdlCapture::CaptureForegroundWindow(gdi));
        Lines expected = {"GetForegroundWindow() -> fg", "GetExtendedFrameBounds(fg) -> " + std::string(c.frame ? "true" : "false")};
        if (!c.frame) expected.push_back("GetWindowRect(fg) -> true");
        expected.insert(expected.end(), {"GetDC(0) -> dc1", "CreateCompatibleBitmap(dc1, " + c.size + ") -> bmp1",
                                         "BitBlt(mem1, 0, 0, " + c.size + ", dc1, " + c.from + ", 0x00CC0020)",
                                         "ReleaseDC(0, dc1)"});
        EXPECT_EQ(expected, CallsTo(gdi, {"GetForegroundWindow", "GetExtendedFrameBounds", "GetWindowRect", "GetDC",
                                          "CreateCompatibleBitmap", "BitBlt", "ReleaseDC"}));
        EXPECT_EQ(Lines{}, CallsTo(gdi, kCursorApis));  // not asked for
        EXPECT_EQ(Lines{}, gdi.misuse);
    }
}

// A window across a corner of the virtual screen that no monitor shows; the
// cursor, asked for, over it all from the window's corner.
TEST(CaptureForegroundWindow, BlackensThePartNoMonitorShows) {
    RecordingGdi gdi;
    gdi.monitors = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    gdi.virtualScreen = {0, 0, 3200, 1080};
    gdi.windowRect = {1800, 900, 2100, 1100};
    gdi.pointer = {1900, 1000};
    EXPECT_NE(nullptr, mdlCapture::CaptureForegroundWindow(gdi, true));
    EXPECT_EQ((Lines{"BitBlt(mem1, 0, 0, 300, 180, dc1, 1800, 900, 0x00CC0020)",
                     "PatBlt(mem1, 120, 124, 180, 56, 0x00000042)", "DrawIconEx(mem1, 100, 100, cursor)"}),
              CallsTo(gdi, {"BitBlt", "PatBlt", "DrawIconEx"}));
}

TEST(CaptureForegroundWindow, NothingToCopyFailsBeforeAnyDeviceContext) {
    const struct { const char* what; bool window, readable; Rect32 bounds; } cases[] = {
        {"no foreground window", false, true, {0, 0, 10, 10}},
        {"bounds unreadable", true, false, {0, 0, 10, 10}},
        {"off every monitor", true, true, {2000, 0, 2300, 100}},
        {"inverted bounds", true, true, {500, 350, 100, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGdi gdi;
        if (!c.window) gdi.foregroundWindow = 0;
        gdi.windowRectReadable = c.readable;
        gdi.windowRect = c.bounds;
        EXPECT_EQ(480, test::ErrorNumberOf([&] { mdlCapture::CaptureForegroundWindow(gdi); }));
        EXPECT_EQ(Lines{}, CallsTo(gdi, {"GetDC", "GetWindowDC", "CreateCompatibleDC"}));
    }
}

// The region is cut from the frozen picture with nothing but a copy, which
// leaves the frozen picture whole; the last region again is taken from the
// screen, cut to it, and refused where none of it is left.
TEST(CaptureRegion, CutsFromTheFrozenPictureOrTakesWhatIsLeftOnTheScreen) {
    RecordingGdi gdi;
    PicturePtr frozen = mdlCapture::CaptureArea(gdi, 0, true, 0, 0, 1024, 768);
    gdi.calls.clear();
    PicturePtr region = mdlCapture::CropPicture(gdi, *frozen, {100, 100, 300, 250});
    const Lines copies = CallsTo(gdi, {"BitBlt"});
    ASSERT_EQ(1u, copies.size());
    EXPECT_NE(std::string::npos, copies[0].find(", 0, 0, 200, 150, ")) << copies[0];
    EXPECT_NE(std::string::npos, copies[0].find(", 100, 100, 0x00CC0020)")) << copies[0];
    EXPECT_EQ(Lines{}, CallsTo(gdi, {"GetCursorInfo"}));  // the frozen picture has the cursor already
    frozen.reset();
    EXPECT_EQ(Lines{gdi.Name(region->Bitmap())}, gdi.Unreleased());
    EXPECT_EQ(Lines{}, gdi.misuse);

    gdi.calls.clear();
    gdi.virtualScreen = {0, 0, 800, 600};
    PicturePtr again = mdlCapture::CaptureRegion(gdi, {700, 500, 900, 700});
    EXPECT_NE(std::string::npos, CallsTo(gdi, {"BitBlt"}).at(0).find(", 0, 0, 100, 100, ")) << "cut to the screen";
    EXPECT_THROW(mdlCapture::CaptureRegion(gdi, {900, 0, 1000, 50}), RuntimeError);
}

}  // namespace
}  // namespace scrimble
