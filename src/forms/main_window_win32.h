// The program's one top-level window on Windows: creates the controls from the
// window definition, lays them out in pixels for the window's DPI, routes
// control notifications to the Form's events, and runs the message loop with
// the key preview.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "forms/control_spec.h"
#include "forms/form.h"
#include "platform/twips.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {

// The title of message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"Scrimble";

// The system DPI: window positions and the screen's twips are converted with
// it, whatever the DPI of the monitor the window is on.
UINT SystemDpi();
// A control's place on the client area, in pixels.
struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

struct WindowDefinition {
    const wchar_t* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    int iconId;
    int firstControlId;
    const std::vector<forms::ControlSpec>* layout;
};

class MainWindow : public forms::WindowPeer {
public:
    // Registers the window class and creates the window, its font and its
    // tooltip; throws WindowCreationError for what the system refuses.
    MainWindow(HINSTANCE instance, const WindowDefinition& definition);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the Form's controls from the definition and routes their events.
    void CreateControls(forms::Form& form);

    HWND hwnd() const { return hwnd_; }
    HINSTANCE instance() const { return instance_; }
    int Px(int twips) const { return twips::LayoutToPixels(twips, dpi_); }
    PixelRect Px(const forms::TwipsRect& twips) const {
        return {Px(twips.left), Px(twips.top), Px(twips.width), Px(twips.height)};
    }
    HFONT Font() const { return font_.get(); }

    void SetToolTip(HWND control, const std::wstring& text);
    // Focus changes asked for by the program are posted, so that a handler
    // running inside a focus change never nests another one.
    void RequestFocus(HWND control);

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

private:
    struct Placed {
        HWND hwnd;
        const forms::ControlSpec* entry;
        forms::TwipsRect absolute;  // relative to the client area
    };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(HWND control, int code);
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
    bool CreateFont();
    void PlaceToolRect(HWND control);
    // The window's rectangle, or where it comes back to when minimised.
    RECT RestoredRect() const;
    void Unload();

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
