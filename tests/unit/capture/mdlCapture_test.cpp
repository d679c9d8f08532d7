#include "capture/mdlCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/recording_gdi.h"

namespace scrimble {
namespace {

using fakes::RecordingGdi;
using Lines = std::vector<std::string>;

constexpr int kTrueColourCaps = 0x7E99;  // RC_PALETTE clear
constexpr int kPaletteCaps = 0x7F99;     // RC_PALETTE set

void UsePaletteDisplay(RecordingGdi& gdi, int paletteSize = 256) {
    gdi.rasterCaps = kPaletteCaps;
    gdi.paletteSize = paletteSize;
}

bool Contains(const Lines& lines, const std::string& line) {
    for (const auto& l : lines) {
        if (l == line) return true;
    }
    return false;
}

// Lines whose call name starts with `prefix`.
Lines CallsNamed(const RecordingGdi& gdi, const std::string& prefix) {
    Lines found;
    for (const auto& line : gdi.Calls()) {
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
}

const Lines kTrueColourCapture = {
    "GetWindowDC(fg) -> dc1",
    "CreateCompatibleDC(dc1) -> mem1",
    "CreateCompatibleBitmap(dc1, 300, 200) -> bmp1",
    "SelectObject(mem1, bmp1) -> stockbmp",
    "GetDeviceCaps(dc1, 38) -> 32409",
    "GetDeviceCaps(dc1, 104) -> 0",
    "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020)",
    "SelectObject(mem1, stockbmp) -> bmp1",
    "DeleteDC(mem1)",
    "ReleaseDC(fg, dc1)",
    "OleCreatePictureIndirect(size 20, type 1, bmp1, 0, own) -> picture",
};

const Lines kPaletteCapture = {
    "GetWindowDC(fg) -> dc1",
    "CreateCompatibleDC(dc1) -> mem1",
    "CreateCompatibleBitmap(dc1, 300, 200) -> bmp1",
    "SelectObject(mem1, bmp1) -> stockbmp",
    "GetDeviceCaps(dc1, 38) -> 32665",
    "GetDeviceCaps(dc1, 104) -> 256",
    "GetSystemPaletteEntries(dc1, 0, 256) -> 256",
    "CreatePalette(version 0x300, count 256) -> pal1",
    "SelectPalette(mem1, pal1, false) -> stockpal",
    "RealizePalette(mem1)",
    "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020)",
    "SelectObject(mem1, stockbmp) -> bmp1",
    "SelectPalette(mem1, stockpal, false) -> pal1",
    "DeleteDC(mem1)",
    "ReleaseDC(fg, dc1)",
    "OleCreatePictureIndirect(size 20, type 1, bmp1, pal1, own) -> picture",
};

PicturePtr CaptureSample(RecordingGdi& gdi) {
    return mdlCapture::CaptureArea(gdi, gdi.foregroundWindow, false, 10, 20, 300, 200);
}

// --- CaptureArea --------------------------------------------------------------

TEST(CaptureArea, TrueColourDisplayMakesTheCallsInOrder) {
    RecordingGdi gdi;
    gdi.rasterCaps = kTrueColourCaps;
    PicturePtr picture = CaptureSample(gdi);
    EXPECT_EQ(gdi.Calls(), kTrueColourCapture);
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

TEST(CaptureArea, PaletteDisplayCopiesTheSystemPaletteAroundTheCopy) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr picture = CaptureSample(gdi);
    EXPECT_EQ(gdi.Calls(), kPaletteCapture);
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

TEST(CaptureArea, ClientAreaFlagTakesTheClientDeviceContext) {
    RecordingGdi gdi;
    PicturePtr picture = mdlCapture::CaptureArea(gdi, gdi.foregroundWindow, true, 0, 0, 8, 8);
    ASSERT_FALSE(gdi.Calls().empty());
    EXPECT_EQ(gdi.Calls().front(), "GetDC(fg) -> dc1");
    EXPECT_TRUE(Contains(gdi.Calls(), "ReleaseDC(fg, dc1)"));
    EXPECT_EQ(CallsNamed(gdi, "GetWindowDC"), Lines{});
}

TEST(CaptureArea, PictureHoldsTheNewBitmapNotTheMemoryContextsOwn) {
    RecordingGdi gdi;
    PicturePtr picture = CaptureSample(gdi);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(gdi.Name(picture->Bitmap()), "bmp1");
    EXPECT_NE(picture->Bitmap(), gdi.HandleNamed("stockbmp"));
    EXPECT_EQ(picture->Palette(), 0u);
}

TEST(CaptureArea, PictureOnAPaletteDisplayHoldsTheNewPalette) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr picture = CaptureSample(gdi);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(gdi.Name(picture->Bitmap()), "bmp1");
    EXPECT_EQ(gdi.Name(picture->Palette()), "pal1");
}

TEST(CaptureArea, PaletteOfSixteenEntriesMakesNoPalette) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi, 16);
    PicturePtr picture = CaptureSample(gdi);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Palette(), 0u);
    EXPECT_EQ(CallsNamed(gdi, "GetSystemPaletteEntries"), Lines{});
    EXPECT_EQ(CallsNamed(gdi, "CreatePalette"), Lines{});
    EXPECT_EQ(CallsNamed(gdi, "SelectPalette"), Lines{});
    EXPECT_EQ(CallsNamed(gdi, "RealizePalette"), Lines{});
}

