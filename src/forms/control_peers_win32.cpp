#include "forms/control_peers_win32.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <cstring>

#include "forms/button_picture_win32.h"
#include "platform/hotkey.h"
#include "platform/errors.h"

namespace scrimble::win32 {

using forms::ControlKind;

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace {

constexpr wchar_t kPreviewClass[] = L"ScrimblePreview";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr wchar_t kNextFocusProperty[] = L"Scrimble.NextFocus";

WindowControlPeer* PeerOf(HWND hwnd) {
    return reinterpret_cast<WindowControlPeer*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The system's own procedure of the text boxes and of the labels, the same
// for every control of the class: kept once, so that the controls are
// subclassed with nothing to look up per message (comctl32's subclassing
// finds its data with a window property on every message, a round trip to
// the server under Wine).
WNDPROC editProc = nullptr;
WNDPROC staticProc = nullptr;

void Subclass(HWND hwnd, WNDPROC proc, WNDPROC& original) {
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (original == nullptr) original = previous;
}

// Text boxes keep the selection rule of the window's own code: entering a box
// must not select its whole text behind that code's back. They also note where
// the focus goes when they lose it, for FocusLeavesForSibling.
LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KILLFOCUS) ::SetPropW(hwnd, kNextFocusProperty, reinterpret_cast<HANDLE>(wParam));
    if (message == WM_NCDESTROY) ::RemovePropW(hwnd, kNextFocusProperty);
    LRESULT result = ::CallWindowProcW(editProc, hwnd, message, wParam, lParam);
    if (message == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_HASSETSEL);
    return result;
}

// How a label lays out its text (SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX).
constexpr UINT kLabelTextFormat = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

bool LabelTextFits(HWND label, const std::wstring& text, const RECT& client) {
    WindowDc dc(label);
    Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, client.right, 0};
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, kLabelTextFormat | DT_CALCRECT);
    return needed.bottom <= client.bottom;
}

// A text too long for its label fills the lines but the last, which shows
// the rest with the system's path ellipsis: the end of a folder path, which
// tells folders apart, stays in view.
void DrawOverflowingLabel(HWND label, HDC dc, const std::wstring& text) {
    RECT client;
    ::GetClientRect(label, &client);
    // The colours and brush the window gives its labels, as the label itself asks.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        ::GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ::FillRect(dc, &client, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    if (!::IsWindowEnabled(label)) ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    Selection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
    RECT line{0, 0, client.right, lineHeight};
    size_t start = 0;
    const int lines = std::max(1, static_cast<int>(client.bottom) / lineHeight);
    for (int filled = 1; filled < lines && start < text.size(); ++filled) {
        int fit = 0;
        SIZE size{};
        ::GetTextExtentExPointW(dc, text.c_str() + start, static_cast<int>(text.size() - start), client.right, &fit,
                                nullptr, &size);
        fit = std::max(fit, 1);
        ::DrawTextW(dc, text.c_str() + start, fit, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        start += static_cast<size_t>(fit);
        ::OffsetRect(&line, 0, lineHeight);
    }
    std::wstring rest = text.substr(start);
    ::DrawTextW(dc, rest.data(), static_cast<int>(rest.size()), &line,
                DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
}  // the label's font leaves the paint context here, before EndPaint

void PaintOverflowingLabel(HWND label, const std::wstring& text) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(label, &paint);
    DrawOverflowingLabel(label, dc, text);
    ::EndPaint(label, &paint);
}

// Labels paint themselves unless their text is too long for them.
LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        const std::wstring text = WindowText(hwnd);
        RECT client;
        ::GetClientRect(hwnd, &client);
        if (!LabelTextFits(hwnd, text, client)) {
            PaintOverflowingLabel(hwnd, text);
            return 0;
        }
    }
    return ::CallWindowProcW(staticProc, hwnd, message, wParam, lParam);
}

