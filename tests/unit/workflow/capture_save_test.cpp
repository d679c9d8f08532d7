// Numbered auto-save over in-memory controls: the services record the paths
// they are asked to save to and answer the file length the test chooses.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "support/main_window_harness.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

using Texts = std::vector<std::wstring>;

const std::wstring kNotSaved = L"保存してません。";
const std::wstring kSaveFailed = L"保存できませんでした。";

// As each test starts: auto-save on, into C:\pics, name "Screen", number
// "01", step "10", a picture in the preview and a file of 2,000,000 bytes.
void Arrange(test::MainWindowHarness& w) {
    w.window.chkAutoSave.SetValue(1);
    w.window.lblPath.SetCaption(L"C:\\pics");
    w.window.txtFile.SetText(L"Screen");
    w.window.txtNumber.SetText(L"01");
    w.window.txtUp.SetText(L"10");
    w.window.imgPicArea.SetPicture(w.NewPicture());
    w.services.fileLength = 2000000;
}

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

Texts SavedPaths(const test::MainWindowHarness& w) {
    Texts paths;
    for (const auto& saved : w.services.savedPictures) paths.push_back(saved.first);
    return paths;
}

class CaptureSaveTest : public ::testing::Test {
protected:
    CaptureSaveTest() { Arrange(w); }
    test::MainWindowHarness w;
};

TEST_F(CaptureSaveTest, NumbersAdvanceByTheStepAndWidenWhenTheyGrow) {
    const Texts numbers = {L"01", L"11", L"21", L"31", L"41", L"51", L"61", L"71", L"81", L"91", L"101", L"111"};
    for (size_t save = 0; save + 1 < numbers.size(); ++save) {
        w.window.CaptureSave();
        EXPECT_EQ(L"C:\\pics\\Screen" + numbers[save] + L".bmp", SavedPaths(w).back());
        EXPECT_EQ(numbers[save + 1], w.window.txtNumber.Text());
    }
    EXPECT_EQ(w.window.imgPicArea.Picture(), w.services.savedPictures[0].second);
    EXPECT_EQ(SavedPaths(w), w.services.fileLengthPaths);  // each file measured after it was written
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
}

// The format chosen names and encodes the file; the numbering is the same.
TEST_F(CaptureSaveTest, FormatChoiceGivesTheExtensionAndTheEncoding) {
    const struct { int listIndex; const wchar_t* name; PictureFormat format; } cases[] = {
        {0, L"Screen01.bmp", PictureFormat::Bmp}, {1, L"Screen11.png", PictureFormat::Png},
        {-1, L"Screen21.bmp", PictureFormat::Bmp}};
    for (const auto& c : cases) {
        w.window.cboFormat.SetListIndex(c.listIndex);
        w.window.CaptureSave();
        EXPECT_EQ(std::wstring(L"C:\\pics\\") + c.name, SavedPaths(w).back());
        EXPECT_EQ(c.format, w.services.savedFormats.back());
        EXPECT_EQ(std::wstring(L" ") + c.name + L" ： 2,000,000 bytes", w.window.StatusBar1.Text());
    }
}

TEST_F(CaptureSaveTest, StatusLineGroupsTheSizeWithAtLeastFourDigitsTheUsersWay) {
    const struct { long long size; NumberLocale locale; std::wstring figure; } cases[] = {
        {5, {}, L"0,005"}, {0, {}, L"0,000"}, {1234, {}, L"1,234"}, {2000000, {L',', L'.'}, L"2.000.000"}};
    for (const auto& c : cases) {
        w.services.fileLength = c.size;
        w.services.locale = c.locale;
        w.services.existingFiles.clear();
        w.window.txtNumber.SetText(L"01");
        w.window.CaptureSave();
        EXPECT_EQ(L" Screen01.bmp ： " + c.figure + L" bytes", w.window.StatusBar1.Text());
    }
    // Written, but gone or locked before it could be measured: still saved.
    w.services.fileLengthUnreadable = true;
    w.services.existingFiles.clear();
    w.window.txtNumber.SetText(L"01");
    w.window.CaptureSave();
    EXPECT_EQ(L" Screen01.bmp", w.window.StatusBar1.Text());
    EXPECT_EQ(L"11", w.window.txtNumber.Text());
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
}

