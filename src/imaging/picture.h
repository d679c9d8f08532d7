// A captured picture: one bitmap and an optional palette, owned by the picture
// and deleted when the last reference goes.
#pragma once

#include <cstdint>
#include <memory>

namespace scrimble {

using NativeHandle = std::uintptr_t;  // HWND, HDC, HBITMAP, HPALETTE as plain values

// One colour of a palette, in the order GDI keeps it (PALETTEENTRY).
struct PaletteEntry {
    std::uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

class Picture {
public:
    virtual ~Picture() = default;
    virtual NativeHandle Bitmap() const = 0;
    virtual NativeHandle Palette() const = 0;  // 0 when there is none
};

using PicturePtr = std::shared_ptr<Picture>;

}  // namespace scrimble