TEST(CaptureArea, PaletteSizeWithoutPaletteCapabilityMakesNoPalette) {
    RecordingGdi gdi;
    gdi.rasterCaps = kTrueColourCaps;
    gdi.paletteSize = 256;
    PicturePtr picture = CaptureSample(gdi);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Palette(), 0u);
    EXPECT_EQ(CallsNamed(gdi, "CreatePalette"), Lines{});
}

TEST(CaptureArea, PaletteIsMadeFromSystemEntriesZeroTo255) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr picture = CaptureSample(gdi);
    const LogPalette256& made = gdi.LastCreatedPalette();
    EXPECT_EQ(made.version, 0x300);
    EXPECT_EQ(made.count, 256);
    for (unsigned i = 0; i < 256; ++i) {
        const PaletteEntry expected = RecordingGdi::SystemColour(i);
        ASSERT_EQ(made.entries[i].red, expected.red) << "entry " << i;
        ASSERT_EQ(made.entries[i].green, expected.green) << "entry " << i;
        ASSERT_EQ(made.entries[i].blue, expected.blue) << "entry " << i;
        ASSERT_EQ(made.entries[i].flags, expected.flags) << "entry " << i;
    }
}

TEST(CaptureArea, PaletteBufferStartsEmptyOnEveryCall) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr first = CaptureSample(gdi);
    // The second time the system hands over only 16 entries: the rest must
    // not carry colours over from the first capture.
    gdi.systemPaletteFill = 16;
    PicturePtr second = CaptureSample(gdi);
    const LogPalette256& made = gdi.LastCreatedPalette();
    EXPECT_EQ(made.entries[15].red, RecordingGdi::SystemColour(15).red);
    for (unsigned i = 16; i < 256; ++i) {
        ASSERT_EQ(made.entries[i].red, 0) << "entry " << i;
        ASSERT_EQ(made.entries[i].green, 0) << "entry " << i;
        ASSERT_EQ(made.entries[i].blue, 0) << "entry " << i;
    }
}

TEST(CaptureArea, EveryDeviceContextIsGivenBackOnce) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr picture = CaptureSample(gdi);
    const std::map<std::string, int> expected = {{"dc1", 1}, {"mem1", 1}};
    EXPECT_EQ(gdi.DcReturns(), expected);
}

TEST(CaptureArea, PictureOwnsBitmapAndPaletteUntilReleased) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    PicturePtr picture = CaptureSample(gdi);
    EXPECT_EQ(gdi.LeakedObjects(), Lines{});
    EXPECT_EQ(gdi.LiveObjects(), (Lines{"bmp1", "pal1"}));
    EXPECT_EQ(CallsNamed(gdi, "DeleteObject"), Lines{});  // the picture's to delete, not ours
    picture.reset();
    EXPECT_EQ(gdi.LiveObjects(), Lines{});
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

