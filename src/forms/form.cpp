#include "forms/form.h"

#include <stdexcept>
#include <utility>

namespace scrimble::forms {

Form::Form(std::unique_ptr<WindowPeer> peer) : peer_(std::move(peer)) {}

// The window goes first: while it is destroyed it still sends notifications
// (a text box losing the focus) that look its controls up.
Form::~Form() { peer_.reset(); }

Control& Form::Add(std::unique_ptr<Control> control) {
    Control& added = *control;
    byName_[added.Name()] = &added;
    controls_.push_back(std::move(control));
    return added;
}

Control& Form::Get(const std::string& name) {
    auto found = byName_.find(name);
    if (found == byName_.end()) throw std::out_of_range("no control named " + name);
    return *found->second;
}

Control* Form::Find(NativeHandle handle) {
    if (handle == 0) return nullptr;
    for (auto& control : controls_) {
        if (control->Handle() == handle) return control.get();
    }
    return nullptr;
}

}  // namespace scrimble::forms
