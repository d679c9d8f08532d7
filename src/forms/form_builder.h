// Turns a window definition into a Form: one loop over the table, the peers
// made by a factory (real windows or in-memory stand-ins).
#pragma once

#include <memory>
#include <vector>

#include "forms/control_spec.h"
#include "forms/form.h"
#include "forms/memory_peer.h"

namespace scrimble::forms {

class PeerFactory {
public:
    virtual ~PeerFactory() = default;
    // row is the entry's position in the table.
    virtual std::unique_ptr<ControlPeer> CreatePeer(const ControlSpec& entry, int row) = 0;
    // Called once every control exists, e.g. to set the stacking order.
    virtual void Finish(Form&) {}
};

// Creates every control of the table with its caption, tooltip, list items,
// limits and states. Setting the initial values raises no events: handlers are
// wired afterwards. A peer the factory could not give a handle ends the
// building with WindowCreationError.
void BuildControls(Form& form, const std::vector<ControlSpec>& layout, PeerFactory& factory);

// A window made of in-memory peers, for tests.
class MemoryForm {
public:
    explicit MemoryForm(const std::vector<ControlSpec>& layout);
    Form& form() { return form_; }
    MemoryFocus& focus() { return focus_; }
    MemoryPeer& peer(const std::string& name);
    Control& operator[](const std::string& name) { return form_.Get(name); }

private:
    MemoryFocus focus_;
    Form form_;
};

}  // namespace scrimble::forms
