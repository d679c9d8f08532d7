#include "forms/form_builder.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/errors.h"

namespace scrimble::forms {

std::vector<ControlSpec> InNameOrder(std::vector<ControlSpec> layout, const char* const* names, size_t count) {
    bool inOrder = layout.size() == count;
    for (size_t row = 0; inOrder && row < count; ++row) inOrder = std::strcmp(layout[row].name, names[row]) == 0;
    if (!inOrder) throw std::logic_error(std::string("layout rows out of order, from ") + names[0]);
    return layout;
}

void BuildControls(Form& form, const std::vector<ControlSpec>& layout, PeerFactory& factory) {
    int row = 0;
    for (const ControlSpec& entry : layout) {
        std::unique_ptr<ControlPeer> peer = factory.CreatePeer(entry, row++);
        // A peer without a handle stands for a control the system did not make.
        if (!peer || peer->Handle() == 0) {
            throw WindowCreationError(std::wstring(entry.name, entry.name + std::strlen(entry.name)));
        }
        auto control = std::make_unique<Control>(entry.name, entry.kind, std::move(peer));
        for (const wchar_t* item : entry.items) control->AddItem(item);
        if (entry.maxLength > 0) control->SetMaxLength(entry.maxLength);
        if (entry.caption != nullptr && entry.kind != ControlKind::ComboList) control->SetText(entry.caption);
        if (entry.toolTip != nullptr) control->SetToolTipText(entry.toolTip);
        if (entry.kind == ControlKind::CheckBox) control->SetValue(entry.value);
        control->SetEnabled(entry.enabled);
        form.Add(std::move(control));
    }
    factory.Finish(form);
}

namespace {

class MemoryPeerFactory : public PeerFactory {
public:
    explicit MemoryPeerFactory(MemoryFocus& focus) : focus_(focus) {}
    std::unique_ptr<ControlPeer> CreatePeer(const ControlSpec&, int row) override {
        return std::make_unique<MemoryPeer>(focus_, static_cast<NativeHandle>(0x1000 + row));
    }
    void Finish(Form& form) override {
        for (auto& control : form.Controls()) {
            static_cast<MemoryPeer&>(control->Peer()).Attach(control.get());
        }
    }

private:
    MemoryFocus& focus_;
};

}  // namespace

MemoryForm::MemoryForm(const std::vector<ControlSpec>& layout)
    : form_(std::make_unique<MemoryWindowPeer>(0x100)) {
    focus_.SetWindow(&form_.Peer());
    MemoryPeerFactory factory(focus_);
    BuildControls(form_, layout, factory);
}

MemoryPeer& MemoryForm::peer(const std::string& name) {
    return static_cast<MemoryPeer&>(form_.Get(name).Peer());
}

}  // namespace scrimble::forms
