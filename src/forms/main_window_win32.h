// The program's one top-level window on Windows: creates the controls from the
// window definition, lays them out in pixels for the window's DPI, routes
// control notifications to the Form's events, and runs the message loop with
// the key preview.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forms/control_host_win32.h"
#include "forms/control_spec.h"
#include "forms/form.h"
#include "forms/notify_icon_win32.h"
#include "platform/twips.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {

// The title of message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"Scrimble";


struct WindowDefinition {
    const wchar_t* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    int iconId;
    int firstControlId;
    const std::vector<forms::ControlSpec>* layout;
};

class MainWindow : public forms::WindowPeer, public ControlHost {
public:
    // Registers the window class and creates the window, its font and its
    // tooltip; throws WindowCreationError for what the system refuses.
    MainWindow(HINSTANCE instance, const WindowDefinition& definition);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the Form's controls from the definition and routes their events.
    void CreateControls(forms::Form& form);

    // ControlHost
    HWND hwnd() const override { return hwnd_; }
    HINSTANCE instance() const override { return instance_; }
    UINT Dpi() const override { return dpi_; }
    HFONT Font() const override { return font_.get(); }
    void SetToolTip(HWND control, const std::wstring& text) override;
    // Focus changes asked for by the program are posted, so that a handler
    // running inside a focus change never nests another one.
    void RequestFocus(HWND control) override;

    // Runs fn as an event handler: a failure it raises, of any kind, is shown
    // with its number and description, and the window goes on; only a
    // ProgramEndingError (the close could not keep the settings) then ends
    // the program, with exit code 1. No exception leaves this function.
    void RunEvent(const std::function<void()>& fn);
    // A modal message box owned by the window, brought to the front.
    void ShowMessage(const std::wstring& text, UINT type);

    // Shows the window and puts the focus on the given control.
    void ShowWithFocus(HWND control);
    // Key preview, then dialog navigation, then normal dispatch; the tooltip
    // sees the mouse on the way.
    void ProcessMessage(MSG& message);
    int RunMessageLoop();
    // One pass over the pending messages; returns once the queue is empty.
    void DoEvents();
    // Ends the program: no further events run and the message loop stops.
    void End();
    bool Ending() const { return ending_; }
    // What the program returns: 1 once an error has ended it, else 0.
    int ExitCode() const { return exitCode_; }

    // WindowPeer
    std::wstring Caption() const override;
    void SetCaption(const std::wstring& text) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    float LeftTwips() const override;
    float TopTwips() const override;
    void MoveTwips(float left, float top) override;
    NativeHandle Handle() const override { return reinterpret_cast<NativeHandle>(hwnd_); }
    bool Minimized() const override;
    bool InForeground() const override;
    void ShowInactive() override;
    void Activate() override;
    void AddSystemMenuEntry(int id, const std::wstring& text) override;

    // A system-wide key on the window, its presses raised as Form::Hotkey.
    // False with the system's error when it cannot be had.
    bool RegisterHotkey(int id, UINT modifiers, UINT key, DWORD& error);
    void UnregisterHotkey(int id);
    // The icon in the notification area, from now on; a balloon beside it.
    void ShowNotifyIcon();
    void NotifyBalloon(const std::wstring& text);
    // A popup menu at a point of the screen: the entry's id, 0 for none.
    int PopupMenu(const std::vector<forms::MenuEntry>& entries, int x, int y);

private:
    struct Placed {
        HWND hwnd;
        const forms::ControlSpec* entry;
        forms::TwipsRect absolute;  // relative to the client area
    };

    template <typename Owner>
    friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    void BindWindow(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool PreviewKey(const MSG& message);
    // The tooltip learns of the mouse here rather than by subclassing each
    // control, which would cost every message to those controls a property
    // lookup (a round trip to the server under Wine).
    void RelayToToolTip(const MSG& message);
    // The new font and layout, then the window in one move to where the
    // system suggests (`suggested`: null keeps its place).
    void OnDpiChanged(UINT dpi, const RECT* suggested);
    void ApplyDpi(UINT dpi);
    void LayoutControls();
    // The outer size that gives the client area its size at this DPI.
    SIZE OuterSize(UINT dpi) const;
    void ResizeToClient();
    // Where the frame came out at another scale than asked for (Wine draws it
    // at the system's), the size is made up for once, at the same place.
    void CorrectClientSize();
    // Nothing of ours may stay on the screen while the window is hidden for
    // a capture: the tooltip, a dropped-down list.
    void HidePopups();
    // Shows the window with that command, its tooltip active again, and in
    // front where asked.
    void ShowAgain(int showCommand, bool toFront);
    bool CreateFont();
    void PlaceToolRect(HWND control);
    // The window's rectangle, or where it comes back to when minimised.
    RECT RestoredRect() const;
    void Unload();
    void OnHotkey(int id);
    void LetGoOfReleasedKeys();
    void OnNotifyIcon(UINT event, int x, int y);
    // Whether a command, a dialog or a message box of ours runs now: a
    // system-wide key or the icon then starts nothing.
    bool Busy() const;

    HINSTANCE instance_;
    WindowDefinition definition_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    UINT dpi_ = 96;
    UniqueFont font_;
    forms::Form* form_ = nullptr;
    std::vector<Placed> placed_;
    std::set<HWND> toolTipped_;
    HWND lastFocus_ = nullptr;
    // The key the window's code took on its last press, whose repeats it
    // takes too; 0 for none.
    WPARAM takenKey_ = 0;
    // How deep event handlers run inside each other (a handler's message
    // pass runs the messages that come meanwhile).
    int eventDepth_ = 0;
    // The system-wide keys by id: a press counts once until the key is let go.
    struct HeldKey {
        UINT key = 0;
        bool held = false;
        DWORD lastPress = 0;  // also a repeat's
        int upReadings = 0;
    };
    std::map<int, HeldKey> hotkeys_;
    std::vector<int> systemMenuIds_;
    std::unique_ptr<NotifyIcon> notifyIcon_;
    bool ending_ = false;
    int exitCode_ = 0;
    // The position last set in twips and the pixels it became, so that an
    // unmoved window reports the twips it was given.
    float leftTwips_ = 0;
    float topTwips_ = 0;
    POINT placedAt_{LONG_MIN, LONG_MIN};
    // Set while MoveTwips places the window: a DPI change that the move
    // causes keeps the place asked for.
    bool placing_ = false;
};

}  // namespace scrimble::win32
