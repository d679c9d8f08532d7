#include "settings/mdlIniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "forms/form_builder.h"
#include "platform/file_io.h"
#include "support/fake_services.h"
#include "support/memory_files.h"
#include "support/setting_controls.h"
#include "support/test_util.h"
#include "ui/frmMain_layout.h"

namespace scrimble::mdlIniFile {
namespace {

using forms::MemoryForm;
using Values = std::vector<std::wstring>;

const std::string kDefaultBytesC =
    "FormTop   :10\r\nFormLeft  :10\r\nTimerKind :1\r\nTimerTime :5\r\nClip      :1\r\nAutoSave  :1\r\n"
    "Path      :C:\\\r\nFile      :Screen\r\nNo        :01\r\nUp        :10\r\nFormat    :BMP\r\n"
    "KeyScreen :PrtSc\r\nKeyWindow :Alt+PrtSc\r\nKeyRegion :Ctrl+PrtSc\r\nOnScreen  :1\r\nOnWindow  :1\r\n"
    "OnRegion  :1\r\nToTray    :0\r\nCursor    :0\r\nKeyLast   :Shift+PrtSc\r\nOnLast    :1\r\nRegion    :\r\n";

// Top, left, then the nine controls in file order, as ShownValues gives them.
const Values kDefaults = {L"10", L"10", L"0", L"4", L"1", L"1", L"C:\\", L"Screen", L"01", L"10", L"0"};
const Values kInitial = {L"0", L"0", L"-1", L"-1", L"0", L"1", L"C:\\", L"Capture", L"001", L"1", L"-1"};
// A valid file whose every value differs from both of the above, so that each
// test can tell applied, default and untouched apart.
const std::vector<std::pair<std::string, std::string>> kCustomFile = {
    {"FormTop   :", "300"}, {"FormLeft  :", "450"}, {"TimerKind :", "2"}, {"TimerTime :", "3"},
    {"Clip      :", "0"},   {"AutoSave  :", "0"},   {"Path      :", "D:\\Shots\\"},
    {"File      :", "Cap"}, {"No        :", "007"}, {"Up        :", "5"},         {"Format    :", "PNG"},
    {"KeyScreen :", "Ctrl+F1"}, {"KeyWindow :", "Shift+F12"}, {"KeyRegion :", "Alt+F5"}, {"OnScreen  :", "0"},
    {"OnWindow  :", "1"}, {"OnRegion  :", "0"}, {"ToTray    :", "1"}, {"Cursor    :", "1"},
    {"KeyLast   :", "Ctrl+Shift+F3"}, {"OnLast    :", "0"}, {"Region    :", "-100,5,300,250"},
};
const Values kCustom = {L"300", L"450", L"1", L"2", L"0", L"0", L"D:\\Shots\\", L"Cap", L"007", L"5", L"1"};

// The custom file, with the value of `key` replaced.
std::string CustomFile(const std::string& key = "", const std::string& value = "",
                       const std::string& lineEnd = "\r\n") {
    std::string bytes;
    for (const auto& [k, v] : kCustomFile) bytes += k + (k == key ? value : v) + lineEnd;
    return bytes;
}

// The nine controls the file fills, in file order.
const char* const kControls[] = {"cboTimer", "cboTime",   "chkClip",   "chkAutoSave", "lblPath",
                                 "txtFile",  "txtNumber", "txtUp",     "cboFormat"};

// Top, left, then each control's list index, check state or text.
Values ShownValues(forms::Form& form) {
    std::wostringstream top, left;
    top << form.Top();
    left << form.Left();
    Values values = {top.str(), left.str()};
    for (const char* name : kControls) {
        forms::Control& control = form.Get(name);
        switch (control.Kind()) {
            case forms::ControlKind::ComboList: values.push_back(std::to_wstring(control.ListIndex())); break;
            case forms::ControlKind::CheckBox: values.push_back(std::to_wstring(control.Value())); break;
            default: values.push_back(control.Text()); break;
        }
    }
    return values;
}

// Where a control's value sits in ShownValues.
size_t Slot(const std::string& control) {
    return 2 + (std::find(std::begin(kControls), std::end(kControls), control) - std::begin(kControls));
}

class IniFileTest : public ::testing::Test {
protected:
    std::string FileBytes() const { return ReadWholeFile(path).value_or("<no file>"); }
    void Read(const std::string& bytes, const PositionVisible& positionVisible = {}) {
        ReplaceFileContents(path, bytes);
        IniFileRead(test::SettingControlsOf(window, options), services, path, positionVisible);
    }
    Values Shown() { return ShownValues(window.form()); }

