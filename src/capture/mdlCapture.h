// The capture engine: copies an area of a window's device context into a new
// bitmap of the source's own format (with a copy of the system palette on a
// 256-colour palette display) and wraps it in a picture that owns it.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/gdi_api.h"
#include "imaging/picture.h"
#include "services/services.h"

namespace scrimble::mdlCapture {

// Copies width x height pixels from (left, top) of the window's client-area
// device context (clientArea; window 0 is the screen) or whole-window device
// context. CaptureFailed when no bitmap can be made, the copy is refused or
// no picture object can be made. Every device context taken is given back on
// every path, and no bitmap or palette is left behind when this fails.
// The parts of the area named in `blackOut` (screen coordinates) are painted
// black after the copy. With `withCursor`, the mouse cursor is then drawn in
// as it looks at that moment, its hot spot on the pointer's place (screen
// coordinates; the area's origin is (left, top)); the standard arrow stands in
// for a cursor that cannot be drawn. A hidden cursor, or one that cannot be
// drawn at all, leaves the picture without it and never fails the capture.
PicturePtr CaptureArea(GdiApi& gdi, NativeHandle window, bool clientArea, std::int32_t left,
                       std::int32_t top, std::int32_t width, std::int32_t height,
                       const std::vector<Rect32>& blackOut = {}, bool withCursor = false);

// The whole desktop, every monitor, from the screen: the virtual screen in
// twips, each value rounded to the nearest integer (halves to even), then
// divided by twips per pixel with truncation; what no monitor shows is black.
// OverflowError for a value outside 32 bits, CaptureFailed when a
// twips-per-pixel value rounds to zero. `withCursor` as for CaptureArea.
PicturePtr CaptureFullScreen(GdiApi& gdi, const ScreenTwips& screen, bool withCursor = false);

// The foreground window as the screen shows it, title bar and frame included:
// its frame bounds where the compositor tells them, else its rectangle, cut
// to the virtual screen and copied from the screen. CaptureFailed, before any
// device context is taken, without a foreground window, without bounds, or
// when none of it lies on the virtual screen. `withCursor` as for CaptureArea.
PicturePtr CaptureForegroundWindow(GdiApi& gdi, bool withCursor = false);
// The same for a window named by its handle.
PicturePtr CaptureWindow(GdiApi& gdi, NativeHandle window, bool withCursor = false);

// A part of a picture (in its pixels, 0, 0 its top left) as a picture of its
// own, in the screen's format: the region cut from the frozen screen.
PicturePtr CropPicture(GdiApi& gdi, const Picture& picture, const Rect32& part);

// A rectangle of the virtual screen taken anew, cut to the screen, black
// where no monitor shows it; CaptureFailed where none of it is on the screen
// (its monitor gone).
PicturePtr CaptureRegion(GdiApi& gdi, const Rect32& region, bool withCursor = false);

// Takes both handles (palette 0 = none): the picture owns them, or, when no
// picture can be made, they are deleted here. Null in that case.
PicturePtr PictureFromBitmap(GdiApi& gdi, NativeHandle bitmap, NativeHandle palette);

}  // namespace scrimble::mdlCapture
