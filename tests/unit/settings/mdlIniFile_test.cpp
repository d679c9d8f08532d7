#include "settings/mdlIniFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/form_builder.h"
#include "support/fake_services.h"
#include "ui/frmMain_layout.h"

namespace scrimble::mdlIniFile {
namespace {

using forms::MemoryForm;

const std::string kDefaultBytesC =
    "FormTop   :10\r\n"
    "FormLeft  :10\r\n"
    "TimerKind :1\r\n"
    "TimerTime :5\r\n"
    "Clip      :1\r\n"
    "AutoSave  :1\r\n"
    "Path      :C:\\\r\n"
    "File      :Screen\r\n"
    "No        :01\r\n"
    "Up        :10\r\n";

// A valid file whose every value differs from both the defaults and the
// window's initial values, so each test can tell applied, default and untouched
// apart. Keys in the writer's order.
std::vector<std::pair<std::string, std::string>> CustomEntries() {
    return {
        {"FormTop   :", "300"},   {"FormLeft  :", "450"}, {"TimerKind :", "2"},
        {"TimerTime :", "3"},     {"Clip      :", "0"},   {"AutoSave  :", "0"},
        {"Path      :", "D:\\Shots\\"}, {"File      :", "Cap"}, {"No        :", "007"},
        {"Up        :", "5"},
    };
}

std::string JoinLines(const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::string& lineEnd = "\r\n") {
    std::string bytes;
    for (const auto& [key, value] : entries) bytes += key + value + lineEnd;
    return bytes;
}

// The custom file with one value replaced.
std::string CustomFileWith(const std::string& key, const std::string& value) {
    auto entries = CustomEntries();
    for (auto& entry : entries) {
        if (entry.first == key) entry.second = value;
    }
    return JoinLines(entries);
}

class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/scrimble-ini-XXXXXX";
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

    std::wstring File(const std::string& name) const {
        const std::string full = path_ + "/" + name;
        return std::wstring(full.begin(), full.end());
    }
    size_t EntryCount() const {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
        return count;
    }

private:
    std::string path_;
};

std::vector<forms::ControlSpec> LayoutWithShortTimeList() {
    std::vector<forms::ControlSpec> layout = ui::MainWindowLayout();
    for (auto& row : layout) {
        if (std::string(row.name) == "cboTime") row.items.resize(3);  // the defaults need five
    }
    return layout;
}

class IniFileTest : public ::testing::Test {
protected:
    forms::Form& form() { return window_.form(); }
    forms::Control& control(const std::string& name) { return window_[name]; }

    void WriteFile(const std::string& bytes) { ReplaceFileContents(path_, bytes); }
    std::string FileBytes() const { return ReadWholeFile(path_).value_or("<no file>"); }
    void Read(const std::string& bytes) {
        WriteFile(bytes);
        IniFileRead(form(), services_, path_);
    }

    void ExpectDefaults(const std::wstring& drive = L"C:\\") {
        EXPECT_EQ(10.0f, form().Top());
        EXPECT_EQ(10.0f, form().Left());
        EXPECT_EQ(0, control("cboTimer").ListIndex());
        EXPECT_EQ(4, control("cboTime").ListIndex());
        EXPECT_EQ(1, control("chkClip").Value());
        EXPECT_EQ(1, control("chkAutoSave").Value());
        EXPECT_EQ(drive, control("lblPath").Caption());
        EXPECT_EQ(L"Screen", control("txtFile").Text());
        EXPECT_EQ(L"01", control("txtNumber").Text());
        EXPECT_EQ(L"10", control("txtUp").Text());
    }

    void ExpectInitialValues() {
        EXPECT_EQ(0.0f, form().Top());
        EXPECT_EQ(0.0f, form().Left());
        EXPECT_EQ(-1, control("cboTimer").ListIndex());
        EXPECT_EQ(-1, control("cboTime").ListIndex());
        EXPECT_EQ(0, control("chkClip").Value());
        EXPECT_EQ(1, control("chkAutoSave").Value());
        EXPECT_EQ(L"C:\\", control("lblPath").Caption());
        EXPECT_EQ(L"Capture", control("txtFile").Text());
        EXPECT_EQ(L"001", control("txtNumber").Text());
        EXPECT_EQ(L"1", control("txtUp").Text());
    }

    // Recovery replaced the file and the controls show the defaults.
    void ExpectRecovered() {
        EXPECT_EQ(kDefaultBytesC, FileBytes());
        ExpectDefaults();
        EXPECT_TRUE(services_.messageBoxes.empty());
    }

