// Layout and headers of an uncompressed Windows BMP file. The caller allocates
// one buffer of FileSize bytes, writes the headers into it, lets the pixel rows
// be filled in place at PixelOffset and writes the buffer out in one go.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture.h"  // PaletteEntry

namespace scrimble {

constexpr std::uint32_t kBmpFileHeaderSize = 14;
constexpr std::uint32_t kBmpInfoHeaderSize = 40;
constexpr std::uint32_t kBmpPaletteColours = 256;  // every colour of an 8-bit palette

struct BmpLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitsPerPixel = 0;              // 24, or 8 with a colour table
    std::uint32_t rowStride = 0;       // bytes per row, padded to 4
    std::uint32_t paletteOffset = 0;   // where the colour table starts
    std::uint32_t paletteBytes = 0;    // 0 for 24 bits per pixel
    std::uint32_t pixelOffset = 0;     // where the bottom row starts
    std::uint32_t pixelBytes = 0;
    std::uint32_t fileSize = 0;
};

// Plans a bottom-up, uncompressed file. Throws std::invalid_argument for a
// depth other than 8 or 24 or a size below 1x1, OverflowError when the file
// would not fit the format's 32-bit size fields.
BmpLayout PlanBmp(std::int32_t width, std::int32_t height, int bitsPerPixel);

// Writes the file header and the info header at the start of `file` (at least
// layout.pixelOffset bytes). For 8 bits per pixel it also writes the colour
// table from `palette` (kBmpPaletteColours entries); a null palette leaves the
// table's bytes as they are, for a caller that has them filled another way.
void WriteBmpHeaders(std::uint8_t* file, const BmpLayout& layout, const PaletteEntry* palette);

// Zeroes the bytes that pad each pixel row to 4 bytes, so that a file whose
// rows were filled by someone else carries no stray memory.
void ClearRowPadding(std::uint8_t* file, const BmpLayout& layout);

}  // namespace scrimble
