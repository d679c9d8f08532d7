#include "forms/main_window_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <exception>

#include "forms/app_messages_win32.h"
#include "forms/control_peers_win32.h"
#include "forms/form_builder.h"
#include "forms/window_proc_win32.h"
#include "platform/errors.h"
#include "platform/twips.h"

namespace scrimble::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ScrimbleMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kToolTipWidthTwips = 6000;
constexpr UINT kNotifyIconId = 1;
// A held key's state is looked at this often; it counts as let go once it
// reads up twice running and no repeat has come for kRepeatQuietMs (the
// key state may lag the press under Wine).
constexpr UINT kHeldKeyPollMs = 50;
constexpr DWORD kRepeatQuietMs = 120;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const WindowDefinition& definition)
    : instance_(instance), definition_(definition) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &BoundWindowProc<MainWindow>;
    windowClass.hInstance = instance;
    // Shared icons belong to the system, which frees them with the module:
    // the class keeps using them to the end, so nobody else could.
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(definition.iconId), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXICON),
                                                        ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(definition.iconId), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON),
                                                          LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw WindowCreationError(kWindowClass);
    }
    RegisterControlClasses(instance);

    hwnd_ = ::CreateWindowExW(kWindowExStyle, kWindowClass, definition.caption, kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) throw WindowCreationError(definition.caption);
    try {
        dpi_ = WindowDpi(hwnd_);
        if (!CreateFont()) throw WindowCreationError(L"フォント");
        ResizeToClient();
        tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                     instance, nullptr);
        if (tooltip_ == nullptr) throw WindowCreationError(TOOLTIPS_CLASSW);
        ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Px(kToolTipWidthTwips));
    } catch (...) {
        // No destructor runs for a half-made object: the window must not
        // outlive it with a pointer to it.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        throw;
    }
}

