// The main window's own handlers: load and unload, the shortcut keys, the
// small rules of the delay list and the number boxes, and the shell commands.
#include "ui/frmMain.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "support/main_window_harness.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;

class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/scrimble-main-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::wstring File(const std::string& name) const { return (path_ / name).wstring(); }
    bool Empty() const { return std::filesystem::is_empty(path_); }

private:
    std::filesystem::path path_;
};

std::string SettingsText(const std::string& timerKind, const std::string& autoSave) {
    return "FormTop   :300\r\n"
           "FormLeft  :450\r\n"
           "TimerKind :" + timerKind + "\r\n"
           "TimerTime :3\r\n"
           "Clip      :1\r\n"
           "AutoSave  :" + autoSave + "\r\n"
           "Path      :D:\\Shots\r\n"
           "File      :Cap\r\n"
           "No        :007\r\n"
           "Up        :5\r\n";
}

class FrmMainTest : public ::testing::Test {
protected:
    FrmMainTest() { w.window.settingsPath = dir.File("Scrimble.ini"); }

    std::optional<std::string> SettingsFile() const { return ReadWholeFile(w.window.settingsPath); }

    // Notes every focus change of the three text boxes, in order, keeping the
    // window's own handlers. A focus that never settles fails the test rather
    // than hanging it.
    void LogFocus() {
        for (forms::Control* box : {&w.window.txtFile, &w.window.txtNumber, &w.window.txtUp}) {
            auto gotFocus = box->GotFocus;
            auto lostFocus = box->LostFocus;
            box->GotFocus = [this, box, gotFocus] {
                Note(box->Name() + "+");
                if (gotFocus) gotFocus();
            };
            box->LostFocus = [this, box, lostFocus] {
                Note(box->Name() + "-");
                if (lostFocus) lostFocus();
            };
        }
    }
    void Note(const std::string& event) {
        focusLog.push_back(event);
        if (focusLog.size() > 100) throw std::runtime_error("the focus does not settle");
    }

    forms::Control* Focused() { return w.memory.focus().Focused(); }
    void MoveFocus(forms::Control& target) { w.memory.focus().MoveTo(&target); }

    TempDirectory dir;
    MainWindowHarness w;
    std::vector<std::string> focusLog;
};

TEST_F(FrmMainTest, SecondCopyEndsWithoutTouchingTheSettings) {
    w.services.anotherInstanceRunning = true;

    w.window.Form_Load();

    EXPECT_EQ(std::vector<std::wstring>{L"既に起動されています"}, w.services.messageBoxes);
    EXPECT_EQ((std::vector<std::string>{"AnotherInstanceRunning", "MessageBox", "EndProgram"}), w.services.calls);
    EXPECT_EQ(true, dir.Empty());
    EXPECT_EQ(-1, w.window.cboTimer.ListIndex());
    EXPECT_EQ(L"C:\\", w.window.lblPath.Caption());
}

TEST_F(FrmMainTest, LoadAppliesTheSettingsThroughTheClickRules) {
    ReplaceFileContents(w.window.settingsPath, SettingsText("1", "0"));

    w.window.Form_Load();

    EXPECT_EQ(0, w.window.cboTimer.ListIndex());
    EXPECT_EQ(false, w.window.cboTime.Enabled());  // "使用しない" chosen by the file
    EXPECT_EQ(L"3", w.window.cboTime.Text());
    EXPECT_EQ(0, w.window.chkAutoSave.Value());
    EXPECT_EQ(false, w.window.txtNumber.Enabled());
    EXPECT_EQ(false, w.window.cmdPath.Enabled());
    EXPECT_EQ(true, w.window.cmdExplorer.Enabled());
    EXPECT_EQ(L"D:\\Shots", w.window.lblPath.Caption());
    EXPECT_EQ(L"007", w.window.txtNumber.Text());
    EXPECT_EQ(300.0f, w.memory.form().Top());
    EXPECT_EQ(450.0f, w.memory.form().Left());
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
    EXPECT_EQ(0, w.services.endProgramCount);
}

TEST_F(FrmMainTest, LoadWithADelayModeEnablesTheDelayLength) {
    ReplaceFileContents(w.window.settingsPath, SettingsText("3", "1"));
    w.window.cboTime.SetEnabled(false);

    w.window.Form_Load();

    EXPECT_EQ(2, w.window.cboTimer.ListIndex());
    EXPECT_EQ(true, w.window.cboTime.Enabled());
    EXPECT_EQ(true, w.window.txtNumber.Enabled());
}

TEST_F(FrmMainTest, LoadWithoutASettingsFileWritesTheDefaults) {
    w.window.Form_Load();

    ASSERT_NE(std::nullopt, SettingsFile());
    EXPECT_NE(std::string::npos, SettingsFile()->find("No        :01\r\n"));
    EXPECT_EQ(L"01", w.window.txtNumber.Text());
    EXPECT_EQ(false, w.window.cboTime.Enabled());
}

// What one shortcut did, told by its traces in the services and on disk.
struct ShortcutEffect {
    int fullScreenCaptures = 0;
    int activeWindowCaptures = 0;
    std::vector<std::wstring> opened;
    int endProgram = 0;
    bool settingsWritten = false;