// A name already taken, in any case of letters, moves the number on by the
// step as a save would; the status names the file written, and the settings
// file keeps the next number at once. Only an empty number or a step of 0
// names the one file the user chose to have replaced.
TEST(CaptureSaveSeries, NeverWritesOverAFileItDidNotNameForIt) {
    const struct { std::wstring number, step; Texts taken; std::wstring written, next; } cases[] = {
        {L"01", L"10", {L"C:\\pics\\screen01.BMP", L"C:\\pics\\Screen11.bmp"}, L"Screen21.bmp", L"31"},
        {L"91", L"10", {L"C:\\pics\\Screen91.bmp"}, L"Screen101.bmp", L"111"},  // widening on the way
        {L"05", L"-1", {L"C:\\pics\\Screen05.bmp", L"C:\\pics\\Screen04.bmp"}, L"Screen03.bmp", L"02"},
        {L"", L"10", {L"C:\\pics\\Screen.bmp"}, L"Screen.bmp", L""},
        {L"07", L"0", {L"C:\\pics\\Screen07.bmp"}, L"Screen07.bmp", L"07"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.written));
        test::TempDirectory dir;
        test::MainWindowHarness w;
        Arrange(w);
        w.window.settingsPath = dir.File("Scrimble.ini");
        w.window.txtNumber.SetText(c.number);
        w.window.txtUp.SetText(c.step);
        w.services.existingFiles = c.taken;
        w.window.CaptureSave();
        EXPECT_EQ(Texts{L"C:\\pics\\" + c.written}, SavedPaths(w));
        EXPECT_EQ(c.next, w.window.txtNumber.Text());
        EXPECT_EQ(L" " + c.written + L" ： 2,000,000 bytes", w.window.StatusBar1.Text());
        EXPECT_NE(std::string::npos,
                  ReadWholeFile(dir.File("Scrimble.ini")).value_or("").find("\r\nNo        :" + Narrow(c.next) + "\r\n"));
    }
}