    TempDirectory dir_;
    std::wstring path_ = dir_.File("Scrimble.ini");
    MemoryForm window_{ui::MainWindowLayout()};
    test::FakeServices services_;
};

// --- Lines and fields -------------------------------------------------------

TEST(IniFileSplitLines, EndsLinesAtCrOrCrLfButNotAtLfAlone) {
    const std::vector<std::string> expected = {"a", "b", "c\nd", "", "e"};
    EXPECT_EQ(expected, SplitLines("a\r\nb\rc\nd\r\re"));
}

TEST(IniFileSplitLines, KeepsTextAfterTheLastLineEnd) {
    EXPECT_EQ(std::vector<std::string>({"one", "two"}), SplitLines("one\r\ntwo"));
    EXPECT_EQ(std::vector<std::string>({"one"}), SplitLines("one\r\n"));
}

TEST(IniFileSplitLines, EmptyInputHasNoLines) {
    EXPECT_EQ(std::vector<std::string>(), SplitLines(""));
    EXPECT_EQ(std::vector<std::string>({""}), SplitLines("\r\n"));
    EXPECT_EQ(std::vector<std::string>({"", ""}), SplitLines("\r\r\n"));
}

TEST(IniFileParseLine, SplitsKeyFieldFromValue) {
    const IniLine line = ParseLine(L"Clip      :1");
    EXPECT_EQ(L"Clip      :", line.key);
    EXPECT_EQ(L"1", line.value);
}

TEST(IniFileParseLine, ShortLineIsAllKey) {
    EXPECT_EQ(L"Clip", ParseLine(L"Clip").key);
    EXPECT_EQ(L"", ParseLine(L"Clip").value);
    EXPECT_EQ(L"", ParseLine(L"Clip      :").value);
}

TEST(IniFileParseLine, ValueStopsAfterOneHundredCharacters) {
    const std::wstring value(150, L'x');
    EXPECT_EQ(std::wstring(100, L'x'), ParseLine(L"Path      :" + value).value);
}

TEST(IniFileDefaults, DriveIsAOnlyForSubtypes3329To3332) {
    EXPECT_EQ(L"C:\\", DefaultDrive(3328));
    EXPECT_EQ(L"A:\\", DefaultDrive(3329));
    EXPECT_EQ(L"A:\\", DefaultDrive(3332));
    EXPECT_EQ(L"C:\\", DefaultDrive(3333));
    EXPECT_EQ(L"C:\\", DefaultDrive(0));
}

TEST(IniFileDefaults, DefaultFileIsTheTenLinesWithCrLf) {
    EXPECT_EQ(kDefaultBytesC, DefaultFileBytes(7));
}

// --- Reading ------------------------------------------------------------------

TEST_F(IniFileTest, MissingFileWritesDefaultsAndShowsThem) {
    IniFileRead(form(), services_, path_);
    ExpectRecovered();
}

TEST_F(IniFileTest, DefaultDriveFollowsKeyboardSubtype) {
    const std::vector<std::pair<int, std::string>> cases = {
        {3328, "C:\\"}, {3329, "A:\\"}, {3332, "A:\\"}, {3333, "C:\\"}};
    for (const auto& [subtype, drive] : cases) {
        TempDirectory dir;
        const std::wstring path = dir.File("Scrimble.ini");
        MemoryForm window(ui::MainWindowLayout());
        services_.keyboardSubtype = subtype;
        IniFileRead(window.form(), services_, path);

        std::string expected = kDefaultBytesC;
        expected.replace(expected.find("C:\\"), 3, drive);
        EXPECT_EQ(expected, ReadWholeFile(path).value_or("")) << subtype;
        EXPECT_EQ(std::wstring(drive.begin(), drive.end()), window["lblPath"].Caption()) << subtype;
    }
}

TEST_F(IniFileTest, ValidFileSetsEveryControlAndStaysUnchanged) {
    services_.keyboardSubtype = 3329;  // must not matter for a valid file
    const std::string bytes = JoinLines(CustomEntries());
    Read(bytes);
    EXPECT_EQ(300.0f, form().Top());
    EXPECT_EQ(450.0f, form().Left());
    EXPECT_EQ(1, control("cboTimer").ListIndex());
    EXPECT_EQ(2, control("cboTime").ListIndex());
    EXPECT_EQ(0, control("chkClip").Value());
    EXPECT_EQ(0, control("chkAutoSave").Value());
    EXPECT_EQ(L"D:\\Shots\\", control("lblPath").Caption());
    EXPECT_EQ(L"Cap", control("txtFile").Text());
    EXPECT_EQ(L"007", control("txtNumber").Text());
    EXPECT_EQ(L"5", control("txtUp").Text());
    EXPECT_EQ(bytes, FileBytes());
}

TEST_F(IniFileTest, ChangedSelectionsAndChecksRaiseClick) {
    int timerClicks = 0;
    int autoSaveClicks = 0;
    control("cboTimer").Click = [&] { ++timerClicks; };
    control("chkAutoSave").Click = [&] { ++autoSaveClicks; };
    Read(JoinLines(CustomEntries()));
    EXPECT_EQ(1, timerClicks);
    EXPECT_EQ(1, autoSaveClicks);
}

TEST_F(IniFileTest, TimerKindZeroClearsTheSelection) {
    control("cboTimer").SetListIndex(2);
    Read(CustomFileWith("TimerKind :", "0"));
    EXPECT_EQ(-1, control("cboTimer").ListIndex());
    EXPECT_EQ(L"Cap", control("txtFile").Text());
}

TEST_F(IniFileTest, TimerKindThreeSelectsTheThirdEntry) {
    Read(CustomFileWith("TimerKind :", "3"));
    EXPECT_EQ(2, control("cboTimer").ListIndex());
    EXPECT_EQ(L"常時使用", control("cboTimer").Text());
}

TEST_F(IniFileTest, FractionalListPositionRoundsHalfToEven) {
    Read(CustomFileWith("TimerKind :", "2.5"));  // index 1.5 -> 2
    EXPECT_EQ(2, control("cboTimer").ListIndex());
    Read(CustomFileWith("TimerKind :", "1.5"));  // index 0.5 -> 0
    EXPECT_EQ(0, control("cboTimer").ListIndex());
    Read(CustomFileWith("TimerTime :", " 3.5 "));  // index 2.5 -> 2, blanks allowed
    EXPECT_EQ(2, control("cboTime").ListIndex());
    EXPECT_EQ(L"Cap", control("txtFile").Text());
}

TEST_F(IniFileTest, ListPositionOutsideTheListRecovers) {
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"TimerKind :", "4"}, {"TimerTime :", "10"}, {"TimerKind :", "-1"}, {"TimerTime :", "1e9"}}) {
        MemoryForm window(ui::MainWindowLayout());
        WriteFile(CustomFileWith(key, value));
        IniFileRead(window.form(), services_, path_);
        EXPECT_EQ(kDefaultBytesC, FileBytes()) << key << value;
        EXPECT_EQ(0, window["cboTimer"].ListIndex()) << key << value;
        EXPECT_EQ(4, window["cboTime"].ListIndex()) << key << value;
        EXPECT_EQ(L"Screen", window["txtFile"].Text()) << key << value;
    }
}

