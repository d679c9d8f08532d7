// Saving a picture as a BMP file: the bitmap's pixels go straight from GDI
// into the file image, which is written in one go.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/bmp_writer.h"
#include "imaging/picture.h"

namespace scrimble {

// The bytes of a whole BMP file, and where its parts lie: also a
// device-independent bitmap for whoever draws or encodes the picture.
struct BmpFileImage {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    BmpLayout layout;

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(bytes.get() + kBmpFileHeaderSize); }
    const RGBQUAD* Colours() const { return reinterpret_cast<const RGBQUAD*>(bytes.get() + layout.paletteOffset); }
    const std::uint8_t* Pixels() const { return bytes.get() + layout.pixelOffset; }  // the bottom row first
};

// 24 bits per pixel for a picture without a palette; 8 bits per pixel with the
// palette's 256 colours when it has one. Throws PictureReadError when the
// bitmap cannot be read, std::bad_alloc when the image does not fit in memory.
BmpFileImage EncodePictureAsBmp(HBITMAP bitmap, HPALETTE palette);

}  // namespace scrimble
