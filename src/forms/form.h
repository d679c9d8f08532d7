// The one top-level window and the controls on it, by name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/controls.h"

namespace scrimble::forms {

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

private:
    std::unique_ptr<WindowPeer> peer_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::unordered_map<std::string, Control*> byName_;  // looked up far more often than filled
};

}  // namespace scrimble::forms