TEST(CaptureArea, NoPictureDeletesBitmapAndPalette) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    gdi.pictureFails = true;
    PicturePtr picture = CaptureSample(gdi);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(CallsNamed(gdi, "DeleteObject"), (Lines{"DeleteObject(pal1)", "DeleteObject(bmp1)"}));
    EXPECT_EQ(gdi.LiveObjects(), Lines{});
    const std::map<std::string, int> expected = {{"dc1", 1}, {"mem1", 1}};
    EXPECT_EQ(gdi.DcReturns(), expected);
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

TEST(CaptureArea, FailureDuringCopyUndoesEveryStepInReverse) {
    RecordingGdi gdi;
    UsePaletteDisplay(gdi);
    gdi.failAtCall = 11;  // BitBlt
    EXPECT_THROW(CaptureSample(gdi), std::runtime_error);
    const Lines after(gdi.Calls().begin() + 10, gdi.Calls().end());
    const Lines expected = {
        "BitBlt(mem1, 0, 0, 300, 200, dc1, 10, 20, 0x00CC0020) throws",
        "SelectPalette(mem1, stockpal, false) -> pal1",
        "SelectObject(mem1, stockbmp) -> bmp1",
        "DeleteDC(mem1)",
        "ReleaseDC(fg, dc1)",
        "DeleteObject(pal1)",
        "DeleteObject(bmp1)",
    };
    EXPECT_EQ(after, expected);
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

// Whichever call fails, each device context taken is given back exactly once,
// nothing is deleted while still selected, and no bitmap or palette is left.
void ExpectCleanUpAtEveryFailure(bool paletteDisplay, std::size_t callsInFullRun) {
    for (std::size_t failing = 1; failing <= callsInFullRun; ++failing) {
        SCOPED_TRACE("failing call " + std::to_string(failing));
        RecordingGdi gdi;
        if (paletteDisplay) UsePaletteDisplay(gdi);
        gdi.failAtCall = static_cast<int>(failing);
        EXPECT_THROW(CaptureSample(gdi), std::runtime_error);
        for (const auto& [dc, returns] : gdi.DcReturns()) EXPECT_EQ(returns, 1) << dc;
        EXPECT_EQ(gdi.LiveObjects(), Lines{});
        EXPECT_EQ(gdi.Misuse(), Lines{});
    }
}

TEST(CaptureArea, FailureAtAnyCallReleasesEverythingOnATrueColourDisplay) {
    ExpectCleanUpAtEveryFailure(false, kTrueColourCapture.size());
}

TEST(CaptureArea, FailureAtAnyCallReleasesEverythingOnAPaletteDisplay) {
    ExpectCleanUpAtEveryFailure(true, kPaletteCapture.size());
}

TEST(CaptureArea, PictureCreationThrowingStillLeavesNothingBehind) {
    RecordingGdi gdi;
    gdi.failAtCall = static_cast<int>(kTrueColourCapture.size());
    EXPECT_THROW(CaptureSample(gdi), std::runtime_error);
    const std::map<std::string, int> expected = {{"dc1", 1}, {"mem1", 1}};
    EXPECT_EQ(gdi.DcReturns(), expected);
    EXPECT_EQ(CallsNamed(gdi, "DeleteObject"), Lines{"DeleteObject(bmp1)"});
    EXPECT_EQ(gdi.LiveObjects(), Lines{});
}

// --- PictureFromBitmap --------------------------------------------------------

TEST(PictureFromBitmap, DescribesABitmapPictureThatOwnsItsHandles) {
    RecordingGdi gdi;
    const NativeHandle bitmap = gdi.CreateCompatibleBitmap(gdi.GetDC(0), 4, 4);
    PicturePtr picture = mdlCapture::PictureFromBitmap(gdi, bitmap, 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(gdi.Calls().back(), "OleCreatePictureIndirect(size 20, type 1, bmp1, 0, own) -> picture");
    EXPECT_EQ(picture->Bitmap(), bitmap);
}

TEST(PictureFromBitmap, NoPictureDeletesOnlyTheHandlesItWasGiven) {
    RecordingGdi gdi;
    gdi.pictureFails = true;
    const NativeHandle bitmap = gdi.CreateCompatibleBitmap(gdi.GetDC(0), 4, 4);
    EXPECT_EQ(mdlCapture::PictureFromBitmap(gdi, bitmap, 0), nullptr);
    EXPECT_EQ(CallsNamed(gdi, "DeleteObject"), Lines{"DeleteObject(bmp1)"});
    EXPECT_EQ(gdi.Misuse(), Lines{});
}

// --- CaptureFullScreen --------------------------------------------------------

ScreenTwips Screen(float width, float height, float perPixelX, float perPixelY) {
    ScreenTwips screen;
    screen.width = width;
    screen.height = height;
    screen.twipsPerPixelX = perPixelX;
    screen.twipsPerPixelY = perPixelY;
    return screen;
}

TEST(CaptureFullScreen, CopiesTheDesktopFromItsTopLeftCorner) {
    RecordingGdi gdi;
    PicturePtr picture = mdlCapture::CaptureFullScreen(gdi, Screen(15360, 11520, 15, 15));
    ASSERT_GE(gdi.Calls().size(), 4u);
    EXPECT_EQ(gdi.Calls()[0], "GetDesktopWindow() -> desktop");
    EXPECT_EQ(gdi.Calls()[1], "GetWindowDC(desktop) -> dc1");
    EXPECT_EQ(gdi.Calls()[3], "CreateCompatibleBitmap(dc1, 1024, 768) -> bmp1");
    EXPECT_TRUE(Contains(gdi.Calls(), "BitBlt(mem1, 0, 0, 1024, 768, dc1, 0, 0, 0x00CC0020)"));
    EXPECT_TRUE(Contains(gdi.Calls(), "ReleaseDC(desktop, dc1)"));
    EXPECT_NE(picture, nullptr);
}

TEST(CaptureFullScreen, HalfTwipRoundsToTheEvenNeighbour) {
    RecordingGdi gdi;
    // 15367.5 -> 15368, 15368 div 15 = 1024.
    PicturePtr picture = mdlCapture::CaptureFullScreen(gdi, Screen(15367.5f, 11520, 15, 15));
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"),
              Lines{"CreateCompatibleBitmap(dc1, 1024, 768) -> bmp1"});
}

TEST(CaptureFullScreen, HalfBelowAnEvenNumberRoundsDown) {
    RecordingGdi gdi;
    // 15374.5 -> 15374 (not 15375), so 1024 pixels rather than 1025.
    PicturePtr picture = mdlCapture::CaptureFullScreen(gdi, Screen(15374.5f, 11519.5f, 15, 15));
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"),
              Lines{"CreateCompatibleBitmap(dc1, 1024, 768) -> bmp1"});
}