    bool operator==(const ShortcutEffect& other) const {
        return fullScreenCaptures == other.fullScreenCaptures &&
               activeWindowCaptures == other.activeWindowCaptures && opened == other.opened &&
               endProgram == other.endProgram && settingsWritten == other.settingsWritten;
    }
};

void PrintTo(const ShortcutEffect& effect, std::ostream* out) {
    *out << "{full " << effect.fullScreenCaptures << ", active " << effect.activeWindowCaptures << ", opened "
         << ::testing::PrintToString(effect.opened) << ", end " << effect.endProgram << ", settings "
         << effect.settingsWritten << "}";
}

ShortcutEffect PressKey(int keyCode, int shift) {
    TempDirectory dir;
    MainWindowHarness harness;
    harness.window.settingsPath = dir.File("Scrimble.ini");
    harness.window.chkAutoSave.SetValue(0);
    harness.window.lblPath.SetCaption(L"D:\\Shots");

    int key = keyCode;
    harness.window.Form_KeyDown(key, shift);
    EXPECT_EQ(keyCode, key) << "the key goes on to the focused control";

    ShortcutEffect effect;
    effect.fullScreenCaptures = harness.services.CallCount("CaptureFullScreen");
    effect.activeWindowCaptures = harness.services.CallCount("CaptureForegroundWindow");
    effect.opened = harness.services.shellOpened;
    effect.endProgram = harness.services.endProgramCount;
    effect.settingsWritten = !dir.Empty();
    return effect;
}

TEST(FrmMainShortcuts, KeysWithoutModifiersRunTheirCommands) {
    ShortcutEffect f1, f2, f4, f12, esc;
    f1.fullScreenCaptures = 1;
    f2.activeWindowCaptures = 1;
    f4.opened = {L"D:\\Shots"};
    f12.opened = {kHomePageAddress};
    esc.endProgram = 1;
    esc.settingsWritten = true;
    const std::pair<int, ShortcutEffect> table[] = {{112, f1}, {113, f2}, {115, f4}, {123, f12}, {27, esc}};

    for (const auto& [key, effect] : table) {
        SCOPED_TRACE(key);
        EXPECT_EQ(effect, PressKey(key, 0));
        for (int shift : {1, 2, 4, 3, 7}) {
            SCOPED_TRACE(shift);
            EXPECT_EQ(ShortcutEffect{}, PressKey(key, shift));
        }
    }
}

TEST(FrmMainShortcuts, OtherKeysDoNothing) {
    for (int key : {114, 116, 117, 13, 65, 9, 121}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(ShortcutEffect{}, PressKey(key, 0));
    }
}