MainWindow::~MainWindow() {
    // The window's code is gone by now: what destroying the window sends
    // (focus changes, button paints) must not reach its handlers.
    ending_ = true;
    form_ = nullptr;
    notifyIcon_.reset();  // while the window that names it is there
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

void MainWindow::CreateControls(forms::Form& form) {
    form_ = &form;
    ControlPeerFactory factory(*this, definition_.firstControlId);
    forms::BuildControls(form, *definition_.layout, factory);
    // The factory made them in place, with the font: no layout pass.
    for (const ControlPeerFactory::Created& created : factory.created()) {
        placed_.push_back({created.hwnd, created.entry, created.absolute});
    }
}

bool MainWindow::CreateFont() {
    NONCLIENTMETRICSW metrics = NonClientMetrics(dpi_);
    HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    if (font == nullptr) return false;  // the controls keep the font they have
    font_.reset(font);
    return true;
}

SIZE MainWindow::OuterSize(UINT dpi) const {
    RECT rect{0, 0, twips::LayoutToPixels(definition_.clientWidthTwips, dpi),
              twips::LayoutToPixels(definition_.clientHeightTwips, dpi)};
    AdjustForDpi(rect, kWindowStyle, kWindowExStyle, dpi);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void MainWindow::ResizeToClient() {
    const SIZE outer = OuterSize(dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CorrectClientSize();
}

void MainWindow::CorrectClientSize() {
    const int width = Px(definition_.clientWidthTwips);
    const int height = Px(definition_.clientHeightTwips);
    RECT client;
    RECT outer;
    ::GetClientRect(hwnd_, &client);
    ::GetWindowRect(hwnd_, &outer);
    if (client.right == width && client.bottom == height) return;
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                   outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::LayoutControls() {
    for (const Placed& placed : placed_) {
        ::SendMessageW(placed.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        const PixelRect at = Px(placed.absolute);
        if (placed.entry->kind == forms::ControlKind::ComboList) {
            PlaceComboBox(placed.hwnd, at, static_cast<int>(::SendMessageW(placed.hwnd, CB_GETCOUNT, 0, 0)));
        } else {
            ::SetWindowPos(placed.hwnd, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (toolTipped_.count(placed.hwnd) != 0) PlaceToolRect(placed.hwnd);
    }
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    // The controls draw with the old font until the layout hands them the
    // new one; only then may it go.
    UniqueFont previous(font_.release());
    if (!CreateFont()) font_ = std::move(previous);  // the old size rather than none
    LayoutControls();
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Px(kToolTipWidthTwips));
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == dpi_) return;
    ApplyDpi(dpi);
    // One move with the whole rectangle: a resize at the old place and a
    // move after it can hand the window to the other monitor and start
    // another change. The rectangle has our size (WM_GETDPISCALEDSIZE).
    // A change that MoveTwips's own move caused keeps the place asked for.
    if (suggested != nullptr && !placing_) {
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        CorrectClientSize();
    } else {
        ResizeToClient();
    }
}

// Each control's tip hangs on the control itself and, for the times the
// control is disabled and its mouse messages go to the window instead, on
// the window under the control's rectangle (tool ID = control ID).
void MainWindow::SetToolTip(HWND control, const std::wstring& text) {
    const bool known = !toolTipped_.insert(control).second;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());  // copied by the tooltip control
    // No subclassing: the mouse comes by RelayToToolTip.
    tool.uFlags = TTF_IDISHWND;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = 0;
    tool.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(control));
    ::SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!known) PlaceToolRect(control);
}

void MainWindow::PlaceToolRect(HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(control));
    ::GetWindowRect(control, &tool.rect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tool.rect), 2);
    ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::RequestFocus(HWND control) {
    ::PostMessageW(hwnd_, kFocusRequestMessage, reinterpret_cast<WPARAM>(control), 0);
}

void MainWindow::RunEvent(const std::function<void()>& fn) {
    if (ending_) return;
    struct Depth {
        explicit Depth(int& depth) : depth_(++depth) {}
        ~Depth() { --depth_; }
        int& depth_;
    } depth(eventDepth_);
    try {
        fn();
    } catch (const ProgramEndingError& error) {
        ShowMessage(error.MessageText(), MB_OK | MB_ICONERROR);
        exitCode_ = 1;
        End();
    } catch (...) {
        // Out of memory for a huge capture, a COM error, anything: told, and
        // the window goes on with what it has.
        ShowMessage(CurrentFailureMessage(), MB_OK | MB_ICONERROR);
    }
}

void MainWindow::ShowMessage(const std::wstring& text, UINT type) {
    // Owned, so that it stays above the window (or above the dialog of ours
    // that is up); MB_SETFOREGROUND, so that after a delay it is not left
    // behind the program the user went to.
    ::MessageBoxW(::GetLastActivePopup(hwnd_), text.c_str(), kApplicationTitle, type | MB_SETFOREGROUND);
}

bool MainWindow::Busy() const { return eventDepth_ > 0 || !::IsWindowEnabled(hwnd_) || ending_ || form_ == nullptr; }

bool MainWindow::RegisterHotkey(int id, UINT modifiers, UINT key, DWORD& error) {
    // MOD_NOREPEAT where the system knows it (Windows 7 on); Vista refuses it.
    bool registered = ::RegisterHotKey(hwnd_, id, modifiers | MOD_NOREPEAT, key) != FALSE;
    error = registered ? 0 : ::GetLastError();
    if (!registered && error != ERROR_HOTKEY_ALREADY_REGISTERED) {
        registered = ::RegisterHotKey(hwnd_, id, modifiers, key) != FALSE;
        if (!registered) error = ::GetLastError();
    }
    if (registered) hotkeys_[id] = HeldKey{key};
    return registered;
}

void MainWindow::UnregisterHotkey(int id) {
    if (hotkeys_.erase(id) != 0) ::UnregisterHotKey(hwnd_, id);
}

void MainWindow::OnHotkey(int id) {
    const auto found = hotkeys_.find(id);
    if (found == hotkeys_.end()) return;
    HeldKey& key = found->second;
    // A held key repeats where MOD_NOREPEAT is not honoured (Vista, Wine):
    // the press counts once, until the key is let go.
    const bool repeat = key.held;
    key.held = true;
    key.lastPress = ::GetTickCount();
    key.upReadings = 0;
    ::SetTimer(hwnd_, kHeldKeyTimer, kHeldKeyPollMs, nullptr);
    // One command at a time: none while a capture, a dialog or a message
    // box of ours is up.
    if (repeat || Busy() || !form_->Hotkey) return;
    RunEvent([&] { form_->Hotkey(id); });
}

void MainWindow::LetGoOfReleasedKeys() {
    bool anyHeld = false;
    for (auto& [id, key] : hotkeys_) {
        if (!key.held) continue;
        key.upReadings = ::GetAsyncKeyState(static_cast<int>(key.key)) < 0 ? 0 : key.upReadings + 1;
        key.held = key.upReadings < 2 || ::GetTickCount() - key.lastPress < kRepeatQuietMs;
        anyHeld = anyHeld || key.held;
    }
    if (!anyHeld) ::KillTimer(hwnd_, kHeldKeyTimer);
}

void MainWindow::ShowNotifyIcon() {
    if (notifyIcon_) return;
    // The small icon of the window's class, at the size the notification area draws.
    HICON icon = reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd_, GCLP_HICONSM));
    notifyIcon_ = std::make_unique<NotifyIcon>(hwnd_, kNotifyIconId, icon, kApplicationTitle);
}

