// The two capture commands and their steps, over in-memory controls with a
// clock that moves only when the code waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "support/main_window_harness.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;
using Calls = std::vector<std::string>;

// The calls made, without the ones that only read the clock or the locale.
Calls Steps(const Calls& calls) {
    Calls kept;
    for (const std::string& call : calls) {
        if (call != "TickMilliseconds" && call != "Locale") kept.push_back(call);
    }
    return kept;
}

class CaptureSequenceTest : public ::testing::Test {
protected:
    CaptureSequenceTest() { w.window.chkAutoSave.SetValue(0); }

    MainWindowHarness w;
};

TEST(CaptureCommandDelay, FollowsTheTimerModeAndTheCommand) {
    // Full screen waits only when the delay is always on; active window also
    // when it is on for active windows only.
    const struct { int listIndex; bool activeWindow, waits; } cases[] = {
        {-1, false, false}, {-1, true, false}, {0, false, false}, {0, true, false},
        {1, false, false},  {1, true, true},   {2, false, true},  {2, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ListIndex " << c.listIndex << (c.activeWindow ? ", active" : ", full"));
        MainWindowHarness w;
        w.services.tickMilliseconds = 100000;
        w.window.cboTime.SetListIndex(1);  // "2"
        w.window.cboTimer.SetListIndex(c.listIndex);
        c.activeWindow ? w.window.cmdActiveWindow_Click() : w.window.cmdFullScreen_Click();
        EXPECT_EQ(c.waits ? 102000 : 100000, w.services.tickMilliseconds);
        EXPECT_EQ(1, w.services.CallCount(c.activeWindow ? "CaptureForegroundWindow" : "CaptureFullScreen"));
    }
}

TEST_F(CaptureSequenceTest, CommandHidesWaitsCapturesCopiesShowsThenSaves) {
    w.window.cboTimer.SetListIndex(2);
    w.window.cboTime.SetListIndex(0);  // "1": two passes
    w.window.chkClip.SetValue(1);
    w.window.chkAutoSave.SetValue(1);
    std::vector<bool> visibleAtDoEvents;
    w.OnEachPass([&] { visibleAtDoEvents.push_back(w.memory.form().Visible()); });
    bool visibleAtSave = false;
    w.services.onSavePicture = [&] { visibleAtSave = w.memory.form().Visible(); };

    w.window.cmdFullScreen_Click();

    EXPECT_EQ((Calls{"DoEvents", "WaitForScreenUpdate", "DoEvents", "IdleWait",
                     "CaptureFullScreen", "ClipboardSetPicture", "SavePicture", "FileLength"}),
              Steps(w.services.calls));
    EXPECT_EQ((std::vector<bool>{false, false}), visibleAtDoEvents);
    EXPECT_EQ(std::vector<bool>{false}, w.visibleAtCapture);
    EXPECT_EQ(true, visibleAtSave);
    EXPECT_EQ(true, w.memory.form().Visible());
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(CaptureSequenceTest, ClipboardIsUsedOnlyWhenTheBoxIsChecked) {
    for (int clip : {0, 2}) {
        w.window.chkClip.SetValue(clip);
        w.window.cmdFullScreen_Click();
    }
    EXPECT_EQ(0, w.services.CallCount("ClipboardSetPicture"));

    w.services.calls.clear();
    w.window.chkClip.SetValue(1);
    w.window.cmdActiveWindow_Click();
    EXPECT_EQ((Calls{"DoEvents", "WaitForScreenUpdate", "CaptureForegroundWindow", "ClipboardSetPicture"}),
              Steps(w.services.calls));
    EXPECT_EQ(std::vector<PicturePtr>{w.window.imgPicArea.Picture()}, w.services.clipboardPictures);
    EXPECT_EQ(w.lastBitmap, w.window.imgPicArea.Picture()->Bitmap());
    EXPECT_EQ(2, *w.picturesDestroyed);  // each capture let go of the one before
    EXPECT_EQ(L"保存してません。", w.window.StatusBar1.Text());  // CaptureSave ran, with auto-save off
}

// The wait lasts the chosen seconds on a steady clock, sleeping between
// passes until a message comes or the time is up.
TEST(CaptureDelay, LastsTheChosenSecondsOnTheSteadyClock) {
    const struct {
        const char* clock;
        long long perIdleWait;  // -1: as long as asked
        long long end;
        int passes, asked;  // sleeps asked for: what is left, a second at most
    } cases[] = {
        {"each sleep as long as asked", -1, 105000, 5, 5000},
        {"messages wake it every 300 ms", 300, 105100, 17, 14 * 1000 + 800 + 500 + 200},
        {"a stall (sleep, hibernation) past the end", 60000, 160000, 1, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock);
        MainWindowHarness w;
        w.services.tickMilliseconds = 100000;
        w.services.millisecondsPerIdleWait = c.perIdleWait;
        w.window.cboTime.SetListIndex(4);  // "5"
        w.window.Wait();
        EXPECT_EQ(c.end, w.services.tickMilliseconds);
        EXPECT_EQ(c.passes, w.services.doEventsCount);
        EXPECT_EQ(c.passes, w.services.CallCount("IdleWait"));
        EXPECT_EQ(c.asked, w.services.idleWaitMilliseconds);
    }
}

// A close handled while the window is hidden writes the settings and ends the
// program; the command then stops, so no file takes a number that the
// settings file hands out again at the next start.
TEST(CaptureCommandEnd, ACloseWhileHiddenStopsTheCommand) {
    const struct { const char* when; int pass; } cases[] = {{"hiding", 1}, {"delay", 2}, {"delay end", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        test::TempDirectory dir;
        MainWindowHarness w;
        w.window.settingsPath = dir.File("Scrimble.ini");
        w.window.cboTimer.SetListIndex(2);
        w.window.cboTime.SetListIndex(1);  // "2": two passes
        w.window.txtNumber.SetText(L"01");
        w.OnEachPass([&] {
            if (w.services.doEventsCount == c.pass) w.window.Form_Unload();
        });
        w.window.cmdFullScreen_Click();
        EXPECT_EQ(c.pass, w.services.doEventsCount);  // nothing waited for after the close
        EXPECT_EQ(0, w.services.CallCount("CaptureFullScreen") + w.services.CallCount("SavePicture"));
        EXPECT_EQ(L"01", w.window.txtNumber.Text());
        EXPECT_NE(std::string::npos, ReadWholeFile(w.window.settingsPath).value_or("").find("No        :01\r\n"));
        EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
    }
}

TEST_F(CaptureSequenceTest, CaptureOfAnUnknownKindKeepsThePreviewAndStillCopiesIt) {
    const PicturePtr shown = w.NewPicture();
    w.window.imgPicArea.SetPicture(shown);
    w.window.chkClip.SetValue(1);
    w.window.Capture(5);
    EXPECT_EQ(shown, w.window.imgPicArea.Picture());
    EXPECT_EQ((Calls{"ClipboardSetPicture"}), w.services.calls);
    EXPECT_EQ(std::vector<PicturePtr>{shown}, w.services.clipboardPictures);
}

// A region: the window hides, the whole screen is frozen once and shown,
// and the region is cut from that picture (in its own pixels, the screen's
// corner left of the primary one), then goes on as any capture. A cancel
// changes nothing; the last region is taken anew without the picking, and
// is refused, saving nothing, before there is one.
TEST(CaptureRegionCommand, CutsFromTheFrozenScreenOrChangesNothing) {
    MainWindowHarness w;
    w.window.chkAutoSave.SetValue(1);
    w.window.chkClip.SetValue(1);
    w.services.virtualScreen = {-1920, 0, 1920, 1080};
    const PicturePtr before = w.NewPicture();
    w.window.imgPicArea.SetPicture(before);

    w.window.cmdRegion_Click();  // cancelled
    EXPECT_EQ(before, w.window.imgPicArea.Picture());
    EXPECT_EQ(0, w.services.CallCount("ClipboardSetPicture") + w.services.CallCount("SavePicture"));
    EXPECT_TRUE(w.memory.form().Visible());
    EXPECT_EQ(L"001", w.window.txtNumber.Text());

    int key = 114 /* F3 */;
    w.services.regionChoice = Rect32{-100, 100, 300, 250};
    w.window.Form_KeyDown(key, 0);
    ASSERT_EQ(2u, w.services.frozenPictures.size());
    EXPECT_EQ((std::vector<bool>{false, false}), w.visibleAtCapture);  // frozen with the window hidden
    ASSERT_EQ(1u, w.crops.size());
    EXPECT_EQ(w.services.frozenPictures[1], w.crops[0].first);
    EXPECT_EQ((Rect32{1820, 100, 2220, 250}), w.crops[0].second);
    EXPECT_EQ(w.window.imgPicArea.Picture(), w.services.clipboardPictures.back());
    EXPECT_EQ(1, w.services.CallCount("SavePicture"));
    EXPECT_EQ(w.services.regionChoice, w.window.options.lastRegion);

    int again = 114;
    w.window.Form_KeyDown(again, 1 /* Shift */);
    EXPECT_EQ((std::vector<Rect32>{{-100, 100, 300, 250}}), w.regionsCaptured);
    EXPECT_EQ(2, w.services.CallCount("SavePicture"));
    EXPECT_EQ(2u, w.services.frozenPictures.size());  // no picking

    MainWindowHarness fresh;
    fresh.window.chkAutoSave.SetValue(1);
    fresh.window.LastRegion_Click();
    EXPECT_EQ(std::vector<std::wstring>{L"480 : 前回の範囲がありません。先に範囲を指定して撮ってください。"},
              fresh.services.messageBoxes);
    EXPECT_EQ(0, fresh.services.CallCount("SavePicture"));
}

// After an error the command stops: the window comes back and one message
// says what went wrong. Only a capture that missed the clipboard alone is
// saved, before the message; otherwise CaptureSave does not run at all.
TEST(CaptureCommandError, ShowsTheWindowAgainAndTheMessage) {
    const struct {
        const char* what;
        std::function<void(MainWindowHarness&)> arrange;
        std::wstring message;
        bool captured;
    } cases[] = {
        {"no delay length", [](auto& w) { w.window.cboTimer.SetListIndex(2); w.window.cboTime.SetListIndex(-1); },
         L"13 : 数値ではありません。", false},
        {"capture fails", [](auto& w) { w.foregroundWindow = []() -> PicturePtr { throw OverflowError(); }; },
         L"6 : オーバーフローしました。", false},
        {"no memory for the picture", [](auto& w) { w.foregroundWindow = []() -> PicturePtr { throw std::bad_alloc(); }; },
         L"7 : メモリが不足しています。", false},
        {"clipboard emptied, then refused",
         [](auto& w) { w.window.chkClip.SetValue(1); w.services.clipboardError = ClipboardEmptiedError(); },
         L"523 : 画像をクリップボードにコピーできませんでした。クリップボードは空になっています。", true},
        {"clipboard held", [](auto& w) { w.window.chkClip.SetValue(1); w.services.clipboardError = ClipboardBusyError(); },
         L"521 : 画像をクリップボードにコピーできません。他のプログラムがクリップボードを使用中です。", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowHarness w;
        w.window.chkAutoSave.SetValue(1);
        const PicturePtr before = w.NewPicture();
        w.window.imgPicArea.SetPicture(before);
        c.arrange(w);
        w.window.cmdActiveWindow_Click();
        EXPECT_EQ(true, w.memory.form().Visible());
        EXPECT_EQ(std::vector<std::wstring>{c.message}, w.services.messageBoxes);
        EXPECT_EQ(c.captured ? 1 : 0, w.services.CallCount("SavePicture"));
        const Calls& calls = w.services.calls;  // saved before the message, which may let a close in
        EXPECT_EQ(c.captured, std::find(calls.begin(), calls.end(), "FileLength") <
                                  std::find(calls.begin(), calls.end(), "MessageBox"));
        EXPECT_EQ(c.captured ? L"次のNo" : L"開始No", w.window.lblNumber.Caption());
        EXPECT_EQ(c.captured, w.window.imgPicArea.Picture() != before);
    }
}

}  // namespace
}  // namespace scrimble