TEST_F(IniFileTest, FormTopOfLettersRecoversAndDropsOtherValues) {
    Read(CustomFileWith("FormTop   :", "abc"));
    ExpectRecovered();
}

TEST_F(IniFileTest, EmptyFormTopRecovers) {
    Read(CustomFileWith("FormTop   :", ""));
    ExpectRecovered();
}

TEST_F(IniFileTest, BadValueOnTheLastLineStillDropsEarlierValues) {
    Read(CustomFileWith("Up        :", "5") + "AutoSave  :x\r\n");
    ExpectRecovered();
}

TEST_F(IniFileTest, ClipTwoIsGreyedAndWrittenBackAsTwo) {
    Read(CustomFileWith("Clip      :", "2"));
    EXPECT_EQ(2, control("chkClip").Value());
    IniFileWrite(form(), services_, path_);
    EXPECT_NE(std::string::npos, FileBytes().find("\r\nClip      :2\r\n"));
}

TEST_F(IniFileTest, CheckStateRoundsHalfToEven) {
    Read(CustomFileWith("AutoSave  :", "1.5"));
    EXPECT_EQ(2, control("chkAutoSave").Value());
    Read(CustomFileWith("AutoSave  :", "0.5"));
    EXPECT_EQ(0, control("chkAutoSave").Value());
}

TEST_F(IniFileTest, ClipThreeRecovers) {
    Read(CustomFileWith("Clip      :", "3"));
    ExpectRecovered();
}

