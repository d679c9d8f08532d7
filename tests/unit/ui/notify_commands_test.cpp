// Capturing from anywhere: the system-wide keys, the notification-area icon
// and its menu, the options dialog's effect on the window.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/hotkey.h"
#include "support/main_window_harness.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;
using Texts = std::vector<std::wstring>;
using Log = std::vector<std::string>;

const Hotkey kPrtSc{kKeyPrintScreen, 0};
const Hotkey kAltPrtSc{kKeyPrintScreen, kModAlt};

class NotifyCommandsTest : public ::testing::Test {
protected:
    NotifyCommandsTest() {
        w.window.settingsPath = dir.File("Scrimble.ini");
        w.window.chkAutoSave.SetValue(0);
    }
    forms::MemoryWindowPeer& Window() { return static_cast<forms::MemoryWindowPeer&>(w.memory.form().Peer()); }
    Log Steps() const {
        Log steps;
        for (const std::string& call : w.services.calls) {
            if (call.rfind("Capture", 0) == 0 || call == "NotifyBalloon" || call == "MessageBox") steps.push_back(call);
        }
        return steps;
    }

    test::TempDirectory dir;
    MainWindowHarness w;
};

// After the first frame the icon shows and the keys are had; a key another
// program holds is named,
// the others work, and PrtSc taken by the Snipping Tool says where to free it.
TEST_F(NotifyCommandsTest, ShownRegistersTheKeysAndNamesThoseRefused) {
    const struct {
        std::map<std::wstring, Services::KeyRefusal> refusals;
        bool snipping;
        std::wstring status;
        size_t registered;
    } cases[] = {
        {{}, true, L"", 4},
        {{{L"Alt+PrtSc", Services::KeyRefusal::InUse}}, true, L"Alt+PrtSc は他のプログラムが使用中です。", 3},
        {{{L"PrtSc", Services::KeyRefusal::InUse}, {L"Alt+PrtSc", Services::KeyRefusal::Other}}, false,
         L"PrtSc は他のプログラムが使用中です。Alt+PrtSc を登録できませんでした。", 2},
    };
    for (const auto& c : cases) {
        MainWindowHarness h;
        h.services.keyRefusals = c.refusals;
        h.services.snippingToolTakesPrintScreen = c.snipping;
        h.window.Form_Shown();
        EXPECT_TRUE(h.services.notifyIconShown);
        EXPECT_EQ(c.registered, h.services.hotkeys.size());
        EXPECT_EQ(c.status, h.window.StatusBar1.Text());
    }
    w.services.keyRefusals = {{L"PrtSc", Services::KeyRefusal::InUse}};
    w.services.snippingToolTakesPrintScreen = true;
    w.window.Form_Shown();
    EXPECT_NE(std::wstring::npos, w.window.StatusBar1.Text().find(L"「Print Screen キーを使用して画面キャプチャを開く」"));
    EXPECT_TRUE(kAltPrtSc == w.services.hotkeys.at(static_cast<int>(KeyCommand::ActiveWindow)));
}

// Pressed in our own window a key is F1 or F2; pressed in another program
// that one stays in front; minimised, the window stays so and the balloon
// tells what was saved.
TEST_F(NotifyCommandsTest, AKeyFromElsewhereLeavesTheOtherProgramInFront) {
    const int screen = static_cast<int>(KeyCommand::FullScreen);
    const int window = static_cast<int>(KeyCommand::ActiveWindow);
    w.window.Form_Hotkey(screen);
    EXPECT_TRUE(Window().InForeground());
    EXPECT_EQ(std::vector<bool>{false}, w.visibleAtCapture);

    Window().UserGoesElsewhere();
    w.window.Form_Hotkey(window);
    EXPECT_TRUE(Window().Visible());
    EXPECT_FALSE(Window().InForeground());
    EXPECT_EQ((std::vector<bool>{false, false}), w.visibleAtCapture);

    Window().UserMinimizes();
    w.window.chkAutoSave.SetValue(1);
    w.window.txtNumber.SetText(L"07");
    w.window.Form_Hotkey(screen);
    EXPECT_TRUE(Window().Minimized() && Window().Visible());
    EXPECT_EQ((std::vector<bool>{false, false, true}), w.visibleAtCapture);
    EXPECT_EQ(2, w.services.CallCount("WaitForScreenUpdate"));  // nothing of ours on the screen to wait for
    EXPECT_EQ((Log{"CaptureFullScreen", "CaptureForegroundWindow", "CaptureFullScreen", "NotifyBalloon"}), Steps());
    EXPECT_EQ(Texts{w.window.StatusBar1.Text()}, w.services.balloons);
    EXPECT_NE(std::wstring::npos, w.services.balloons[0].find(L"Capture07.bmp"));

    w.window.Form_Hotkey(99);  // no command of ours
    EXPECT_EQ(3u, w.visibleAtCapture.size());
}

