#include "forms/controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "forms/form_builder.h"
#include "platform/errors.h"
#include "support/fake_services.h"
#include "support/test_util.h"
#include "ui/frmMain_layout.h"

namespace scrimble::forms {
namespace {

using test::ErrorNumberOf;
using Log = std::vector<std::string>;

// The main window's controls with no window code behind them: every handler
// is the test's own.
class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() { controls.form().SetVisible(true); }  // a hidden window takes no focus requests

    // Notes each Click with the value the handler reads.
    void LogClicks(Control& control) {
        control.Click = [this, &control] {
            const bool check = control.Kind() == ControlKind::CheckBox;
            log.push_back(std::to_string(check ? control.Value() : control.ListIndex()));
        };
    }
    // Notes "name+" for GotFocus and "name-" for LostFocus.
    void LogFocus(Control& control) {
        control.GotFocus = [this, &control] { log.push_back(control.Name() + "+"); };
        control.LostFocus = [this, &control] { log.push_back(control.Name() + "-"); };
    }
    Control* Focused() { return controls.focus().Focused(); }

    MemoryForm controls{ui::MainWindowLayout()};
    Log log;
};

TEST_F(ControlsTest, ValueAndListIndexRaiseClickOnlyWhenTheyChangeWithinTheirRange) {
    Control& check = controls["chkClip"];
    Control& list = controls["cboTimer"];
    LogClicks(check);
    LogClicks(list);
    for (int value : {0, 1, 1, 2, 0}) check.SetValue(value);  // starts at 0
    EXPECT_EQ((Log{"1", "2", "0"}), log);  // the handler already sees the new value
    log.clear();
    for (int index : {-1, 2, 2, 0, -1}) list.SetListIndex(index);  // starts at -1
    EXPECT_EQ((Log{"2", "0", "-1"}), log);

    log.clear();  // values outside the range are refused and change nothing
    for (int value : {3, -1}) EXPECT_EQ(380, ErrorNumberOf([&] { check.SetValue(value); })) << value;
    for (int index : {-2, 3}) EXPECT_EQ(380, ErrorNumberOf([&] { list.SetListIndex(index); })) << index;
    EXPECT_EQ(0, check.Value());
    EXPECT_EQ(-1, list.ListIndex());
    EXPECT_EQ(Log{}, log);
}

TEST_F(ControlsTest, UserSelectionAndToggleRaiseClickOnlyOnAChange) {
    Control& list = controls["cboTime"];
    list.SetListIndex(4);
    LogClicks(list);
    for (int picked : {6, 6, 4}) {  // the user picks "7", the same again, then what the program had set
        controls.peer("cboTime").SetListIndex(picked);
        list.OnUserSelect();
    }
    EXPECT_EQ((Log{"6", "4"}), log);

    Control& check = controls["chkClip"];
    for (int before : {0, 1, 2}) {
        check.SetValue(before);
        LogClicks(check);
        check.OnUserToggle();
        check.Click = nullptr;
    }
    EXPECT_EQ((Log{"6", "4", "1", "0", "0"}), log);  // from 0, 1 and 2
}

TEST_F(ControlsTest, SetTextCutsAtMaxLength) {
    const std::wstring longName(300, L'x');
    const struct { const char* box; std::wstring text, kept; } cases[] = {
        {"txtNumber", L"1234567", L"12345"}, {"txtNumber", L"42", L"42"},
        {"txtUp", L"12345", L"123"},         {"txtUp", L"987", L"987"},
        {"txtFile", longName, longName},  // no limit
    };
    for (const auto& c : cases) {
        controls[c.box].SetText(c.text);
        EXPECT_EQ(c.kept, controls[c.box].Text()) << c.box;
    }
}

TEST_F(ControlsTest, ListTextIsTheSelectedItemAndCannotBeSet) {
    Control& list = controls["cboTimer"];
    const std::wstring expected[] = {L"", L"使用しない", L"アクティブのみ", L"常時使用"};
    for (int index : {-1, 1, 2, 0, -1}) {
        list.SetListIndex(index);
        EXPECT_EQ(expected[index + 1], list.Text()) << index;
    }
    EXPECT_EQ(380, ErrorNumberOf([&] { list.SetText(L"常時使用"); }));
    EXPECT_EQ(-1, list.ListIndex());
    EXPECT_EQ(L"9", controls["cboTime"].List(8));
    EXPECT_EQ(L"", controls["cboTime"].List(9));
    EXPECT_EQ(L"", controls["cboTime"].List(-1));
}

TEST_F(ControlsTest, SelectionIsCutAtTheEndOfTheText) {
    Control& box = controls["txtFile"];  // "Capture"
    const struct { int start, length, selStart, selLength; } cases[] = {
        {3, 100, 3, 4}, {0, 7, 0, 7}, {50, 2, 7, 0}, {-5, 2, 0, 2}};
    for (const auto& c : cases) {
        box.SetSelStart(c.start);
        box.SetSelLength(c.length);
        EXPECT_EQ(c.selStart, box.SelStart()) << c.start;
        EXPECT_EQ(c.selLength, box.SelLength()) << c.start;
    }
}

TEST_F(ControlsTest, SetPictureShowsTheNewPictureAndReleasesThePreviousOne) {
    Control& image = controls["imgPicArea"];
    auto destroyed = std::make_shared<int>(0);  // may outlive the test if a picture is kept
    image.SetPicture(std::make_shared<test::FakePicture>(1, 0, [destroyed] { ++*destroyed; }));
    image.SetPicture(std::make_shared<test::FakePicture>(2, 0, [destroyed] { ++*destroyed; }));
    EXPECT_EQ(1, *destroyed);
    EXPECT_EQ(2u, image.Picture()->Bitmap());
    EXPECT_EQ(image.Picture(), controls.peer("imgPicArea").ShownPicture());
    image.SetPicture(nullptr);
    EXPECT_EQ(2, *destroyed);
    EXPECT_EQ(nullptr, controls.peer("imgPicArea").ShownPicture());
}

TEST_F(ControlsTest, BuildingTheWindowSetsTheTablesStatesAndLimits) {
    EXPECT_EQ(1, controls["chkAutoSave"].Value());
    EXPECT_EQ(false, controls["cmdSave"].Enabled());
    EXPECT_EQ(5, controls.peer("txtNumber").Limit());
    EXPECT_EQ(L"プレビュー。", controls.peer("imgPicArea").ShownToolTip());
}

TEST_F(ControlsTest, FocusIsLostBeforeItIsGainedAndARequestMadeMeanwhileFollows) {
    Control& number = controls["txtNumber"];
    Control& step = controls["txtUp"];
    LogFocus(step);
    LogFocus(number);
    controls.focus().MoveTo(&number);
    controls.focus().MoveTo(&number);  // already there: nothing happens
    EXPECT_EQ(Log{"txtNumber+"}, log);
    log.clear();
    bool refuse = true;  // once, or the focus could never leave
    number.LostFocus = [&] {
        log.push_back("txtNumber-");
        if (!std::exchange(refuse, false)) return;
        number.SetFocus();
        log.push_back(Focused() == &number ? "not yet" : "moved");  // the move under way finishes first
    };
    controls.focus().MoveTo(&step);
    EXPECT_EQ((Log{"txtNumber-", "not yet", "txtUp+", "txtUp-", "txtNumber+"}), log);
    EXPECT_EQ(&number, Focused());
}

TEST_F(ControlsTest, DisabledControlsDoNotTakeTheFocus) {
    Control& file = controls["txtFile"];
    Control& save = controls["cmdSave"];
    for (Control* control : {&file, &save, &controls["txtNumber"]}) LogFocus(*control);
    controls.focus().MoveTo(&file);
    log.clear();
    controls.focus().MoveTo(&save);
    save.SetFocus();
    EXPECT_EQ(Log{}, log);
    EXPECT_EQ(&file, Focused());

    file.LostFocus = [&] {  // nor when a handler asks for them while the focus moves
        log.push_back("txtFile-");
        save.SetFocus();
    };
    controls.focus().MoveTo(&controls["txtNumber"]);
    EXPECT_EQ((Log{"txtFile-", "txtNumber+"}), log);
    EXPECT_EQ(&controls["txtNumber"], Focused());
}

TEST_F(ControlsTest, FocusStillFollowsRequestsAfterAHandlerFailed) {
    controls["txtNumber"].GotFocus = [] { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(controls.focus().MoveTo(&controls["txtNumber"]), std::runtime_error);
    EXPECT_EQ(&controls["txtNumber"], Focused());
    controls["txtFile"].SetFocus();
    EXPECT_EQ(&controls["txtFile"], Focused());
}

// A control the system would not make stops the building with its name, and
// every failure that ends the program reads "number : description".
TEST(FormBuilding, AControlThatCannotBeMadeIsReportedByName) {
    struct Factory : PeerFactory {
        std::unique_ptr<ControlPeer> CreatePeer(const ControlSpec& entry, int row) override {
            const bool refused = std::string(entry.name) == "txtNumber";
            return std::make_unique<MemoryPeer>(focus, refused ? 0 : static_cast<NativeHandle>(0x1000 + row));
        }
        MemoryFocus focus;
    } factory;
    Form form(std::make_unique<MemoryWindowPeer>(0x100));
    EXPECT_EQ(std::optional<std::wstring>(L"482 : ウィンドウを作成できません: txtNumber"),
              FailureMessage([&] { BuildControls(form, ui::MainWindowLayout(), factory); }));

    const std::pair<std::function<void()>, std::optional<std::wstring>> cases[] = {
        {[] {}, std::nullopt},
        {[] { throw std::bad_alloc(); }, L"7 : メモリが不足しています。"},
        {[] { throw std::out_of_range("no control"); }, L"51 : 予期しないエラーが発生しました。"},
    };
    for (const auto& [fn, message] : cases) EXPECT_EQ(message, FailureMessage(fn));
}

// Destroying a real window sends notifications that look its controls up, so
// the window must go while they still exist.
TEST(FormLifetime, TheWindowGoesBeforeItsControls) {
    struct Window : MemoryWindowPeer {
        explicit Window(Log& log) : MemoryWindowPeer(0x100), log(log) {}
        ~Window() override { log.push_back("window"); }
        Log& log;
    };
    struct Peer : MemoryPeer {
        Peer(MemoryFocus& focus, Log& log) : MemoryPeer(focus, 0x10), log(log) {}
        ~Peer() override { log.push_back("control"); }
        Log& log;
    };
    Log log;
    MemoryFocus focus;
    {
        Form form(std::make_unique<Window>(log));
        form.Add(std::make_unique<Control>("txtNumber", ControlKind::TextBox, std::make_unique<Peer>(focus, log)));
    }
    EXPECT_EQ((Log{"window", "control"}), log);
}

}  // namespace
}  // namespace scrimble::forms