TEST_F(IniFileTest, KeysThatDifferInCaseOrBlanksAreSkipped) {
    const std::string bytes =
        "clip      :2\r\n"
        "Clip:2\r\n"
        " Clip      :2\r\n"
        "FORMTOP   :abc\r\n"
        "FormTop:abc\r\n"
        " TimerKind :3\r\n"
        "Clip\r\n";
    Read(bytes);
    ExpectInitialValues();
    EXPECT_EQ(bytes, FileBytes());
}

TEST_F(IniFileTest, TextValuesKeepTheirBlanks) {
    Read(CustomFileWith("File      :", "  Shot ") + "Up        :5  \r\n");
    EXPECT_EQ(L"  Shot ", control("txtFile").Text());
    EXPECT_EQ(L"5  ", control("txtUp").Text());
}

TEST_F(IniFileTest, LongPathIsCutToOneHundredCharacters) {
    const std::string path150 = "D:\\" + std::string(147, 'p');
    Read(CustomFileWith("Path      :", path150));
    EXPECT_EQ(std::wstring(L"D:\\") + std::wstring(97, L'p'), control("lblPath").Caption());
}

TEST_F(IniFileTest, DoubleByteCharactersCountAsOne) {
    std::string path;
    for (int i = 0; i < 120; ++i) path += "\x95\x5c";  // 表 in code page 932
    Read(CustomFileWith("Path      :", path));
    EXPECT_EQ(std::wstring(100, L'表'), control("lblPath").Caption());
}

TEST_F(IniFileTest, SevenDigitNumberKeepsFiveAndIsWrittenBackAsFive) {
    Read(CustomFileWith("No        :", "1234567"));
    EXPECT_EQ(L"12345", control("txtNumber").Text());
    IniFileWrite(form(), services_, path_);
    EXPECT_NE(std::string::npos, FileBytes().find("\r\nNo        :12345\r\n"));
}

TEST_F(IniFileTest, StepIsCutToThreeCharacters) {
    Read(CustomFileWith("Up        :", "12345"));
    EXPECT_EQ(L"123", control("txtUp").Text());
}

TEST_F(IniFileTest, RepeatedKeyKeepsTheLastValue) {
    Read(CustomFileWith("Clip      :", "2") + "Clip      :1\r\nFile      :Second\r\n");
    EXPECT_EQ(1, control("chkClip").Value());
    EXPECT_EQ(L"Second", control("txtFile").Text());
}

TEST_F(IniFileTest, LineFeedInsideALineBelongsToTheValue) {
    Read(CustomFileWith("File      :", "a\nb"));
    EXPECT_EQ(L"a\nb", control("txtFile").Text());
}

TEST_F(IniFileTest, LineFeedOnlyFileIsOneLineAndRecovers) {
    Read(JoinLines(CustomEntries(), "\n"));
    ExpectRecovered();
}

TEST_F(IniFileTest, BareCarriageReturnsEndLines) {
    Read(JoinLines(CustomEntries(), "\r"));
    EXPECT_EQ(450.0f, form().Left());
    EXPECT_EQ(L"5", control("txtUp").Text());
}

TEST_F(IniFileTest, EmptyFileChangesNothingAndWritesNothing) {
    Read("");
    ExpectInitialValues();
    EXPECT_EQ("", FileBytes());
    EXPECT_EQ(1u, dir_.EntryCount());
}

TEST_F(IniFileTest, PartialFileSetsOnlyItsKeys) {
    Read("TimerTime :9\r\nFile      :Only\r\n");
    EXPECT_EQ(8, control("cboTime").ListIndex());
    EXPECT_EQ(L"Only", control("txtFile").Text());
    EXPECT_EQ(-1, control("cboTimer").ListIndex());
    EXPECT_EQ(L"001", control("txtNumber").Text());
}

TEST_F(IniFileTest, LocaleDecimalSeparatorIsUsedForPositions) {
    services_.locale = NumberLocale{L',', L'.'};
    Read(CustomFileWith("FormTop   :", "12,5"));
    EXPECT_EQ(12.5f, form().Top());
    IniFileWrite(form(), services_, path_);
    EXPECT_EQ(0u, FileBytes().find("FormTop   :12,5\r\n"));
}

// --- Window position --------------------------------------------------------------