// The icon's menu: "the active window" is the one the user was in before the
// menu, captured once the menu has gone; the other entries do what the
// window's own buttons and keys do.
TEST_F(NotifyCommandsTest, TheIconsMenuCapturesWhatWasUnderIt) {
    w.services.frontWindowOfOthers = 0x777;
    w.services.menuChoice = L"アクティブウィンドウ";
    w.window.options.drawCursor = true;
    w.window.NotifyIcon_Menu(10, 20);
    ASSERT_EQ(1u, w.services.menus.size());
    Texts entries;
    for (const Services::MenuEntry& entry : w.services.menus[0]) entries.push_back(entry.text);
    EXPECT_EQ((Texts{L"画面全体", L"アクティブウィンドウ", L"範囲", L"前回の範囲", L"", L"保存フォルダを開く",
                     L"ウィンドウを表示", L"オプション…", L"", L"終了"}),
              entries);
    EXPECT_FALSE(w.services.menus[0][3].enabled);  // no region taken yet
    EXPECT_EQ(std::vector<NativeHandle>{0x777}, w.windowsCaptured);
    EXPECT_EQ(std::vector<bool>{true}, w.cursorAtCapture);

    w.services.frontWindowOfOthers = 0;
    w.window.NotifyIcon_Menu(10, 20);
    EXPECT_FALSE(w.services.menus[1][1].enabled);  // no other window to take

    Window().SetVisible(false);  // in the notification area
    w.services.menuChoice = L"画面全体";
    const int waits = w.services.CallCount("WaitForScreenUpdate");
    w.window.NotifyIcon_Menu(10, 20);
    EXPECT_EQ(waits + 1, w.services.CallCount("WaitForScreenUpdate"));  // for the menu to leave the screen
    EXPECT_FALSE(Window().Visible());
    w.services.menuChoice = L"ウィンドウを表示";
    w.window.NotifyIcon_Menu(10, 20);
    EXPECT_TRUE(Window().Visible() && Window().InForeground());

    w.services.menuChoice = L"終了";  // as Esc
    w.window.NotifyIcon_Menu(10, 20);
    EXPECT_TRUE(w.services.ending);
    EXPECT_NE(std::string::npos, ReadWholeFile(w.window.settingsPath).value_or("").find("KeyScreen :PrtSc"));
}

// The dialog records keys with ours let go; OK applies and keeps the new
// options at once, Cancel brings the old keys back.
TEST_F(NotifyCommandsTest, OptionsApplyAtOnceAndCancelChangesNothing) {
    w.window.Form_Load();
    w.window.Form_Shown();
    const std::string settings = ReadWholeFile(w.window.settingsPath).value_or("<no file>");
    std::optional<Options> answer;
    size_t heldWhileOpen = 99;
    w.window.optionsDialog = [&](const Options&, const std::array<bool, kKeyCommandCount>&) {
        heldWhileOpen = w.services.hotkeys.size();
        return answer;
    };
    w.window.ShowOptions();
    EXPECT_EQ(0u, heldWhileOpen);
    EXPECT_EQ(4u, w.services.hotkeys.size());
    EXPECT_EQ(settings, ReadWholeFile(w.window.settingsPath).value_or("<no file>"));

    Options chosen;
    chosen.Key(KeyCommand::FullScreen).key = {0x70, kModControl};
    chosen.Key(KeyCommand::ActiveWindow).on = false;
    chosen.minimizeToTray = true;
    answer = chosen;
    w.window.Form_SystemMenu(0x0100);  // オプション… in the window's menu
    EXPECT_EQ(3u, w.services.hotkeys.size());
    EXPECT_TRUE((Hotkey{0x70, kModControl}) == w.services.hotkeys.at(static_cast<int>(KeyCommand::FullScreen)));
    EXPECT_EQ(L"オプションを設定しました。", w.window.StatusBar1.Text());
    EXPECT_NE(std::string::npos, ReadWholeFile(w.window.settingsPath).value_or("").find("OnWindow  :0\r\nOnRegion  :1\r\nToTray    :1"));

    w.window.Form_Minimized();
    EXPECT_FALSE(Window().Visible());  // into the notification area
    EXPECT_EQ((std::vector<std::pair<int, std::wstring>>{{0x0100, L"オプション(&O)…"}}), Window().systemMenu);
}

}  // namespace
}  // namespace scrimble
