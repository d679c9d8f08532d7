#include "platform/memory_peer.h"

#include <algorithm>

namespace scrimble::forms {

void MemoryFocus::MoveTo(Control* target) {
    if (target == nullptr || !target->Enabled()) return;
    Transfer(target);
}

void MemoryFocus::Request(Control* target) {
    if (target == nullptr || !target->Enabled()) return;
    if (moving_) {
        pending_ = target;
        return;
    }
    Transfer(target);
}

void MemoryFocus::Transfer(Control* target) {
    // A handler that throws ends the move: later requests must still be
    // carried out rather than wait for a move that never finishes, and a
    // request left over from the failed move is dropped.
    struct MoveScope {
        MemoryFocus& focus;
        explicit MoveScope(MemoryFocus& f) : focus(f) { focus.moving_ = true; }
        ~MoveScope() { focus.moving_ = false; }
    };
    // Each pass is one focus change; requests made by the handlers of a pass
    // become the next pass, as posted focus changes do on Windows.
    while (target != nullptr) {
        if (target == focused_) break;
        pending_ = nullptr;
        {
            MoveScope move(*this);
            Control* previous = focused_;
            if (previous != nullptr) previous->OnLostFocus();
            focused_ = target;
            target->OnGotFocus();
        }
        target = pending_;
        pending_ = nullptr;
    }
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