    test::TempDirectory dir;
    std::wstring path = dir.File("Scrimble.ini");
    MemoryForm window{ui::MainWindowLayout()};
    Options options;
    test::FakeServices services;
};

TEST(IniFileTakeLine, EndsLinesAtCrOrCrLfButNotAtLfAlone) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\r\nb\rc\nd\r\re", {"a", "b", "c\nd", "", "e"}}, {"one\r\ntwo", {"one", "two"}}, {"one\r\n", {"one"}},
        {"", {}}, {"\r\n", {""}}, {"\r\r\n", {"", ""}},
    };
    for (const auto& [bytes, lines] : cases) {
        std::vector<std::string> taken;
        std::string_view rest = bytes, line;
        while (TakeLine(rest, line)) taken.emplace_back(line);
        EXPECT_EQ(lines, taken) << ::testing::PrintToString(bytes);
    }
}

TEST(IniFileDefaults, MissingFileIsWrittenWithTheKeyboardsDriveAndShown) {
    for (const auto& [subtype, drive] : {std::pair{0, "C:\\"}, {3328, "C:\\"}, {3329, "A:\\"}, {3332, "A:\\"},
                                         {3333, "C:\\"}}) {
        SCOPED_TRACE(subtype);
        std::string expected = kDefaultBytesC;
        expected.replace(expected.find("C:\\"), 3, drive);
        test::TempDirectory dir;
        test::FakeServices services;
        services.keyboardSubtype = subtype;
        MemoryForm window(ui::MainWindowLayout());
        Options options;
        IniFileRead(test::SettingControlsOf(window, options), services, dir.File("Scrimble.ini"));
        EXPECT_EQ(expected, ReadWholeFile(dir.File("Scrimble.ini")).value_or(""));
        Values defaults = kDefaults;
        defaults[Slot("lblPath")] = std::wstring(drive, drive + 3);
        EXPECT_EQ(defaults, ShownValues(window.form()));
        EXPECT_EQ(Values{}, services.messageBoxes);
    }
}

TEST_F(IniFileTest, ReadsAndReplacesOnlyThroughTheFilesItIsGiven) {
    test::MemoryFiles files;
    IniFileRead(test::SettingControlsOf(window, options), services, path, {}, files);  // missing: the default file is made
    EXPECT_EQ(kDefaultBytesC, files.files[path]);
    files.files[path] = CustomFile();
    IniFileRead(test::SettingControlsOf(window, options), services, path, {}, files);
    EXPECT_EQ(kCustom, Shown());
    files.files[path].clear();
    IniFileWrite(test::SettingControlsOf(window, options), services, path, files);
    EXPECT_EQ(CustomFile(), files.files[path]);
    EXPECT_EQ(std::vector<std::string>{}, dir.Listing());  // nothing on disk
}

