// In-memory peers: controls without windows, so that the window's handlers can
// be exercised in unit tests. Focus moves the way Windows moves it: the old
// control loses it before the new one gets it, and a focus request made while
// the user acts is posted: carried out once the action has finished (or by a
// message pass within it), and dropped then if its control is disabled or the
// window hidden.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/form.h"

namespace scrimble::forms {

class MemoryFocus {
public:
    Control* Focused() const { return focused_; }
    // The window whose visibility decides whether a request is carried out.
    void SetWindow(const WindowPeer* window) { window_ = window; }
    // The user moves the focus (Tab, mouse click).
    void MoveTo(Control* target);
    // The user clicks a button or check box: it takes the focus, then acts.
    void Click(Control* target);
    // The program asks for the focus.
    void Request(Control* target);
    // A message pass: carries out the posted request.
    void DeliverPosted();

private:
    template <typename Action>
    void Act(Action action);
    void Transfer(Control* target);

    const WindowPeer* window_ = nullptr;
    Control* focused_ = nullptr;
    Control* posted_ = nullptr;
    int acting_ = 0;
};

class MemoryPeer : public ControlPeer {
public:
    MemoryPeer(MemoryFocus& focus, NativeHandle handle) : focus_(focus), handle_(handle) {}
    void Attach(Control* owner) { owner_ = owner; }

    std::wstring Text() const override { return text_; }
    void SetText(const std::wstring& text) override;
    int Check() const override { return check_; }
    void SetCheck(int value) override { check_ = value; }
    int ListIndex() const override { return listIndex_; }
    void SetListIndex(int index) override { listIndex_ = index; }
    void AddItem(const std::wstring& item) override { items_.push_back(item); }
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::wstring Item(int index) const override { return items_.at(static_cast<size_t>(index)); }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    void SetToolTip(const std::wstring& text) override { toolTip_ = text; }
    void SetMaxLength(int length) override { maxLength_ = length; }
    int SelStart() const override { return selStart_; }
    int SelLength() const override { return selLength_; }
    void SetSelection(int start, int length) override;
    void SetPicture(const PicturePtr& picture) override { picture_ = picture; }
    void Focus() override { focus_.Request(owner_); }
    NativeHandle Handle() const override { return handle_; }

    // What a user would do or see.
    void UserTypes(const std::wstring& text);  // replaces the selection, within MaxLength
    const std::wstring& ShownToolTip() const { return toolTip_; }
    const PicturePtr& ShownPicture() const { return picture_; }
    int Limit() const { return maxLength_; }

private:
    MemoryFocus& focus_;
    NativeHandle handle_;
    Control* owner_ = nullptr;
    std::wstring text_;
    int check_ = 0;
    int listIndex_ = -1;
    std::vector<std::wstring> items_;
    bool enabled_ = true;
    bool visible_ = true;
    std::wstring toolTip_;
    int maxLength_ = 0;
    int selStart_ = 0;
    int selLength_ = 0;
    PicturePtr picture_;
};

class MemoryWindowPeer : public WindowPeer {
public:
    explicit MemoryWindowPeer(NativeHandle handle) : handle_(handle) {}
    std::wstring Caption() const override { return caption_; }
    void SetCaption(const std::wstring& text) override { caption_ = text; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override {
        visible_ = visible;
        if (visible) foreground_ = true;  // as a shown window is brought to the front
    }
    float LeftTwips() const override { return left_; }
    float TopTwips() const override { return top_; }
    void MoveTwips(float left, float top) override {
        left_ = left;
        top_ = top;
    }
    NativeHandle Handle() const override { return handle_; }
    bool Minimized() const override { return minimized_; }
    bool InForeground() const override { return visible_ && !minimized_ && foreground_; }
    void ShowInactive() override {
        visible_ = true;
        foreground_ = false;
    }
    void Activate() override {
        visible_ = true;
        minimized_ = false;
        foreground_ = true;
    }

    void AddSystemMenuEntry(int id, const std::wstring& text) override { systemMenu.emplace_back(id, text); }

    std::vector<std::pair<int, std::wstring>> systemMenu;  // the entries added

    // What the user does: minimises the window, or goes to another program.
    void UserMinimizes() { minimized_ = true; }
    void UserGoesElsewhere() { foreground_ = false; }

private:
    NativeHandle handle_;
    std::wstring caption_;
    bool visible_ = false;
    bool minimized_ = false;
    bool foreground_ = true;
    float left_ = 0;
    float top_ = 0;
};

}  // namespace scrimble::forms