TEST(CaptureFullScreen, TwipsPerPixelAreRoundedBeforeDividing) {
    RecordingGdi gdi;
    // 14.5 -> 14 and 15.5 -> 16: 15360 div 14 = 1097, 11520 div 16 = 720.
    PicturePtr picture = mdlCapture::CaptureFullScreen(gdi, Screen(15360, 11520, 14.5f, 15.5f));
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"),
              Lines{"CreateCompatibleBitmap(dc1, 1097, 720) -> bmp1"});
}

TEST(CaptureFullScreen, DivisionTruncates) {
    RecordingGdi gdi;
    PicturePtr picture = mdlCapture::CaptureFullScreen(gdi, Screen(15359, 11519, 15, 15));
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"),
              Lines{"CreateCompatibleBitmap(dc1, 1023, 767) -> bmp1"});
}

TEST(CaptureFullScreen, ZeroTwipsPerPixelFailsBeforeAnyDeviceContext) {
    RecordingGdi gdi;
    try {
        mdlCapture::CaptureFullScreen(gdi, Screen(15360, 11520, 0.4f, 15));
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Code(), ErrorCode::CaptureFailed);
    }
    EXPECT_EQ(gdi.Calls(), Lines{"GetDesktopWindow() -> desktop"});
}

TEST(CaptureFullScreen, SizeBeyond32BitsIsAnOverflow) {
    RecordingGdi gdi;
    try {
        mdlCapture::CaptureFullScreen(gdi, Screen(3.0e9f, 11520, 15, 15));
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Code(), ErrorCode::Overflow);
    }
    EXPECT_EQ(gdi.Calls(), Lines{"GetDesktopWindow() -> desktop"});
}