TEST_F(IniFileTest, ValidFileSetsEachControlByItsRulesAndStaysUnchanged) {
    services.keyboardSubtype = 3329;  // must not matter for a valid file
    Read(CustomFile());
    EXPECT_EQ(kCustom, Shown());
    EXPECT_EQ(CustomFile(), FileBytes());

    std::string doubleBytePath;
    for (int i = 0; i < 120; ++i) doubleBytePath += "\x95\x5c";  // 表 in code page 932
    struct Case { std::string key, value; const char* control; std::wstring shown; };
    const Case cases[] = {
        {"TimerKind :", "0", "cboTimer", L"-1"},  // no selection
        {"TimerKind :", "3", "cboTimer", L"2"},
        {"TimerKind :", "2.5", "cboTimer", L"2"},  // index 1.5 rounds half to even
        {"TimerKind :", "1.5", "cboTimer", L"0"},  // and 0.5 too
        {"TimerTime :", " 5.5 ", "cboTime", L"4"},  // blanks allowed
        {"Clip      :", "2", "chkClip", L"2"},      // greyed
        {"AutoSave  :", "1.5", "chkAutoSave", L"2"},
        {"Clip      :", "1.5", "chkClip", L"2"},
        {"No        :", "1234567", "txtNumber", L"12345"},  // the box keeps five
        {"Up        :", "12345", "txtUp", L"123"},          // and this one three
        {"File      :", "  Shot ", "txtFile", L"  Shot "},
        {"File      :", "a\nb", "txtFile", L"a\nb"},  // LF alone ends no line
        {"Path      :", "D:\\" + std::string(147, 'p'), "lblPath", L"D:\\" + std::wstring(147, L'p')},  // whole
        {"Path      :", doubleBytePath, "lblPath", std::wstring(120, L'表')},
    };
    for (const Case& c : cases) {  // each value in turn, the others as above
        SCOPED_TRACE(c.key + c.value.substr(0, 10));
        Read(CustomFile());
        Read(CustomFile(c.key, c.value));
        Values expected = kCustom;
        expected[Slot(c.control)] = c.shown;
        EXPECT_EQ(expected, Shown());
        EXPECT_EQ(CustomFile(c.key, c.value), FileBytes());
    }
}

TEST_F(IniFileTest, ValueThatCannotApplyGivesWayToTheDefaults) {
    const std::string cases[] = {
        CustomFile("TimerKind :", "4"),  CustomFile("TimerTime :", "10"), CustomFile("TimerKind :", "-1"),
        CustomFile("TimerTime :", "1e9"), CustomFile("FormTop   :", "abc"), CustomFile("FormTop   :", ""),
        CustomFile("Clip      :", "3"),
        CustomFile() + "AutoSave  :x\r\n",  // a bad last line still drops the values before it
        CustomFile("", "", "\n"),           // LF alone ends no line: one long line
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        Read(bytes);
        EXPECT_EQ(kDefaultBytesC, FileBytes());
        EXPECT_EQ(kDefaults, Shown());
        EXPECT_EQ(Values{}, services.messageBoxes);
        // The user's file is kept beside, byte for byte, over an older copy.
        EXPECT_EQ(bytes, ReadWholeFile(path + L".bak").value_or("<no copy>"));
    }
    // A missing file has nothing to keep, and leaves the last copy alone.
    std::filesystem::remove(dir.Native("Scrimble.ini"));
    IniFileRead(test::SettingControlsOf(window, options), services, path);
    EXPECT_EQ(cases[std::size(cases) - 1], ReadWholeFile(path + L".bak").value_or("<no copy>"));
}

TEST_F(IniFileTest, FileIsReadLineByLineAndLeftAsItIs) {
    Values repeated = kCustom;
    repeated[Slot("chkClip")] = L"1";
    repeated[Slot("txtFile")] = L"Second";
    Values untouched = kInitial;
    untouched[Slot("cboFormat")] = L"0";  // no format line: BMP, as the first version wrote
    Values bmp = kCustom;
    bmp[Slot("cboFormat")] = L"0";
    std::string tenLines = CustomFile();
    tenLines.erase(tenLines.find("Format"));
    const std::pair<std::string, Values> cases[] = {
        {"", untouched},
        {"clip      :2\r\nClip:2\r\n Clip      :2\r\nFORMTOP   :abc\r\nFormTop:abc\r\n TimerKind :3\r\nClip\r\n",
         untouched},  // keys that differ in case or blanks are skipped
        {tenLines, bmp},  // a file of the first version
        {CustomFile("Format    :", "png"), kCustom},
        {CustomFile("Format    :", "JPEG"), bmp},  // a later version's format: BMP, and the file stays
        {CustomFile("", "", "\r"), kCustom},  // bare CRs end lines too
        {CustomFile("Clip      :", "2") + "Clip      :1\r\nFile      :Second\r\n", repeated},  // the last one counts
    };
    for (const auto& [bytes, shown] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        MemoryForm fresh(ui::MainWindowLayout());
        ReplaceFileContents(path, bytes);
        IniFileRead(test::SettingControlsOf(fresh, options), services, path);
        EXPECT_EQ(shown, ShownValues(fresh.form()));
        EXPECT_EQ(bytes, FileBytes());
        EXPECT_EQ(std::vector<std::string>{"Scrimble.ini"}, dir.Listing());
    }
}

