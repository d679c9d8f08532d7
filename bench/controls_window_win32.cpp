// The floor for Scrimble's start with its user interface: the same window and
// the same 27 controls, made the plainest way; of Scrimble's code it takes
// only the layout table and the button pictures' drawing. Built with
// Scrimble's resources (icon, button pictures, the common controls 6
// manifest), it shows what Scrimble shows: same classes, styles, places,
// captions, list items, the system's message font, picture buttons, tooltips
// and the status bar.
// It starts in the state the start-up table's Scrimble shows (timer and
// auto-save off, clipboard on), fixed here: disabled controls paint less
// than enabled ones, so the two frames must match.
// Left out, being Scrimble's and not the interface's: reading the settings,
// the single-instance check, the label and text box subclasses, the window
// resized after creation, the controls' second placing and stacking pass.
#include <windows.h>

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "forms/button_picture_win32.h"
#include "platform/twips.h"
#include "ui/frmMain_layout.h"
#include "ui/resource_ids.h"

namespace {

using scrimble::forms::ControlKind;
using scrimble::forms::ControlSpec;
using scrimble::forms::TwipsRect;

constexpr wchar_t kWindowClass[] = L"ControlsFloorWindow";
constexpr wchar_t kPreviewClass[] = L"ControlsFloorPreview";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

HWND window = nullptr;
HWND tooltip = nullptr;
std::vector<HBITMAP> pictures;  // by control row; nullptr where none

struct Kind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

Kind KindOf(const ControlSpec& entry) {
    switch (entry.kind) {
        case ControlKind::Label: return {L"STATIC", SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX | SS_NOTIFY, 0};
        case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::CommandButton: return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        case ControlKind::CheckBox: return {L"BUTTON", BS_3STATE | WS_TABSTOP, 0};
        case ControlKind::ComboList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::TextBox:
            return {L"EDIT", static_cast<DWORD>(ES_AUTOHSCROLL | WS_TABSTOP | (entry.alignRight ? ES_RIGHT : ES_LEFT)),
                    WS_EX_CLIENTEDGE};
        case ControlKind::Image: return {kPreviewClass, WS_BORDER, 0};
        case ControlKind::StatusBar: return {STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
        case ControlKind::PushButton: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::HotkeyBox: return {HOTKEY_CLASSW, WS_TABSTOP, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

// Scrimble's stacking order (input controls over the status bar, labels, the
// preview and the frames, each by tab index). Made in this order, the
// controls stack so at once: each new child goes under those before it.
int StackingRank(ControlKind kind) {
    switch (kind) {
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
        case ControlKind::ComboList:
        case ControlKind::TextBox:
        case ControlKind::PushButton:
        case ControlKind::HotkeyBox: return 0;
        case ControlKind::StatusBar: return 1;
        case ControlKind::Label: return 2;
        case ControlKind::Image: return 3;
        case ControlKind::Frame: return 4;
    }
    return 5;
}

// With the timer and auto-save off, Scrimble greys the delay list and
// everything in the auto-save frame.
bool StartsEnabled(const ControlSpec& entry) {
    if (!entry.enabled || std::strcmp(entry.name, "cboTime") == 0) return false;
    return entry.container == nullptr || std::strcmp(entry.container, "fraAutoSave") != 0;
}

int StartsChecked(const ControlSpec& entry) { return std::strcmp(entry.name, "chkClip") == 0 ? BST_CHECKED : 0; }

TwipsRect Absolute(const std::vector<ControlSpec>& layout, const ControlSpec& entry) {
    TwipsRect rect = entry.rect;
    if (entry.container == nullptr) return rect;
    for (const ControlSpec& other : layout) {
        if (std::strcmp(other.name, entry.container) == 0) {
            rect.left += other.rect.left;
            rect.top += other.rect.top;
        }
    }
    return rect;
}

void DrawButton(const DRAWITEMSTRUCT& item) {
    RECT rect = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(item.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const INT_PTR row = ::GetDlgCtrlID(item.hwndItem) - scrimble::ui::kFirstControlId;
    HBITMAP bitmap = row >= 0 && row < static_cast<INT_PTR>(pictures.size()) ? pictures[row] : nullptr;
    BITMAP info{};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
        const int scale = scrimble::win32::PictureScale(rect.right - rect.left, rect.bottom - rect.top, info.bmWidth,
                                                        info.bmHeight);
        const int width = info.bmWidth * scale;
        const int height = info.bmHeight * scale;
        scrimble::win32::DrawButtonPicture(item.hDC, rect.left + (rect.right - rect.left - width) / 2 + pushed,
                                           rect.top + (rect.bottom - rect.top - height) / 2 + pushed, width, height,
                                           bitmap, info.bmWidth, info.bmHeight, (item.itemState & ODS_DISABLED) != 0);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        ::InflateRect(&rect, -3, -3);
        ::DrawFocusRect(item.hDC, &rect);
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The preview with no picture yet: its class brush, and a hit test that lets
// its tooltip show.
LRESULT CALLBACK PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCHITTEST) return HTCLIENT;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// A tip on the control, and one on the window under the control's rectangle
// for when a disabled control passes the mouse to the window.
void AddToolTip(HWND control, int id, const RECT& rect, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window;
    tool.lpszText = const_cast<wchar_t*>(text);
    tool.uFlags = TTF_IDISHWND;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = 0;
    tool.uId = static_cast<UINT_PTR>(id);
    tool.rect = rect;
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND CreateControl(HINSTANCE instance, const std::vector<ControlSpec>& layout, size_t row, HFONT font,
                   int itemHeight, UINT dpi) {
    const ControlSpec& entry = layout[row];
    const TwipsRect twips = Absolute(layout, entry);
    const RECT at{scrimble::twips::LayoutToPixels(twips.left, dpi), scrimble::twips::LayoutToPixels(twips.top, dpi),
                  scrimble::twips::LayoutToPixels(twips.left + twips.width, dpi),
                  scrimble::twips::LayoutToPixels(twips.top + twips.height, dpi)};
    const int width = scrimble::twips::LayoutToPixels(twips.width, dpi);
    const int height = scrimble::twips::LayoutToPixels(twips.height, dpi);
    const int items = static_cast<int>(entry.items.size());
    // A drop-down list is made at its open height: the closed one follows its field.
    const int madeHeight = entry.kind == ControlKind::ComboList ? height + std::max(1, items) * itemHeight + 4 : height;
    const Kind kind = KindOf(entry);
    const int id = scrimble::ui::kFirstControlId + static_cast<int>(row);
    const wchar_t* text = entry.kind == ControlKind::CommandButton ? entry.toolTip
                          : entry.kind == ControlKind::ComboList || entry.caption == nullptr ? L""
                                                                                            : entry.caption;
    HWND hwnd = ::CreateWindowExW(kind.exStyle, kind.className, text, kChildStyle | kind.style, at.left, at.top, width,
                                  madeHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                  nullptr);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (entry.kind) {
        case ControlKind::ComboList: {
            for (const wchar_t* item : entry.items) {
                ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            }
            // An entry shows, as in Scrimble's lists.
            ::SendMessageW(hwnd, CB_SETCURSEL, 0, 0);
            int field = static_cast<int>(::SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
            for (int attempt = 0; attempt < 3; ++attempt) {
                RECT closed;
                ::GetWindowRect(hwnd, &closed);
                const int error = height - (closed.bottom - closed.top);
                if (error == 0 || field + error <= 0) break;
                field += error;
                ::SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
            }
            break;
        }
        case ControlKind::TextBox:
            if (entry.maxLength > 0) ::SendMessageW(hwnd, EM_LIMITTEXT, entry.maxLength, 0);
            if (entry.imeDisabled) ::ImmAssociateContextEx(hwnd, nullptr, 0);
            break;
        case ControlKind::CheckBox:
            ::SendMessageW(hwnd, BM_SETCHECK, StartsChecked(entry), 0);
            break;
        case ControlKind::StatusBar:
            ::SendMessageW(hwnd, SB_SIMPLE, TRUE, 0);
            break;
        case ControlKind::CommandButton:
            pictures[row] = static_cast<HBITMAP>(
                ::LoadImageW(instance, MAKEINTRESOURCEW(entry.pictureId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
            break;
        default:
            break;
    }
    if (!StartsEnabled(entry)) ::EnableWindow(hwnd, FALSE);
    if (entry.toolTip != nullptr) AddToolTip(hwnd, id, at, entry.toolTip);
    return hwnd;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX common{sizeof(common), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&common);
    const UINT dpi = ::GetDpiForSystem();

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                        LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);
    WNDCLASSEXW preview{};
    preview.cbSize = sizeof(preview);
    preview.lpfnWndProc = PreviewProc;
    preview.hInstance = instance;
    preview.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    preview.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    preview.lpszClassName = kPreviewClass;
    ::RegisterClassExW(&preview);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont);

    // Made at its final size, at Scrimble's place (the same as the plain floor's).
    RECT rect{0, 0, scrimble::twips::LayoutToPixels(scrimble::ui::kClientWidthTwips, dpi),
              scrimble::twips::LayoutToPixels(scrimble::ui::kClientHeightTwips, dpi)};
    ::AdjustWindowRectExForDpi(&rect, kStyle, FALSE, kExStyle, dpi);
    window = ::CreateWindowExW(kExStyle, kWindowClass, L"Controls", kStyle, 1, 1, rect.right - rect.left,
                               rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance,
                                nullptr);
    ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, scrimble::twips::LayoutToPixels(6000, dpi));

    // The lists' item height is the font's: measured once for the lists' open size.
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(screen, font);
    TEXTMETRICW text{};
    ::GetTextMetricsW(screen, &text);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);

    const std::vector<ControlSpec>& layout = scrimble::ui::MainWindowLayout();
    pictures.assign(layout.size(), nullptr);
    std::vector<size_t> order(layout.size());
    for (size_t row = 0; row < order.size(); ++row) order[row] = row;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int rankA = StackingRank(layout[a].kind);
        const int rankB = StackingRank(layout[b].kind);
        return rankA != rankB ? rankA < rankB : layout[a].tabIndex < layout[b].tabIndex;
    });
    HWND first = nullptr;
    for (size_t row : order) {
        HWND control = CreateControl(instance, layout, row, font, static_cast<int>(text.tmHeight), dpi);
        if (std::strcmp(layout[row].name, "cmdFullScreen") == 0) first = control;
    }

    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    ::SetFocus(first);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
            ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
        }
        if (::IsDialogMessageW(window, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
