// The main window's definition: its caption, client size and every control.
#pragma once

#include <vector>

#include "forms/control_spec.h"

namespace scrimble::ui {

inline constexpr const wchar_t* kWindowCaption = L"Scrimble β";
inline constexpr int kClientWidthTwips = 4830;
inline constexpr int kClientHeightTwips = 6285;
// Controls get the id kFirstControlId + their row in the table.
inline constexpr int kFirstControlId = 1000;

const std::vector<forms::ControlSpec>& MainWindowLayout();

}  // namespace scrimble::ui