TEST_F(IniFileTest, PositionsUseTheLocaleDecimalSeparator) {
    services.locale = NumberLocale{L',', L'.'};
    Read(CustomFile("FormTop   :", "12,5"));
    EXPECT_EQ(12.5f, window.form().Top());
    IniFileWrite(test::SettingControlsOf(window, options), services, path);
    EXPECT_EQ(0u, FileBytes().find("FormTop   :12,5\r\n"));
}

TEST_F(IniFileTest, PositionNoMonitorShowsFallsBackToTheDefault) {
    std::vector<std::pair<float, float>> asked;
    bool visible = false;
    const PositionVisible check = [&](float left, float top) {
        asked.emplace_back(left, top);
        return visible;
    };
    window.form().SetLeft(2000);
    Read("Clip      :1\r\n", check);  // no position in the file: nothing to check or move
    visible = true;
    Read("FormTop   :700\r\n", check);  // a missing key keeps the current coordinate
    EXPECT_EQ(2000.0f, window.form().Left());
    EXPECT_EQ(700.0f, window.form().Top());
    visible = false;
    Read(CustomFile("FormTop   :", "-90000"), check);
    EXPECT_EQ((std::vector<std::pair<float, float>>{{2000.0f, 700.0f}, {450.0f, -90000.0f}}), asked);
    Values expected = kCustom;
    expected[0] = expected[1] = L"10";  // the other values still apply
    EXPECT_EQ(expected, Shown());
    EXPECT_EQ(CustomFile("FormTop   :", "-90000"), FileBytes());
}

TEST_F(IniFileTest, DefaultsThatCannotApplyStopAfterTwoMoreReadingsAndKeepInitialValues) {
    std::vector<forms::ControlSpec> layout = ui::MainWindowLayout();
    for (auto& row : layout) {
        if (std::string(row.name) == "cboTime") row.items.resize(3);  // the defaults need five
    }
    MemoryForm shortWindow(layout);
    shortWindow.form().SetLeft(120);
    ReplaceFileContents(path, CustomFile("Clip      :", "9"));
    IniFileRead(test::SettingControlsOf(shortWindow, options), services, path);

    EXPECT_EQ(2, services.CallCount("KeyboardSubtype"));  // the default file made twice, then given up
    ASSERT_EQ(1u, services.messageBoxes.size());
    EXPECT_NE(std::wstring::npos, services.messageBoxes[0].find(path + L"」を読み込めませんでした"));
    EXPECT_EQ(kDefaultBytesC, FileBytes());
    // The copy kept is the user's file, never a default file that failed too.
    EXPECT_EQ(CustomFile("Clip      :", "9"), ReadWholeFile(path + L".bak").value_or("<no copy>"));
    // TimerKind 1 was applied before TimerTime 5 failed; it must not stay.
    Values expected = kInitial;
    expected[1] = L"120";
    EXPECT_EQ(expected, ShownValues(shortWindow.form()));
}

