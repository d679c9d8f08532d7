// Capturing from anywhere: the system-wide keys (PrtSc, Alt+PrtSc, Ctrl+PrtSc,
// Shift+PrtSc), the icon in the notification area with its menu, and the
// options dialog that sets them. A key pressed in another program leaves that
// program in front.
#include <vector>

#include "platform/errors.h"
#include "platform/hotkey.h"
#include "ui/frmMain.h"

namespace scrimble {

namespace {

constexpr KeyCommand kKeyCommands[] = {KeyCommand::FullScreen, KeyCommand::ActiveWindow, KeyCommand::Region,
                                       KeyCommand::LastRegion};
static_assert(sizeof kKeyCommands / sizeof kKeyCommands[0] == kKeyCommandCount);

// The icon's menu.
enum MenuId : int {
    kMenuFullScreen = 1, kMenuActiveWindow, kMenuOpenFolder, kMenuShowWindow, kMenuOptions, kMenuExit, kMenuRegion,
    kMenuLastRegion,
};

// The window's system menu: an id below 0xF000 with its low four bits clear.
constexpr int kSystemMenuOptions = 0x0100;

constexpr const wchar_t* kSnippingToolNote =
    L"Windows の設定（アクセシビリティ > キーボード）で「Print Screen キーを使用して画面キャプチャを開く」を"
    L"オフにすると使えます。";

int IdOf(KeyCommand command) { return static_cast<int>(command); }

}  // namespace

void frmMain::Form_Shown() {
    // After the first frame: neither the keys nor the icon hold up the start.
    services.ShowNotifyIcon();
    const std::wstring refused = RegisterHotkeys();
    if (refused.empty()) return;
    const std::wstring before = StatusBar1.Text();
    StatusBar1.SetText(before.empty() ? refused : before + L" " + refused);
}

std::wstring frmMain::RegisterHotkeys() {
    std::wstring inUse;
    std::wstring failed;
    bool printScreenRefused = false;
    keysRefused_ = {};
    for (const KeyCommand command : kKeyCommands) {
        services.UnregisterHotkey(IdOf(command));
        const KeySetting& setting = options.Key(command);
        if (!setting.on || setting.key.key == 0) continue;
        const Services::KeyRefusal refusal = services.RegisterHotkey(IdOf(command), setting.key);
        if (refusal == Services::KeyRefusal::None) continue;
        keysRefused_[static_cast<size_t>(command)] = true;
        std::wstring& names = refusal == Services::KeyRefusal::InUse ? inUse : failed;
        names += (names.empty() ? L"" : L"、") + HotkeyText(setting.key);
        printScreenRefused = printScreenRefused || setting.key == Hotkey{kKeyPrintScreen, 0};
    }
    std::wstring message;
    if (!inUse.empty()) message += inUse + L" は他のプログラムが使用中です。";
    if (!failed.empty()) message += failed + L" を登録できませんでした。";
    if (printScreenRefused && services.SnippingToolTakesPrintScreen()) message += kSnippingToolNote;
    return message;
}

void frmMain::Form_Hotkey(int id) {
    // Pressed in our own window, a key is F1, F2, F3 or Shift+F3; pressed in
    // another program, that program stays in front.
    const bool fromElsewhere = !Me.Peer().InForeground();
    if (id == IdOf(KeyCommand::FullScreen)) RunCaptureCommand(kCaptureFullScreen, 1, {fromElsewhere});
    if (id == IdOf(KeyCommand::ActiveWindow)) RunCaptureCommand(kCaptureForegroundWindow, 0, {fromElsewhere});
    if (id == IdOf(KeyCommand::Region)) RunCaptureCommand(kCaptureRegion, 1, {fromElsewhere});
    if (id == IdOf(KeyCommand::LastRegion)) RunCaptureCommand(kCaptureLastRegion, 1, {fromElsewhere});
}

void frmMain::Form_Minimized() {
    if (options.minimizeToTray) Me.SetVisible(false);
}

void frmMain::NotifyIcon_Open() { Me.Peer().Activate(); }

void frmMain::NotifyIcon_Menu(int x, int y) {
    // Asked before the menu takes the front: the window the user was in.
    const NativeHandle front = services.FrontWindowOfOthers();
    const std::vector<Services::MenuEntry> entries = {
        {kMenuFullScreen, L"画面全体"},
        {kMenuActiveWindow, L"アクティブウィンドウ", front != 0},
        {kMenuRegion, L"範囲"},
        {kMenuLastRegion, L"前回の範囲", options.lastRegion.has_value()},
        {0, L""},
        {kMenuOpenFolder, L"保存フォルダを開く"},
        {kMenuShowWindow, L"ウィンドウを表示"},
        {kMenuOptions, L"オプション…"},
        {0, L""},
        {kMenuExit, L"終了"},
    };
    const int chosen = services.PopupMenu(entries, x, y);
    // The menu ran a message loop of its own: the session may have ended.
    if (services.Ending()) return;
    const CaptureStart afterMenu{true, 0, true};
    switch (chosen) {
        // What is under the menu, once it has gone; the window, if it shows,
        // hides as for F1.
        case kMenuFullScreen: RunCaptureCommand(kCaptureFullScreen, 1, afterMenu); break;
        case kMenuActiveWindow: RunCaptureCommand(kCaptureForegroundWindow, 0, {true, front, true}); break;
        case kMenuRegion: RunCaptureCommand(kCaptureRegion, 1, afterMenu); break;
        case kMenuLastRegion: RunCaptureCommand(kCaptureLastRegion, 1, afterMenu); break;
        case kMenuOpenFolder: cmdExplorer_Click(); break;
        case kMenuShowWindow: NotifyIcon_Open(); break;
        case kMenuOptions: ShowOptions(); break;
        case kMenuExit: Form_Unload(); break;
        default: break;
    }
}

void frmMain::Form_SystemMenu(int id) {
    if (id == kSystemMenuOptions) ShowOptions();
}

void frmMain::ShowOptions() {
    if (!optionsDialog) return;
    // While the dialog records a key, ours must not take it.
    for (const KeyCommand command : kKeyCommands) services.UnregisterHotkey(IdOf(command));
    std::optional<Options> chosen;
    try {
        chosen = optionsDialog(options, keysRefused_);
    } catch (...) {
        RegisterHotkeys();  // a dialog that failed leaves the keys as they were
        throw;
    }
    if (chosen) options = *chosen;
    // The new keys, or the old ones again after a cancel (one may have been
    // taken meanwhile): either way the user learns what holds now.
    const std::wstring refused = RegisterHotkeys();
    if (chosen) {
        StatusBar1.SetText(refused.empty() ? L"オプションを設定しました。" : refused);
        KeepSettings();
    } else if (!refused.empty()) {
        StatusBar1.SetText(refused);
    }
}

void frmMain::AddOptionsToSystemMenu() { Me.Peer().AddSystemMenuEntry(kSystemMenuOptions, L"オプション(&O)…"); }

}  // namespace scrimble
