// The main window's definition: its caption, client size and every control.
#pragma once

#include <vector>

#include "forms/form.h"

#include "forms/control_spec.h"

namespace scrimble::ui {

inline constexpr const wchar_t* kWindowCaption = L"Scrimble β";
inline constexpr int kClientWidthTwips = 4830;
inline constexpr int kClientHeightTwips = 6285;
// Controls get the id kFirstControlId + their row in the table.
inline constexpr int kFirstControlId = 1000;

// Every control of the window, in the order of the layout table's rows. The
// window's code reaches each through MainControl, never by looking a name
// up: a control renamed here fails to compile wherever the old name is used.
#define SCRIMBLE_MAIN_CONTROLS(X)                                                                              \
    X(cmdHome) X(cmdPrint) X(chkAutoSave) X(cmdExplorer) X(chkClip) X(fraAutoSave) X(txtFile) X(txtNumber)    \
    X(txtUp) X(cmdPath) X(lblPath) X(lblSvPath) X(lblFile) X(lblNumber) X(lblUp) X(fraTimer) X(cboTime)        \
    X(cboTimer) X(Label1) X(StatusBar1) X(cmdSave) X(cmdActiveWindow) X(cmdFullScreen) X(imgPicArea)          \
    X(cboFormat) X(lblFormat) X(cmdRegion)

enum class MainControl : int { SCRIMBLE_MAIN_CONTROLS(SCRIMBLE_ROW_ENUM) };

// The table, one row for each MainControl in its order (checked when the
// table is first made: a row out of place throws std::logic_error).
const std::vector<forms::ControlSpec>& MainWindowLayout();
// The control of the form built from that table.
forms::Control& ControlOf(forms::Form& form, MainControl control);

}  // namespace scrimble::ui