TEST_F(FrmMainTest, EscapeWritesTheSettingsAsTheyAreThenEnds) {
    w.window.txtNumber.SetText(L"abc");
    MoveFocus(w.window.txtNumber);
    w.services.calls.clear();

    int key = 27;
    w.window.Form_KeyDown(key, 0);

    ASSERT_NE(std::nullopt, SettingsFile());
    EXPECT_NE(std::string::npos, SettingsFile()->find("\r\nNo        :abc\r\n"));
    EXPECT_EQ("EndProgram", w.services.calls.back());
    EXPECT_EQ(1, w.services.endProgramCount);
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(FrmMainTest, UnloadWritesTheSettingsAndEnds) {
    w.window.txtFile.SetText(L"Shot");
    int cancel = 0;
    w.window.Form_Unload(cancel);

    EXPECT_EQ(0, cancel);
    ASSERT_NE(std::nullopt, SettingsFile());
    EXPECT_NE(std::string::npos, SettingsFile()->find("File      :Shot\r\n"));
    EXPECT_EQ(1, w.services.endProgramCount);
}

TEST_F(FrmMainTest, DelayLengthIsDisabledOnlyWhileNoDelayIsChosen) {
    struct Case {
        int listIndex;
        bool enabled;
    };
    for (const Case& c : {Case{0, false}, Case{1, true}, Case{0, false}, Case{2, true}, Case{0, false},
                          Case{-1, true}}) {
        SCOPED_TRACE(c.listIndex);
        w.window.cboTimer.SetListIndex(c.listIndex);
        EXPECT_EQ(c.enabled, w.window.cboTime.Enabled());
    }
    // The selection survives the greying.
    w.window.cboTime.SetListIndex(6);
    w.window.cboTimer.SetListIndex(0);
    EXPECT_EQ(L"7", w.window.cboTime.Text());
}

TEST_F(FrmMainTest, EnteringATextBoxSelectsFromTheCaretToTheEnd) {
    struct Case {
        forms::Control* box;
        std::wstring text;
        int caret;
        int selectedLength;
    };
    const Case cases[] = {
        {&w.window.txtFile, L"Capture", 0, 7},
        {&w.window.txtFile, L"Capture", 3, 4},
        {&w.window.txtNumber, L"0123", 0, 4},
        {&w.window.txtNumber, L"0123", 4, 0},
        {&w.window.txtUp, L"10", 0, 2},
        {&w.window.txtUp, L"10", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.box->Name() << " caret " << c.caret);
        MoveFocus(w.window.cmdFullScreen);
        c.box->SetText(c.text);
        c.box->SetSelStart(c.caret);

        MoveFocus(*c.box);

        EXPECT_EQ(c.caret, c.box->SelStart());
        EXPECT_EQ(c.selectedLength, c.box->SelLength());
        EXPECT_EQ(c.text, c.box->Text());
    }
}

TEST_F(FrmMainTest, NumberBoxesKeepTheFocusUntilTheyHoldANumber) {
    struct Case {
        std::wstring text;
        bool keepsFocus;
    };
    const Case cases[] = {{L"", true}, {L"abc", true}, {L"-5", false}, {L" 12 ", false}, {L"1.5", false}};
    for (forms::Control* box : {&w.window.txtNumber, &w.window.txtUp}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << box->Name() << " " << ::testing::PrintToString(c.text));
            // Start from a settled window: both boxes valid, the focus elsewhere.
            w.window.txtNumber.SetText(L"1");
            w.window.txtUp.SetText(L"1");
            MoveFocus(w.window.txtFile);
            ASSERT_EQ(&w.window.txtFile, Focused());
            box->SetText(c.text);
            const std::wstring typed = box->Text();
            MoveFocus(*box);

            MoveFocus(w.window.cmdFullScreen);

            EXPECT_EQ(c.keepsFocus ? box : &w.window.cmdFullScreen, Focused());
            EXPECT_EQ(typed, box->Text());
        }
    }
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(FrmMainTest, TwoBoxesWithoutNumbersSettleInTheBoxLeftFirst) {
    w.window.txtNumber.SetText(L"abc");
    w.window.txtUp.SetText(L"xyz");
    MoveFocus(w.window.txtNumber);
    LogFocus();

    MoveFocus(w.window.txtUp);
    EXPECT_EQ(&w.window.txtNumber, Focused());
    EXPECT_EQ((std::vector<std::string>{"txtNumber-", "txtUp+", "txtUp-", "txtNumber+"}), focusLog);

    // The same from the other side.
    w.window.txtNumber.SetText(L"1");
    MoveFocus(w.window.txtUp);
    w.window.txtNumber.SetText(L"abc");
    focusLog.clear();
    MoveFocus(w.window.txtNumber);
    EXPECT_EQ(&w.window.txtUp, Focused());
    EXPECT_EQ((std::vector<std::string>{"txtUp-", "txtNumber+", "txtNumber-", "txtUp+"}), focusLog);

    // Nothing is left over: once txtUp is fixed, txtNumber's rule holds again.
    w.window.txtUp.SetText(L"2");
    MoveFocus(w.window.txtNumber);
    EXPECT_EQ(&w.window.txtNumber, Focused());
    MoveFocus(w.window.txtFile);
    EXPECT_EQ(&w.window.txtNumber, Focused());
}

TEST_F(FrmMainTest, ChosenFolderBecomesTheSaveFolder) {
    w.services.folderChoice = L"D:\\pics";
    w.window.cmdPath_Click();

    EXPECT_EQ(L"D:\\pics", w.window.lblPath.Caption());
    EXPECT_EQ(std::vector<NativeHandle>{w.memory.form().Handle()}, w.services.browseOwners);
    EXPECT_EQ(std::vector<std::wstring>{L"ﾌｫﾙﾀﾞを選択してください"}, w.services.browseTitles);

    w.services.folderChoice = L"E:\\";
    w.window.cmdPath.OnUserClick();
    EXPECT_EQ(L"E:\\", w.window.lblPath.Caption());
}

TEST_F(FrmMainTest, CancelledOrPathlessChoiceKeepsTheFolder) {
    w.window.lblPath.SetCaption(L"D:\\Shots");
    for (const std::optional<std::wstring>& choice : {std::optional<std::wstring>{}, std::optional<std::wstring>{L""}}) {
        w.services.folderChoice = choice;
        w.window.cmdPath_Click();
        EXPECT_EQ(L"D:\\Shots", w.window.lblPath.Caption());
    }
    EXPECT_EQ(2, w.services.CallCount("BrowseForFolder"));
}

TEST_F(FrmMainTest, ExplorerOpensTheFolderShownAndHomeTheHomePage) {
    w.window.lblPath.SetCaption(L"D:\\Shots");
    w.window.cmdExplorer.OnUserClick();
    w.window.chkAutoSave.SetValue(0);  // the folder still opens with auto-save off
    w.window.cmdExplorer_Click();
    w.window.cmdHome.OnUserClick();

    EXPECT_EQ((std::vector<std::wstring>{L"D:\\Shots", L"D:\\Shots", kHomePageAddress}), w.services.shellOpened);
    EXPECT_EQ(std::wstring(L"https://"), std::wstring(kHomePageAddress).substr(0, 8));
}

TEST_F(FrmMainTest, GreyedButtonsDoNothing) {
    w.window.cmdSave.OnUserClick();
    w.window.cmdPrint.OnUserClick();
    EXPECT_EQ(std::vector<std::string>{}, w.services.calls);
}

}  // namespace
}  // namespace scrimble
