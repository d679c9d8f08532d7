// The two capture commands and their steps, over in-memory controls with a
// clock that moves only when the code waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/main_window_harness.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;

enum class Command { FullScreen, ActiveWindow };

const char* CaptureCallOf(Command command) {
    return command == Command::FullScreen ? "CaptureFullScreen" : "CaptureForegroundWindow";
}

std::vector<std::string> Without(const std::vector<std::string>& calls, const std::vector<std::string>& dropped) {
    std::vector<std::string> kept;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(kept), [&](const std::string& call) {
        return std::find(dropped.begin(), dropped.end(), call) == dropped.end();
    });
    return kept;
}

// The calls made, without the ones that only read the clock or the locale.
std::vector<std::string> StepsOf(const std::vector<std::string>& calls) {
    return Without(calls, {"NowSeconds", "Locale"});
}

void RunCommand(MainWindowHarness& harness, Command command) {
    if (command == Command::FullScreen) {
        harness.window.cmdFullScreen_Click();
    } else {
        harness.window.cmdActiveWindow_Click();
    }
}

class CaptureSequenceTest : public ::testing::Test {
protected:
    CaptureSequenceTest() {
        w.services.nowSeconds = 100;
        w.window.cboTime.SetListIndex(4);  // "5"
        w.window.chkAutoSave.SetValue(0);
        w.window.chkClip.SetValue(0);
    }

    MainWindowHarness w;
};