// The preview: the picture stretched over the whole control.
LRESULT CALLBACK PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCHITTEST) return HTCLIENT;  // so that its tooltip shows
    if (message != WM_PAINT) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const WindowControlPeer* peer = PeerOf(hwnd);
    const PicturePtr picture = peer != nullptr ? peer->ShownPicture() : nullptr;
    HBITMAP bitmap = picture ? reinterpret_cast<HBITMAP>(picture->Bitmap()) : nullptr;
    BITMAP info{};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
        UniqueMemoryDc source(::CreateCompatibleDC(dc));
        Selection selected(source.get(), bitmap);
        HPALETTE palette = reinterpret_cast<HPALETTE>(picture->Palette());
        PaletteSelection screenPalette(dc, palette);
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                     SRCCOPY);
    } else {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::EndPaint(hwnd, &paint);
    return 0;
}

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(const forms::ControlSpec& entry) {
    switch (entry.kind) {
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX | SS_NOTIFY, 0};
        case ControlKind::Frame:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::CommandButton:
            return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_3STATE | WS_TABSTOP, 0};
        case ControlKind::ComboList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::TextBox:
            return {L"EDIT", static_cast<DWORD>(ES_AUTOHSCROLL | WS_TABSTOP | (entry.alignRight ? ES_RIGHT : ES_LEFT)),
                    WS_EX_CLIENTEDGE};
        case ControlKind::Image:
            return {kPreviewClass, WS_BORDER, 0};
        case ControlKind::StatusBar:
            return {STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
        case ControlKind::PushButton:
            return {L"BUTTON", static_cast<DWORD>((entry.value == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP), 0};
        case ControlKind::HotkeyBox:
            return {HOTKEY_CLASSW, WS_TABSTOP, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

int StackingRank(const forms::ControlSpec& entry) {
    switch (entry.kind) {
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
        case ControlKind::ComboList:
        case ControlKind::TextBox:
        case ControlKind::PushButton:
        case ControlKind::HotkeyBox:
            return 0;
        case ControlKind::StatusBar: return 1;
        case ControlKind::Label: return 2;
        case ControlKind::Image: return 3;
        case ControlKind::Frame: return 4;
    }
    return 5;
}

}  // namespace

void RouteControlNotification(forms::Form& form, HWND window, HWND control, int code,
                              const std::function<void(const std::function<void()>&)>& run) {
    forms::Control* target = form.Find(reinterpret_cast<NativeHandle>(control));
    if (target == nullptr) return;
    switch (target->Kind()) {
        case ControlKind::CommandButton:
        case ControlKind::PushButton:
            if (code == BN_CLICKED) run([target] { target->OnUserClick(); });
            break;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) run([target] { target->OnUserToggle(); });
            break;
        case ControlKind::ComboList:
            if (code == CBN_SELCHANGE) run([target] { target->OnUserSelect(); });
            if (code == CBN_SETFOCUS) run([target] { target->OnGotFocus(); });
            if (code == CBN_KILLFOCUS) run([target] { target->OnLostFocus(); });
            break;
        case ControlKind::TextBox:
            if (code == EN_SETFOCUS) run([target] { target->OnGotFocus(); });
            // Leaving the window (another program, or the window hiding for a
            // capture) is not leaving the box: the user has not moved on.
            if (code == EN_KILLFOCUS && FocusLeavesForSibling(control, window)) run([target] { target->OnLostFocus(); });
            break;
        default:
            break;
    }
}

bool FocusLeavesForSibling(HWND textBox, HWND window) {
    HWND next = static_cast<HWND>(::GetPropW(textBox, kNextFocusProperty));
    return next != nullptr && next != textBox && ::IsChild(window, next);
}

void RegisterControlClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX common{sizeof(common),
                                ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_HOTKEY_CLASS};
    if (!::InitCommonControlsEx(&common)) throw WindowCreationError(L"コモンコントロール");
    WNDCLASSEXW preview{};
    preview.cbSize = sizeof(preview);
    preview.lpfnWndProc = PreviewProc;
    preview.hInstance = instance;
    preview.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    preview.lpszClassName = kPreviewClass;
    if (::RegisterClassExW(&preview) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw WindowCreationError(kPreviewClass);
    }
}

