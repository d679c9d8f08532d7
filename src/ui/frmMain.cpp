#include "ui/frmMain.h"

#include <utility>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "settings/mdlIniFile.h"
#include "ui/frmMain_layout.h"

namespace scrimble {

namespace {

constexpr int kKeyEscape = 27;
constexpr int kKeyF1 = 112;
constexpr int kKeyF2 = 113;
constexpr int kKeyF3 = 114;
constexpr int kKeyF4 = 115;
constexpr int kKeyF12 = 123;
constexpr int kKeyP = 'P';
constexpr int kKeyS = 'S';
constexpr int kShiftCtrl = 2;
constexpr int kShiftShift = 1;

constexpr const wchar_t* kSettingsNotKept = L"設定ファイルに書き込めないため、設定は保存されません。";

}  // namespace

frmMain::frmMain(forms::Form& form, Services& services, CaptureSources capture)
    : Me(form),
      services(services),
      cmdHome(ui::ControlOf(form, ui::MainControl::cmdHome)),
      cmdPrint(ui::ControlOf(form, ui::MainControl::cmdPrint)),
      chkAutoSave(ui::ControlOf(form, ui::MainControl::chkAutoSave)),
      cmdExplorer(ui::ControlOf(form, ui::MainControl::cmdExplorer)),
      chkClip(ui::ControlOf(form, ui::MainControl::chkClip)),
      fraAutoSave(ui::ControlOf(form, ui::MainControl::fraAutoSave)),
      txtFile(ui::ControlOf(form, ui::MainControl::txtFile)),
      txtNumber(ui::ControlOf(form, ui::MainControl::txtNumber)),
      txtUp(ui::ControlOf(form, ui::MainControl::txtUp)),
      cmdPath(ui::ControlOf(form, ui::MainControl::cmdPath)),
      lblPath(ui::ControlOf(form, ui::MainControl::lblPath)),
      lblSvPath(ui::ControlOf(form, ui::MainControl::lblSvPath)),
      lblFile(ui::ControlOf(form, ui::MainControl::lblFile)),
      lblNumber(ui::ControlOf(form, ui::MainControl::lblNumber)),
      lblUp(ui::ControlOf(form, ui::MainControl::lblUp)),
      fraTimer(ui::ControlOf(form, ui::MainControl::fraTimer)),
      cboTime(ui::ControlOf(form, ui::MainControl::cboTime)),
      cboTimer(ui::ControlOf(form, ui::MainControl::cboTimer)),
      Label1(ui::ControlOf(form, ui::MainControl::Label1)),
      StatusBar1(ui::ControlOf(form, ui::MainControl::StatusBar1)),
      cmdSave(ui::ControlOf(form, ui::MainControl::cmdSave)),
      cmdActiveWindow(ui::ControlOf(form, ui::MainControl::cmdActiveWindow)),
      cmdFullScreen(ui::ControlOf(form, ui::MainControl::cmdFullScreen)),
      imgPicArea(ui::ControlOf(form, ui::MainControl::imgPicArea)),
      cboFormat(ui::ControlOf(form, ui::MainControl::cboFormat)),
      lblFormat(ui::ControlOf(form, ui::MainControl::lblFormat)),
      cmdRegion(ui::ControlOf(form, ui::MainControl::cmdRegion)),
      settings_{form, cboTimer, cboTime, chkClip, chkAutoSave, lblPath, txtFile, txtNumber, txtUp, cboFormat, options},
      capture_(std::move(capture)) {
    WireEvents();
}

void frmMain::WireEvents() {
    Me.Load = [this] { Form_Load(); };
    Me.Unload = [this] { Form_Unload(); };
    Me.KeyDown = [this](int& keyCode, int shift) { Form_KeyDown(keyCode, shift); };
    cmdFullScreen.Click = [this] { cmdFullScreen_Click(); };
    cmdActiveWindow.Click = [this] { cmdActiveWindow_Click(); };
    cmdRegion.Click = [this] { cmdRegion_Click(); };
    chkAutoSave.Click = [this] { chkAutoSave_Click(); };
    cboTimer.Click = [this] { cboTimer_Click(); };
    txtFile.GotFocus = [this] { txtFile_GotFocus(); };
    txtNumber.GotFocus = [this] { txtNumber_GotFocus(); };
    txtUp.GotFocus = [this] { txtUp_GotFocus(); };
    txtNumber.LostFocus = [this] { txtNumber_LostFocus(); };
    txtUp.LostFocus = [this] { txtUp_LostFocus(); };
    cmdPath.Click = [this] { cmdPath_Click(); };
    cmdExplorer.Click = [this] { cmdExplorer_Click(); };
    cmdHome.Click = [this] { cmdHome_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdPrint.Click = [this] { cmdPrint_Click(); };
    Me.Shown = [this] { Form_Shown(); };
    Me.Minimized = [this] { Form_Minimized(); };
    Me.Hotkey = [this](int id) { Form_Hotkey(id); };
    Me.NotifyIconOpen = [this] { NotifyIcon_Open(); };
    Me.NotifyIconMenu = [this](int x, int y) { NotifyIcon_Menu(x, y); };
    Me.SystemMenu = [this](int id) { Form_SystemMenu(id); };
}

void frmMain::Form_Load() {
    // A second copy must not touch the settings the first one will write.
    if (services.AnotherInstanceRunning()) {
        services.MessageBox(L"既に起動されています");
        services.EndProgram();
        return;
    }
    // Started from a folder it may not write: it works all the same, and the
    // user learns now, not only at the close, that settings will not be kept.
    AddOptionsToSystemMenu();
    settingsKept_ = mdlIniFile::IniFileRead(settings_, services, settingsPath, positionVisible);
    if (!settingsKept_) StatusBar1.SetText(kSettingsNotKept);
    // A write cut short in an earlier run (the program killed, the power
    // gone) leaves its scratch file beside its target.
    services.RemoveStaleScratchFiles(FolderOf(settingsPath));
    services.RemoveStaleScratchFiles(SaveFolder());
}

void frmMain::Form_Unload() {
    try {
        mdlIniFile::IniFileWrite(settings_, services, settingsPath);
    } catch (const RuntimeError& error) {
        // The caller shows it and ends the program all the same; the file
        // on disk is the one from before.
        throw SettingsWriteError(error);
    }
    services.EndProgram();
}

void frmMain::Form_KeyDown(int& keyCode, int shift) {
    if (shift == kShiftCtrl && (keyCode == kKeyS || keyCode == kKeyP)) {
        const bool save = keyCode == kKeyS;
        keyCode = 0;  // taken: a text box gets no control character
        if (save && cmdSave.Enabled()) cmdSave_Click();
        if (!save && cmdPrint.Enabled()) cmdPrint_Click();
        return;
    }
    if (shift == kShiftShift && keyCode == kKeyF3) {
        keyCode = 0;
        LastRegion_Click();
        return;
    }
    if (shift != 0) return;
    const int key = keyCode;
    // Taken: a drop-down list would open on F4 as well, and a list's own Esc
    // never gets this far (the window closes it first).
    if (key == kKeyF1 || key == kKeyF2 || key == kKeyF3 || key == kKeyF4 || key == kKeyF12 || key == kKeyEscape) {
        keyCode = 0;
    }
    switch (key) {
        case kKeyF1: cmdFullScreen_Click(); break;
        case kKeyF2: cmdActiveWindow_Click(); break;
        case kKeyF3: cmdRegion_Click(); break;
        case kKeyF4: cmdExplorer_Click(); break;
        case kKeyF12: cmdHome_Click(); break;
        case kKeyEscape: Form_Unload(); break;
        default: break;
    }
}

void frmMain::cboTimer_Click() {
    cboTime.SetEnabled(cboTimer.Text() != L"使用しない");
}

void frmMain::SelectToEnd(forms::Control& box) {
    box.SetSelLength(static_cast<int>(box.Text().size()));
}

void frmMain::txtFile_GotFocus() { SelectToEnd(txtFile); }

void frmMain::txtNumber_GotFocus() {
    if (returningFocusTo_ == &txtNumber) returningFocusTo_ = nullptr;
    SelectToEnd(txtNumber);
}

void frmMain::txtUp_GotFocus() {
    if (returningFocusTo_ == &txtUp) returningFocusTo_ = nullptr;
    SelectToEnd(txtUp);
}

void frmMain::RequireNumber(forms::Control& box) {
    // While the focus travels back to the other number box, this box only
    // passes it on; refusing it here too would bounce the focus for ever.
    if (returningFocusTo_ != nullptr && returningFocusTo_ != &box) return;
    if (IsNumeric(box.Text(), services.Locale())) return;
    returningFocusTo_ = &box;
    box.SetFocus();
}

void frmMain::txtNumber_LostFocus() { RequireNumber(txtNumber); }
void frmMain::txtUp_LostFocus() { RequireNumber(txtUp); }

}  // namespace scrimble
