#include "imaging/bmp_writer.h"

#include <limits>
#include <stdexcept>

#include "platform/errors.h"

namespace scrimble {
namespace {

constexpr std::uint32_t kBiRgb = 0;  // no compression

void PutUint16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutUint32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutInt32(std::uint8_t* at, std::int32_t value) {
    PutUint32(at, static_cast<std::uint32_t>(value));
}

}  // namespace

BmpLayout PlanBmp(std::int32_t width, std::int32_t height, int bitsPerPixel) {
    if (bitsPerPixel != 8 && bitsPerPixel != 24) {
        throw std::invalid_argument("BMP depth must be 8 or 24 bits per pixel");
    }
    if (width < 1 || height < 1) throw std::invalid_argument("BMP size must be at least 1x1");

    // 64-bit arithmetic: every product below fits, and the result is checked
    // against the 32-bit fields of the headers before it is narrowed.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t paletteBytes = bitsPerPixel == 8 ? kBmpPaletteColours * 4 : 0;
    const std::uint64_t pixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize + paletteBytes;
    const std::uint64_t fileSize = pixelOffset + pixelBytes;
    if (fileSize > std::numeric_limits<std::uint32_t>::max() ||
        fileSize > std::numeric_limits<std::size_t>::max()) {
        throw OverflowError();
    }

    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bitsPerPixel;
    layout.rowStride = static_cast<std::uint32_t>(stride);
    layout.paletteOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    layout.paletteBytes = static_cast<std::uint32_t>(paletteBytes);
    layout.pixelOffset = static_cast<std::uint32_t>(pixelOffset);
    layout.pixelBytes = static_cast<std::uint32_t>(pixelBytes);
    layout.fileSize = static_cast<std::uint32_t>(fileSize);
    return layout;
}

void WriteBmpHeaders(std::uint8_t* file, const BmpLayout& layout, const PaletteEntry* palette) {
    // BITMAPFILEHEADER
    file[0] = 'B';
    file[1] = 'M';
    PutUint32(file + 2, layout.fileSize);
    PutUint16(file + 6, 0);
    PutUint16(file + 8, 0);
    PutUint32(file + 10, layout.pixelOffset);

    // BITMAPINFOHEADER; a positive height means the rows run bottom-up.
    std::uint8_t* info = file + kBmpFileHeaderSize;
    PutUint32(info + 0, kBmpInfoHeaderSize);
    PutInt32(info + 4, layout.width);
    PutInt32(info + 8, layout.height);
    PutUint16(info + 12, 1);
    PutUint16(info + 14, static_cast<std::uint16_t>(layout.bitsPerPixel));
    PutUint32(info + 16, kBiRgb);
    PutUint32(info + 20, layout.pixelBytes);
    PutInt32(info + 24, 0);  // no resolution recorded
    PutInt32(info + 28, 0);
    PutUint32(info + 32, layout.paletteBytes / 4);
    PutUint32(info + 36, 0);  // all colours matter

    if (layout.paletteBytes == 0 || palette == nullptr) return;
    // The file keeps its colours as blue, green, red, zero (RGBQUAD).
    std::uint8_t* table = file + layout.paletteOffset;
    for (std::uint32_t i = 0; i < layout.paletteBytes / 4; ++i) {
        table[4 * i + 0] = palette[i].blue;
        table[4 * i + 1] = palette[i].green;
        table[4 * i + 2] = palette[i].red;
        table[4 * i + 3] = 0;
    }
}

void ClearRowPadding(std::uint8_t* file, const BmpLayout& layout) {
    const auto used = static_cast<std::uint32_t>(
        (static_cast<std::uint64_t>(layout.width) * layout.bitsPerPixel + 7) / 8);
    const std::uint32_t padding = layout.rowStride - used;
    if (padding == 0) return;
    std::uint8_t* row = file + layout.pixelOffset;
    for (std::int32_t y = 0; y < layout.height; ++y, row += layout.rowStride) {
        for (std::uint32_t i = used; i < layout.rowStride; ++i) row[i] = 0;
    }
}

}  // namespace scrimble
