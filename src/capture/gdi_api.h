// The Windows calls the capture engine makes, one method each, so that the
// engine's order of calls and its handling of handles can be checked without
// a screen. Handles travel as plain values; the structures mirror the Windows
// records they stand for (the Windows side checks the layouts).
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/picture.h"
#include "platform/rect.h"  // RECT

namespace scrimble {

// LOGPALETTE with room for every entry of a 256-colour palette.
struct LogPalette256 {
    std::uint16_t version = 0;
    std::uint16_t count = 0;
    PaletteEntry entries[256] = {};
};

// PICTDESC for a bitmap picture. Its size field is the size of the whole
// record: the two 32-bit fields, then the largest member of its union (a
// metafile handle and two extents), so 20 bytes on 32-bit Windows, 24 on 64-bit.
struct PictDesc {
    static constexpr std::uint32_t kPicTypeBitmap = 1;
    static constexpr std::uint32_t kRecordSize = 2 * sizeof(std::uint32_t) + sizeof(void*) + 2 * sizeof(std::int32_t);
    std::uint32_t size = kRecordSize;
    std::uint32_t type = kPicTypeBitmap;
    NativeHandle bitmap = 0;
    NativeHandle palette = 0;  // 0 = none
};

namespace gdi {
constexpr int kRasterCaps = 38;     // RASTERCAPS
constexpr int kSizePalette = 104;   // SIZEPALETTE
constexpr int kRcPalette = 0x100;   // RC_PALETTE
constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint16_t kPaletteVersion = 0x300;
}  // namespace gdi

class GdiApi {
public:
    virtual ~GdiApi() = default;

    // user32
    virtual NativeHandle GetDC(NativeHandle window) = 0;
    virtual NativeHandle GetWindowDC(NativeHandle window) = 0;
    virtual int ReleaseDC(NativeHandle window, NativeHandle dc) = 0;
    virtual NativeHandle GetForegroundWindow() = 0;
    virtual bool GetWindowRect(NativeHandle window, Rect32& rect) = 0;
    // The virtual screen: the rectangle around every monitor (SM_*VIRTUALSCREEN).
    virtual Rect32 VirtualScreen() = 0;
    // Each monitor's rectangle on the virtual screen (EnumDisplayMonitors).
    virtual std::vector<Rect32> MonitorRects() = 0;
    // The mouse pointer (GetCursorInfo): its cursor, which under Wine is often
    // another process's handle or 0, and its place on the virtual screen.
    // False when the cursor does not show (hidden while typing) or the call
    // fails; cursor, x and y are then left alone.
    virtual bool GetCursorInfo(NativeHandle& cursor, std::int32_t& x, std::int32_t& y) = 0;
    // The hot spot of a cursor or icon (GetIconInfo, whose bitmaps are
    // deleted at once). False for a handle that is not one of this process's
    // or the system's; x and y are then left alone.
    virtual bool GetIconHotSpot(NativeHandle icon, std::int32_t& x, std::int32_t& y) = 0;
    // Draws a cursor or icon at its own size with its mask (DrawIconEx,
    // DI_NORMAL), its top left corner at (x, y).
    virtual bool DrawIconEx(NativeHandle dc, int x, int y, NativeHandle icon) = 0;
    // The system's standard arrow (LoadCursorW(NULL, IDC_ARROW)); a shared
    // handle, never deleted. 0 when it cannot be had.
    virtual NativeHandle StandardArrowCursor() = 0;

    // dwmapi: the window's frame as the compositor draws it
    // (DWMWA_EXTENDED_FRAME_BOUNDS), without the invisible resize borders that
    // GetWindowRect counts. False without a compositor that answers.
    virtual bool GetExtendedFrameBounds(NativeHandle window, Rect32& rect) = 0;

    // gdi32
    virtual NativeHandle CreateCompatibleDC(NativeHandle dc) = 0;
    virtual NativeHandle CreateCompatibleBitmap(NativeHandle dc, int width, int height) = 0;
    virtual NativeHandle SelectObject(NativeHandle dc, NativeHandle object) = 0;
    virtual int GetDeviceCaps(NativeHandle dc, int index) = 0;
    virtual unsigned GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count,
                                             PaletteEntry* entries) = 0;
    virtual NativeHandle CreatePalette(const LogPalette256& palette) = 0;
    virtual NativeHandle SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) = 0;
    virtual unsigned RealizePalette(NativeHandle dc) = 0;
    virtual bool BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source,
                        int sourceX, int sourceY, std::uint32_t rop) = 0;
    virtual bool PatBlt(NativeHandle dest, int x, int y, int width, int height, std::uint32_t rop) = 0;
    virtual bool DeleteDC(NativeHandle dc) = 0;
    virtual bool DeleteObject(NativeHandle object) = 0;

    // OLE: a picture that owns the bitmap and palette of `desc` when `own` is
    // set. Null when no picture object could be made; the handles are then
    // still the caller's, as they are when this throws.
    virtual PicturePtr OleCreatePictureIndirect(const PictDesc& desc, bool own) = 0;
};

}  // namespace scrimble