void MainWindow::NotifyBalloon(const std::wstring& text) {
    if (notifyIcon_) notifyIcon_->Balloon(kApplicationTitle, text);
}

void MainWindow::OnNotifyIcon(UINT event, int x, int y) {
    if (Busy()) return;
    if (event == NIN_SELECT || event == NIN_KEYSELECT) {
        if (form_->NotifyIconOpen) RunEvent([&] { form_->NotifyIconOpen(); });
    } else if (event == WM_CONTEXTMENU) {
        if (form_->NotifyIconMenu) RunEvent([&] { form_->NotifyIconMenu(x, y); });
    }
}

int MainWindow::PopupMenu(const std::vector<forms::MenuEntry>& entries, int x, int y) {
    const UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return 0;
    for (const forms::MenuEntry& entry : entries) {
        if (entry.id == 0) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu.get(), MF_STRING | (entry.enabled ? 0 : MF_GRAYED), static_cast<UINT_PTR>(entry.id),
                          entry.text.c_str());
        }
    }
    // The menu's owner is a window of one invisible pixel at the point, put
    // in front: with the owner in front the menu has the keyboard, and it
    // closes when the user clicks elsewhere (the main window may be hidden).
    const UniqueWindow owner(::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED, L"STATIC", L"", WS_POPUP, x, y, 1, 1,
                                               hwnd_, nullptr, instance_, nullptr));
    if (!owner) return 0;
    ::SetLayeredWindowAttributes(owner.get(), 0, 0, LWA_ALPHA);
    ::ShowWindow(owner.get(), SW_SHOW);
    ::SetForegroundWindow(owner.get());
    const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const int chosen = static_cast<int>(::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align,
                                                           x, y, owner.get(), nullptr));
    ::PostMessageW(owner.get(), WM_NULL, 0, 0);
    return chosen;
}

void MainWindow::ShowWithFocus(HWND control) {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
    ::SetForegroundWindow(hwnd_);
    lastFocus_ = control;
    ::SetFocus(control);
    // What can wait comes once the first frame is out.
    ::PostMessageW(hwnd_, kShownMessage, 0, 0);
}

