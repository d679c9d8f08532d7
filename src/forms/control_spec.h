// One row of a window definition: everything needed to create a control.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "forms/form.h"

namespace scrimble::forms {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kNoTabStop = -1;

struct ControlSpec;

// For a window's list of controls, written once as X(name) X(name) ...: an
// enum of its rows, and their names.
#define SCRIMBLE_ROW_ENUM(name) name,
#define SCRIMBLE_ROW_NAME(name) #name,

// A table whose rows stand in the order of a list of names (a window's code
// reaches each control through an enum of that order, see
// ui/frmMain_layout.h): the table itself, or std::logic_error where a row is
// out of place.
std::vector<ControlSpec> InNameOrder(std::vector<ControlSpec> layout, const char* const* names, size_t count);

struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* container;  // nullptr: the window's client area
    TwipsRect rect;         // relative to the container
    int tabIndex;           // kNoTabStop for controls that never take the focus
    const wchar_t* caption;
    const wchar_t* toolTip;
    int pictureId = 0;                    // resource id of a button's picture
    std::vector<const wchar_t*> items{};  // drop-down list entries, in order
    int maxLength = 0;                    // text boxes: 0 = no limit
    bool enabled = true;
    int value = 0;                        // check boxes
    bool imeDisabled = false;             // text boxes that take digits only
    bool alignRight = false;
};

// The control of the row that an enum value names, in a form built from its
// table.
template <typename Row>
Control& ControlAt(Form& form, Row row) {
    return form.At(static_cast<size_t>(row));
}

}  // namespace scrimble::forms
