#include "imaging/bmp_writer_win32.h"

#include <cstring>

#include "imaging/bmp_writer.h"
#include "platform/errors.h"
#include "platform/win32_handles.h"

namespace scrimble {
namespace {

// What GetDIBits describes the rows with, in memory of its own alignment: in
// the file the info header starts at byte 14, where its 32-bit fields would
// sit unaligned.
struct DibDescription {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kBmpPaletteColours];
};

// The palette's colours in the file's order, all 256 places filled (unused
// ones black): the table stays right should GetDIBits leave it alone.
void ReadPaletteColours(HPALETTE palette, RGBQUAD (&colours)[kBmpPaletteColours]) {
    PALETTEENTRY entries[kBmpPaletteColours] = {};
    ::GetPaletteEntries(palette, 0, kBmpPaletteColours, entries);
    for (std::uint32_t i = 0; i < kBmpPaletteColours; ++i) {
        colours[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
}

}  // namespace

BmpFileImage EncodePictureAsBmp(HBITMAP bitmap, HPALETTE palette) {
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info) throw PictureReadError();
    if (info.bmWidth < 1 || info.bmHeight < 1) throw PictureReadError();

    const BmpLayout layout = PlanBmp(info.bmWidth, info.bmHeight, palette != nullptr ? 8 : 24);
    BmpFileImage image;
    // Left uninitialised: headers, colour table and rows are all written below.
    // Too big for memory (an 8K desktop on the 32-bit build) is std::bad_alloc,
    // which the handlers tell as such.
    image.bytes.reset(new std::uint8_t[layout.fileSize]);
    image.size = layout.fileSize;
    image.layout = layout;
    std::uint8_t* file = image.bytes.get();

    DibDescription description{};
    description.header.biSize = sizeof description.header;
    description.header.biWidth = layout.width;
    description.header.biHeight = layout.height;  // bottom-up, as the file keeps them
    description.header.biPlanes = 1;
    description.header.biBitCount = static_cast<WORD>(layout.bitsPerPixel);
    description.header.biCompression = BI_RGB;
    if (palette != nullptr) ReadPaletteColours(palette, description.colours);
    {
        // A memory context is enough to translate through the palette, and
        // realizing a palette there leaves the screen's colours alone.
        win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        if (!dc) throw PictureReadError();
        win32::PaletteSelection selection(dc.get(), palette);
        const int rows = ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(layout.height),
                                     file + layout.pixelOffset, reinterpret_cast<BITMAPINFO*>(&description),
                                     DIB_RGB_COLORS);
        if (rows != layout.height) throw PictureReadError();
    }
    // The headers are ours; for 8 bits the colour table is the one GetDIBits
    // described the rows with, kept in the file's order (blue, green, red, 0).
    WriteBmpHeaders(file, layout, nullptr);
    static_assert(sizeof(RGBQUAD) == 4);
    if (layout.paletteBytes != 0) std::memcpy(file + layout.paletteOffset, description.colours, layout.paletteBytes);
    ClearRowPadding(file, layout);
    return image;
}

}  // namespace scrimble
