#include "forms/controls.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/errors.h"
#include "platform/hotkey.h"

namespace scrimble::forms {

Control::Control(std::string name, ControlKind kind, std::unique_ptr<ControlPeer> peer)
    : name_(std::move(name)), kind_(kind), peer_(std::move(peer)) {}

void Control::Raise(const std::function<void()>& handler) {
    if (handler) handler();
}

std::wstring Control::Text() const {
    if (kind_ == ControlKind::ComboList) {
        const int index = peer_->ListIndex();
        return index >= 0 ? peer_->Item(index) : std::wstring();
    }
    return peer_->Text();
}

void Control::SetText(const std::wstring& text) {
    if (kind_ == ControlKind::ComboList) throw InvalidPropertyValueError();
    // A key box shows a key in its own words, or none.
    if (kind_ == ControlKind::HotkeyBox) {
        const std::optional<Hotkey> key = ParseHotkey(text);
        peer_->SetText(key ? HotkeyText(*key) : std::wstring());
        return;
    }
    if (maxLength_ > 0 && static_cast<int>(text.size()) > maxLength_) {
        peer_->SetText(text.substr(0, static_cast<size_t>(maxLength_)));
    } else {
        peer_->SetText(text);
    }
}

int Control::Value() const { return peer_->Check(); }

void Control::SetValue(int value) {
    if (value < 0 || value > 2) throw InvalidPropertyValueError();
    if (value == peer_->Check()) return;
    peer_->SetCheck(value);
    Raise(Click);
}

int Control::ListIndex() const { return peer_->ListIndex(); }

void Control::SetListIndex(int index) {
    if (index < -1 || index >= peer_->ListCount()) throw InvalidPropertyValueError();
    if (index == peer_->ListIndex()) return;
    peer_->SetListIndex(index);
    lastListIndex_ = index;
    Raise(Click);
}

int Control::ListCount() const { return peer_->ListCount(); }

std::wstring Control::List(int index) const {
    if (index < 0 || index >= peer_->ListCount()) return std::wstring();
    return peer_->Item(index);
}

void Control::AddItem(const std::wstring& item) { peer_->AddItem(item); }

bool Control::Enabled() const { return peer_->Enabled(); }
void Control::SetEnabled(bool enabled) { peer_->SetEnabled(enabled); }
bool Control::Visible() const { return peer_->Visible(); }
void Control::SetVisible(bool visible) { peer_->SetVisible(visible); }

void Control::SetToolTipText(const std::wstring& text) {
    toolTip_ = text;
    peer_->SetToolTip(text);
}

void Control::SetMaxLength(int length) {
    maxLength_ = std::max(0, length);
    peer_->SetMaxLength(maxLength_);
}

int Control::SelStart() const { return peer_->SelStart(); }
int Control::SelLength() const { return peer_->SelLength(); }

void Control::SetSelStart(int start) {
    const int length = static_cast<int>(peer_->Text().size());
    peer_->SetSelection(std::clamp(start, 0, length), 0);
}

void Control::SetSelLength(int length) {
    const int start = peer_->SelStart();
    const int available = static_cast<int>(peer_->Text().size()) - start;
    peer_->SetSelection(start, std::clamp(length, 0, std::max(0, available)));
}

void Control::SetPicture(PicturePtr picture) {
    // Show the new picture before letting go of the old one, so the peer never
    // holds a handle that has just been deleted.
    peer_->SetPicture(picture);
    picture_ = std::move(picture);
}

void Control::SetFocus() { peer_->Focus(); }

void Control::OnUserToggle() { SetValue(peer_->Check() == 0 ? 1 : 0); }

void Control::OnUserSelect() {
    const int index = peer_->ListIndex();
    if (index == lastListIndex_) return;
    lastListIndex_ = index;
    Raise(Click);
}

void Control::OnUserClick() { Raise(Click); }
void Control::OnGotFocus() { Raise(GotFocus); }
void Control::OnLostFocus() { Raise(LostFocus); }

}  // namespace scrimble::forms
