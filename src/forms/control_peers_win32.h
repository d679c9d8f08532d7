// Real Win32 controls behind the forms runtime's Control.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/control_host_win32.h"
#include "forms/control_spec.h"
#include "forms/form_builder.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {


// A window's whole text (a control's, or a title).
std::wstring WindowText(HWND hwnd);

class WindowControlPeer : public forms::ControlPeer {
public:
    WindowControlPeer(ControlHost& host, HWND hwnd, forms::ControlKind kind);
    ~WindowControlPeer() override;

    std::wstring Text() const override;
    void SetText(const std::wstring& text) override;
    int Check() const override;
    void SetCheck(int value) override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    void AddItem(const std::wstring& item) override;
    int ListCount() const override;
    std::wstring Item(int index) const override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    void SetToolTip(const std::wstring& text) override;
    void SetMaxLength(int length) override;
    int SelStart() const override;
    int SelLength() const override;
    void SetSelection(int start, int length) override;
    void SetPicture(const PicturePtr& picture) override;
    void Focus() override;
    NativeHandle Handle() const override { return reinterpret_cast<NativeHandle>(hwnd_); }

    // What the painting code draws: a button's picture, the preview's picture.
    HBITMAP ButtonBitmap() const { return buttonBitmap_.get(); }
    void SetButtonBitmap(HBITMAP bitmap) { buttonBitmap_.reset(bitmap); }
    const PicturePtr& ShownPicture() const { return picture_; }

private:
    ControlHost& host_;
    HWND hwnd_;
    forms::ControlKind kind_;
    std::wstring caption_;  // buttons and the status bar keep their own text
    UniqueBitmap buttonBitmap_;
    PicturePtr picture_;
};

class ControlPeerFactory : public forms::PeerFactory {
public:
    struct Created {
        HWND hwnd;
        const forms::ControlSpec* entry;
        forms::TwipsRect absolute;  // relative to the client area
    };

    ControlPeerFactory(ControlHost& host, int firstControlId) : host_(host), firstId_(firstControlId) {}
    std::unique_ptr<forms::ControlPeer> CreatePeer(const forms::ControlSpec& entry, int row) override;
    // Stacking order: focusable controls in tab order on top, then the status
    // bar, labels, the image, and the frames at the bottom.
    void Finish(forms::Form& form) override;
    const std::vector<Created>& created() const { return created_; }

private:
    forms::TwipsRect Absolute(const forms::ControlSpec& entry) const;

    ControlHost& host_;
    int firstId_;
    std::vector<Created> created_;
};

void RegisterControlClasses(HINSTANCE instance);
// A control's notification (WM_COMMAND) as the form's event, run by `run`
// (the window's RunEvent): a click, a toggle, a choice, the focus coming or
// going.
void RouteControlNotification(forms::Form& form, HWND window, HWND control, int code,
                              const std::function<void(const std::function<void()>&)>& run);
// Whether a text box that is losing the focus gives it to another control of
// the same window, rather than to another program or to nobody (the window
// being hidden).
bool FocusLeavesForSibling(HWND textBox, HWND window);
// A drop-down list of that many items whose closed height is exactly the
// rectangle's height; it has its font already.
void PlaceComboBox(HWND combo, const PixelRect& at, int items);
void DrawPictureButton(const DRAWITEMSTRUCT& item);

}  // namespace scrimble::win32