TEST_F(IniFileTest, PositionOutsideEveryMonitorFallsBackToDefault) {
    std::vector<std::pair<float, float>> asked;
    const PositionVisible nowhere = [&](float left, float top) {
        asked.emplace_back(left, top);
        return false;
    };
    WriteFile(CustomFileWith("FormTop   :", "-90000"));
    IniFileRead(form(), services_, path_, nowhere);
    EXPECT_EQ(10.0f, form().Top());
    EXPECT_EQ(10.0f, form().Left());
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(450.0f, asked[0].first);
    EXPECT_EQ(-90000.0f, asked[0].second);
    EXPECT_EQ(L"Cap", control("txtFile").Text());  // the other values still apply
    EXPECT_EQ(CustomFileWith("FormTop   :", "-90000"), FileBytes());
}

TEST_F(IniFileTest, VisiblePositionIsKept) {
    const PositionVisible onScreen = [](float left, float top) { return left >= 0 && top >= 0; };
    WriteFile(JoinLines(CustomEntries()));
    IniFileRead(form(), services_, path_, onScreen);
    EXPECT_EQ(300.0f, form().Top());
    EXPECT_EQ(450.0f, form().Left());
}

TEST_F(IniFileTest, PositionCheckUsesTheCurrentCoordinateForAMissingKey) {
    form().SetLeft(2000);
    std::vector<std::pair<float, float>> asked;
    const PositionVisible record = [&](float left, float top) {
        asked.emplace_back(left, top);
        return true;
    };
    WriteFile("FormTop   :700\r\n");
    IniFileRead(form(), services_, path_, record);
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(2000.0f, asked[0].first);
    EXPECT_EQ(700.0f, asked[0].second);
    EXPECT_EQ(2000.0f, form().Left());
    EXPECT_EQ(700.0f, form().Top());
}

// --- Bounded recovery -------------------------------------------------------------

TEST_F(IniFileTest, DefaultsThatCannotApplyStopAfterTwoMoreReadingsAndKeepInitialValues) {
    MemoryForm shortWindow(LayoutWithShortTimeList());
    shortWindow.form().SetLeft(120);
    WriteFile(CustomFileWith("Clip      :", "9"));
    IniFileRead(shortWindow.form(), services_, path_);

    EXPECT_EQ(3, services_.keyboardQueries);  // the user's file and the default file twice
    ASSERT_EQ(1u, services_.messageBoxes.size());
    EXPECT_EQ(UnreadableSettingsMessage(path_), services_.messageBoxes[0]);
    EXPECT_EQ(kDefaultBytesC, FileBytes());
    // TimerKind 1 was applied before TimerTime 5 failed; it must not stay.
    EXPECT_EQ(-1, shortWindow["cboTimer"].ListIndex());
    EXPECT_EQ(-1, shortWindow["cboTime"].ListIndex());
    EXPECT_EQ(0, shortWindow["chkClip"].Value());
    EXPECT_EQ(L"Capture", shortWindow["txtFile"].Text());
    EXPECT_EQ(120.0f, shortWindow.form().Left());
    EXPECT_EQ(0.0f, shortWindow.form().Top());
}

TEST_F(IniFileTest, UnreadableSettingsMessageNamesTheFile) {
    const std::wstring text = UnreadableSettingsMessage(L"Scrimble.ini");
    EXPECT_NE(std::wstring::npos, text.find(L"Scrimble.ini"));
    EXPECT_NE(std::wstring::npos, text.find(L"読み込めませんでした"));
}

TEST_F(IniFileTest, RecoveryThatCannotWriteThrowsAndCreatesNothing) {
    const std::wstring missing = dir_.File("no-such-dir/Scrimble.ini");
    try {
        IniFileRead(form(), services_, missing);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(ErrorCode::FileWriteFailed, error.Code());
    }
    EXPECT_EQ(0u, dir_.EntryCount());
}

TEST_F(IniFileTest, DirectoryInPlaceOfTheFileThrowsFromRecovery) {
    std::filesystem::create_directory(std::string(path_.begin(), path_.end()));
    EXPECT_THROW(IniFileRead(form(), services_, path_), RuntimeError);
    EXPECT_TRUE(std::filesystem::is_directory(std::string(path_.begin(), path_.end())));
}

// --- Writing ------------------------------------------------------------------------

