// Numbered auto-save over in-memory controls: the services record the paths
// they are asked to save to and answer the file length the test chooses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/form_builder.h"
#include "platform/memory_peer.h"
#include "support/main_window_harness.h"

namespace scrimble {
namespace {

using test::MainWindowHarness;

const std::wstring kNotSaved = L"保存してません。";
const std::wstring kSaveFailed = L"保存できませんでした。";

class CaptureSaveTest : public ::testing::Test {
protected:
    CaptureSaveTest() {
        w.window.chkAutoSave.SetValue(1);
        w.window.lblPath.SetCaption(L"C:\\pics");
        w.window.txtFile.SetText(L"Screen");
        w.window.txtNumber.SetText(L"01");
        w.window.txtUp.SetText(L"10");
        w.window.imgPicArea.SetPicture(w.NewPicture());
        w.services.fileLength = 2000000;
    }

    std::vector<std::wstring> SavedPaths() const {
        std::vector<std::wstring> paths;
        for (const auto& saved : w.services.savedPictures) paths.push_back(saved.first);
        return paths;
    }

    // The outcome every failed save shows.
    void ExpectFailedWith(const std::wstring& message) {
        EXPECT_EQ(std::vector<std::wstring>{message}, w.services.messageBoxes);
        EXPECT_EQ(kSaveFailed, w.window.imgPicArea.ToolTipText());
        EXPECT_EQ(kSaveFailed, w.window.StatusBar1.Text());
    }