TEST_F(CaptureSaveTest, NumberKeepsTheWidthOfItsText) {
    const struct { std::wstring number, step, fileName, next; } cases[] = {
        {L"099", L"1", L"Screen099.bmp", L"100"},     {L"91", L"10", L"Screen91.bmp", L"101"},
        {L"9", L"1", L"Screen9.bmp", L"10"},          {L"-5", L"1", L"Screen-05.bmp", L"-04"},
        {L"007", L"-10", L"Screen007.bmp", L"-003"},  {L"0001", L"1", L"Screen0001.bmp", L"0002"},
        {L" 12 ", L"1", L"Screen0012.bmp", L"0013"},  // blanks count towards the width
        {L"", L"abc", L"Screen.bmp", L""},            // no number: the step is never read
        // The longest number the width counter takes; only a text put in
        // behind the box's limit can be this long.
        {std::wstring(32766, L'0'), L"1", L"Screen" + std::wstring(32766, L'0') + L".bmp", L"00000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.number.substr(0, 8)));
        w.services.savedPictures.clear();
        w.memory.peer("txtNumber").SetText(c.number);
        w.window.txtUp.SetText(c.step);
        w.window.CaptureSave();
        EXPECT_EQ(Texts{L"C:\\pics\\" + c.fileName}, SavedPaths(w));
        EXPECT_EQ(c.next, w.window.txtNumber.Text());
        EXPECT_EQ(L" " + c.fileName + L" ： 2,000,000 bytes", w.window.StatusBar1.Text());
        EXPECT_EQ(L"次のNo", w.window.lblNumber.Caption());
    }
    EXPECT_EQ(Texts{}, w.services.messageBoxes);
}

// The name rounds a fraction the way the advance does (halves to even), so
// the second capture never lands on the first one's file.
TEST(CaptureSaveFraction, ConsecutiveCapturesNeverShareAName) {
    const struct { std::wstring number, step; Texts names; } cases[] = {
        {L"0.5", L"1", {L"000", L"001", L"002"}},   {L"2.5", L"1", {L"002", L"003", L"004"}},
        {L"-0.5", L"1", {L"0000", L"0001", L"0002"}}, {L"0.5", L"10", {L"000", L"010", L"020"}},
        {L"2.5", L"10", {L"002", L"012", L"022"}},  {L"-0.5", L"10", {L"0000", L"0010", L"0020"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.number) + " step " + ::testing::PrintToString(c.step));
        test::MainWindowHarness w;
        Arrange(w);
        w.window.txtNumber.SetText(c.number);
        w.window.txtUp.SetText(c.step);
        for (int capture = 0; capture < 3; ++capture) w.window.CaptureSave();
        Texts expected;
        for (const std::wstring& name : c.names) expected.push_back(L"C:\\pics\\Screen" + name + L".bmp");
        EXPECT_EQ(expected, SavedPaths(w));
    }
}

TEST_F(CaptureSaveTest, OnlyAnUncheckedBoxSavesNothing) {
    w.window.chkAutoSave.SetValue(2);  // greyed still saves
    w.window.CaptureSave();
    EXPECT_EQ(Texts{L"C:\\pics\\Screen01.bmp"}, SavedPaths(w));

    w.window.chkAutoSave.SetValue(0);
    w.window.CaptureSave();
    EXPECT_EQ(kNotSaved, w.window.imgPicArea.ToolTipText());
    EXPECT_EQ(kNotSaved, w.window.StatusBar1.Text());
    EXPECT_EQ(1u, SavedPaths(w).size());
    EXPECT_EQ(L"11", w.window.txtNumber.Text());
}

TEST_F(CaptureSaveTest, FolderGetsOneSeparator) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\pics", L"C:\\pics\\Screen01.bmp"}, {L"C:\\pics\\", L"C:\\pics\\Screen01.bmp"},
        {L"C:\\", L"C:\\Screen01.bmp"}, {L"", L"\\Screen01.bmp"}};
    for (const auto& [folder, path] : cases) {
        w.services.savedPictures.clear();
        w.services.existingFiles.clear();
        w.window.txtNumber.SetText(L"01");
        w.window.lblPath.SetCaption(folder);
        w.window.CaptureSave();
        EXPECT_EQ(Texts{path}, SavedPaths(w));
        EXPECT_EQ(path, w.window.imgPicArea.ToolTipText());
        EXPECT_EQ(folder, w.window.lblPath.Caption());
    }
}

