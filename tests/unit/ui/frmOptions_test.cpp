// The options dialog over in-memory controls: filled from the options, OK
// gives back what it shows, two commands never share a key, Cancel gives
// nothing.
#include "ui/frmOptions.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "forms/form_builder.h"
#include "support/fake_services.h"
#include "ui/frmOptions_layout.h"

namespace scrimble {
namespace {

class FrmOptionsTest : public ::testing::Test {
protected:
    FrmOptionsTest() { memory.form().SetVisible(true); }
    frmOptions& Open(const std::array<bool, kKeyCommandCount>& refused = {}) {
        dialog.emplace(memory.form(), services, options, refused, 2);
        return *dialog;
    }

    Options options;
    test::FakeServices services;
    forms::MemoryForm memory{ui::OptionsLayout()};
    std::optional<frmOptions> dialog;
};

TEST_F(FrmOptionsTest, ShowsTheOptionsAndGivesBackWhatItShows) {
    options.Key(KeyCommand::ActiveWindow).on = false;
    options.drawCursor = true;
    frmOptions& d = Open({true, false, false});
    EXPECT_EQ(L"PrtSc", d.keyRows[0].key.Text());
    EXPECT_EQ(L"使用中", d.keyRows[0].state.Caption());
    EXPECT_EQ(L"", d.keyRows[1].state.Caption());
    EXPECT_EQ((std::vector<bool>{true, false, false}),
              (std::vector<bool>{d.keyRows[0].key.Enabled(), d.keyRows[1].key.Enabled(), d.keyRows[2].key.Enabled()}));
    EXPECT_FALSE(d.keyRows[2].on.Enabled());  // no command for it yet
    EXPECT_EQ(1, d.chkCursor.Value());

    d.keyRows[1].on.OnUserToggle();  // on again: its key kept meanwhile
    EXPECT_TRUE(d.keyRows[1].key.Enabled());
    EXPECT_EQ(L"Alt+PrtSc", d.keyRows[1].key.Text());
    d.keyRows[0].key.SetText(L"ctrl+shift+f1");
    d.chkTray.OnUserToggle();
    d.cmdOK.OnUserClick();
    ASSERT_TRUE(d.Result().has_value());
    EXPECT_EQ(L"Ctrl+Shift+F1", HotkeyText(d.Result()->Key(KeyCommand::FullScreen).key));
    EXPECT_TRUE(d.Result()->Key(KeyCommand::ActiveWindow).on);
    EXPECT_TRUE(d.Result()->minimizeToTray && d.Result()->drawCursor);
    EXPECT_FALSE(memory.form().Visible());
}

TEST_F(FrmOptionsTest, TwoCommandsNeverShareAKeyAndCancelGivesNothing) {
    frmOptions& d = Open();
    d.keyRows[1].key.SetText(L"PrtSc");
    d.cmdOK.OnUserClick();
    EXPECT_EQ(std::vector<std::wstring>{L"PrtSc が二つのコマンドに割り当てられています。別のキーにしてください。"},
              services.messageBoxes);
    EXPECT_FALSE(d.Result().has_value());
    EXPECT_TRUE(memory.form().Visible());  // still open, to be put right
    d.keyRows[1].on.OnUserToggle();      // a key turned off takes nobody's
    d.cmdOK.OnUserClick();
    EXPECT_TRUE(d.Result().has_value());

    Open().cmdCancel.OnUserClick();
    EXPECT_FALSE(dialog->Result().has_value());
}

}  // namespace
}  // namespace scrimble
