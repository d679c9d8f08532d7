// What the options dialog sets: the system-wide keys, the notification area
// and the cursor. The settings file keeps them after the window's own lines;
// unlike those, they live here rather than in controls, as the dialog that
// shows them comes and goes.
#pragma once

#include <array>
#include <cstddef>

#include "platform/hotkey.h"

namespace scrimble {

// The commands a system-wide key runs, in the order the dialog and the
// settings file list them; the value is the key's id for RegisterHotKey.
enum class KeyCommand : int { FullScreen, ActiveWindow, Region };
inline constexpr std::size_t kKeyCommandCount = 3;

struct KeySetting {
    Hotkey key;
    bool on = true;
};

struct Options {
    std::array<KeySetting, kKeyCommandCount> keys = {{
        {{kKeyPrintScreen, 0}, true},
        {{kKeyPrintScreen, kModAlt}, true},
        {{kKeyPrintScreen, kModControl}, true},
    }};
    bool minimizeToTray = false;
    bool drawCursor = false;

    KeySetting& Key(KeyCommand command) { return keys[static_cast<std::size_t>(command)]; }
    const KeySetting& Key(KeyCommand command) const { return keys[static_cast<std::size_t>(command)]; }
};

}  // namespace scrimble
