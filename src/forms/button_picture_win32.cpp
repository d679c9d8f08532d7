#include "forms/button_picture_win32.h"

#include <algorithm>

#include "platform/win32_handles.h"

namespace scrimble::win32 {

namespace {

constexpr COLORREF kBackground = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// With a monochrome source drawn in black text on white: the brush where the
// source is black, the destination left alone where it is white.
constexpr DWORD kPaintWhereMaskIsBlack = 0x00B8074A;

// The colours and the stretching mode of a DC, put back on exit.
class DrawingState {
public:
    DrawingState(HDC dc, COLORREF text, COLORREF back, int stretchMode)
        : dc_(dc), text_(::SetTextColor(dc, text)), back_(::SetBkColor(dc, back)),
          stretchMode_(::SetStretchBltMode(dc, stretchMode)) {}
    ~DrawingState() {
        ::SetTextColor(dc_, text_);
        ::SetBkColor(dc_, back_);
        if (stretchMode_ != 0) ::SetStretchBltMode(dc_, stretchMode_);
    }
    DrawingState(const DrawingState&) = delete;
    DrawingState& operator=(const DrawingState&) = delete;

private:
    HDC dc_;
    COLORREF text_;
    COLORREF back_;
    int stretchMode_;
};

// The raised edge that DrawFrameControl gives a push button, each side.
constexpr int kButtonEdge = 2;

}  // namespace

int PictureScale(int buttonWidth, int buttonHeight, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
    const int across = (buttonWidth - 2 * kButtonEdge) / pictureWidth;
    const int down = (buttonHeight - 2 * kButtonEdge) / pictureHeight;
    return std::max(1, std::min(across, down));
}

void DrawButtonPicture(HDC dc, int x, int y, int width, int height, HBITMAP picture, int sourceWidth,
                       int sourceHeight, bool disabled) {
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    UniqueMemoryDc mask(::CreateCompatibleDC(dc));
    UniqueBitmap maskBitmap(::CreateBitmap(sourceWidth, sourceHeight, 1, 1, nullptr));
    if (!source || !mask || !maskBitmap) return;
    Selection selectedPicture(source.get(), picture);
    Selection selectedMask(mask.get(), maskBitmap.get());
    // The mask is white where the picture shows its background, black on its shape.
    ::SetBkColor(source.get(), kBackground);
    ::BitBlt(mask.get(), 0, 0, sourceWidth, sourceHeight, source.get(), 0, 0, SRCCOPY);

    // Whole pixels, never blended, so that mask and picture cover the same
    // pixels at any size. Monochrome pixels come out black (0) and white (1).
    DrawingState state(dc, kBlack, kWhite, COLORONCOLOR);
    if (!disabled) {
        // The shape on black, ORed into the black hole that the mask cuts.
        UniqueMemoryDc shape(::CreateCompatibleDC(dc));
        UniqueBitmap shapeBitmap(::CreateCompatibleBitmap(dc, sourceWidth, sourceHeight));
        if (!shape || !shapeBitmap) return;
        Selection selectedShape(shape.get(), shapeBitmap.get());
        ::BitBlt(shape.get(), 0, 0, sourceWidth, sourceHeight, source.get(), 0, 0, SRCCOPY);
        ::SetTextColor(shape.get(), kWhite);
        ::SetBkColor(shape.get(), kBlack);
        ::BitBlt(shape.get(), 0, 0, sourceWidth, sourceHeight, mask.get(), 0, 0, SRCAND);
        ::StretchBlt(dc, x, y, width, height, mask.get(), 0, 0, sourceWidth, sourceHeight, SRCAND);
        ::StretchBlt(dc, x, y, width, height, shape.get(), 0, 0, sourceWidth, sourceHeight, SRCPAINT);
        return;
    }
    // Greyed, as disabled toolbar buttons look: the highlight one picture
    // pixel down and right, the shadow over it.
    const int offset = std::max(1, width / std::max(1, sourceWidth));
    {
        Selection brush(dc, ::GetSysColorBrush(COLOR_3DHILIGHT));
        ::StretchBlt(dc, x + offset, y + offset, width, height, mask.get(), 0, 0, sourceWidth, sourceHeight,
                     kPaintWhereMaskIsBlack);
    }
    Selection brush(dc, ::GetSysColorBrush(COLOR_3DSHADOW));
    ::StretchBlt(dc, x, y, width, height, mask.get(), 0, 0, sourceWidth, sourceHeight, kPaintWhereMaskIsBlack);
}

}  // namespace scrimble::win32
