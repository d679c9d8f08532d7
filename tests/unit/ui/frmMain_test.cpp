// The main window's own handlers: load and unload, the shortcut keys, the
// small rules of the delay list and the number boxes, and the shell commands.
#include "ui/frmMain.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "support/main_window_harness.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;
using Texts = std::vector<std::wstring>;
using Log = std::vector<std::string>;

std::string SettingsText(const std::string& timerKind, const std::string& autoSave) {
    return "FormTop   :300\r\nFormLeft  :450\r\nTimerKind :" + timerKind + "\r\nTimerTime :3\r\nClip      :1\r\n" +
           "AutoSave  :" + autoSave + "\r\nPath      :D:\\Shots\r\nFile      :Cap\r\nNo        :007\r\n" +
           "Up        :5\r\n";
}

class FrmMainTest : public ::testing::Test {
protected:
    FrmMainTest() { w.window.settingsPath = dir.File("Scrimble.ini"); }

    std::string SettingsFile() const { return ReadWholeFile(w.window.settingsPath).value_or("<no file>"); }
    forms::Control* Focused() { return w.memory.focus().Focused(); }
    void MoveFocus(forms::Control& target) { w.memory.focus().MoveTo(&target); }

    // Notes every focus change of the two number boxes, keeping the window's
    // own handlers. A focus that never settles fails the test, not hangs it.
    void LogFocus() {
        for (forms::Control* box : {&w.window.txtNumber, &w.window.txtUp}) {
            for (auto [handler, mark] : {std::pair{&box->GotFocus, "+"}, {&box->LostFocus, "-"}}) {
                *handler = [this, name = box->Name() + mark, inner = *handler] {
                    focusLog.push_back(name);
                    if (focusLog.size() > 100) throw std::runtime_error("the focus does not settle");
                    inner();
                };
            }
        }
    }

    test::TempDirectory dir;
    MainWindowHarness w;
    Log focusLog;
};

TEST_F(FrmMainTest, SecondCopyEndsWithoutTouchingTheSettings) {
    w.services.anotherInstanceRunning = true;
    w.window.Form_Load();
    EXPECT_EQ(Texts{L"既に起動されています"}, w.services.messageBoxes);
    EXPECT_EQ((Log{"AnotherInstanceRunning", "MessageBox", "EndProgram"}), w.services.calls);
    EXPECT_EQ(Log{}, dir.Listing());
}

TEST_F(FrmMainTest, LoadAppliesTheSettingsThroughTheClickRules) {
    ReplaceFileContents(w.window.settingsPath, SettingsText("1", "0"));
    w.window.Form_Load();
    EXPECT_EQ(false, w.window.cboTime.Enabled());  // "使用しない" chosen by the file
    EXPECT_EQ(false, w.window.txtNumber.Enabled());
    EXPECT_EQ(L"D:\\Shots", w.window.lblPath.Caption());

    ReplaceFileContents(w.window.settingsPath, SettingsText("3", "1"));
    w.window.Form_Load();
    EXPECT_EQ(true, w.window.cboTime.Enabled());
    EXPECT_EQ(true, w.window.txtNumber.Enabled());
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
    EXPECT_EQ(0, w.services.CallCount("EndProgram"));
    // Each load cleans where the settings file and the captures are written.
    const std::wstring settingsFolder = dir.File("");
    EXPECT_EQ((Texts{settingsFolder, L"D:\\Shots\\", settingsFolder, L"D:\\Shots\\"}), w.services.scratchFoldersCleaned);
}

// What a key did, told by its traces in the services and on disk.
Texts PressKey(int keyCode, int shift) {
    test::TempDirectory dir;
    MainWindowHarness w;
    w.window.settingsPath = dir.File("Scrimble.ini");
    w.window.chkAutoSave.SetValue(0);
    w.window.lblPath.SetCaption(L"D:\\Shots");
    w.services.existingFolders = {L"D:\\Shots"};
    int key = keyCode;
    w.window.Form_KeyDown(key, shift);
    // A key that runs a command is taken (F4 would also drop a list down);
    // any other goes on to the focused control.
    EXPECT_EQ(w.services.calls.empty() ? keyCode : 0, key);
    Texts effects;
    for (const std::string& call : w.services.calls) {
        if (call == "CaptureFullScreen" || call == "CaptureForegroundWindow" || call == "EndProgram") {
            effects.emplace_back(call.begin(), call.end());
        }
    }
    for (const std::wstring& folder : w.services.foldersOpened) effects.push_back(L"folder " + folder);
    for (const std::wstring& target : w.services.shellOpened) effects.push_back(L"open " + target);
    if (!dir.Listing().empty()) effects.push_back(L"settings written");
    return effects;
}

