#include "forms/memory_peer.h"

#include <algorithm>
#include <utility>

namespace scrimble::forms {

namespace {

struct Acting {
    explicit Acting(int& depth) : depth_(depth) { ++depth_; }
    ~Acting() { --depth_; }
    Acting(const Acting&) = delete;
    Acting& operator=(const Acting&) = delete;
    int& depth_;
};

}  // namespace

// A handler that throws ends the action: a request left over from it is
// dropped, and later requests are carried out rather than wait for an action
// that never finishes.
template <typename Action>
void MemoryFocus::Act(Action action) {
    {
        Acting acting(acting_);
        try {
            action();
        } catch (...) {
            posted_ = nullptr;
            throw;
        }
    }
    DeliverPosted();
}

void MemoryFocus::MoveTo(Control* target) {
    if (target == nullptr || !target->Enabled()) return;
    Act([&] { Transfer(target); });
}

void MemoryFocus::Click(Control* target) {
    if (target == nullptr || !target->Enabled()) return;
    Act([&] {
        Transfer(target);
        target->Kind() == ControlKind::CheckBox ? target->OnUserToggle() : target->OnUserClick();
    });
}

void MemoryFocus::Request(Control* target) {
    if (target == nullptr) return;
    posted_ = target;
    if (acting_ == 0) DeliverPosted();
}

void MemoryFocus::DeliverPosted() {
    // Each request is one focus change; requests made by its handlers are
    // carried out after it, as posted focus changes are on Windows.
    while (Control* target = std::exchange(posted_, nullptr)) {
        if (!target->Enabled() || (window_ != nullptr && !window_->Visible())) continue;
        Act([&] { Transfer(target); });
    }
}

void MemoryFocus::Transfer(Control* target) {
    if (target == focused_) return;
    Control* previous = focused_;
    if (previous != nullptr) previous->OnLostFocus();
    focused_ = target;
    target->OnGotFocus();
}

void MemoryPeer::SetText(const std::wstring& text) {
    text_ = text;
    selStart_ = 0;
    selLength_ = 0;
}

void MemoryPeer::SetSelection(int start, int length) {
    const int size = static_cast<int>(text_.size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
}

void MemoryPeer::UserTypes(const std::wstring& text) {
    std::wstring next = text_;
    next.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), text);
    if (maxLength_ > 0 && static_cast<int>(next.size()) > maxLength_) return;  // refused, as Windows does
    text_ = next;
    selStart_ += static_cast<int>(text.size());
    selLength_ = 0;
}

}  // namespace scrimble::forms
