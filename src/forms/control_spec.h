// One row of a window definition: everything needed to create a control.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "forms/controls.h"

namespace scrimble::forms {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kNoTabStop = -1;

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

}  // namespace scrimble::forms
