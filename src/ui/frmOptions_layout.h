// The options dialog's definition: its caption, client size and controls.
#pragma once

#include <vector>

#include "forms/control_spec.h"

namespace scrimble::ui {

inline constexpr const wchar_t* kOptionsCaption = L"オプション";
inline constexpr int kOptionsWidthTwips = 6000;
inline constexpr int kOptionsHeightTwips = 3510;
inline constexpr int kFirstOptionsControlId = 1100;

// The dialog's controls in the order of its layout rows; a key's three
// controls (box, check box, state) stand together, one row of keys for
// each KeyCommand in its order.
#define SCRIMBLE_OPTIONS_CONTROLS(X)                                                                            \
    X(fraKeys) X(lblScreenKey) X(hkScreen) X(chkScreen) X(lblScreenState) X(lblWindowKey) X(hkWindow)          \
    X(chkWindow) X(lblWindowState) X(lblRegionKey) X(hkRegion) X(chkRegion) X(lblRegionState) X(lblLastKey)     \
    X(hkLast) X(chkLast) X(lblLastState) X(chkTray) X(chkCursor) X(cmdOK) X(cmdCancel)

enum class OptionsControl : int { SCRIMBLE_OPTIONS_CONTROLS(SCRIMBLE_ROW_ENUM) };

// A key's row inside the frame: its name, the key, the check box that turns
// it on, and where a key that cannot be had says so; one for each
// KeyCommand, in its order.
struct OptionsKeyRow {
    const wchar_t* name;
    OptionsControl label, key, on, state;
};
inline constexpr OptionsKeyRow kOptionsKeyRows[] = {
    {L"画面全体", OptionsControl::lblScreenKey, OptionsControl::hkScreen, OptionsControl::chkScreen,
     OptionsControl::lblScreenState},
    {L"アクティブウィンドウ", OptionsControl::lblWindowKey, OptionsControl::hkWindow, OptionsControl::chkWindow,
     OptionsControl::lblWindowState},
    {L"範囲", OptionsControl::lblRegionKey, OptionsControl::hkRegion, OptionsControl::chkRegion,
     OptionsControl::lblRegionState},
    {L"前回の範囲", OptionsControl::lblLastKey, OptionsControl::hkLast, OptionsControl::chkLast,
     OptionsControl::lblLastState},
};

const std::vector<forms::ControlSpec>& OptionsLayout();

}  // namespace scrimble::ui
