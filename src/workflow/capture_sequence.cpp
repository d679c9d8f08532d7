// The two capture commands: hide the window, wait if the delay mode asks for
// it, capture into the preview (and the clipboard), show the window again,
// then hand over to the auto-save.
#include <cmath>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "ui/frmMain.h"

namespace scrimble {

namespace {

constexpr int16_t kCaptureFullScreen = 1;
constexpr int16_t kCaptureForegroundWindow = 2;

// Raised by the clipboard step, which runs once the preview holds the new
// capture.
bool IsClipboardFailure(const RuntimeError& error) {
    return error.Code() == ErrorCode::ClipboardBusy || error.Code() == ErrorCode::ClipboardRefused;
}

}  // namespace

void frmMain::cmdFullScreen_Click() { RunCaptureCommand(kCaptureFullScreen, 1); }

void frmMain::cmdActiveWindow_Click() { RunCaptureCommand(kCaptureForegroundWindow, 0); }

void frmMain::RunCaptureCommand(int16_t kind, int waitAboveListIndex) {
    mainHide();
    // A close or the end of the session handled during a message pass has
    // written the settings already: a file saved now would carry a number
    // that the next run hands out again.
    if (services.Ending()) return;
    try {
        if (cboTimer.ListIndex() > waitAboveListIndex) Wait();
        if (services.Ending()) return;
        Capture(kind);
    } catch (const RuntimeError& error) {
        // Never with the window left hidden.
        mainShow();
        // A capture that only missed the clipboard is saved all the same, and
        // before the message, whose wait lets a close end the program.
        if (IsClipboardFailure(error)) CaptureSave();
        services.MessageBox(error.MessageText());
        return;
    }
    mainShow();
    CaptureSave();
}

void frmMain::mainHide() {
    // A hidden window drops focus requests: none is on its way back any more.
    returningFocusTo_ = nullptr;
    Me.SetVisible(false);
    services.DoEvents();
    // A capture must not contain our own window.
    services.WaitForScreenUpdate();
}

void frmMain::mainShow() { Me.SetVisible(true); }

void frmMain::Wait() {
    const double seconds = TextToDouble(cboTime.Text(), services.Locale());
    const long long target = services.NowSeconds() + static_cast<long long>(std::nearbyint(seconds));
    // Whole-second clock: the wait ends at the first reading after the target.
    // Between passes it sleeps until a message comes or the reading changes.
    while (!services.Ending() && services.NowSeconds() <= target) {
        services.DoEvents();
        services.IdleWait(services.MillisecondsToNextSecond());
    }
}

void frmMain::Capture(const int16_t& intCaptureKind) {
    if (intCaptureKind == kCaptureFullScreen) {
        imgPicArea.SetPicture(capture_.fullScreen());
    } else if (intCaptureKind == kCaptureForegroundWindow) {
        imgPicArea.SetPicture(capture_.foregroundWindow());
    }
    if (chkClip.Value() == 1) {
        services.ClipboardClear();
        services.ClipboardSetPicture(imgPicArea.Picture());
    }
}

}  // namespace scrimble