    MainWindowHarness w;
};

TEST_F(CaptureSaveTest, NumbersAdvanceByTheStepAndWidenWhenTheyGrow) {
    std::vector<std::wstring> numbersAfter;
    for (int save = 1; save <= 11; ++save) {
        EXPECT_EQ(0, w.window.CaptureSave());
        numbersAfter.push_back(w.window.txtNumber.Text());
    }

    EXPECT_EQ((std::vector<std::wstring>{
                  L"C:\\pics\\Screen01.bmp", L"C:\\pics\\Screen11.bmp", L"C:\\pics\\Screen21.bmp",
                  L"C:\\pics\\Screen31.bmp", L"C:\\pics\\Screen41.bmp", L"C:\\pics\\Screen51.bmp",
                  L"C:\\pics\\Screen61.bmp", L"C:\\pics\\Screen71.bmp", L"C:\\pics\\Screen81.bmp",
                  L"C:\\pics\\Screen91.bmp", L"C:\\pics\\Screen101.bmp"}),
              SavedPaths());
    EXPECT_EQ((std::vector<std::wstring>{L"11", L"21", L"31", L"41", L"51", L"61", L"71", L"81", L"91", L"101",
                                         L"111"}),
              numbersAfter);
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(CaptureSaveTest, SuccessfulSaveReportsPathNameAndSize) {
    w.window.CaptureSave();

    ASSERT_EQ(1u, w.services.savedPictures.size());
    EXPECT_EQ(w.window.imgPicArea.Picture(), w.services.savedPictures[0].second);
    EXPECT_EQ(L"C:\\pics\\Screen01.bmp", w.window.imgPicArea.ToolTipText());
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\Screen01.bmp"}, w.services.fileLengthPaths);
    EXPECT_EQ(L" Screen01.bmp ： 2,000,000 bytes", w.window.StatusBar1.Text());
    EXPECT_EQ(L"次のNo", w.window.lblNumber.Caption());
    EXPECT_EQ(L"11", w.window.txtNumber.Text());
}

TEST_F(CaptureSaveTest, StatusLineGroupsTheSizeWithAtLeastFourDigits) {
    struct Case {
        long long size;
        std::wstring figure;
    };
    for (const Case& c : {Case{5, L"0,005"}, Case{0, L"0,000"}, Case{1234, L"1,234"},
                          Case{2000000, L"2,000,000"}}) {
        SCOPED_TRACE(c.size);
        w.services.fileLength = c.size;
        w.window.txtNumber.SetText(L"01");
        w.window.CaptureSave();
        EXPECT_EQ(L" Screen01.bmp ： " + c.figure + L" bytes", w.window.StatusBar1.Text());
    }
}

TEST_F(CaptureSaveTest, StatusLineUsesTheUsersThousandsSeparator) {
    w.services.locale = NumberLocale{L',', L'.'};
    w.window.CaptureSave();
    EXPECT_EQ(L" Screen01.bmp ： 2.000.000 bytes", w.window.StatusBar1.Text());
}

TEST_F(CaptureSaveTest, NumberKeepsTheWidthOfItsText) {
    struct Case {
        std::wstring number;
        std::wstring step;
        std::wstring fileName;
        std::wstring next;
    };
    const Case cases[] = {
        {L"099", L"1", L"Screen099.bmp", L"100"},
        {L"91", L"10", L"Screen91.bmp", L"101"},
        {L"9", L"1", L"Screen9.bmp", L"10"},
        {L"-5", L"1", L"Screen-05.bmp", L"-04"},
        {L"007", L"-10", L"Screen007.bmp", L"-003"},
        {L"0001", L"1", L"Screen0001.bmp", L"0002"},
        {L" 12 ", L"1", L"Screen0012.bmp", L"0013"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.number));
        w.services.savedPictures.clear();
        w.window.txtNumber.SetText(c.number);
        w.window.txtUp.SetText(c.step);

        w.window.CaptureSave();

        EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\" + c.fileName}, SavedPaths());
        EXPECT_EQ(c.next, w.window.txtNumber.Text());
        EXPECT_EQ(L" " + c.fileName + L" ： 2,000,000 bytes", w.window.StatusBar1.Text());
    }
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(CaptureSaveTest, AutoSaveOffSavesNothing) {
    w.window.chkAutoSave.SetValue(0);
    w.window.imgPicArea.SetToolTipText(L"C:\\pics\\Screen00.bmp");
    w.window.StatusBar1.SetText(L" Screen00.bmp ： 0,100 bytes");

    EXPECT_EQ(0, w.window.CaptureSave());

    EXPECT_EQ(kNotSaved, w.window.imgPicArea.ToolTipText());
    EXPECT_EQ(kNotSaved, w.window.StatusBar1.Text());
    EXPECT_EQ(0, w.services.CallCount("SavePictureAsBmp"));
    EXPECT_EQ(L"01", w.window.txtNumber.Text());
    EXPECT_EQ(L"開始No", w.window.lblNumber.Caption());
}

TEST_F(CaptureSaveTest, GreyedCheckBoxStillSaves) {
    w.window.chkAutoSave.SetValue(2);
    w.window.CaptureSave();
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\Screen01.bmp"}, SavedPaths());
    EXPECT_EQ(L"11", w.window.txtNumber.Text());
}

TEST_F(CaptureSaveTest, EmptyNumberSavesUnderTheBaseNameEveryTime) {
    w.window.txtNumber.SetText(L"");
    w.window.txtUp.SetText(L"abc");  // never read without a number

    w.window.CaptureSave();
    w.window.CaptureSave();

    EXPECT_EQ((std::vector<std::wstring>{L"C:\\pics\\Screen.bmp", L"C:\\pics\\Screen.bmp"}), SavedPaths());
    EXPECT_EQ(L"", w.window.txtNumber.Text());
    EXPECT_EQ(L"次のNo", w.window.lblNumber.Caption());
    EXPECT_EQ(L" Screen.bmp ： 2,000,000 bytes", w.window.StatusBar1.Text());
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);
}

TEST_F(CaptureSaveTest, FolderGetsOneSeparator) {
    struct Case {
        std::wstring folder;
        std::wstring path;
    };
    for (const Case& c : {Case{L"C:\\pics", L"C:\\pics\\Screen01.bmp"}, Case{L"C:\\pics\\", L"C:\\pics\\Screen01.bmp"},
                          Case{L"C:\\", L"C:\\Screen01.bmp"}, Case{L"", L"\\Screen01.bmp"}}) {
        SCOPED_TRACE(::testing::PrintToString(c.folder));
        w.services.savedPictures.clear();
        w.window.txtNumber.SetText(L"01");
        w.window.lblPath.SetCaption(c.folder);

        w.window.CaptureSave();

        EXPECT_EQ(std::vector<std::wstring>{c.path}, SavedPaths());
        EXPECT_EQ(c.path, w.window.imgPicArea.ToolTipText());
        EXPECT_EQ(c.folder, w.window.lblPath.Caption());
    }
}

TEST_F(CaptureSaveTest, OverflowOfTheNumberKeepsTheWrittenFileAndTheNumber) {
    w.window.txtNumber.SetText(L"32767");
    w.window.txtUp.SetText(L"1");

    w.window.CaptureSave();

    EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\Screen32767.bmp"}, SavedPaths());
    ExpectFailedWith(L"6 : オーバーフローしました。");
    EXPECT_EQ(L"32767", w.window.txtNumber.Text());
    EXPECT_EQ(L"開始No", w.window.lblNumber.Caption());
    EXPECT_EQ(0, w.services.CallCount("FileLength"));
}

TEST_F(CaptureSaveTest, StepThatIsNoNumberKeepsTheWrittenFileAndTheNumber) {
    w.window.txtUp.SetText(L"abc");

    w.window.CaptureSave();

    EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\Screen01.bmp"}, SavedPaths());
    ExpectFailedWith(L"13 : 数値ではありません。");
    EXPECT_EQ(L"01", w.window.txtNumber.Text());
}

TEST_F(CaptureSaveTest, NumberThatIsNoNumberIsUsedAsTextThenRefused) {
    w.window.txtNumber.SetText(L"ab");

    w.window.CaptureSave();

    EXPECT_EQ(std::vector<std::wstring>{L"C:\\pics\\Screenab.bmp"}, SavedPaths());
    ExpectFailedWith(L"13 : 数値ではありません。");
    EXPECT_EQ(L"ab", w.window.txtNumber.Text());
}

TEST_F(CaptureSaveTest, FailedWriteLeavesNumberAndCaptionAlone) {
    const std::wstring path = L"C:\\pics\\Screen01.bmp";
    w.services.saveError = FileWriteError(path);

    w.window.CaptureSave();

    EXPECT_EQ(std::vector<std::wstring>{}, SavedPaths());
    ExpectFailedWith(L"75 : ファイルに書き込めません: " + path);
    EXPECT_EQ(L"01", w.window.txtNumber.Text());
    EXPECT_EQ(L"開始No", w.window.lblNumber.Caption());
    EXPECT_EQ(0, w.services.CallCount("FileLength"));
}

TEST_F(CaptureSaveTest, NumberTooLongForTheWidthCounterSavesNothing) {
    // Only a text put in behind the box's limit can be this long.
    forms::MemoryPeer& number = w.memory.peer("txtNumber");
    number.SetText(std::wstring(32766, L'0'));
    w.window.CaptureSave();
    EXPECT_EQ(1u, w.services.savedPictures.size());
    EXPECT_EQ(std::vector<std::wstring>{}, w.services.messageBoxes);

    number.SetText(std::wstring(32767, L'0'));
    w.window.CaptureSave();
    EXPECT_EQ(1u, w.services.savedPictures.size());
    ExpectFailedWith(L"6 : オーバーフローしました。");
}

// Records the order in which the auto-save fields are enabled or disabled.
class EnableLoggingPeer : public forms::MemoryPeer {
public:
    EnableLoggingPeer(forms::MemoryFocus& focus, NativeHandle handle, std::string name,
                      std::vector<std::string>& log)
        : MemoryPeer(focus, handle), name_(std::move(name)), log_(log) {}
    void SetEnabled(bool enabled) override {
        log_.push_back(name_ + (enabled ? "+" : "-"));
        MemoryPeer::SetEnabled(enabled);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class EnableLoggingFactory : public forms::PeerFactory {
public:
    EnableLoggingFactory(forms::MemoryFocus& focus, std::vector<std::string>& log) : focus_(focus), log_(log) {}
    std::unique_ptr<forms::ControlPeer> CreatePeer(const forms::ControlSpec& spec, int row) override {
        return std::make_unique<EnableLoggingPeer>(focus_, static_cast<NativeHandle>(0x2000 + row), spec.name,
                                                   log_);
    }

private:
    forms::MemoryFocus& focus_;
    std::vector<std::string>& log_;
};

TEST(AutoSaveEnabling, CheckBoxEnablesTheNineFieldsInOrder) {
    std::vector<std::string> log;
    forms::MemoryFocus focus;
    forms::Form form(std::make_unique<forms::MemoryWindowPeer>(0x200));
    EnableLoggingFactory factory(focus, log);
    forms::BuildControls(form, ui::MainWindowLayout(), factory);
    test::FakeServices services;
    frmMain window(form, services, CaptureSources{});
    const std::vector<std::string> fields = {"lblSvPath", "lblFile", "lblNumber", "lblUp", "lblPath",
                                             "txtFile",   "txtNumber", "txtUp",   "cmdPath"};
    auto expected = [&](const char* mark) {
        std::vector<std::string> entries;
        for (const std::string& field : fields) entries.push_back(field + mark);
        return entries;
    };

    struct Step {
        int value;
        const char* mark;
    };
    for (const Step& step : {Step{0, "-"}, Step{1, "+"}, Step{2, "-"}, Step{1, "+"}}) {
        SCOPED_TRACE(step.value);
        log.clear();
        window.chkAutoSave.SetValue(step.value);
        EXPECT_EQ(expected(step.mark), log);
        for (const std::string& field : fields) EXPECT_EQ(step.value == 1, form.Get(field).Enabled()) << field;
        for (const char* untouched : {"cmdExplorer", "fraAutoSave", "chkAutoSave"}) {
            EXPECT_EQ(true, form.Get(untouched).Enabled()) << untouched;
        }
    }
}

}  // namespace
}  // namespace scrimble
