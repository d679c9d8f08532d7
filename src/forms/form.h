// The one top-level window and the controls on it, by name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/controls.h"

namespace scrimble::forms {

// An entry of a popup menu: id 0 is a separator.
struct MenuEntry {
    int id = 0;
    std::wstring text;
    bool enabled = true;
};

// Shows the window itself: a real top-level window or an in-memory stand-in.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    virtual std::wstring Caption() const = 0;
    virtual void SetCaption(const std::wstring& text) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Outer position in twips relative to the screen's top-left corner.
    virtual float LeftTwips() const = 0;
    virtual float TopTwips() const = 0;
    virtual void MoveTwips(float left, float top) = 0;
    virtual NativeHandle Handle() const = 0;
    // Minimised to the task bar (still Visible).
    virtual bool Minimized() const = 0;
    // Whether the window, or a dialog or message box of its own, is in front:
    // a key pressed then is pressed in the program, not in another one.
    virtual bool InForeground() const = 0;
    // Shows the window again without taking the front from the program the
    // user is in.
    virtual void ShowInactive() = 0;
    // Shows a hidden or minimised window as it was and brings it to the front.
    virtual void Activate() = 0;
    // An entry of the program's own in the window's system menu; choosing it
    // raises Form::SystemMenu with its id.
    virtual void AddSystemMenuEntry(int id, const std::wstring& text) = 0;
};

class Form {
public:
    explicit Form(std::unique_ptr<WindowPeer> peer);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    WindowPeer& Peer() { return *peer_; }
    NativeHandle Handle() const { return peer_->Handle(); }

    Control& Add(std::unique_ptr<Control> control);
    Control& Get(const std::string& name);  // throws std::out_of_range for an unknown name
    Control& At(size_t row) { return *controls_.at(row); }  // in the order they were added
    Control* Find(NativeHandle handle);
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

    std::wstring Caption() const { return peer_->Caption(); }
    void SetCaption(const std::wstring& text) { peer_->SetCaption(text); }
    bool Visible() const { return peer_->Visible(); }
    void SetVisible(bool visible) { peer_->SetVisible(visible); }
    float Left() const { return peer_->LeftTwips(); }
    float Top() const { return peer_->TopTwips(); }
    void SetLeft(float twips) { peer_->MoveTwips(twips, Top()); }
    void SetTop(float twips) { peer_->MoveTwips(Left(), twips); }

    // Event handlers, wired by the window's code.
    std::function<void()> Load;
    std::function<void()> Unload;
    // Key preview: runs before the focused control sees the key, once per
    // press (a held key's repeats go to the control alone).
    // shift: bit 0 Shift, bit 1 Ctrl, bit 2 Alt.
    std::function<void(int& keyCode, int shift)> KeyDown;
    // Once the window shows for the first time, after its first frame.
    std::function<void()> Shown;
    // The user minimised the window.
    std::function<void()> Minimized;
    // A system-wide key (its id) was pressed, once per press, never while a
    // command, a dialog or a message box of the program runs.
    std::function<void(int id)> Hotkey;
    // The notification-area icon: clicked, or its menu asked for at a
    // point of the screen.
    std::function<void()> NotifyIconOpen;
    std::function<void(int x, int y)> NotifyIconMenu;
    // The window's system menu: an entry the program added (its id).
    std::function<void(int id)> SystemMenu;

private:
    std::unique_ptr<WindowPeer> peer_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::unordered_map<std::string, Control*> byName_;  // looked up far more often than filled
};

}  // namespace scrimble::forms
