// The capture engine's calls made on the real system (user32, gdi32,
// oleaut32), and the OLE picture the engine hands out.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "capture/gdi_api.h"
#include "imaging/picture.h"

namespace scrimble::win32 {

// A standard OLE picture reached through IPictureDisp: one counted reference,
// released with this object. The picture owns its bitmap and palette, so the
// last reference to go deletes them.
class OlePicture : public Picture {
public:
    OlePicture() = default;
    ~OlePicture() override;
    OlePicture(const OlePicture&) = delete;
    OlePicture& operator=(const OlePicture&) = delete;

    // Takes over one reference of each (either may be null).
    void Adopt(IPictureDisp* display, IPicture* picture) noexcept;

    NativeHandle Bitmap() const override;
    NativeHandle Palette() const override;

private:
    IPictureDisp* display_ = nullptr;
    IPicture* picture_ = nullptr;  // the same object, for its handles
};

class RealGdiApi final : public GdiApi {
public:
    NativeHandle GetDC(NativeHandle window) override;
    NativeHandle GetWindowDC(NativeHandle window) override;
    int ReleaseDC(NativeHandle window, NativeHandle dc) override;
    NativeHandle GetForegroundWindow() override;
    bool GetWindowRect(NativeHandle window, Rect32& rect) override;
    Rect32 VirtualScreen() override;
    std::vector<Rect32> MonitorRects() override;
    bool GetCursorInfo(NativeHandle& cursor, std::int32_t& x, std::int32_t& y) override;
    bool GetIconHotSpot(NativeHandle icon, std::int32_t& x, std::int32_t& y) override;
    bool DrawIconEx(NativeHandle dc, int x, int y, NativeHandle icon) override;
    NativeHandle StandardArrowCursor() override;
    bool GetExtendedFrameBounds(NativeHandle window, Rect32& rect) override;
    NativeHandle CreateCompatibleDC(NativeHandle dc) override;
    NativeHandle CreateCompatibleBitmap(NativeHandle dc, int width, int height) override;
    NativeHandle SelectObject(NativeHandle dc, NativeHandle object) override;
    int GetDeviceCaps(NativeHandle dc, int index) override;
    unsigned GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count,
                                     PaletteEntry* entries) override;
    NativeHandle CreatePalette(const LogPalette256& palette) override;
    NativeHandle SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) override;
    unsigned RealizePalette(NativeHandle dc) override;
    bool BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source,
                int sourceX, int sourceY, std::uint32_t rop) override;
    bool PatBlt(NativeHandle dest, int x, int y, int width, int height, std::uint32_t rop) override;
    bool DeleteDC(NativeHandle dc) override;
    bool DeleteObject(NativeHandle object) override;
    PicturePtr OleCreatePictureIndirect(const PictDesc& desc, bool own) override;
};

}  // namespace scrimble::win32
