#include "platform/bmp_writer_win32.h"

#include <new>

#include "platform/bmp_writer.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/win32_handles.h"

namespace scrimble {
namespace {

RuntimeError EncodeError() {
    return RuntimeError(ErrorCode::CaptureFailed, L"画像を BMP 形式に変換できません。");
}

// The palette's colours, all 256 places filled (unused ones black).
void ReadPaletteColours(HPALETTE palette, PaletteEntry (&colours)[kBmpPaletteColours]) {
    static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));
    PALETTEENTRY entries[kBmpPaletteColours] = {};
    ::GetPaletteEntries(palette, 0, kBmpPaletteColours, entries);
    for (std::uint32_t i = 0; i < kBmpPaletteColours; ++i) {
        colours[i].red = entries[i].peRed;
        colours[i].green = entries[i].peGreen;
        colours[i].blue = entries[i].peBlue;
        colours[i].flags = 0;
    }
}

}  // namespace

BmpFileImage EncodePictureAsBmp(HBITMAP bitmap, HPALETTE palette) {
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info) throw EncodeError();
    if (info.bmWidth < 1 || info.bmHeight < 1) throw EncodeError();

    const BmpLayout layout = PlanBmp(info.bmWidth, info.bmHeight, palette != nullptr ? 8 : 24);
    BmpFileImage image;
    // Left uninitialised: headers, colour table and rows are all written below.
    image.bytes.reset(new (std::nothrow) std::uint8_t[layout.fileSize]);
    if (!image.bytes) throw EncodeError();
    image.size = layout.fileSize;
    std::uint8_t* file = image.bytes.get();

    PaletteEntry colours[kBmpPaletteColours];
    if (palette != nullptr) ReadPaletteColours(palette, colours);
    WriteBmpHeaders(file, layout, palette != nullptr ? colours : nullptr);

    {
        // A memory context is enough to translate through the palette, and
        // realizing a palette there leaves the screen's colours alone.
        win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        if (!dc) throw EncodeError();
        win32::PaletteSelection selection(dc.get(), palette);
        // The info header and the colour table sit in the file exactly as
        // GetDIBits expects a BITMAPINFO, so the rows and, for 8 bits, the
        // table it describes them with land in place.
        auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(file + kBmpFileHeaderSize);
        const int rows = ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(layout.height),
                                     file + layout.pixelOffset, bitmapInfo, DIB_RGB_COLORS);
        if (rows != layout.height) throw EncodeError();
    }
    // GetDIBits may have filled in header fields of its own; the file keeps ours.
    WriteBmpHeaders(file, layout, nullptr);
    ClearRowPadding(file, layout);
    return image;
}

void SavePictureAsBmp(const Picture& picture, const std::wstring& path) {
    BmpFileImage image;
    try {
        image = EncodePictureAsBmp(reinterpret_cast<HBITMAP>(picture.Bitmap()),
                                   reinterpret_cast<HPALETTE>(picture.Palette()));
    } catch (const RuntimeError&) {
        throw FileWriteError(path);
    }
    ReplaceFileContents(path, reinterpret_cast<const char*>(image.bytes.get()), image.size);
}

}  // namespace scrimble