// Nothing is written when the save cannot finish: a number that cannot
// advance would have the next capture write over the file.
TEST_F(CaptureSaveTest, FailureWritesNothingShowsTheErrorAndKeepsTheNumber) {
    const struct {
        const char* what;
        std::function<void(test::MainWindowHarness&)> arrange;
        std::wstring message, number;
    } cases[] = {
        {"step overflows", [](auto& w) { w.window.txtNumber.SetText(L"32767"); w.window.txtUp.SetText(L"1"); },
         L"6 : オーバーフローしました。", L"32767"},
        {"step is no number", [](auto& w) { w.window.txtUp.SetText(L"abc"); }, L"13 : 数値ではありません。", L"01"},
        {"number is no number", [](auto& w) { w.window.txtNumber.SetText(L"ab"); },
         L"13 : 数値ではありません。", L"ab"},
        {"write fails", [](auto& w) { w.services.saveError = FileWriteError(L"C:\\pics\\Screen01.bmp"); },
         L"75 : ファイルに書き込めません: C:\\pics\\Screen01.bmp", L"01"},
        {"picture cannot be encoded", [](auto& w) { w.services.saveError = PictureEncodeError(L"BMP"); },
         L"481 : 画像を BMP 形式に変換できません。", L"01"},
        {"out of memory in the encoder", [](auto& w) { w.services.onSavePicture = [] { throw std::bad_alloc(); }; },
         L"7 : メモリが不足しています。", L"01"},
        {"every name taken up to the limit",
         [](auto& w) {
             w.window.txtNumber.SetText(L"32747");
             w.services.existingFiles = {L"C:\\pics\\Screen32747.bmp", L"C:\\pics\\Screen32757.bmp"};
         },
         L"6 : オーバーフローしました。", L"32747"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::MainWindowHarness w;
        Arrange(w);
        c.arrange(w);
        w.window.CaptureSave();
        EXPECT_EQ(Texts{}, SavedPaths(w));
        EXPECT_EQ(Texts{c.message}, w.services.messageBoxes);
        EXPECT_EQ(kSaveFailed, w.window.imgPicArea.ToolTipText());
        EXPECT_EQ(kSaveFailed, w.window.StatusBar1.Text());
        EXPECT_EQ(c.number, w.window.txtNumber.Text());
        EXPECT_EQ(L"開始No", w.window.lblNumber.Caption());
        EXPECT_EQ(0, w.services.CallCount("FileLength"));
    }
}

TEST_F(CaptureSaveTest, NameWindowsCannotUseIsASaveErrorBeforeAnythingIsWritten) {
    const wchar_t* const device = L"52 : ファイル名に使えない名前です: ";
    const wchar_t* const character = L"52 : ファイル名に使えない文字が含まれています: ";
    // The name is base + number + ".bmp"; what stands before its first dot,
    // blanks dropped, may name a device. Near misses are ordinary names.
    const struct { std::wstring file, number; const wchar_t* message; } cases[] = {
        {L"NUL", L"", device},      {L"con", L"", device},     {L"Aux", L"", device},
        {L"PRN", L"", device},      {L"COM", L"1", device},    {L"lpt9", L"", device},
        {L"COM\u00B2", L"", device}, {L"nul.txt", L"01", device}, {L"NUL  .x", L"", device},
        {L"a<b", L"", character},   {L"a>b", L"", character},  {L"C:x", L"", character},
        {L"say\"hi", L"", character}, {L"..\\up", L"", character}, {L"a/b", L"", character},
        {L"a|b", L"", character},   {L"what?", L"", character}, {L"*", L"", character},
        {L"tab\t", L"", character}, {L"x", L"0\x1f", character},
        {L"NULL", L"", nullptr},    {L"CONSOLE", L"", nullptr}, {L"COM", L"10", nullptr},
        {L"xnul", L"", nullptr},    {L"con_", L"", nullptr},   {L"Screen.", L"01", nullptr},
    };
    for (const auto& c : cases) {
        const std::wstring name = c.file + c.number + L".bmp";
        SCOPED_TRACE(::testing::PrintToString(name));
        test::MainWindowHarness w;
        Arrange(w);
        w.window.lblPath.SetCaption(L"\\\\?\\C:\\pics");  // only the name is checked, not the folder
        w.window.txtFile.SetText(c.file);
        w.memory.peer("txtNumber").SetText(c.number);
        w.window.CaptureSave();
        EXPECT_EQ(c.message ? Texts{} : Texts{L"\\\\?\\C:\\pics\\" + name}, SavedPaths(w));
        EXPECT_EQ(c.message ? Texts{c.message + name} : Texts{}, w.services.messageBoxes);
        EXPECT_EQ(c.message ? kSaveFailed : L" " + name + L" ： 2,000,000 bytes", w.window.StatusBar1.Text());
    }
    for (const wchar_t* name : {L"name.", L"name ", L""}) EXPECT_THROW(RequireUsableFileName(name), RuntimeError);
}

TEST_F(CaptureSaveTest, CheckBoxEnablesTheElevenFieldsOnlyWhenChecked) {
    const char* const fields[] = {"lblSvPath", "lblFile", "lblNumber", "lblUp", "lblPath", "lblFormat",
                                  "txtFile",   "txtNumber", "txtUp",   "cmdPath", "cboFormat"};
    for (int value : {0, 1, 2, 1}) {
        SCOPED_TRACE(value);
        w.window.chkAutoSave.SetValue(value);
        for (const char* field : fields) EXPECT_EQ(value == 1, w.memory[field].Enabled()) << field;
        for (const char* other : {"cmdExplorer", "fraAutoSave", "chkAutoSave"}) {
            EXPECT_EQ(true, w.memory[other].Enabled()) << other;
        }
    }
}

// Save As and Print wait for a capture; then the keys and the buttons run
// them on the picture in the preview.
TEST(PictureCommands, WaitForACaptureThenSaveAsAndPrintThePreview) {
    test::MainWindowHarness w;
    Arrange(w);
    w.window.imgPicArea.SetPicture(nullptr);
    w.window.chkAutoSave.SetValue(0);
    for (int key : {'S', 'P'}) {
        int code = key;
        w.window.Form_KeyDown(code, 2);
        EXPECT_EQ(0, code) << "Ctrl+" << char(key) << " is taken, not typed";
    }
    EXPECT_FALSE(w.window.cmdSave.Enabled());
    EXPECT_EQ(Texts{}, Texts(w.services.saveAsDialogs.size()));

    w.window.cmdFullScreen_Click();
    EXPECT_TRUE(w.window.cmdSave.Enabled() && w.window.cmdPrint.Enabled());
    EXPECT_EQ(L"名前を付けて保存します（Ctrl+S）。", w.window.cmdSave.ToolTipText());
    w.services.saveAsChoice = Services::SaveAsChoice{L"D:\\out\\shot.png", PictureFormat::Png};
    int save = 'S';
    w.window.Form_KeyDown(save, 2);
    ASSERT_EQ(1u, w.services.saveAsDialogs.size());
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"C:\\pics\\", L"Screen01"}), w.services.saveAsDialogs[0]);
    EXPECT_EQ(Texts{L"D:\\out\\shot.png"}, SavedPaths(w));
    EXPECT_EQ(std::vector<PictureFormat>{PictureFormat::Png}, w.services.savedFormats);
    EXPECT_EQ(L" shot.png ： 2,000,000 bytes", w.window.StatusBar1.Text());
    EXPECT_EQ(L"01", w.window.txtNumber.Text());  // Save As takes no number

    // Once auto-save has written a file, its name is the picture's.
    w.window.chkAutoSave.SetValue(1);
    w.window.cmdFullScreen_Click();
    w.services.saveAsChoice.reset();  // cancelled: nothing more
    w.window.cmdSave.OnUserClick();
    EXPECT_EQ(L"Screen01", w.services.saveAsDialogs.back().second);
    EXPECT_EQ(2u, SavedPaths(w).size());
    int print = 'P';
    w.window.Form_KeyDown(print, 2);
    ASSERT_EQ(1u, w.services.printed.size());
    EXPECT_EQ(w.window.imgPicArea.Picture(), w.services.printed[0].first);
    EXPECT_EQ(L"Screen01", w.services.printed[0].second);
}

TEST(PictureCommands, FailuresAreToldAndLoseNothing) {
    test::MainWindowHarness w;
    Arrange(w);
    w.window.chkAutoSave.SetValue(0);
    w.window.cmdFullScreen_Click();
    w.services.saveAsChoice = Services::SaveAsChoice{L"D:\\out\\shot.jpg", PictureFormat::Jpeg};
    w.services.saveError = PictureEncodeError(L"JPEG");
    w.window.cmdSave.OnUserClick();
    w.services.onChooseSaveAs = [] { throw std::bad_alloc(); };  // the dialog itself fails
    w.window.cmdSave.OnUserClick();
    w.services.printError = PrintError(L"プリンターが設定されていません。");
    w.window.cmdPrint.OnUserClick();
    EXPECT_EQ((Texts{L"481 : 画像を JPEG 形式に変換できません。", L"7 : メモリが不足しています。",
                     L"484 : 印刷できませんでした。プリンターが設定されていません。"}),
              w.services.messageBoxes);
    EXPECT_EQ(kSaveFailed, w.window.StatusBar1.Text());
    EXPECT_EQ(L"01", w.window.txtNumber.Text());
}

}  // namespace
}  // namespace scrimble
