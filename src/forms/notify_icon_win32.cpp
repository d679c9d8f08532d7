#include "forms/notify_icon_win32.h"

#include <cwchar>

namespace scrimble::win32 {

namespace {

using NotifyFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

NotifyFn Notify() {
    static const auto notify = SystemFunction<NotifyFn>(L"shell32.dll", "Shell_NotifyIconW");
    return notify;
}

template <size_t N>
void Copy(wchar_t (&to)[N], const std::wstring& from) {
    std::wcsncpy(to, from.c_str(), N - 1);
    to[N - 1] = L'\0';
}

}  // namespace

NotifyIcon::NotifyIcon(HWND window, UINT id, HICON icon, const std::wstring& tip)
    : window_(window), id_(id), icon_(icon), tip_(tip) {
    Add();
}

NotifyIcon::~NotifyIcon() {
    if (!added_ || Notify() == nullptr) return;
    NOTIFYICONDATAW data = Data();
    Notify()(NIM_DELETE, &data);
}

UINT NotifyIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

NOTIFYICONDATAW NotifyIcon::Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = id_;
    return data;
}

void NotifyIcon::Add() {
    if (Notify() == nullptr) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kNotifyIconMessage;
    data.hIcon = icon_;
    Copy(data.szTip, tip_);
    // A task bar made anew has none of ours: an icon said to be there is not.
    added_ = Notify()(NIM_ADD, &data) != FALSE;
    if (!added_) return;
    data.uVersion = NOTIFYICON_VERSION_4;
    Notify()(NIM_SETVERSION, &data);
}

void NotifyIcon::Balloon(const std::wstring& title, const std::wstring& text) {
    if (!added_) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_INFO;
    Copy(data.szInfoTitle, title);
    Copy(data.szInfo, text);
    data.dwInfoFlags = NIIF_INFO;
    Notify()(NIM_MODIFY, &data);
}

}  // namespace scrimble::win32
