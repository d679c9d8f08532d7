#include "capture/mdlCapture.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/conversions.h"
#include "platform/errors.h"

namespace scrimble::mdlCapture {
namespace {

// Each guard below undoes one step of CaptureArea if an exception leaves the
// capture half-way. On the normal path the capture undoes the steps itself, in
// its own order, and the guard then has nothing left to do. A cleanup call that
// throws from a destructor is swallowed: the exception already in flight is the
// one the caller must see.

// A device context from GetDC or GetWindowDC, given back with ReleaseDC.
class SourceDc {
public:
    SourceDc(GdiApi& gdi, NativeHandle window, bool clientArea)
        : gdi_(gdi), window_(window), dc_(clientArea ? gdi.GetDC(window) : gdi.GetWindowDC(window)) {}
    SourceDc(const SourceDc&) = delete;
    SourceDc& operator=(const SourceDc&) = delete;
    ~SourceDc() {
        try { Release(); } catch (...) {}
    }
    NativeHandle Get() const { return dc_; }
    void Release() {
        if (!held_) return;
        held_ = false;  // once only, even if the call throws
        gdi_.ReleaseDC(window_, dc_);
    }

private:
    GdiApi& gdi_;
    NativeHandle window_;
    NativeHandle dc_;
    bool held_ = true;
};

// A memory device context from CreateCompatibleDC, ended with DeleteDC.
class MemoryDc {
public:
    MemoryDc(GdiApi& gdi, NativeHandle source) : gdi_(gdi), dc_(gdi.CreateCompatibleDC(source)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        try { Delete(); } catch (...) {}
    }
    NativeHandle Get() const { return dc_; }
    void Delete() {
        if (!held_) return;
        held_ = false;
        gdi_.DeleteDC(dc_);
    }

private:
    GdiApi& gdi_;
    NativeHandle dc_;
    bool held_ = true;
};

// A bitmap or palette that is ours to delete until it is handed on.
class GdiObject {
public:
    GdiObject(GdiApi& gdi, NativeHandle handle = 0) : gdi_(gdi), handle_(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (handle_ == 0) return;
        try { gdi_.DeleteObject(handle_); } catch (...) {}
    }
    NativeHandle Get() const { return handle_; }
    void Reset(NativeHandle handle) { handle_ = handle; }
    void Release() { handle_ = 0; }

private:
    GdiApi& gdi_;
    NativeHandle handle_;
};

// Selects a bitmap into a memory context and puts the previous one back.
class BitmapSelection {
public:
    BitmapSelection(GdiApi& gdi, NativeHandle dc, NativeHandle bitmap)
        : gdi_(gdi), dc_(dc), previous_(gdi.SelectObject(dc, bitmap)) {}
    BitmapSelection(const BitmapSelection&) = delete;
    BitmapSelection& operator=(const BitmapSelection&) = delete;
    ~BitmapSelection() {
        try { Restore(); } catch (...) {}
    }
    // Returns what the context held until now: the bitmap selected above.
    NativeHandle Restore() {
        if (!active_) return 0;
        active_ = false;
        return gdi_.SelectObject(dc_, previous_);
    }

private:
    GdiApi& gdi_;
    NativeHandle dc_;
    NativeHandle previous_;
    bool active_ = true;
};

// Selects a palette into a memory context (in the foreground) and puts the
// previous one back; does nothing when no palette was selected.
class PaletteSelection {
public:
    PaletteSelection(GdiApi& gdi, NativeHandle dc) : gdi_(gdi), dc_(dc) {}
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;
    ~PaletteSelection() {
        try { Restore(); } catch (...) {}
    }
    void Select(NativeHandle palette) {
        previous_ = gdi_.SelectPalette(dc_, palette, false);
        active_ = true;
    }
    // Returns what the context held until now: the palette selected above.
    NativeHandle Restore() {
        if (!active_) return 0;
        active_ = false;
        return gdi_.SelectPalette(dc_, previous_, false);
    }

private:
    GdiApi& gdi_;
    NativeHandle dc_;
    NativeHandle previous_ = 0;
    bool active_ = false;
};

// A display that works through a 256-entry hardware palette: the copy needs
// the system palette to keep its colours.
bool UsesSystemPalette(int maskedRasterCaps, int paletteSize) {
    return maskedRasterCaps != 0 && paletteSize == 256;
}

// Nearest 32-bit integer, an exact half going to the even neighbour.
std::int32_t RoundToInt32(float value) {
    const double rounded = RoundHalfToEven(value);  // exact: every float is a double
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw OverflowError();  // also NaN
    }
    return static_cast<std::int32_t>(rounded);
}

RuntimeError CaptureError(const wchar_t* why) { return RuntimeError(ErrorCode::CaptureFailed, why); }

std::int32_t PixelsFromTwips(float twips, float twipsPerPixel) {
    const std::int32_t total = RoundToInt32(twips);
    const std::int32_t perPixel = RoundToInt32(twipsPerPixel);
    if (perPixel == 0) throw CaptureError(L"画面の大きさを求められません。");
    return total / perPixel;  // truncates toward zero
}

bool FitsInt(std::int64_t value) {
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

// Draws `cursor` into the capture in `dc`, whose origin is (left, top), with
// its hot spot on (x, y). False when its hot spot cannot be read, the place
// lies beyond any coordinate GDI takes, or nothing was drawn.
bool DrawCursorAt(GdiApi& gdi, NativeHandle dc, NativeHandle cursor, std::int32_t x, std::int32_t y,
                  std::int32_t left, std::int32_t top) {
    std::int32_t hotX = 0;
    std::int32_t hotY = 0;
    if (cursor == 0 || !gdi.GetIconHotSpot(cursor, hotX, hotY)) return false;
    const std::int64_t drawX = std::int64_t{x} - hotX - left;
    const std::int64_t drawY = std::int64_t{y} - hotY - top;
    if (!FitsInt(drawX) || !FitsInt(drawY)) return false;
    return gdi.DrawIconEx(dc, static_cast<int>(drawX), static_cast<int>(drawY), cursor);
}

// The mouse cursor as it looks now, drawn into the capture in `dc`.
void DrawCursor(GdiApi& gdi, NativeHandle dc, std::int32_t left, std::int32_t top) {
    NativeHandle cursor = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!gdi.GetCursorInfo(cursor, x, y)) return;  // hidden, e.g. while the user types
    if (DrawCursorAt(gdi, dc, cursor, x, y, left, top)) return;
    // Under Wine the pointer's cursor is often another process's handle, or
    // none, which this process can neither read nor draw: the arrow stands in.
    DrawCursorAt(gdi, dc, gdi.StandardArrowCursor(), x, y, left, top);
}


}  // namespace