TEST(CaptureCommandDelay, FollowsTheTimerModeAndTheCommand) {
    struct Case {
        int listIndex;
        Command command;
        bool waits;
    };
    const Case cases[] = {
        {-1, Command::FullScreen, false}, {-1, Command::ActiveWindow, false},
        {0, Command::FullScreen, false},  {0, Command::ActiveWindow, false},
        {1, Command::FullScreen, false},  {1, Command::ActiveWindow, true},
        {2, Command::FullScreen, true},   {2, Command::ActiveWindow, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ListIndex " << c.listIndex << ", "
                                          << CaptureCallOf(c.command));
        MainWindowHarness fresh;
        fresh.services.nowSeconds = 100;
        fresh.window.cboTime.SetListIndex(1);  // "2"
        fresh.window.cboTimer.SetListIndex(c.listIndex);
        RunCommand(fresh, c.command);
        EXPECT_EQ(c.waits, fresh.services.CallCount("IdleWait") > 0);
        EXPECT_EQ(c.waits ? 103 : 100, fresh.services.nowSeconds);
        EXPECT_EQ(1, fresh.services.CallCount(CaptureCallOf(c.command)));
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
    w.services.onSavePicture = [&](const std::wstring&) { visibleAtSave = w.memory.form().Visible(); };
    w.services.fileLength = 10;

    w.window.cmdFullScreen_Click();

    EXPECT_EQ((std::vector<std::string>{"DoEvents", "WaitForScreenUpdate", "DoEvents", "IdleWait", "DoEvents",
                                        "IdleWait", "CaptureFullScreen", "ClipboardClear", "ClipboardSetPicture",
                                        "SavePictureAsBmp", "FileLength"}),
              StepsOf(w.services.calls));
    EXPECT_EQ((std::vector<bool>{false, false, false}), visibleAtDoEvents);
    EXPECT_EQ(std::vector<bool>{false}, w.visibleAtCapture);
    EXPECT_EQ(true, visibleAtSave);
    EXPECT_EQ(true, w.memory.form().Visible());
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(CaptureSequenceTest, ActiveWindowCommandCapturesTheForegroundWindow) {
    w.window.cmdActiveWindow_Click();
    EXPECT_EQ((std::vector<std::string>{"DoEvents", "WaitForScreenUpdate", "CaptureForegroundWindow"}),
              StepsOf(w.services.calls));
    ASSERT_NE(nullptr, w.window.imgPicArea.Picture());
    EXPECT_EQ(w.lastBitmap, w.window.imgPicArea.Picture()->Bitmap());
    EXPECT_EQ(true, w.memory.form().Visible());
    // CaptureSave ran, with auto-save off.
    EXPECT_EQ(L"保存してません。", w.window.StatusBar1.Text());
}

TEST_F(CaptureSequenceTest, HideProcessesMessagesOnceAndWaitsForTheScreen) {
    w.window.mainHide();
    EXPECT_EQ(false, w.memory.form().Visible());
    EXPECT_EQ((std::vector<std::string>{"DoEvents", "WaitForScreenUpdate"}), w.services.calls);

    w.services.calls.clear();
    w.window.mainShow();
    EXPECT_EQ(true, w.memory.form().Visible());
    EXPECT_EQ(std::vector<std::string>{}, w.services.calls);
}

TEST_F(CaptureSequenceTest, DelayEndsAtTheFirstReadingAfterTheTarget) {
    w.window.Wait();  // from 100 with "5": the target is 105

    EXPECT_EQ(106, w.services.nowSeconds);
    // One reading for the target, then one per pass and the last one.
    EXPECT_EQ(1 + 6 + 1, w.services.CallCount("NowSeconds"));
    EXPECT_EQ(6, w.services.CallCount("DoEvents"));
    EXPECT_EQ(6, w.services.CallCount("IdleWait"));
}

TEST_F(CaptureSequenceTest, DelayIdlesBetweenPassesForShortSpells) {
    w.window.cboTime.SetListIndex(0);  // "1"
    w.window.Wait();

    EXPECT_EQ((std::vector<std::string>{"NowSeconds", "NowSeconds", "DoEvents", "IdleWait", "NowSeconds",
                                        "DoEvents", "IdleWait", "NowSeconds"}),
              Without(w.services.calls, {"Locale"}));
    const int perPass = w.services.idleWaitMilliseconds / w.services.CallCount("IdleWait");
    EXPECT_LT(0, perPass);
    EXPECT_GE(50, perPass);
}

TEST_F(CaptureSequenceTest, DelayKeepsPassingUntilTheWholeSecondAfterTheTarget) {
    // A clock that moves one second every four passes, as a fast loop sees it.
    w.services.secondsPerIdleWait = 0;
    w.OnEachPass([this] {
        if (w.services.doEventsCount % 4 == 0) ++w.services.nowSeconds;
    });

    w.window.Wait();

    EXPECT_EQ(106, w.services.nowSeconds);
    EXPECT_EQ(24, w.services.doEventsCount);
    EXPECT_EQ(24, w.services.CallCount("IdleWait"));
}

TEST_F(CaptureSequenceTest, DelayGrowsWhenTheClockIsSetBack) {
    w.OnEachPass([this] {
        if (w.services.doEventsCount == 1) w.services.nowSeconds -= 3;
    });
    w.window.Wait();

    EXPECT_EQ(106, w.services.nowSeconds);
    EXPECT_EQ(6 + 3, w.services.doEventsCount);
}

TEST_F(CaptureSequenceTest, DelayEndsAtOnceWhenTheClockJumpsPastTheTarget) {
    w.services.secondsPerIdleWait = 60;
    w.window.Wait();
    EXPECT_EQ(1, w.services.doEventsCount);
    EXPECT_EQ(160, w.services.nowSeconds);
}

TEST_F(CaptureSequenceTest, ClipboardIsUsedOnlyWhenTheBoxIsChecked) {
    for (int clip : {0, 2}) {
        SCOPED_TRACE(clip);
        w.services.calls.clear();
        w.window.chkClip.SetValue(clip);
        w.window.cmdFullScreen_Click();
        EXPECT_EQ(0, w.services.CallCount("ClipboardClear"));
        EXPECT_EQ(0, w.services.CallCount("ClipboardSetPicture"));
    }

    w.services.calls.clear();
    w.window.chkClip.SetValue(1);
    w.window.cmdActiveWindow_Click();
    EXPECT_EQ((std::vector<std::string>{"DoEvents", "WaitForScreenUpdate", "CaptureForegroundWindow",
                                        "ClipboardClear", "ClipboardSetPicture"}),
              StepsOf(w.services.calls));
    ASSERT_EQ(1u, w.services.clipboardPictures.size());
    EXPECT_EQ(w.window.imgPicArea.Picture(), w.services.clipboardPictures[0]);
}

TEST_F(CaptureSequenceTest, NewCaptureReleasesThePreviousPicture) {
    w.window.cmdFullScreen_Click();
    w.window.cmdActiveWindow_Click();
    EXPECT_EQ(1, *w.picturesDestroyed);
    ASSERT_NE(nullptr, w.window.imgPicArea.Picture());
    EXPECT_EQ(w.lastBitmap, w.window.imgPicArea.Picture()->Bitmap());
}

TEST_F(CaptureSequenceTest, CaptureOfAnUnknownKindKeepsThePreviewAndStillCopiesIt) {
    const PicturePtr shown = w.NewPicture();
    w.window.imgPicArea.SetPicture(shown);
    w.window.chkClip.SetValue(1);

    const int16_t kind = 3;
    EXPECT_EQ(0, w.window.Capture(kind));

    EXPECT_EQ(shown, w.window.imgPicArea.Picture());
    EXPECT_EQ((std::vector<std::string>{"ClipboardClear", "ClipboardSetPicture"}), w.services.calls);
    EXPECT_EQ(std::vector<PicturePtr>{shown}, w.services.clipboardPictures);
}

TEST_F(CaptureSequenceTest, CaptureReturnsZeroForEveryKind) {
    for (int16_t kind : {int16_t{1}, int16_t{2}, int16_t{0}, int16_t{-1}}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(0, w.window.Capture(kind));
    }
    EXPECT_EQ(1, w.services.CallCount("CaptureFullScreen"));
    EXPECT_EQ(1, w.services.CallCount("CaptureForegroundWindow"));
}

// After an error the command stops: the window comes back, one message says
// what went wrong, and nothing is saved.
class CaptureSequenceErrorTest : public CaptureSequenceTest {
protected:
    void ExpectEndedWith(const std::wstring& message) {
        EXPECT_EQ(true, w.memory.form().Visible());
        EXPECT_EQ(std::vector<std::wstring>{message}, w.services.messageBoxes);
        EXPECT_EQ(0, w.services.CallCount("SavePictureAsBmp"));
        // CaptureSave did not run at all.
        EXPECT_EQ(L"", w.window.StatusBar1.Text());
        EXPECT_EQ(L"プレビュー。", w.window.imgPicArea.ToolTipText());
    }
};

TEST_F(CaptureSequenceErrorTest, DelayWithNoLengthSelected) {
    w.window.chkAutoSave.SetValue(1);
    w.window.cboTimer.SetListIndex(2);
    w.window.cboTime.SetListIndex(-1);

    w.window.cmdFullScreen_Click();

    ExpectEndedWith(L"13 : 数値ではありません。");
    EXPECT_EQ(0, w.services.CallCount("CaptureFullScreen"));
}

TEST_F(CaptureSequenceErrorTest, ClipboardHeldByAnotherProgram) {
    w.window.chkAutoSave.SetValue(1);
    w.window.chkClip.SetValue(1);
    w.services.clipboardBusy = true;

    w.window.cmdActiveWindow_Click();

    ExpectEndedWith(L"521 : クリップボードを開けません。他のプログラムが使用中です。");
    // The capture itself had been made.
    ASSERT_NE(nullptr, w.window.imgPicArea.Picture());
    EXPECT_EQ(w.lastBitmap, w.window.imgPicArea.Picture()->Bitmap());
}

TEST_F(CaptureSequenceErrorTest, ForegroundWindowTooLarge) {
    w.window.chkAutoSave.SetValue(1);
    const PicturePtr before = w.NewPicture();
    w.window.imgPicArea.SetPicture(before);
    w.foregroundWindow = []() -> PicturePtr { throw OverflowError(); };

    w.window.cmdActiveWindow_Click();

    ExpectEndedWith(L"6 : オーバーフローしました。");
    EXPECT_EQ(before, w.window.imgPicArea.Picture());
    EXPECT_EQ(std::vector<bool>{false}, w.visibleAtCapture);

    // The next command runs normally.
    w.foregroundWindow = [this] { return w.NewPicture(); };
    w.window.cmdActiveWindow_Click();
    EXPECT_EQ(1u, w.services.messageBoxes.size());
    EXPECT_EQ(1, w.services.CallCount("SavePictureAsBmp"));
}

}  // namespace
}  // namespace scrimble
