// Saving a picture as a BMP file: the bitmap's pixels go straight from GDI
// into the file image, which is written in one go.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/picture.h"

namespace scrimble {

// The bytes of a whole BMP file.
struct BmpFileImage {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

// 24 bits per pixel for a picture without a palette; 8 bits per pixel with the
// palette's 256 colours when it has one. Throws RuntimeError (CaptureFailed)
// when the bitmap cannot be read or the image does not fit in memory.
BmpFileImage EncodePictureAsBmp(HBITMAP bitmap, HPALETTE palette);

// Writes the picture as a BMP file; an existing file is replaced only once the
// new one is complete. Throws FileWriteError(path).
void SavePictureAsBmp(const Picture& picture, const std::wstring& path);

}  // namespace scrimble
