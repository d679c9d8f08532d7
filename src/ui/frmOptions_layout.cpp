#include "ui/frmOptions_layout.h"

#include <iterator>

namespace scrimble::ui {

using forms::ControlKind;
using forms::ControlSpec;
using forms::kNoTabStop;

namespace {

constexpr const char* kControlNames[] = {SCRIMBLE_OPTIONS_CONTROLS(SCRIMBLE_ROW_NAME)};

const char* Name(OptionsControl control) { return kControlNames[static_cast<int>(control)]; }

constexpr int kFirstRowTop = 300;
constexpr int kRowPitch = 420;

std::vector<ControlSpec> Rows() {
    using O = OptionsControl;
    const char* const frame = Name(O::fraKeys);
    std::vector<ControlSpec> rows = {
        {Name(O::fraKeys), ControlKind::Frame, nullptr, {120, 60, 5760, 2040}, kNoTabStop, L"どこからでも撮るキー",
         nullptr}};
    int top = kFirstRowTop;
    int tab = 0;
    for (const OptionsKeyRow& row : kOptionsKeyRows) {
        rows.push_back({Name(row.label), ControlKind::Label, frame, {120, top + 45, 1800, 240}, kNoTabStop, row.name,
                        nullptr});
        rows.push_back({Name(row.key), ControlKind::HotkeyBox, frame, {1980, top, 1620, 300}, tab++, L"", nullptr});
        rows.push_back({Name(row.on), ControlKind::CheckBox, frame, {3720, top + 15, 900, 270}, tab++, L"使う", nullptr});
        rows.push_back({Name(row.state), ControlKind::Label, frame, {4680, top + 45, 1000, 240}, kNoTabStop, L"",
                        nullptr});
        top += kRowPitch;
    }
    rows.push_back({Name(O::chkTray), ControlKind::CheckBox, nullptr, {120, 2220, 5760, 270}, tab++,
                    L"最小化したら通知領域に入れる", nullptr});
    rows.push_back({Name(O::chkCursor), ControlKind::CheckBox, nullptr, {120, 2550, 5760, 270}, tab++,
                    L"マウスカーソルを含める", nullptr});
    rows.push_back({Name(O::cmdOK), ControlKind::PushButton, nullptr, {3360, 3000, 1200, 390}, tab++, L"OK", nullptr,
                    0, {}, 0, true, 1});
    rows.push_back({Name(O::cmdCancel), ControlKind::PushButton, nullptr, {4680, 3000, 1200, 390}, tab++, L"キャンセル",
                    nullptr});
    return rows;
}

}  // namespace

const std::vector<ControlSpec>& OptionsLayout() {
    static const std::vector<ControlSpec> layout = forms::InNameOrder(Rows(), kControlNames, std::size(kControlNames));
    return layout;
}

}  // namespace scrimble::ui
