// What the options dialog sets: the system-wide keys, the notification area
// and the cursor. The settings file keeps them after the window's own lines;
// unlike those, they live here rather than in controls, as the dialog that
// shows them comes and goes.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "platform/hotkey.h"
#include "platform/rect.h"

namespace scrimble {

// The commands a system-wide key runs, in the order the dialog and the
// settings file list them; the value is the key's id for RegisterHotKey.
enum class KeyCommand : int { FullScreen, ActiveWindow, Region, LastRegion };
inline constexpr std::size_t kKeyCommandCount = 4;

struct KeySetting {
    Hotkey key;
    bool on = true;
};

struct Options {
    std::array<KeySetting, kKeyCommandCount> keys = {{
        {{kKeyPrintScreen, 0}, true},
        {{kKeyPrintScreen, kModAlt}, true},
        {{kKeyPrintScreen, kModControl}, true},
        {{kKeyPrintScreen, kModShift}, true},
    }};
    bool minimizeToTray = false;
    bool drawCursor = false;
    // The region last taken, in virtual-screen pixels, for the next time.
    std::optional<Rect32> lastRegion;

    KeySetting& Key(KeyCommand command) { return keys[static_cast<std::size_t>(command)]; }
    const KeySetting& Key(KeyCommand command) const { return keys[static_cast<std::size_t>(command)]; }
};

}  // namespace scrimble