// A folder that takes no file (read-only, or a folder where the file would
// be): the window starts with the defaults and is told nothing will be kept.
TEST_F(IniFileTest, RecoveryThatCannotWriteStartsWithTheDefaultsAndSaysSo) {
    std::filesystem::create_directory(dir.Native("taken"));
    services.knownFolders[Services::KnownFolder::Pictures] = L"C:\\Users\\u\\Pictures";
    for (const char* name : {"no-such-dir/Scrimble.ini", "taken"}) {
        SCOPED_TRACE(name);
        MemoryForm fresh(ui::MainWindowLayout());
        EXPECT_FALSE(IniFileRead(test::SettingControlsOf(fresh, options), services, dir.File(name)));
        Values expected = kDefaults;
        expected[Slot("lblPath")] = L"C:\\Users\\u\\Pictures";
        EXPECT_EQ(expected, ShownValues(fresh.form()));
        EXPECT_EQ(std::vector<std::string>{"taken"}, dir.Listing());
        EXPECT_EQ(Values{}, services.messageBoxes);
    }
    EXPECT_TRUE(IniFileRead(test::SettingControlsOf(window, options), services, path));  // a folder that takes it
}

// Captures go where a user may write: the Pictures folder, else Documents,
// each by its short form where the file cannot keep the name; the drive's
// root only when the shell names neither.
TEST(IniFileDefaults, SaveFolderIsTheUsersPicturesFolderWhereThereIsOne) {
    using Known = Services::KnownFolder;
    const std::wstring hangul = L"C:\\Users\\\uD55C\\";  // no code page 932 characters for it
    const struct {
        const char* what;
        std::map<Known, std::wstring> known;
        std::map<std::wstring, std::wstring> shortPaths;
        std::wstring folder;
    } cases[] = {
        {"pictures", {{Known::Pictures, L"C:\\Users\\山田\\Pictures"}, {Known::Documents, L"D:\\Docs"}}, {},
         L"C:\\Users\\山田\\Pictures"},
        {"pictures by its short name", {{Known::Pictures, hangul + L"Pictures"}}, {{hangul + L"Pictures", L"C:\\Users\\D55C~1\\PICTUR~1"}},
         L"C:\\Users\\D55C~1\\PICTUR~1"},
        {"no short name: documents", {{Known::Pictures, hangul + L"Pictures"}, {Known::Documents, L"D:\\Docs"}}, {},
         L"D:\\Docs"},
        {"no known folder: the drive", {}, {}, L"A:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        services.keyboardSubtype = 3329;
        services.knownFolders = c.known;
        services.shortPaths = c.shortPaths;
        EXPECT_EQ(c.folder, DefaultSaveFolder(services));
    }
}

TEST_F(IniFileTest, WriterPutsTheElevenLinesInOrderAndTheyReadBackTheSame) {
    window.form().SetTop(-15.25f);
    window.form().SetLeft(30000);
    window["cboTimer"].SetListIndex(-1);  // written as 0
    window["cboTime"].SetListIndex(6);
    window["chkClip"].SetValue(2);
    window["chkAutoSave"].SetValue(0);
    window["lblPath"].SetCaption(L" F:\\画像 ソ\\");  // CP932 second bytes that look like "\\"
    window["txtFile"].SetText(L"name ");
    window["txtNumber"].SetText(L"00042");
    window["txtUp"].SetText(L"-3");
    window["cboFormat"].SetListIndex(1);
    options.Key(KeyCommand::FullScreen).key = {0x70, kModControl | kModShift};
    options.Key(KeyCommand::ActiveWindow).on = false;
    options.minimizeToTray = true;
    options.lastRegion = Rect32{10, 20, 30, 40};
    IniFileWrite(test::SettingControlsOf(window, options), services, path);
    EXPECT_EQ("FormTop   :-15.25\r\nFormLeft  :30000\r\nTimerKind :0\r\nTimerTime :7\r\nClip      :2\r\n"
              "AutoSave  :0\r\nPath      : F:\\\x89\xe6\x91\x9c \x83\x5c\\\r\nFile      :name \r\n"
              "No        :00042\r\nUp        :-3\r\nFormat    :PNG\r\nKeyScreen :Ctrl+Shift+F1\r\n"
              "KeyWindow :Alt+PrtSc\r\nKeyRegion :Ctrl+PrtSc\r\nOnScreen  :1\r\nOnWindow  :0\r\nOnRegion  :1\r\n"
              "ToTray    :1\r\nCursor    :0\r\nKeyLast   :Shift+PrtSc\r\nOnLast    :1\r\nRegion    :10,20,30,40\r\n",
              FileBytes());

    MemoryForm fresh(ui::MainWindowLayout());
    fresh["cboTimer"].SetListIndex(1);
    Options read;
    const std::string written = FileBytes();
    IniFileRead(test::SettingControlsOf(fresh, read), services, path);
    EXPECT_EQ(Shown(), ShownValues(fresh.form()));
    EXPECT_EQ(HotkeyText(options.Key(KeyCommand::FullScreen).key), HotkeyText(read.Key(KeyCommand::FullScreen).key));
    EXPECT_EQ(false, read.Key(KeyCommand::ActiveWindow).on);
    EXPECT_EQ(true, read.minimizeToTray);
    EXPECT_EQ(options.lastRegion, read.lastRegion);
    EXPECT_EQ(written, FileBytes());
}

// The options came later: a value of theirs that cannot be read keeps its
// default, never costs the user's other settings, and the file stays.
TEST_F(IniFileTest, AnOptionThatCannotBeReadIsItsDefault) {
    const std::string bytes = CustomFile() + "KeyScreen :Meta+Q\r\nKeyRegion :Alt\r\nOnScreen  :yes\r\nCursor    :2\r\n"
                                             "Region    :5,5,5,9\r\n";
    Read(bytes);
    EXPECT_EQ(kCustom, Shown());
    EXPECT_EQ(L"PrtSc", HotkeyText(options.Key(KeyCommand::FullScreen).key));
    EXPECT_EQ(L"Shift+F12", HotkeyText(options.Key(KeyCommand::ActiveWindow).key));  // read as it was
    EXPECT_EQ(L"Ctrl+PrtSc", HotkeyText(options.Key(KeyCommand::Region).key));
    EXPECT_EQ(true, options.Key(KeyCommand::FullScreen).on);
    EXPECT_EQ(false, options.Key(KeyCommand::Region).on);
    EXPECT_EQ(true, options.minimizeToTray);
    EXPECT_EQ(false, options.drawCursor);
    EXPECT_EQ(std::nullopt, options.lastRegion);
    EXPECT_EQ(L"Ctrl+Shift+F3", HotkeyText(options.Key(KeyCommand::LastRegion).key));
    EXPECT_EQ(bytes, FileBytes());
    // A file without them (an older version's) gives the defaults.
    Read(CustomFile().substr(0, CustomFile().find("KeyScreen")));
    EXPECT_EQ(L"Alt+PrtSc", HotkeyText(options.Key(KeyCommand::ActiveWindow).key));
    EXPECT_EQ(false, options.minimizeToTray);
}

TEST_F(IniFileTest, FailedWriteLeavesThePreviousFileWhole) {
    ReplaceFileContents(path, CustomFile());
    {
        test::FileSizeLimit limit(40);
        EXPECT_EQ(75, test::ErrorNumberOf([&] { IniFileWrite(test::SettingControlsOf(window, options), services, path); }));
    }
    EXPECT_EQ(CustomFile(), FileBytes());
    EXPECT_EQ(std::vector<std::string>{"Scrimble.ini"}, dir.Listing());  // no scratch file left
    EXPECT_EQ(75, test::ErrorNumberOf([&] { IniFileWrite(test::SettingControlsOf(window, options), services, dir.File("gone/Scrimble.ini")); }));
    EXPECT_EQ(std::vector<std::string>{"Scrimble.ini"}, dir.Listing());
}

}  // namespace
}  // namespace scrimble::mdlIniFile
