#include "platform/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/form_builder.h"
#include "platform/memory_peer.h"
#include "support/fake_picture.h"
#include "ui/frmMain_layout.h"

namespace scrimble::forms {
namespace {

using test::MakeFakePicture;

// The error number a call throws, or 0 when it throws nothing.
template <typename Call>
int ErrorNumberOf(Call call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

// The main window's controls with no window code behind them: every handler
// is the test's own.
class ControlsTest : public ::testing::Test {
protected:
    // Counts the Click events of a control and what it read inside each one.
    void CountClicks(Control& control) {
        control.Click = [this, &control] {
            ++clicks;
            seenInClick.push_back(control.Kind() == ControlKind::CheckBox ? control.Value()
                                                                           : control.ListIndex());
        };
    }
    // Writes "name+" for GotFocus and "name-" for LostFocus into the log.
    void LogFocus(Control& control) {
        control.GotFocus = [this, &control] { focusLog.push_back(control.Name() + "+"); };
        control.LostFocus = [this, &control] { focusLog.push_back(control.Name() + "-"); };
    }

    MemoryForm controls{ui::MainWindowLayout()};
    int clicks = 0;
    std::vector<int> seenInClick;
    std::vector<std::string> focusLog;
};

TEST_F(ControlsTest, CheckValueRaisesClickOnlyWhenItChanges) {
    Control& check = controls["chkClip"];
    ASSERT_EQ(0, check.Value());
    CountClicks(check);

    check.SetValue(0);
    EXPECT_EQ(0, clicks);
    check.SetValue(1);
    check.SetValue(1);
    check.SetValue(2);
    check.SetValue(0);
    EXPECT_EQ(3, clicks);
    // The handler already sees the new value.
    EXPECT_EQ((std::vector<int>{1, 2, 0}), seenInClick);
}

TEST_F(ControlsTest, ListIndexRaisesClickOnlyWhenItChanges) {
    Control& list = controls["cboTimer"];
    ASSERT_EQ(-1, list.ListIndex());
    CountClicks(list);

    list.SetListIndex(-1);
    EXPECT_EQ(0, clicks);
    list.SetListIndex(2);
    list.SetListIndex(2);
    list.SetListIndex(0);
    list.SetListIndex(-1);
    EXPECT_EQ(3, clicks);
    EXPECT_EQ((std::vector<int>{2, 0, -1}), seenInClick);
}

TEST_F(ControlsTest, UserSelectionRaisesClickOnlyWhenItChanges) {
    Control& list = controls["cboTime"];
    list.SetListIndex(4);
    CountClicks(list);

    controls.peer("cboTime").SetListIndex(6);  // the user picks "7"
    list.OnUserSelect();
    list.OnUserSelect();  // the same entry picked again
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(L"7", list.Text());

    controls.peer("cboTime").SetListIndex(4);  // back to what the program had set
    list.OnUserSelect();
    EXPECT_EQ(2, clicks);
}

TEST_F(ControlsTest, InvalidCheckValuesThrowAndChangeNothing) {
    Control& check = controls["chkAutoSave"];
    ASSERT_EQ(1, check.Value());
    CountClicks(check);
    for (int value : {3, -1}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(380, ErrorNumberOf([&] { check.SetValue(value); }));
        EXPECT_EQ(1, check.Value());
    }
    EXPECT_EQ(0, clicks);
}

TEST_F(ControlsTest, InvalidListIndexesThrowAndChangeNothing) {
    Control& list = controls["cboTimer"];
    list.SetListIndex(1);
    CountClicks(list);
    for (int index : {-2, list.ListCount()}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(380, ErrorNumberOf([&] { list.SetListIndex(index); }));
        EXPECT_EQ(1, list.ListIndex());
    }
    EXPECT_EQ(3, list.ListCount());
    EXPECT_EQ(0, clicks);
}

TEST_F(ControlsTest, SetTextCutsAtMaxLength) {
    Control& number = controls["txtNumber"];
    Control& step = controls["txtUp"];
    EXPECT_EQ(5, number.MaxLength());
    EXPECT_EQ(3, step.MaxLength());

    number.SetText(L"1234567");
    step.SetText(L"12345");
    EXPECT_EQ(L"12345", number.Text());
    EXPECT_EQ(L"123", step.Text());

    number.SetText(L"42");
    step.SetText(L"987");
    EXPECT_EQ(L"42", number.Text());
    EXPECT_EQ(L"987", step.Text());

    const std::wstring longName(300, L'x');
    controls["txtFile"].SetText(longName);  // no limit
    EXPECT_EQ(longName, controls["txtFile"].Text());
}

TEST_F(ControlsTest, ListTextIsTheSelectedItem) {
    Control& list = controls["cboTimer"];
    EXPECT_EQ(L"", list.Text());
    list.SetListIndex(1);
    EXPECT_EQ(L"アクティブのみ", list.Text());
    list.SetListIndex(2);
    EXPECT_EQ(L"常時使用", list.Text());
    list.SetListIndex(-1);
    EXPECT_EQ(L"", list.Text());
    // A drop-down list's text follows its selection alone.
    EXPECT_EQ(380, ErrorNumberOf([&] { list.SetText(L"常時使用"); }));
    EXPECT_EQ(-1, list.ListIndex());
}

TEST_F(ControlsTest, SelLengthIsCutAtTheEndOfTheText) {
    Control& box = controls["txtFile"];
    ASSERT_EQ(L"Capture", box.Text());

    box.SetSelStart(3);
    box.SetSelLength(100);
    EXPECT_EQ(3, box.SelStart());
    EXPECT_EQ(4, box.SelLength());

    box.SetSelStart(0);
    box.SetSelLength(7);
    EXPECT_EQ(0, box.SelStart());
    EXPECT_EQ(7, box.SelLength());

    box.SetSelStart(50);  // past the end: the caret stops there
    box.SetSelLength(2);
    EXPECT_EQ(7, box.SelStart());
    EXPECT_EQ(0, box.SelLength());
}

TEST_F(ControlsTest, SetPictureReleasesThePreviousPicture) {
    Control& image = controls["imgPicArea"];
    auto destroyed = std::make_shared<int>(0);
    image.SetPicture(MakeFakePicture(1, destroyed));
    image.SetPicture(MakeFakePicture(2, destroyed));

    EXPECT_EQ(1, *destroyed);
    ASSERT_NE(nullptr, image.Picture());
    EXPECT_EQ(2u, image.Picture()->Bitmap());
    EXPECT_EQ(image.Picture(), controls.peer("imgPicArea").ShownPicture());

    image.SetPicture(nullptr);
    EXPECT_EQ(2, *destroyed);
    EXPECT_EQ(nullptr, controls.peer("imgPicArea").ShownPicture());
}

TEST_F(ControlsTest, UserToggleClearsAnyMarkAndChecksAnEmptyBox) {
    struct Case {
        int before;
        int after;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 0}, Case{2, 0}}) {
        SCOPED_TRACE(c.before);
        Control& check = controls["chkClip"];
        check.SetValue(c.before);
        clicks = 0;
        seenInClick.clear();
        CountClicks(check);

        check.OnUserToggle();
        EXPECT_EQ(c.after, check.Value());
        EXPECT_EQ(1, clicks);
        EXPECT_EQ(std::vector<int>{c.after}, seenInClick);
        check.Click = nullptr;
    }
}

TEST_F(ControlsTest, BuildingTheWindowSetsInitialStatesWithoutClicks) {
    // Handlers wired later must not miss a state: the table's own values are
    // already in place, limits included, without any event having run.
    EXPECT_EQ(1, controls["chkAutoSave"].Value());
    EXPECT_EQ(0, controls["chkClip"].Value());
    EXPECT_EQ(false, controls["cmdSave"].Enabled());
    EXPECT_EQ(false, controls["cmdPrint"].Enabled());
    EXPECT_EQ(5, controls.peer("txtNumber").Limit());
    EXPECT_EQ(L"001", controls["txtNumber"].Text());
    EXPECT_EQ(L"プレビュー。", controls.peer("imgPicArea").ShownToolTip());
    EXPECT_EQ(9, controls["cboTime"].ListCount());
    EXPECT_EQ(L"9", controls["cboTime"].List(8));
    EXPECT_EQ(L"", controls["cboTime"].List(9));
}

TEST_F(ControlsTest, FocusIsLostBeforeItIsGained) {
    for (const char* name : {"txtFile", "txtNumber"}) LogFocus(controls[name]);

    controls.focus().MoveTo(&controls["txtFile"]);
    controls.focus().MoveTo(&controls["txtNumber"]);
    controls.focus().MoveTo(&controls["txtNumber"]);  // already there: nothing happens

    EXPECT_EQ((std::vector<std::string>{"txtFile+", "txtFile-", "txtNumber+"}), focusLog);
    EXPECT_EQ(&controls["txtNumber"], controls.focus().Focused());
}

TEST_F(ControlsTest, FocusRequestedWhileLosingFocusFollowsTheMove) {
    Control& number = controls["txtNumber"];
    Control& step = controls["txtUp"];
    LogFocus(step);
    LogFocus(number);
    controls.focus().MoveTo(&number);
    focusLog.clear();
    bool refuse = true;  // once, or the focus could never leave
    number.LostFocus = [&] {
        focusLog.push_back("txtNumber-");
        if (!refuse) return;
        refuse = false;
        number.SetFocus();
        // Not yet: the move under way finishes first.
        focusLog.push_back(controls.focus().Focused() == &number ? "still txtNumber" : "moved");
    };

    controls.focus().MoveTo(&step);

    EXPECT_EQ((std::vector<std::string>{"txtNumber-", "still txtNumber", "txtUp+", "txtUp-", "txtNumber+"}),
              focusLog);
    EXPECT_EQ(&number, controls.focus().Focused());
}

TEST_F(ControlsTest, DisabledControlsDoNotTakeTheFocus) {
    Control& file = controls["txtFile"];
    Control& number = controls["txtNumber"];
    Control& save = controls["cmdSave"];
    for (Control* control : {&file, &number, &save}) LogFocus(*control);
    controls.focus().MoveTo(&file);
    focusLog.clear();

    controls.focus().MoveTo(&save);
    save.SetFocus();
    EXPECT_EQ(std::vector<std::string>{}, focusLog);
    EXPECT_EQ(&file, controls.focus().Focused());

    // Nor when a handler asks for them while the focus moves.
    file.LostFocus = [&] {
        focusLog.push_back("txtFile-");
        save.SetFocus();
    };
    controls.focus().MoveTo(&number);
    EXPECT_EQ((std::vector<std::string>{"txtFile-", "txtNumber+"}), focusLog);
    EXPECT_EQ(&number, controls.focus().Focused());
}

TEST_F(ControlsTest, FocusStillFollowsRequestsAfterAHandlerFailed) {
    Control& file = controls["txtFile"];
    Control& number = controls["txtNumber"];
    number.GotFocus = [] { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(controls.focus().MoveTo(&number), std::runtime_error);
    EXPECT_EQ(&number, controls.focus().Focused());

    number.GotFocus = nullptr;
    file.SetFocus();
    EXPECT_EQ(&file, controls.focus().Focused());
}

}  // namespace
}  // namespace scrimble::forms
