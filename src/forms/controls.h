// The window's controls: one set of rules (Click only on a change, list and
// check ranges, text limits, the list text) over a peer that shows them, either
// a real Win32 control or an in-memory stand-in for tests.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "imaging/picture.h"

namespace scrimble::forms {

// CommandButton: a picture button; PushButton: a button with a caption (value
// 1 in its row: the default one); HotkeyBox: takes a key with its modifiers,
// its text the key's ("Alt+PrtSc", see platform/hotkey.h).
enum class ControlKind { Label, Frame, CommandButton, CheckBox, ComboList, TextBox, Image, StatusBar, PushButton, HotkeyBox };

// Stores and shows a control's state. Setters are called only by Control, after
// it has applied its rules; getters report what the user may have changed.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual std::wstring Text() const = 0;  // caption, text or status text
    virtual void SetText(const std::wstring& text) = 0;
    virtual int Check() const = 0;
    virtual void SetCheck(int value) = 0;
    virtual int ListIndex() const = 0;
    virtual void SetListIndex(int index) = 0;
    virtual void AddItem(const std::wstring& item) = 0;
    virtual int ListCount() const = 0;
    virtual std::wstring Item(int index) const = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetToolTip(const std::wstring& text) = 0;
    virtual void SetMaxLength(int length) = 0;  // 0 = no limit
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    virtual void SetSelection(int start, int length) = 0;
    virtual void SetPicture(const PicturePtr& picture) = 0;
    virtual void Focus() = 0;
    virtual NativeHandle Handle() const = 0;
};

class Control {
public:
    Control(std::string name, ControlKind kind, std::unique_ptr<ControlPeer> peer);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    ControlPeer& Peer() { return *peer_; }
    NativeHandle Handle() const { return peer_->Handle(); }

    // Caption of a label, frame or check box; text of a text box or status bar;
    // for a drop-down list the selected item, empty while none is selected.
    std::wstring Text() const;
    // Sets a caption or text. A text box with a MaxLength keeps only that many
    // characters. A drop-down list's text cannot be set (InvalidPropertyValue).
    void SetText(const std::wstring& text);
    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& text) { SetText(text); }

    // Check box: 0 unchecked, 1 checked, 2 greyed; anything else is
    // InvalidPropertyValue. A change raises Click.
    int Value() const;
    void SetValue(int value);

    // Drop-down list: -1 for none, else 0..ListCount()-1 (InvalidPropertyValue
    // outside). A change raises Click.
    int ListIndex() const;
    void SetListIndex(int index);
    int ListCount() const;
    std::wstring List(int index) const;
    void AddItem(const std::wstring& item);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);

    const std::wstring& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::wstring& text);

    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    // Cut at the end of the text, as the user would see it.
    void SetSelLength(int length);

    const PicturePtr& Picture() const { return picture_; }
    // Takes the new picture and lets go of the previous one.
    void SetPicture(PicturePtr picture);

    void SetFocus();

    // Event handlers, wired by the window.
    std::function<void()> Click;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;

    // Called by the peer when the user acted on the control.
    void OnUserToggle();         // check box clicked: 0 -> 1, 1 or 2 -> 0
    void OnUserSelect();         // list selection changed by the user
    void OnUserClick();          // button pressed
    void OnGotFocus();
    void OnLostFocus();

private:
    static void Raise(const std::function<void()>& handler);

    std::string name_;
    ControlKind kind_;
    std::unique_ptr<ControlPeer> peer_;
    std::wstring toolTip_;
    int maxLength_ = 0;
    int lastListIndex_ = -1;
    PicturePtr picture_;
};

}  // namespace scrimble::forms