namespace {

// What one copy makes: the bitmap and palette the picture is to own, held by
// owners that delete whatever is not handed over.
struct Copy {
    explicit Copy(GdiApi& gdi) : bitmap(gdi), palette(gdi) {}
    GdiObject bitmap;
    GdiObject palette;
    NativeHandle pictureBitmap = 0;
    NativeHandle picturePalette = 0;
};

// Copies the area from the source context into a new bitmap of its format
// (with the system palette on a palette display), blackens what no monitor
// shows and draws the cursor where asked. The source stays the caller's;
// the memory context is gone on return.
void CopyArea(GdiApi& gdi, NativeHandle source, std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height, const std::vector<Rect32>& blackOut, bool withCursor, Copy& copy) {
    LogPalette256 paletteBuffer{};  // zero-filled for every call
    MemoryDc memory(gdi, source);
    copy.bitmap.Reset(gdi.CreateCompatibleBitmap(source, width, height));
    // No memory for a picture this large (8K), or no screen to match.
    if (copy.bitmap.Get() == 0) throw CaptureError(L"画面を写す画像を作れませんでした。");
    BitmapSelection bitmapSelection(gdi, memory.Get(), copy.bitmap.Get());

    const int rasterCaps = gdi.GetDeviceCaps(source, gdi::kRasterCaps) & gdi::kRcPalette;
    const int paletteSize = gdi.GetDeviceCaps(source, gdi::kSizePalette);
    const bool withPalette = UsesSystemPalette(rasterCaps, paletteSize);

    PaletteSelection paletteSelection(gdi, memory.Get());
    if (withPalette) {
        paletteBuffer.version = gdi::kPaletteVersion;
        paletteBuffer.count = 256;
        gdi.GetSystemPaletteEntries(source, 0, 256, paletteBuffer.entries);
        copy.palette.Reset(gdi.CreatePalette(paletteBuffer));
        paletteSelection.Select(copy.palette.Get());
        gdi.RealizePalette(memory.Get());
    }

    // Refused while the secure desktop (lock screen, elevation prompt)
    // is in front: the bitmap would hold nothing of the screen.
    if (!gdi.BitBlt(memory.Get(), 0, 0, width, height, source, left, top, gdi::kSrcCopy)) {
        throw CaptureError(L"画面を写せませんでした。");
    }
    // What no monitor shows reads as whatever the copy left there.
    for (const Rect32& part : blackOut) {
        gdi.PatBlt(memory.Get(), part.left - left, part.top - top, part.right - part.left, part.bottom - part.top,
                   gdi::kBlackness);
    }
    // The copy never holds the pointer, which the system lays over the
    // screen rather than into it; drawn last, nothing paints over it.
    if (withCursor) DrawCursor(gdi, memory.Get(), left, top);

    copy.pictureBitmap = bitmapSelection.Restore();
    if (withPalette) copy.picturePalette = paletteSelection.Restore();
    memory.Delete();
}

// The picture is built from what the re-selections gave back, which on
// every sane run are the handles made for it. Whatever was made but not
// handed over stays the copy's and goes with it.
PicturePtr PictureOf(GdiApi& gdi, Copy& copy) {
    if (copy.bitmap.Get() == copy.pictureBitmap) copy.bitmap.Release();
    if (copy.palette.Get() == copy.picturePalette) copy.palette.Release();
    PicturePtr picture = PictureFromBitmap(gdi, copy.pictureBitmap, copy.picturePalette);
    if (!picture) throw CaptureError(L"写した画面から画像を作れませんでした。");
    return picture;
}

}  // namespace