bool MainWindow::PreviewKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != hwnd_ && !::IsChild(hwnd_, message.hwnd)) return false;
    if (form_ == nullptr || !form_->KeyDown) return false;
    // A key held down repeats (bit 30: it was down already): the window's
    // commands run once per press. The repeats of a key the window took go
    // nowhere (a held F4 would open and close a list), others go on to the
    // control.
    if ((message.lParam & (LPARAM{1} << 30)) != 0) return message.wParam == takenKey_;
    // Esc in an open drop-down list closes the list, not the window.
    if (message.wParam == VK_ESCAPE) {
        wchar_t className[16] = {};
        ::GetClassNameW(message.hwnd, className, 16);
        if (::lstrcmpiW(className, L"ComboBox") == 0 && ::SendMessageW(message.hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0) {
            return false;
        }
    }
    int keyCode = static_cast<int>(message.wParam);
    const int shift = ShiftState();
    RunEvent([&] { form_->KeyDown(keyCode, shift); });
    // A handler that clears the key code takes the key for itself.
    takenKey_ = keyCode == 0 ? message.wParam : 0;
    return ending_ || keyCode == 0;
}

void MainWindow::RelayToToolTip(const MSG& message) {
    const bool mouse = (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) ||
                       message.message == WM_NCMOUSEMOVE;
    // The window itself too: over a disabled control, the mouse reaches the
    // window, whose tools cover the controls' rectangles.
    if (mouse && (message.hwnd == hwnd_ || toolTipped_.count(message.hwnd) != 0)) {
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
}

void MainWindow::ProcessMessage(MSG& message) {
    RelayToToolTip(message);
    if (PreviewKey(message)) return;
    if (!ending_ && ::IsDialogMessageW(hwnd_, &message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

int MainWindow::RunMessageLoop() {
    MSG message;
    while (!ending_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) ProcessMessage(message);
    return exitCode_;
}

void MainWindow::DoEvents() {
    MSG message;
    while (!ending_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ProcessMessage(message);
    }
}

void MainWindow::End() {
    if (ending_) return;
    ending_ = true;
    ::ShowWindow(hwnd_, SW_HIDE);
    ::PostQuitMessage(0);
}

void MainWindow::Unload() {
    RunEvent([this] {
        if (form_ != nullptr && form_->Unload) form_->Unload();
        End();
    });
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0 && form_ != nullptr) {
                RouteControlNotification(*form_, hwnd_, reinterpret_cast<HWND>(lParam), HIWORD(wParam),
                                         [this](const std::function<void()>& fn) { RunEvent(fn); });
            }
            return 0;
        case WM_DRAWITEM:
            DrawPictureButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS:
            if (lastFocus_ != nullptr && ::IsWindow(lastFocus_) && ::IsWindowEnabled(lastFocus_)) {
                ::SetFocus(lastFocus_);
            }
            return 0;
        case kFocusRequestMessage: {
            HWND target = reinterpret_cast<HWND>(wParam);
            if (::IsWindow(target) && ::IsWindowEnabled(target) && ::IsWindowVisible(hwnd_)) {
                lastFocus_ = target;
                ::SetFocus(target);
            }
            return 0;
        }
        case WM_CLOSE:
            Unload();
            return 0;
        case kShownMessage:
            if (form_ != nullptr && form_->Shown) RunEvent([this] { form_->Shown(); });
            return 0;
        case WM_HOTKEY:
            OnHotkey(static_cast<int>(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kHeldKeyTimer) LetGoOfReleasedKeys();
            return 0;
        case kNotifyIconMessage:
            OnNotifyIcon(LOWORD(lParam), GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam));
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED && form_ != nullptr && form_->Minimized) {
                RunEvent([this] { form_->Minimized(); });
            }
            return 0;
        case WM_SYSCOMMAND: {
            const int id = static_cast<int>(wParam & 0xFFF0);
            if (std::find(systemMenuIds_.begin(), systemMenuIds_.end(), id) != systemMenuIds_.end()) {
                if (!Busy() && form_->SystemMenu) RunEvent([&] { form_->SystemMenu(id); });
                return 0;
            }
            break;
        }
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) Unload();
            return 0;
        case WM_HELP:
            return TRUE;  // F1 is a capture key here, not help
        case WM_GETDPISCALEDSIZE: {
            // The size the window will have at the new DPI, for the
            // rectangle WM_DPICHANGED then suggests (Windows 10 1703 on).
            *reinterpret_cast<SIZE*>(lParam) = OuterSize(static_cast<UINT>(wParam));
            return TRUE;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            // Explorer started anew: its notification area has no icon of ours.
            if (message == NotifyIcon::TaskbarCreatedMessage() && notifyIcon_) notifyIcon_->Add();
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

std::wstring MainWindow::Caption() const { return WindowText(hwnd_); }

void MainWindow::SetCaption(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }

bool MainWindow::Visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

void MainWindow::SetVisible(bool visible) {
    if (ending_) return;
    if (visible) {
        ShowAgain(SW_SHOW, true);
        return;
    }
    HidePopups();
    ::ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::ShowAgain(int showCommand, bool toFront) {
    if (ending_) return;
    ::ShowWindow(hwnd_, showCommand);
    ::SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);  // put away by HidePopups
    if (toFront) ::SetForegroundWindow(hwnd_);
}

void MainWindow::HidePopups() {
    // The tooltip is a topmost popup of its own, which hiding the window
    // leaves on the screen; inactive, the mouse resting on a button cannot
    // bring it back before the window shows again.
    ::SendMessageW(tooltip_, TTM_POP, 0, 0);
    ::SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    for (const Placed& placed : placed_) {
        if (placed.entry->kind == forms::ControlKind::ComboList) ::SendMessageW(placed.hwnd, CB_SHOWDROPDOWN, FALSE, 0);
    }
}

bool MainWindow::Minimized() const { return ::IsIconic(hwnd_) != FALSE; }

bool MainWindow::InForeground() const {
    // Any window of ours: a dialog or message box of the program counts.
    DWORD process = 0;
    ::GetWindowThreadProcessId(::GetForegroundWindow(), &process);
    return process == ::GetCurrentProcessId();
}

void MainWindow::ShowInactive() { ShowAgain(SW_SHOWNOACTIVATE, false); }

void MainWindow::Activate() { ShowAgain(::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW, true); }

void MainWindow::AddSystemMenuEntry(int id, const std::wstring& text) {
    HMENU menu = ::GetSystemMenu(hwnd_, FALSE);
    if (menu == nullptr) return;
    if (systemMenuIds_.empty()) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
    systemMenuIds_.push_back(id);
}

RECT MainWindow::RestoredRect() const {
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    if (!::IsIconic(hwnd_)) return rect;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(hwnd_, &placement)) return rect;
    // The restored place counts from the work area of its monitor, which a
    // taskbar at the top or left shifts from the screen's origin.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
    return rect;
}

float MainWindow::LeftTwips() const {
    const RECT rect = RestoredRect();
    if (rect.left == placedAt_.x && rect.top == placedAt_.y) return leftTwips_;
    return twips::PixelsToPosition(rect.left, SystemDpi());
}

float MainWindow::TopTwips() const {
    const RECT rect = RestoredRect();
    if (rect.left == placedAt_.x && rect.top == placedAt_.y) return topTwips_;
    return twips::PixelsToPosition(rect.top, SystemDpi());
}

void MainWindow::MoveTwips(float left, float top) {
    const UINT dpi = SystemDpi();
    leftTwips_ = twips::ClampPosition(left, dpi);
    topTwips_ = twips::ClampPosition(top, dpi);
    placing_ = true;
    ::SetWindowPos(hwnd_, nullptr, twips::PositionToPixels(leftTwips_, dpi), twips::PositionToPixels(topTwips_, dpi),
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    placing_ = false;
    const RECT rect = RestoredRect();
    placedAt_ = {rect.left, rect.top};
}

}  // namespace scrimble::win32
