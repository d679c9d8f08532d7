// The capture commands: hide the window, wait if the delay mode asks for it,
// capture into the preview (and the clipboard), show the window again, then
// hand over to the auto-save. A region is picked on the frozen screen: the
// whole screen captured once, shown over every monitor, the region cut from
// that picture, so that nothing the picking draws is ever in it.
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "ui/frmMain.h"

namespace scrimble {

namespace {

// A pass of the delay sleeps at most this long between looks at the clock.
constexpr long long kLongestIdleMilliseconds = 1000;

// Raised by the clipboard step, which runs once the preview holds the new
// capture.
bool IsClipboardFailure(const RuntimeError& error) {
    return error.Code() == ErrorCode::ClipboardBusy || error.Code() == ErrorCode::ClipboardRefused ||
           error.Code() == ErrorCode::ClipboardEmptied;
}

}  // namespace

void frmMain::cmdFullScreen_Click() { RunCaptureCommand(kCaptureFullScreen, 1); }

void frmMain::cmdActiveWindow_Click() { RunCaptureCommand(kCaptureForegroundWindow, 0); }

// The delay as for the whole screen, before the screen is frozen.
void frmMain::cmdRegion_Click() { RunCaptureCommand(kCaptureRegion, 1); }

void frmMain::LastRegion_Click() { RunCaptureCommand(kCaptureLastRegion, 1); }

void frmMain::RunCaptureCommand(int16_t kind, int waitAboveListIndex, CaptureStart start) {
    start_ = start;
    captureCancelled_ = false;
    mainHide();
    // A close or the end of the session handled during a message pass has
    // written the settings already: a file saved now would carry a number
    // that the next run hands out again.
    if (services.Ending()) return;
    try {
        if (cboTimer.ListIndex() > waitAboveListIndex) Wait();
        if (services.Ending()) return;
        Capture(kind);
        if (captureCancelled_) {
            mainShow();  // the preview, the clipboard and the number as they were
            return;
        }
    } catch (const RuntimeError& error) {
        EndFailedCapture(error.MessageText(), IsClipboardFailure(error));
        return;
    } catch (...) {
        // Out of memory for a huge desktop, say: told like any other.
        EndFailedCapture(CurrentFailureMessage(), false);
        return;
    }
    mainShow();
    CaptureSave();
    TellAway(StatusBar1.Text());
}

void frmMain::EndFailedCapture(const std::wstring& message, bool captured) {
    // Never with the window left hidden.
    mainShow();
    // A capture that only missed the clipboard is saved all the same, and
    // before the message, whose wait lets a close end the program.
    if (captured) CaptureSave();
    TellAway(message);
    services.MessageBox(message);
}

void frmMain::mainHide() {
    // A hidden window drops focus requests: none is on its way back any more.
    returningFocusTo_ = nullptr;
    // Minimised or in the notification area, the window is not on the
    // screen, and stays where it is.
    shownBeforeCapture_ = Me.Visible() && !Me.Peer().Minimized();
    if (shownBeforeCapture_) Me.SetVisible(false);
    services.DoEvents();
    // A capture must not contain our own window, nor the icon's menu that
    // has just closed; with neither on the screen there is nothing to wait for.
    if (shownBeforeCapture_ || start_.afterMenu) services.WaitForScreenUpdate();
}

void frmMain::mainShow() {
    if (!shownBeforeCapture_) return;
    // Captured from another program: that one keeps the front.
    if (start_.fromElsewhere) {
        Me.Peer().ShowInactive();
    } else {
        Me.SetVisible(true);
    }
}

void frmMain::TellAway(const std::wstring& text) {
    if (!shownBeforeCapture_) services.NotifyBalloon(text);
}

void frmMain::Wait() {
    const double seconds = TextToDouble(cboTime.Text(), services.Locale());
    // A steady clock: setting the time of day (a time sync, the change to or
    // from summer time) neither ends the wait early nor stretches it by an hour.
    const long long end = services.TickMilliseconds() + 1000 * static_cast<long long>(std::nearbyint(seconds));
    // Between passes it sleeps until a message comes or the time is up.
    for (long long now = services.TickMilliseconds(); !services.Ending() && now < end;
         now = services.TickMilliseconds()) {
        services.DoEvents();
        services.IdleWait(static_cast<int>(std::min(end - now, kLongestIdleMilliseconds)));
    }
}

void frmMain::Capture(const int16_t& intCaptureKind) {
    const bool cursor = options.drawCursor;
    if (intCaptureKind == kCaptureFullScreen) {
        imgPicArea.SetPicture(capture_.fullScreen(cursor));
    } else if (intCaptureKind == kCaptureForegroundWindow) {
        imgPicArea.SetPicture(start_.window != 0 ? capture_.window(start_.window, cursor)
                                                  : capture_.foregroundWindow(cursor));
    } else if (intCaptureKind == kCaptureRegion) {
        const Rect32 screen = services.VirtualScreen();
        const PicturePtr frozen = capture_.fullScreen(cursor);
        const std::optional<Rect32> chosen = services.SelectRegion(frozen, screen);
        if (!chosen || chosen->Empty()) {
            captureCancelled_ = true;
            return;
        }
        const Rect32 part{chosen->left - screen.left, chosen->top - screen.top, chosen->right - screen.left,
                          chosen->bottom - screen.top};
        imgPicArea.SetPicture(capture_.crop(frozen, part));
        options.lastRegion = *chosen;
    } else if (intCaptureKind == kCaptureLastRegion) {
        if (!options.lastRegion) {
            throw RuntimeError(ErrorCode::CaptureFailed, L"前回の範囲がありません。先に範囲を指定して撮ってください。");
        }
        imgPicArea.SetPicture(capture_.region(*options.lastRegion, cursor));
    }
    UpdatePictureCommands();
    if (chkClip.Value() == 1) services.ClipboardSetPicture(imgPicArea.Picture());
}

}  // namespace scrimble
