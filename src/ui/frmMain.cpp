#include "ui/frmMain.h"

#include <utility>

#include "platform/conversions.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "settings/mdlIniFile.h"

namespace scrimble {

namespace {

constexpr int kKeyEscape = 27;
constexpr int kKeyF1 = 112;
constexpr int kKeyF2 = 113;
constexpr int kKeyF4 = 115;
constexpr int kKeyF12 = 123;
constexpr int kKeyP = 'P';
constexpr int kKeyS = 'S';
constexpr int kShiftCtrl = 2;

constexpr const wchar_t* kSettingsNotKept = L"設定ファイルに書き込めないため、設定は保存されません。";

}  // namespace

frmMain::frmMain(forms::Form& form, Services& services, CaptureSources capture)
    : Me(form),
      services(services),
      cmdHome(form.Get("cmdHome")),
      cmdPrint(form.Get("cmdPrint")),
      chkAutoSave(form.Get("chkAutoSave")),
      cmdExplorer(form.Get("cmdExplorer")),
      chkClip(form.Get("chkClip")),
      fraAutoSave(form.Get("fraAutoSave")),
      txtFile(form.Get("txtFile")),
      txtNumber(form.Get("txtNumber")),
      txtUp(form.Get("txtUp")),
      cmdPath(form.Get("cmdPath")),
      lblPath(form.Get("lblPath")),
      lblSvPath(form.Get("lblSvPath")),
      lblFile(form.Get("lblFile")),
      lblNumber(form.Get("lblNumber")),
      lblUp(form.Get("lblUp")),
      fraTimer(form.Get("fraTimer")),
      cboTime(form.Get("cboTime")),
      cboTimer(form.Get("cboTimer")),
      Label1(form.Get("Label1")),
      StatusBar1(form.Get("StatusBar1")),
      cmdSave(form.Get("cmdSave")),
      cmdActiveWindow(form.Get("cmdActiveWindow")),
      cmdFullScreen(form.Get("cmdFullScreen")),
      imgPicArea(form.Get("imgPicArea")),
      cboFormat(form.Get("cboFormat")),
      lblFormat(form.Get("lblFormat")),
      capture_(std::move(capture)) {
    WireEvents();
}

void frmMain::WireEvents() {
    Me.Load = [this] { Form_Load(); };
    Me.Unload = [this] { Form_Unload(); };
    Me.KeyDown = [this](int& keyCode, int shift) { Form_KeyDown(keyCode, shift); };
    cmdFullScreen.Click = [this] { cmdFullScreen_Click(); };
    cmdActiveWindow.Click = [this] { cmdActiveWindow_Click(); };
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
    if (!mdlIniFile::IniFileRead(Me, services, settingsPath, positionVisible)) StatusBar1.SetText(kSettingsNotKept);
    // A write cut short in an earlier run (the program killed, the power
    // gone) leaves its scratch file beside its target.
    services.RemoveStaleScratchFiles(FolderOf(settingsPath));
    services.RemoveStaleScratchFiles(SaveFolder());
}

void frmMain::Form_Unload() {
    try {
        mdlIniFile::IniFileWrite(Me, services, settingsPath);
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
    if (shift != 0) return;
    switch (keyCode) {
        case kKeyF1: cmdFullScreen_Click(); break;
        case kKeyF2: cmdActiveWindow_Click(); break;
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