TEST_F(IniFileTest, WriterPutsTheTenLinesInOrder) {
    form().SetTop(1234.5f);
    form().SetLeft(-60);
    control("cboTimer").SetListIndex(1);
    control("cboTime").SetListIndex(8);
    control("chkClip").SetValue(2);
    control("lblPath").SetCaption(L"E:\\x");
    IniFileWrite(form(), services_, path_);
    EXPECT_EQ(
        "FormTop   :1234.5\r\n"
        "FormLeft  :-60\r\n"
        "TimerKind :2\r\n"
        "TimerTime :9\r\n"
        "Clip      :2\r\n"
        "AutoSave  :1\r\n"
        "Path      :E:\\x\r\n"
        "File      :Capture\r\n"
        "No        :001\r\n"
        "Up        :1\r\n",
        FileBytes());
}

TEST_F(IniFileTest, WriteThenReadRestoresEveryControl) {
    form().SetTop(-15.25f);
    form().SetLeft(30000);
    control("cboTimer").SetListIndex(-1);  // no selection, written as 0
    control("cboTime").SetListIndex(6);
    control("chkClip").SetValue(1);
    control("chkAutoSave").SetValue(2);
    control("lblPath").SetCaption(L" F:\\with blanks \\");
    control("txtFile").SetText(L"name ");
    control("txtNumber").SetText(L"00042");
    control("txtUp").SetText(L"-3");
    IniFileWrite(form(), services_, path_);
    EXPECT_NE(std::string::npos, FileBytes().find("\r\nTimerKind :0\r\n"));

    MemoryForm fresh(ui::MainWindowLayout());
    fresh["cboTimer"].SetListIndex(1);
    IniFileRead(fresh.form(), services_, path_);
    EXPECT_EQ(-15.25f, fresh.form().Top());
    EXPECT_EQ(30000.0f, fresh.form().Left());
    EXPECT_EQ(-1, fresh["cboTimer"].ListIndex());
    EXPECT_EQ(6, fresh["cboTime"].ListIndex());
    EXPECT_EQ(1, fresh["chkClip"].Value());
    EXPECT_EQ(2, fresh["chkAutoSave"].Value());
    EXPECT_EQ(L" F:\\with blanks \\", fresh["lblPath"].Caption());
    EXPECT_EQ(L"name ", fresh["txtFile"].Text());
    EXPECT_EQ(L"00042", fresh["txtNumber"].Text());
    EXPECT_EQ(L"-3", fresh["txtUp"].Text());
}

TEST_F(IniFileTest, JapaneseFolderRoundTripsInCodePage932) {
    control("lblPath").SetCaption(L"D:\\画像\\表示ソ\\");
    control("txtFile").SetText(L"画面");
    IniFileWrite(form(), services_, path_);
    const std::string bytes = FileBytes();
    EXPECT_NE(std::string::npos, bytes.find("\r\nPath      :D:\\\x89\xe6\x91\x9c\\\x95\x5c\x8e\xa6\x83\x5c\\\r\n"));

    MemoryForm fresh(ui::MainWindowLayout());
    IniFileRead(fresh.form(), services_, path_);
    EXPECT_EQ(L"D:\\画像\\表示ソ\\", fresh["lblPath"].Caption());
    EXPECT_EQ(L"画面", fresh["txtFile"].Text());
    EXPECT_EQ(bytes, FileBytes());
}

TEST_F(IniFileTest, LongTextComesBackCutToOneHundred) {
    control("txtFile").SetText(std::wstring(130, L'n'));
    IniFileWrite(form(), services_, path_);
    MemoryForm fresh(ui::MainWindowLayout());
    IniFileRead(fresh.form(), services_, path_);
    EXPECT_EQ(std::wstring(100, L'n'), fresh["txtFile"].Text());
}

TEST_F(IniFileTest, WriterIntoMissingDirectoryThrowsAndCreatesNothing) {
    try {
        IniFileWrite(form(), services_, dir_.File("gone/Scrimble.ini"));
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(ErrorCode::FileWriteFailed, error.Code());
    }
    EXPECT_EQ(0u, dir_.EntryCount());
}

// Lets a write get only a few bytes out, the way a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(IniFileTest, FailedWriteLeavesThePreviousFileWhole) {
    const std::string previous = JoinLines(CustomEntries());
    WriteFile(previous);
    {
        FileSizeLimit limit(40);
        EXPECT_THROW(IniFileWrite(form(), services_, path_), RuntimeError);
    }
    EXPECT_EQ(previous, FileBytes());
    EXPECT_EQ(1u, dir_.EntryCount());  // no scratch file left behind
}

}  // namespace
}  // namespace scrimble::mdlIniFile