TEST(FrmMainShortcuts, KeysWithoutModifiersRunTheirCommands) {
    const std::pair<int, Texts> table[] = {
        {112, {L"CaptureFullScreen"}},       {113, {L"CaptureForegroundWindow"}}, {114, {L"CaptureFullScreen"}},
        {115, {L"folder D:\\Shots"}},        {123, {L"open " + std::wstring(kHomePageAddress)}},
        {27, {L"EndProgram", L"settings written"}},
    };
    for (const auto& [key, effects] : table) {
        SCOPED_TRACE(key);
        EXPECT_EQ(effects, PressKey(key, 0));
        for (int shift : {1, 2, 4, 3, 7}) EXPECT_EQ(Texts{}, PressKey(key, shift)) << "shift " << shift;
    }
    for (int key : {116, 117, 13, 65, 9, 121}) EXPECT_EQ(Texts{}, PressKey(key, 0)) << key;
}

TEST_F(FrmMainTest, EscapeAndUnloadWriteTheSettingsAsTheyAreThenEnd) {
    const std::function<void()> triggers[] = {[this] { int key = 27; w.window.Form_KeyDown(key, 0); },
                                              [this] { w.window.Form_Unload(); }};
    for (const auto& trigger : triggers) {
        w.window.txtNumber.SetText(L"abc");
        MoveFocus(w.window.txtNumber);  // its rule must not stop the window from closing
        w.services.calls.clear();
        trigger();
        EXPECT_NE(std::string::npos, SettingsFile().find("\r\nNo        :abc\r\n"));
        EXPECT_EQ("EndProgram", w.services.calls.back());
        EXPECT_EQ(Texts{}, w.services.messageBoxes);
        ReplaceFileContents(w.window.settingsPath, std::string());
    }
}

TEST_F(FrmMainTest, DelayLengthIsDisabledOnlyWhileNoDelayIsChosen) {
    for (const auto& [index, enabled] :
         {std::pair{0, false}, {1, true}, {0, false}, {2, true}, {0, false}, {-1, true}}) {
        w.window.cboTimer.SetListIndex(index);
        EXPECT_EQ(enabled, w.window.cboTime.Enabled()) << index;
    }
    w.window.cboTime.SetListIndex(6);
    w.window.cboTimer.SetListIndex(0);
    EXPECT_EQ(L"7", w.window.cboTime.Text());  // the selection survives the greying
}

TEST_F(FrmMainTest, EnteringATextBoxSelectsFromTheCaretToTheEnd) {
    const struct { forms::Control* box; std::wstring text; int caret, selectedLength; } cases[] = {
        {&w.window.txtFile, L"Capture", 0, 7}, {&w.window.txtFile, L"Capture", 3, 4},
        {&w.window.txtNumber, L"0123", 0, 4},  {&w.window.txtNumber, L"0123", 4, 0},
        {&w.window.txtUp, L"10", 0, 2},        {&w.window.txtUp, L"10", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.box->Name() << " caret " << c.caret);
        MoveFocus(w.window.cmdFullScreen);
        c.box->SetText(c.text);
        c.box->SetSelStart(c.caret);
        MoveFocus(*c.box);
        EXPECT_EQ(c.caret, c.box->SelStart());
        EXPECT_EQ(c.selectedLength, c.box->SelLength());
    }
}

TEST_F(FrmMainTest, NumberBoxesKeepTheFocusUntilTheyHoldANumber) {
    for (forms::Control* box : {&w.window.txtNumber, &w.window.txtUp}) {
        for (const auto& [text, keepsFocus] : {std::pair{L"", true}, {L"abc", true}, {L"-5", false}, {L" 12 ", false},
                                              {L"1.5", false}}) {
            SCOPED_TRACE(::testing::Message() << box->Name() << " " << ::testing::PrintToString(text));
            w.window.txtNumber.SetText(L"1");  // a settled window: both boxes valid, the focus elsewhere
            w.window.txtUp.SetText(L"1");
            MoveFocus(w.window.txtFile);
            box->SetText(text);
            const std::wstring typed = box->Text();
            MoveFocus(*box);
            MoveFocus(w.window.cmdFullScreen);
            EXPECT_EQ(keepsFocus ? box : &w.window.cmdFullScreen, Focused());
            EXPECT_EQ(typed, box->Text());
        }
    }
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
}

