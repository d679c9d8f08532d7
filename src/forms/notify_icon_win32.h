// The program's icon in the notification area: added when made, deleted when
// gone, added again when Explorer starts anew. Its clicks come to the window
// as kNotifyIconMessage (version 4: LOWORD(lParam) the event, wParam the
// point); the window also hands it the TaskbarCreated broadcast.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "forms/app_messages_win32.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {

class NotifyIcon {
public:
    // Window + id name the icon (a GUID would tie it to the exe's path).
    NotifyIcon(HWND window, UINT id, HICON icon, const std::wstring& tip);
    ~NotifyIcon();
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;

    // The registered message Explorer broadcasts when its task bar is made.
    static UINT TaskbarCreatedMessage();
    // After that broadcast: the icon again.
    void Add();
    // A short message beside the icon, for what happened while the window
    // was away.
    void Balloon(const std::wstring& title, const std::wstring& text);

private:
    NOTIFYICONDATAW Data() const;

    HWND window_;
    UINT id_;
    HICON icon_;
    std::wstring tip_;
    bool added_ = false;
};

}  // namespace scrimble::win32