WindowControlPeer::WindowControlPeer(ControlHost& host, HWND hwnd, ControlKind kind)
    : host_(host), hwnd_(hwnd), kind_(kind) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowControlPeer::~WindowControlPeer() {
    if (::IsWindow(hwnd_)) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

std::wstring WindowControlPeer::Text() const {
    if (kind_ == ControlKind::CommandButton || kind_ == ControlKind::StatusBar) return caption_;
    if (kind_ == ControlKind::HotkeyBox) {
        return HotkeyText(HotkeyFromControlValue(static_cast<unsigned>(::SendMessageW(hwnd_, HKM_GETHOTKEY, 0, 0))));
    }
    return WindowText(hwnd_);
}

void WindowControlPeer::SetText(const std::wstring& text) {
    switch (kind_) {
        case ControlKind::CommandButton:
            caption_ = text;  // the window text is the button's accessible name
            break;
        case ControlKind::StatusBar:
            caption_ = text;
            ::SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(caption_.c_str()));
            ::SetWindowTextW(hwnd_, caption_.c_str());
            break;
        case ControlKind::HotkeyBox:
            ::SendMessageW(hwnd_, HKM_SETHOTKEY, ControlValueOf(ParseHotkey(text).value_or(Hotkey{})), 0);
            break;
        default:
            ::SetWindowTextW(hwnd_, text.c_str());
            break;
    }
}

int WindowControlPeer::Check() const {
    switch (::SendMessageW(hwnd_, BM_GETCHECK, 0, 0)) {
        case BST_CHECKED: return 1;
        case BST_INDETERMINATE: return 2;
        default: return 0;
    }
}

void WindowControlPeer::SetCheck(int value) {
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    ::SendMessageW(hwnd_, BM_SETCHECK, state, 0);
}

