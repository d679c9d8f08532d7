// The options dialog's code: fills its controls from the options, and on OK
// gives back the options they show; Cancel gives nothing back.
#pragma once

#include <array>
#include <optional>

#include "forms/form.h"
#include "services/services.h"
#include "settings/options.h"

namespace scrimble {

class frmOptions {
public:
    // `refused`: the keys that could not be had, marked beside them.
    // `commandCount`: how many of the KeyCommands have a command yet; the
    // rows of the others are greyed.
    frmOptions(forms::Form& form, Services& services, const Options& current,
               const std::array<bool, kKeyCommandCount>& refused, std::size_t commandCount);
    frmOptions(const frmOptions&) = delete;
    frmOptions& operator=(const frmOptions&) = delete;

    forms::Form& Me;

    // A key's row: the key, whether it is on, where a refusal is told.
    struct KeyRow {
        forms::Control& key;
        forms::Control& on;
        forms::Control& state;
    };
    std::array<KeyRow, kKeyCommandCount> keyRows;
    forms::Control& chkTray;
    forms::Control& chkCursor;
    forms::Control& cmdOK;
    forms::Control& cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();
    // A key's box takes a key only while the key is on.
    void KeyOn_Click(KeyCommand command);

    // What OK gave, nullopt while the dialog is open or after Cancel.
    const std::optional<Options>& Result() const { return result_; }

private:
    Services& services_;
    Options start_;
    std::size_t commandCount_;
    std::optional<Options> result_;
};

}  // namespace scrimble
