#include "ui/frmMain_layout.h"

#include <iterator>

#include "imaging/picture_format.h"
#include "ui/resource_ids.h"

namespace scrimble::ui {

using forms::ControlKind;
using forms::ControlSpec;
using forms::kNoTabStop;

namespace {

constexpr const char* kControlNames[] = {SCRIMBLE_MAIN_CONTROLS(SCRIMBLE_ROW_NAME)};

const char* ControlName(MainControl control) { return kControlNames[static_cast<int>(control)]; }

}  // namespace

forms::Control& ControlOf(forms::Form& form, MainControl control) { return forms::ControlAt(form, control); }

const std::vector<ControlSpec>& MainWindowLayout() {
    // name, kind, container, {left, top, width, height} in twips, tab index,
    // caption, tooltip, then what only some kinds need.
    static const std::vector<ControlSpec> layout = forms::InNameOrder({
        {ControlName(MainControl::cmdHome), ControlKind::CommandButton, nullptr, {4440, 0, 375, 375}, 5,
         L"", L"Tavorinへ。", IDB_HOME},
        {ControlName(MainControl::cmdPrint), ControlKind::CommandButton, nullptr, {1620, 0, 375, 375}, 4,
         L"", L"キャプチャすると印刷できます。", IDB_PRINT, {}, 0, false},
        {ControlName(MainControl::chkAutoSave), ControlKind::CheckBox, nullptr, {2520, 900, 2175, 255}, 9,
         L"ファイルに保存", L"キャプチャと同時に、ファイル保存するかどうか。", 0, {}, 0, true, 1},
        {ControlName(MainControl::cmdExplorer), ControlKind::CommandButton, nullptr, {1140, 0, 375, 375}, 3,
         L"", L"保存パスのフォルダを開きます。", IDB_EXPLORER},
        {ControlName(MainControl::chkClip), ControlKind::CheckBox, nullptr, {2520, 600, 2115, 255}, 8,
         L"クリップボードに保存", L"キャプチャイメージをクリップボードに残すか残さないか。"},
        {ControlName(MainControl::fraAutoSave), ControlKind::Frame, nullptr, {0, 1200, 4815, 1485}, 18,
         L"ファイルに保存", nullptr},
        {ControlName(MainControl::txtFile), ControlKind::TextBox, ControlName(MainControl::fraAutoSave), {720, 780, 1515, 270}, 11,
         L"Capture", L"ファイル名の先頭。"},
        {ControlName(MainControl::txtNumber), ControlKind::TextBox, ControlName(MainControl::fraAutoSave), {3000, 780, 615, 270}, 12,
         L"001", L"ファイル名の後ろに付ける番号。", 0, {}, 5, true, 0, true},
        {ControlName(MainControl::txtUp), ControlKind::TextBox, ControlName(MainControl::fraAutoSave), {4260, 780, 435, 270}, 13,
         L"1", L"番号のカウントアップ。", 0, {}, 3, true, 0, true, true},
        {ControlName(MainControl::cmdPath), ControlKind::CommandButton, ControlName(MainControl::fraAutoSave), {4320, 240, 375, 375}, 10,
         L"", L"ファイルを保存するパスの指定。", IDB_PATH},
        {ControlName(MainControl::lblPath), ControlKind::Label, ControlName(MainControl::fraAutoSave), {750, 240, 3435, 450}, 19,
         L"C:\\", L"ファイルを保存するパス。"},
        {ControlName(MainControl::lblSvPath), ControlKind::Label, ControlName(MainControl::fraAutoSave), {60, 240, 735, 195}, 23,
         L"保存ﾊﾟｽ", nullptr},
        {ControlName(MainControl::lblFile), ControlKind::Label, ControlName(MainControl::fraAutoSave), {60, 840, 855, 195}, 22,
         L"ﾌｧｲﾙ名", nullptr},
        {ControlName(MainControl::lblNumber), ControlKind::Label, ControlName(MainControl::fraAutoSave), {2340, 840, 855, 195}, 21,
         L"開始No", nullptr},
        {ControlName(MainControl::lblUp), ControlKind::Label, ControlName(MainControl::fraAutoSave), {3720, 840, 555, 195}, 20,
         L"アップ", nullptr},
        {ControlName(MainControl::fraTimer), ControlKind::Frame, nullptr, {0, 540, 2415, 615}, 16,
         L"タイマー設定", nullptr},
        {ControlName(MainControl::cboTime), ControlKind::ComboList, ControlName(MainControl::fraTimer), {1620, 240, 495, 300}, 7,
         L"", L"待ち時間を設定します。", 0,
         {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"}},
        {ControlName(MainControl::cboTimer), ControlKind::ComboList, ControlName(MainControl::fraTimer), {60, 240, 1515, 300}, 6,
         L"", L"タイマーを設定します。", 0, {L"使用しない", L"アクティブのみ", L"常時使用"}},
        {ControlName(MainControl::Label1), ControlKind::Label, ControlName(MainControl::fraTimer), {2160, 300, 195, 195}, 17,
         L"秒", nullptr},
        {ControlName(MainControl::StatusBar1), ControlKind::StatusBar, nullptr, {0, 5970, 4830, 315}, 15,
         L"", nullptr},
        {ControlName(MainControl::cmdSave), ControlKind::CommandButton, nullptr, {780, 0, 375, 375}, 2,
         L"", L"キャプチャすると名前を付けて保存できます。", IDB_SAVE, {}, 0, false},
        {ControlName(MainControl::cmdActiveWindow), ControlKind::CommandButton, nullptr, {420, 0, 375, 375}, 1,
         L"", L"アクティブウィンドウをキャプチャします。", IDB_ACTIVEWINDOW},
        {ControlName(MainControl::cmdFullScreen), ControlKind::CommandButton, nullptr, {60, 0, 375, 375}, 0,
         L"", L"画面全体をキャプチャします。", IDB_FULLSCREEN},
        {ControlName(MainControl::imgPicArea), ControlKind::Image, nullptr, {60, 2730, 4695, 3195}, kNoTabStop,
         L"", L"プレビュー。"},
        // Added below the first version's rows, which keep their ids.
        {ControlName(MainControl::cboFormat), ControlKind::ComboList, ControlName(MainControl::fraAutoSave), {720, 1125, 1515, 300}, 14,
         L"", L"自動保存するファイルの形式。PNG は BMP よりずっと小さくなります。", 0,
         {NameOf(kAutoSaveFormats[0]), NameOf(kAutoSaveFormats[1])}},
        {ControlName(MainControl::lblFormat), ControlKind::Label, ControlName(MainControl::fraAutoSave), {60, 1185, 615, 195}, 24,
         L"形式", nullptr},
        // In the free stretch of the picture buttons' row.
        {ControlName(MainControl::cmdRegion), ControlKind::CommandButton, nullptr, {2100, 0, 375, 375}, 25,
         L"", L"範囲を指定してキャプチャします（F3、前回の範囲は Shift+F3）。", IDB_REGION},
    }, kControlNames, std::size(kControlNames));
    return layout;
}

}  // namespace scrimble::ui
