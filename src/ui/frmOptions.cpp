#include "ui/frmOptions.h"

#include <iterator>
#include <string>

#include "platform/hotkey.h"
#include "ui/frmOptions_layout.h"

namespace scrimble {

namespace {

using ui::OptionsControl;

forms::Control& At(forms::Form& form, OptionsControl control) { return forms::ControlAt(form, control); }

static_assert(std::size(ui::kOptionsKeyRows) == kKeyCommandCount);

frmOptions::KeyRow Row(forms::Form& form, std::size_t command) {
    const ui::OptionsKeyRow& row = ui::kOptionsKeyRows[command];
    return {At(form, row.key), At(form, row.on), At(form, row.state)};
}

constexpr const wchar_t* kRefused = L"使用中";

}  // namespace

frmOptions::frmOptions(forms::Form& form, Services& services, const Options& current,
                       const std::array<bool, kKeyCommandCount>& refused, std::size_t commandCount)
    : Me(form),
      keyRows{{Row(form, 0), Row(form, 1), Row(form, 2), Row(form, 3)}},
      chkTray(At(form, OptionsControl::chkTray)),
      chkCursor(At(form, OptionsControl::chkCursor)),
      cmdOK(At(form, OptionsControl::cmdOK)),
      cmdCancel(At(form, OptionsControl::cmdCancel)),
      services_(services),
      start_(current),
      commandCount_(commandCount) {
    for (std::size_t i = 0; i < kKeyCommandCount; ++i) {
        const KeySetting& setting = current.keys[i];
        KeyRow& row = keyRows[i];
        row.key.SetText(HotkeyText(setting.key));
        row.on.SetValue(setting.on ? 1 : 0);
        row.state.SetCaption(refused[i] ? kRefused : L"");
        const KeyCommand command = static_cast<KeyCommand>(i);
        row.on.Click = [this, command] { KeyOn_Click(command); };
        KeyOn_Click(command);
    }
    chkTray.SetValue(current.minimizeToTray ? 1 : 0);
    chkCursor.SetValue(current.drawCursor ? 1 : 0);
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmOptions::KeyOn_Click(KeyCommand command) {
    const std::size_t index = static_cast<std::size_t>(command);
    KeyRow& row = keyRows[index];
    const bool offered = index < commandCount_;
    row.on.SetEnabled(offered);
    row.key.SetEnabled(offered && row.on.Value() == 1);
}

void frmOptions::cmdOK_Click() {
    Options chosen = start_;
    for (std::size_t i = 0; i < kKeyCommandCount; ++i) {
        KeySetting& setting = chosen.keys[i];
        const KeyRow& row = keyRows[i];
        setting.on = row.on.Value() == 1;
        // A box emptied keeps the key it had; a key turned off is kept for
        // the day it is turned on again.
        if (const std::optional<Hotkey> key = ParseHotkey(row.key.Text())) setting.key = *key;
    }
    for (std::size_t i = 0; i < kKeyCommandCount; ++i) {
        for (std::size_t j = i + 1; j < kKeyCommandCount; ++j) {
            const KeySetting& a = chosen.keys[i];
            const KeySetting& b = chosen.keys[j];
            if (a.on && b.on && a.key == b.key) {
                services_.MessageBox(HotkeyText(a.key) + L" が二つのコマンドに割り当てられています。別のキーにしてください。");
                keyRows[j].key.SetFocus();
                return;
            }
        }
    }
    chosen.minimizeToTray = chkTray.Value() == 1;
    chosen.drawCursor = chkCursor.Value() == 1;
    result_ = chosen;
    Me.SetVisible(false);  // the dialog's loop ends
}

void frmOptions::cmdCancel_Click() {
    result_.reset();
    Me.SetVisible(false);
}

}  // namespace scrimble
