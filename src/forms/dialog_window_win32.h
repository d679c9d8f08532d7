// A modal dialog of the program's own (the options): a popup owned by the
// main window, at its DPI and in its font, built from a layout table as the
// main window is, its controls' events run through the main window's
// RunEvent. It runs until its code hides it (OK, Cancel) or the user closes
// it, which is Cancel.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/control_host_win32.h"
#include "forms/control_spec.h"
#include "forms/form.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {

struct DialogDefinition {
    const wchar_t* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    int firstControlId;
    const std::vector<forms::ControlSpec>* layout;
    int okRow;      // Enter clicks it
    int cancelRow;  // Esc and the close box click it
};

class DialogWindow : public forms::WindowPeer, public ControlHost {
public:
    using EventRunner = std::function<void(const std::function<void()>&)>;

    // Throws WindowCreationError for what the system refuses.
    DialogWindow(HINSTANCE instance, HWND owner, const DialogDefinition& definition, UINT dpi, EventRunner run);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    void CreateControls(forms::Form& form);
    // The owner disabled, the dialog in front, its messages (with Tab, Enter
    // and Esc) run until it hides; the owner enabled again before the dialog
    // goes, else another program would take the front.
    void RunModal();

    // ControlHost
    HWND hwnd() const override { return hwnd_; }
    HINSTANCE instance() const override { return instance_; }
    UINT Dpi() const override { return dpi_; }
    HFONT Font() const override { return font_.get(); }
    void SetToolTip(HWND, const std::wstring&) override {}
    void RequestFocus(HWND control) override;

    // WindowPeer
    std::wstring Caption() const override;
    void SetCaption(const std::wstring& text) override { ::SetWindowTextW(hwnd_, text.c_str()); }
    bool Visible() const override { return ::IsWindowVisible(hwnd_) != FALSE; }
    void SetVisible(bool visible) override { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
    float LeftTwips() const override { return 0; }
    float TopTwips() const override { return 0; }
    void MoveTwips(float, float) override {}
    NativeHandle Handle() const override { return reinterpret_cast<NativeHandle>(hwnd_); }
    bool Minimized() const override { return false; }
    bool InForeground() const override { return ::GetForegroundWindow() == hwnd_; }
    void ShowInactive() override { ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
    void Activate() override { ::SetForegroundWindow(hwnd_); }
    void AddSystemMenuEntry(int, const std::wstring&) override {}

private:
    template <typename Owner>
    friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    void BindWindow(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Click(int row);
    // Centred over the owner where it shows, else on its monitor's work area.
    POINT Place(SIZE outer) const;

    HINSTANCE instance_;
    HWND owner_;
    DialogDefinition definition_;
    UINT dpi_;
    EventRunner run_;
    HWND hwnd_ = nullptr;
    UniqueFont font_;
    forms::Form* form_ = nullptr;
};

}  // namespace scrimble::win32