int WindowControlPeer::ListIndex() const {
    const LRESULT index = ::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void WindowControlPeer::SetListIndex(int index) { ::SendMessageW(hwnd_, CB_SETCURSEL, index, 0); }

void WindowControlPeer::AddItem(const std::wstring& item) {
    ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int WindowControlPeer::ListCount() const {
    return static_cast<int>(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
}

std::wstring WindowControlPeer::Item(int index) const {
    const LRESULT length = ::SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

bool WindowControlPeer::Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }

void WindowControlPeer::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    if (kind_ == ControlKind::CommandButton) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool WindowControlPeer::Visible() const { return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void WindowControlPeer::SetVisible(bool visible) { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

void WindowControlPeer::SetToolTip(const std::wstring& text) {
    host_.SetToolTip(hwnd_, text);
    // Picture buttons have no caption: their tooltip is what a screen reader says.
    if (kind_ == ControlKind::CommandButton) ::SetWindowTextW(hwnd_, text.c_str());
}

void WindowControlPeer::SetMaxLength(int length) { ::SendMessageW(hwnd_, EM_LIMITTEXT, length, 0); }

int WindowControlPeer::SelStart() const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int WindowControlPeer::SelLength() const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void WindowControlPeer::SetSelection(int start, int length) {
    ::SendMessageW(hwnd_, EM_SETSEL, start, start + length);
}

void WindowControlPeer::SetPicture(const PicturePtr& picture) {
    picture_ = picture;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    ::UpdateWindow(hwnd_);
}

void WindowControlPeer::Focus() { host_.RequestFocus(hwnd_); }

std::unique_ptr<forms::ControlPeer> ControlPeerFactory::CreatePeer(const forms::ControlSpec& entry, int row) {
    const WindowKind kind = KindOf(entry);
    const forms::TwipsRect absolute = Absolute(entry);
    // Made in place and given the font at once: moving every control after
    // the fact costs a round of messages per control.
    const PixelRect at = host_.Px(absolute);
    HWND hwnd = ::CreateWindowExW(kind.exStyle, kind.className, L"", kChildStyle | kind.style, at.x, at.y, at.width,
                                  at.height, host_.hwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId_ + row)), host_.instance(),
                                  nullptr);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(host_.Font()), FALSE);
    if (entry.kind == ControlKind::ComboList) PlaceComboBox(hwnd, at, static_cast<int>(entry.items.size()));
    auto peer = std::make_unique<WindowControlPeer>(host_, hwnd, entry.kind);
    if (entry.kind == ControlKind::StatusBar) ::SendMessageW(hwnd, SB_SIMPLE, TRUE, 0);
    if (entry.kind == ControlKind::TextBox) Subclass(hwnd, TextBoxProc, editProc);
    if (entry.kind == ControlKind::Label) Subclass(hwnd, LabelProc, staticProc);
    if (entry.imeDisabled) ::ImmAssociateContextEx(hwnd, nullptr, 0);
    if (entry.pictureId != 0) {
        peer->SetButtonBitmap(static_cast<HBITMAP>(::LoadImageW(
            host_.instance(), MAKEINTRESOURCEW(entry.pictureId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        if (hwnd != nullptr && !peer->ButtonBitmap()) {
            throw WindowCreationError(std::wstring(entry.name, entry.name + std::strlen(entry.name)));
        }
    }
    created_.push_back({hwnd, &entry, absolute});
    return peer;
}

forms::TwipsRect ControlPeerFactory::Absolute(const forms::ControlSpec& entry) const {
    forms::TwipsRect rect = entry.rect;
    if (entry.container == nullptr) return rect;
    for (const Created& other : created_) {
        if (std::strcmp(other.entry->name, entry.container) == 0) {
            rect.left += other.absolute.left;
            rect.top += other.absolute.top;
            break;
        }
    }
    return rect;
}

void ControlPeerFactory::Finish(forms::Form&) {
    std::vector<Created> order = created_;
    std::stable_sort(order.begin(), order.end(), [](const Created& a, const Created& b) {
        const int rankA = StackingRank(*a.entry);
        const int rankB = StackingRank(*b.entry);
        if (rankA != rankB) return rankA < rankB;
        return a.entry->tabIndex < b.entry->tabIndex;
    });
    for (const Created& created : order) {
        ::SetWindowPos(created.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void PlaceComboBox(HWND combo, const PixelRect& at, int items) {
    const int height = at.height;
    const int itemHeight = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    const int dropped = height + std::max(1, items) * std::max(1, itemHeight) + 4;
    ::SetWindowPos(combo, nullptr, at.x, at.y, at.width, dropped, SWP_NOZORDER | SWP_NOACTIVATE);
    // The closed height follows the selection field. Systems differ in what
    // the field height they report includes, so adjust and measure again.
    int field = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        ::GetWindowRect(combo, &closed);
        const int error = height - (closed.bottom - closed.top);
        if (error == 0 || field + error <= 0) break;
        field += error;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

void DrawPictureButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const WindowControlPeer* peer = PeerOf(item.hwndItem);
    HBITMAP bitmap = peer != nullptr ? peer->ButtonBitmap() : nullptr;
    BITMAP info{};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
        const int scale = PictureScale(rect.right - rect.left, rect.bottom - rect.top, info.bmWidth, info.bmHeight);
        const int width = info.bmWidth * scale;
        const int height = info.bmHeight * scale;
        const int x = rect.left + (rect.right - rect.left - width) / 2 + (pushed ? 1 : 0);
        const int y = rect.top + (rect.bottom - rect.top - height) / 2 + (pushed ? 1 : 0);
        DrawButtonPicture(dc, x, y, width, height, bitmap, info.bmWidth, info.bmHeight, disabled);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = rect;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

}  // namespace scrimble::win32