TEST(CaptureFullScreen, NotANumberIsAnOverflow) {
    RecordingGdi gdi;
    try {
        mdlCapture::CaptureFullScreen(gdi, Screen(15360, std::nanf(""), 15, 15));
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Code(), ErrorCode::Overflow);
    }
    EXPECT_EQ(CallsNamed(gdi, "GetWindowDC"), Lines{});
}

// --- CaptureForegroundWindow --------------------------------------------------

TEST(CaptureForegroundWindow, CopiesTheWholeWindowFromItsOwnCorner) {
    RecordingGdi gdi;
    gdi.windowRect = {100, 50, 500, 350};
    PicturePtr picture = mdlCapture::CaptureForegroundWindow(gdi);
    ASSERT_GE(gdi.Calls().size(), 5u);
    const Lines start(gdi.Calls().begin(), gdi.Calls().begin() + 5);
    const Lines expectedStart = {
        "GetForegroundWindow() -> fg",
        "GetWindowRect(fg) -> true",
        "GetWindowDC(fg) -> dc1",
        "CreateCompatibleDC(dc1) -> mem1",
        "CreateCompatibleBitmap(dc1, 400, 300) -> bmp1",
    };
    EXPECT_EQ(start, expectedStart);
    EXPECT_TRUE(Contains(gdi.Calls(), "BitBlt(mem1, 0, 0, 400, 300, dc1, 0, 0, 0x00CC0020)"));
    EXPECT_TRUE(Contains(gdi.Calls(), "ReleaseDC(fg, dc1)"));
    EXPECT_NE(picture, nullptr);
}

TEST(CaptureForegroundWindow, NoWindowCapturesAnEmptyAreaOfWindowZero) {
    RecordingGdi gdi;
    gdi.foregroundWindow = 0;
    gdi.windowRectReadable = false;
    gdi.windowRect = {7, 7, 99, 99};  // must not be used: the call failed
    PicturePtr picture = mdlCapture::CaptureForegroundWindow(gdi);
    EXPECT_EQ(gdi.Calls()[1], "GetWindowRect(0) -> false");
    EXPECT_EQ(gdi.Calls()[2], "GetWindowDC(0) -> dc1");
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"), Lines{"CreateCompatibleBitmap(dc1, 0, 0) -> bmp1"});
    EXPECT_TRUE(Contains(gdi.Calls(), "BitBlt(mem1, 0, 0, 0, 0, dc1, 0, 0, 0x00CC0020)"));
    EXPECT_TRUE(Contains(gdi.Calls(), "ReleaseDC(0, dc1)"));
}

TEST(CaptureForegroundWindow, WidthBeyond32BitsFailsBeforeAnyDeviceContext) {
    RecordingGdi gdi;
    gdi.windowRect = {std::numeric_limits<std::int32_t>::min(), 0, std::numeric_limits<std::int32_t>::max(), 10};
    try {
        mdlCapture::CaptureForegroundWindow(gdi);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Code(), ErrorCode::Overflow);
    }
    EXPECT_EQ(gdi.Calls(), (Lines{"GetForegroundWindow() -> fg", "GetWindowRect(fg) -> true"}));
}

TEST(CaptureForegroundWindow, HeightBeyond32BitsFailsBeforeAnyDeviceContext) {
    RecordingGdi gdi;
    gdi.windowRect = {0, std::numeric_limits<std::int32_t>::max(), 10, -2};
    EXPECT_THROW(mdlCapture::CaptureForegroundWindow(gdi), RuntimeError);
    EXPECT_EQ(gdi.Calls().size(), 2u);
}

TEST(CaptureForegroundWindow, InvertedBoundsPassANegativeSizeThrough) {
    RecordingGdi gdi;
    gdi.windowRect = {500, 350, 100, 50};
    PicturePtr picture = mdlCapture::CaptureForegroundWindow(gdi);
    EXPECT_EQ(CallsNamed(gdi, "CreateCompatibleBitmap"),
              Lines{"CreateCompatibleBitmap(dc1, -400, -300) -> bmp1"});
}

}  // namespace
}  // namespace scrimble