PicturePtr CaptureArea(GdiApi& gdi, NativeHandle window, bool clientArea, std::int32_t left,
                       std::int32_t top, std::int32_t width, std::int32_t height,
                       const std::vector<Rect32>& blackOut, bool withCursor) {
    // Declared before the device context so that, on a failure, the bitmap
    // and palette are deleted only after they have been selected out.
    Copy copy(gdi);
    {
        SourceDc source(gdi, window, clientArea);
        CopyArea(gdi, source.Get(), left, top, width, height, blackOut, withCursor, copy);
        source.Release();
    }
    return PictureOf(gdi, copy);
}

PicturePtr CropPicture(GdiApi& gdi, const Picture& picture, const Rect32& part) {
    Copy copy(gdi);
    {
        SourceDc screen(gdi, 0, true);  // for the bitmap's format
        MemoryDc source(gdi, screen.Get());
        BitmapSelection selected(gdi, source.Get(), picture.Bitmap());
        PaletteSelection paletteSelected(gdi, source.Get());
        if (picture.Palette() != 0) {
            paletteSelected.Select(picture.Palette());
            gdi.RealizePalette(source.Get());
        }
        CopyArea(gdi, source.Get(), part.left, part.top, part.right - part.left, part.bottom - part.top, {}, false,
                 copy);
        paletteSelected.Restore();
        selected.Restore();
        source.Delete();
        screen.Release();
    }
    return PictureOf(gdi, copy);
}

PicturePtr CaptureRegion(GdiApi& gdi, const Rect32& region, bool withCursor) {
    const Rect32 screen = gdi.VirtualScreen();
    const Rect32 shown = Intersection(region, screen);
    if (shown.Empty()) throw CaptureError(L"前回の範囲が画面の外にあります。");
    return CaptureArea(gdi, 0, true, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
                       UncoveredParts(shown, gdi.MonitorRects()), withCursor);
}

PicturePtr CaptureFullScreen(GdiApi& gdi, const ScreenTwips& screen, bool withCursor) {
    const std::int32_t left = PixelsFromTwips(screen.left, screen.twipsPerPixelX);
    const std::int32_t top = PixelsFromTwips(screen.top, screen.twipsPerPixelY);
    const std::int32_t width = PixelsFromTwips(screen.width, screen.twipsPerPixelX);
    const std::int32_t height = PixelsFromTwips(screen.height, screen.twipsPerPixelY);
    const Rect32 box{left, top, static_cast<std::int32_t>(std::int64_t{left} + width),
                     static_cast<std::int32_t>(std::int64_t{top} + height)};
    return CaptureArea(gdi, 0, true, left, top, width, height, UncoveredParts(box, gdi.MonitorRects()),
                       withCursor);
}

PicturePtr CaptureForegroundWindow(GdiApi& gdi, bool withCursor) {
    return CaptureWindow(gdi, gdi.GetForegroundWindow(), withCursor);
}

PicturePtr CaptureWindow(GdiApi& gdi, NativeHandle window, bool withCursor) {
    if (window == 0) throw CaptureError(L"手前にウィンドウがありません。");
    // With the compositor, the window's rectangle takes in resize borders
    // nobody sees; its frame bounds are what the screen shows.
    Rect32 bounds{};
    if (!gdi.GetExtendedFrameBounds(window, bounds) && !gdi.GetWindowRect(window, bounds)) {
        throw CaptureError(L"手前のウィンドウの位置を読み取れません。");
    }
    const Rect32 shown = Intersection(bounds, gdi.VirtualScreen());
    if (shown.Empty()) {
        throw CaptureError(L"手前のウィンドウが画面の外にあります。");
    }
    // From the screen, as it shows the window: its own device context reads
    // black where the window draws through DirectX and has no frame the
    // compositor draws.
    return CaptureArea(gdi, 0, true, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
                       UncoveredParts(shown, gdi.MonitorRects()), withCursor);
}

PicturePtr PictureFromBitmap(GdiApi& gdi, NativeHandle bitmap, NativeHandle palette) {
    GdiObject bitmapOwner(gdi, bitmap);
    GdiObject paletteOwner(gdi, palette);
    PictDesc desc;
    desc.bitmap = bitmap;
    desc.palette = palette;
    PicturePtr picture = gdi.OleCreatePictureIndirect(desc, true);
    if (picture) {
        bitmapOwner.Release();
        paletteOwner.Release();
    }
    return picture;
}

}  // namespace scrimble::mdlCapture
