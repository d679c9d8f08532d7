#include "ui/frmOptions_layout.h"

#include <iterator>

namespace scrimble::ui {

using forms::ControlKind;
using forms::ControlSpec;
using forms::kNoTabStop;

namespace {

constexpr const char* kControlNames[] = {SCRIMBLE_OPTIONS_CONTROLS(SCRIMBLE_ROW_NAME)};

const char* Name(OptionsControl control) { return kControlNames[static_cast<int>(control)]; }

// A key's row inside the frame: its name, the key, the check box that turns
// it on, and where a key that cannot be had says so.
constexpr int kRowTop[] = {300, 720, 1140, 1560};

}  // namespace

const std::vector<ControlSpec>& OptionsLayout() {
    using O = OptionsControl;
    const char* const frame = Name(O::fraKeys);
    static const std::vector<ControlSpec> layout = forms::InNameOrder(
        {
            {Name(O::fraKeys), ControlKind::Frame, nullptr, {120, 60, 5760, 2040}, kNoTabStop,
             L"どこからでも撮るキー", nullptr},
            {Name(O::lblScreenKey), ControlKind::Label, frame, {120, kRowTop[0] + 45, 1800, 240}, kNoTabStop,
             L"画面全体", nullptr},
            {Name(O::hkScreen), ControlKind::HotkeyBox, frame, {1980, kRowTop[0], 1620, 300}, 0, L"", nullptr},
            {Name(O::chkScreen), ControlKind::CheckBox, frame, {3720, kRowTop[0] + 15, 900, 270}, 1, L"使う", nullptr},
            {Name(O::lblScreenState), ControlKind::Label, frame, {4680, kRowTop[0] + 45, 1000, 240}, kNoTabStop,
             L"", nullptr},
            {Name(O::lblWindowKey), ControlKind::Label, frame, {120, kRowTop[1] + 45, 1800, 240}, kNoTabStop,
             L"アクティブウィンドウ", nullptr},
            {Name(O::hkWindow), ControlKind::HotkeyBox, frame, {1980, kRowTop[1], 1620, 300}, 2, L"", nullptr},
            {Name(O::chkWindow), ControlKind::CheckBox, frame, {3720, kRowTop[1] + 15, 900, 270}, 3, L"使う", nullptr},
            {Name(O::lblWindowState), ControlKind::Label, frame, {4680, kRowTop[1] + 45, 1000, 240}, kNoTabStop,
             L"", nullptr},
            {Name(O::lblRegionKey), ControlKind::Label, frame, {120, kRowTop[2] + 45, 1800, 240}, kNoTabStop,
             L"範囲", nullptr},
            {Name(O::hkRegion), ControlKind::HotkeyBox, frame, {1980, kRowTop[2], 1620, 300}, 4, L"", nullptr},
            {Name(O::chkRegion), ControlKind::CheckBox, frame, {3720, kRowTop[2] + 15, 900, 270}, 5, L"使う", nullptr},
            {Name(O::lblRegionState), ControlKind::Label, frame, {4680, kRowTop[2] + 45, 1000, 240}, kNoTabStop,
             L"", nullptr},
            {Name(O::chkTray), ControlKind::CheckBox, nullptr, {120, 2220, 5760, 270}, 8,
             L"最小化したら通知領域に入れる", nullptr},
            {Name(O::chkCursor), ControlKind::CheckBox, nullptr, {120, 2550, 5760, 270}, 9,
             L"マウスカーソルを含める", nullptr},
            {Name(O::cmdOK), ControlKind::PushButton, nullptr, {3360, 3000, 1200, 390}, 10, L"OK", nullptr, 0, {}, 0,
             true, 1},
            {Name(O::cmdCancel), ControlKind::PushButton, nullptr, {4680, 3000, 1200, 390}, 11, L"キャンセル", nullptr},
            // Added after the first rows, which keep their ids.
            {Name(O::lblLastKey), ControlKind::Label, frame, {120, kRowTop[3] + 45, 1800, 240}, kNoTabStop,
             L"前回の範囲", nullptr},
            {Name(O::hkLast), ControlKind::HotkeyBox, frame, {1980, kRowTop[3], 1620, 300}, 6, L"", nullptr},
            {Name(O::chkLast), ControlKind::CheckBox, frame, {3720, kRowTop[3] + 15, 900, 270}, 7, L"使う", nullptr},
            {Name(O::lblLastState), ControlKind::Label, frame, {4680, kRowTop[3] + 45, 1000, 240}, kNoTabStop,
             L"", nullptr},
        },
        kControlNames, std::size(kControlNames));
    return layout;
}

}  // namespace scrimble::ui