TEST_F(FrmMainTest, TwoBoxesWithoutNumbersSettleInTheBoxLeftFirst) {
    w.window.txtNumber.SetText(L"abc");
    w.window.txtUp.SetText(L"xyz");
    MoveFocus(w.window.txtNumber);
    LogFocus();
    MoveFocus(w.window.txtUp);
    EXPECT_EQ(&w.window.txtNumber, Focused());
    EXPECT_EQ((Log{"txtNumber-", "txtUp+", "txtUp-", "txtNumber+"}), focusLog);

    w.window.txtNumber.SetText(L"1");  // the same from the other side
    MoveFocus(w.window.txtUp);
    w.window.txtNumber.SetText(L"abc");
    focusLog.clear();
    MoveFocus(w.window.txtNumber);
    EXPECT_EQ(&w.window.txtUp, Focused());
    EXPECT_EQ((Log{"txtUp-", "txtNumber+", "txtNumber-", "txtUp+"}), focusLog);

    w.window.txtUp.SetText(L"2");  // nothing left over: txtNumber's rule holds again
    MoveFocus(w.window.txtNumber);
    MoveFocus(w.window.txtFile);
    EXPECT_EQ(&w.window.txtNumber, Focused());
}

// Leaving a box without a number by a click that disables it or hides the
// window drops the focus request; the rule of the other box holds all the same.
TEST(FrmMainFocusGuard, ADroppedFocusRequestLeavesNoGuardBehind) {
    for (const char* click : {"chkAutoSave", "cmdFullScreen"}) {
        SCOPED_TRACE(click);
        MainWindowHarness w;
        forms::MemoryFocus& focus = w.memory.focus();
        w.window.txtNumber.SetText(L"abc");
        focus.MoveTo(&w.window.txtNumber);
        focus.Click(&w.memory[click]);
        EXPECT_EQ(&w.memory[click], focus.Focused());
        w.window.chkAutoSave.SetValue(1);
        w.window.txtUp.SetText(L"xyz");
        focus.MoveTo(&w.window.txtUp);
        focus.MoveTo(&w.window.txtFile);
        EXPECT_EQ(&w.window.txtUp, focus.Focused());
    }
}

TEST_F(FrmMainTest, OnlyAChosenFolderReplacesTheSaveFolder) {
    const std::pair<std::optional<std::wstring>, std::wstring> cases[] = {
        {L"D:\\pics", L"D:\\pics"}, {std::nullopt, L"D:\\pics"}, {L"", L"D:\\pics"}, {L"E:\\", L"E:\\"}};
    for (const auto& [choice, folder] : cases) {
        w.services.folderChoice = choice;
        w.window.cmdPath.OnUserClick();
        EXPECT_EQ(folder, w.window.lblPath.Caption());
    }
    ASSERT_EQ(4u, w.services.folderBrowsers.size());
    EXPECT_EQ(w.memory.form().Handle(), w.services.folderBrowsers[0].first);
    EXPECT_EQ(L"ﾌｫﾙﾀﾞを選択してください", w.services.folderBrowsers[0].second);
}

// The settings file is in code page 932: a folder name it cannot hold is kept
// by its short form, or refused with a message, and what is kept survives
// the next start unchanged.
TEST_F(FrmMainTest, AChosenFolderIsKeptAsTheSettingsFileCanGiveItBack) {
    w.services.shortPaths = {{L"D:\\café", L"D:\\CAF~1"}, {L"D:\\x\U0001F600", L"D:\\x\U0001F600"}};
    const struct { std::wstring choice, folder; bool refused; } cases[] = {
        {L"D:\\画像 ﾊﾟｽ", L"D:\\画像 ﾊﾟｽ", false},  {L"D:\\café", L"D:\\CAF~1", false},
        {L"D:\\no\u00E9short", L"D:\\CAF~1", true},  // no short form: the previous folder stays
        {L"D:\\x\U0001F600", L"D:\\CAF~1", true},    // short names switched off: the same long name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.choice));
        w.services.messageBoxes.clear();
        w.services.folderChoice = c.choice;
        w.window.cmdPath.OnUserClick();
        EXPECT_EQ(c.folder, w.window.lblPath.Caption());
        EXPECT_EQ(c.refused ? Texts{L"52 : 設定ファイルに保存できない文字がフォルダ名に含まれています: " + c.choice}
                            : Texts{},
                  w.services.messageBoxes);

        w.window.Form_Unload();
        MainWindowHarness next;
        next.window.settingsPath = w.window.settingsPath;
        next.window.Form_Load();
        EXPECT_EQ(c.folder, next.window.lblPath.Caption());
    }
}

