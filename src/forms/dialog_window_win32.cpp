#include "forms/dialog_window_win32.h"

#include "forms/app_messages_win32.h"
#include "forms/control_peers_win32.h"
#include "forms/form_builder.h"
#include "forms/window_proc_win32.h"
#include "platform/errors.h"

namespace scrimble::win32 {

namespace {

constexpr wchar_t kDialogClass[] = L"ScrimbleDialog";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, HWND owner, const DialogDefinition& definition, UINT dpi,
                           EventRunner run)
    : instance_(instance), owner_(owner), definition_(definition), dpi_(dpi), run_(std::move(run)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &BoundWindowProc<DialogWindow>;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kDialogClass;
    if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw WindowCreationError(kDialogClass);
    }
    NONCLIENTMETRICSW metrics = NonClientMetrics(dpi_);
    font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    RECT rect{0, 0, Px(definition.clientWidthTwips), Px(definition.clientHeightTwips)};
    AdjustForDpi(rect, kDialogStyle, kDialogExStyle, dpi_);
    const SIZE outer{rect.right - rect.left, rect.bottom - rect.top};
    const POINT at = Place(outer);
    if (::CreateWindowExW(kDialogExStyle, kDialogClass, definition.caption, kDialogStyle, at.x, at.y, outer.cx,
                          outer.cy, owner, nullptr, instance, this) == nullptr) {
        throw WindowCreationError(definition.caption);
    }
}

DialogWindow::~DialogWindow() {
    form_ = nullptr;
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

POINT DialogWindow::Place(SIZE outer) const {
    RECT around{};
    if (::IsWindowVisible(owner_) && !::IsIconic(owner_)) {
        ::GetWindowRect(owner_, &around);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        around = monitor.rcWork;
    }
    return {around.left + (around.right - around.left - outer.cx) / 2,
            around.top + (around.bottom - around.top - outer.cy) / 2};
}

void DialogWindow::CreateControls(forms::Form& form) {
    form_ = &form;
    ControlPeerFactory factory(*this, definition_.firstControlId);
    forms::BuildControls(form, *definition_.layout, factory);
}

std::wstring DialogWindow::Caption() const { return WindowText(hwnd_); }

void DialogWindow::RequestFocus(HWND control) {
    ::PostMessageW(hwnd_, kFocusRequestMessage, reinterpret_cast<WPARAM>(control), 0);
}

void DialogWindow::RunModal() {
    ::EnableWindow(owner_, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    if (HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE)) ::SetFocus(first);
    MSG message;
    while (::IsWindowVisible(hwnd_)) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop, which ends
            break;
        }
        if (!::IsDialogMessageW(hwnd_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    ::EnableWindow(owner_, TRUE);
    ::ShowWindow(hwnd_, SW_HIDE);
    if (::IsWindowVisible(owner_)) ::SetForegroundWindow(owner_);
}

void DialogWindow::Click(int row) {
    if (form_ == nullptr || row < 0 || static_cast<size_t>(row) >= form_->Controls().size()) return;
    forms::Control& button = form_->At(static_cast<size_t>(row));
    run_([&button] { button.OnUserClick(); });
}

LRESULT DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0 && form_ != nullptr) {
                RouteControlNotification(*form_, hwnd_, reinterpret_cast<HWND>(lParam), HIWORD(wParam), run_);
            } else if (LOWORD(wParam) == IDCANCEL) {
                Click(definition_.cancelRow);  // Esc
            }
            return 0;
        case DM_GETDEFID:
            // Enter clicks OK wherever the focus is (but on another button).
            return MAKELRESULT(definition_.firstControlId + definition_.okRow, DC_HASDEFID);
        case WM_CLOSE:
            Click(definition_.cancelRow);
            return 0;
        case kFocusRequestMessage: {
            HWND target = reinterpret_cast<HWND>(wParam);
            if (::IsWindow(target) && ::IsWindowEnabled(target)) ::SetFocus(target);
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace scrimble::win32