TEST_F(FrmMainTest, ExplorerOpensTheFolderShownHomeTheHomePageAndGreyedButtonsNothing) {
    w.window.cmdSave.OnUserClick();
    w.window.cmdPrint.OnUserClick();
    w.window.lblPath.SetCaption(L"D:\\Shots");
    w.services.existingFolders = {L"D:\\Shots"};
    w.window.cmdExplorer.OnUserClick();
    w.window.chkAutoSave.SetValue(0);  // the folder still opens with auto-save off
    w.window.cmdExplorer.OnUserClick();
    w.window.cmdHome.OnUserClick();
    EXPECT_EQ((Texts{L"D:\\Shots", L"D:\\Shots"}), w.services.foldersOpened);
    EXPECT_EQ((Texts{kHomePageAddress}), w.services.shellOpened);
    EXPECT_EQ((Log{"IsExistingFolder", "OpenFolder", "IsExistingFolder", "OpenFolder", "ShellOpen"}),
              w.services.calls);
    EXPECT_EQ(L"https://", std::wstring(kHomePageAddress).substr(0, 8));
}

TEST_F(FrmMainTest, ExplorerOpensNothingButAnExistingFolder) {
    w.services.existingFolders = {L"D:\\Shots"};
    for (const std::wstring caption : {L"https://example.org/", L"D:\\Shots\\run.bat", L"C:\\tools\\setup.exe",
                                       L"D:\\Missing", L""}) {
        SCOPED_TRACE(::testing::PrintToString(caption));
        w.services.messageBoxes.clear();
        w.window.lblPath.SetCaption(caption);
        int key = 115;
        w.window.Form_KeyDown(key, 0);
        w.window.cmdExplorer.OnUserClick();
        EXPECT_EQ(Texts(2, L"77 : フォルダが見つかりません: " + caption), w.services.messageBoxes);
        EXPECT_EQ(caption, w.window.lblPath.Caption());
    }
    EXPECT_EQ(Texts{}, w.services.foldersOpened);
    EXPECT_EQ(Texts{}, w.services.shellOpened);
}

TEST_F(FrmMainTest, ShellThatCannotOpenIsToldAndTheWindowGoesOn) {
    w.window.lblPath.SetCaption(L"D:\\Shots");
    w.services.existingFolders = {L"D:\\Shots"};
    w.services.shellError = ShellOpenError(L"D:\\Shots");
    w.window.cmdExplorer.OnUserClick();
    w.services.shellError = ShellOpenError(kHomePageAddress);
    w.window.cmdHome.OnUserClick();
    EXPECT_EQ((Texts{L"483 : 開けませんでした: D:\\Shots", L"483 : 開けませんでした: " + std::wstring(kHomePageAddress)}),
              w.services.messageBoxes);
    EXPECT_EQ(0, w.services.CallCount("EndProgram"));
}

// Started from a folder that takes no settings file, the window still comes
// up, says so, and works; the close reports the write as before.
TEST_F(FrmMainTest, UnwritableSettingsFolderStartsWithTheDefaultsAndSaysSo) {
    w.window.settingsPath = dir.File("no-such-dir/Scrimble.ini");
    w.window.Form_Load();
    EXPECT_EQ(L"設定ファイルに書き込めないため、設定は保存されません。", w.window.StatusBar1.Text());
    EXPECT_EQ(L"Screen", w.window.txtFile.Text());
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
    EXPECT_EQ(0, w.services.CallCount("EndProgram"));
    EXPECT_EQ(75, test::ErrorNumberOf([&] { w.window.Form_Unload(); }));
}

}  // namespace
}  // namespace scrimble
