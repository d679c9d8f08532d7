// The pictures on the window's buttons, drawn with gdi32 alone.
#pragma once

#include <windows.h>

namespace scrimble::win32 {

// The largest whole scale at which a picture fits inside a button of that
// size, its raised edge left free; at least 1. Whole pixels keep pixel art
// crisp: the button's size follows the DPI, and so does the scale.
int PictureScale(int buttonWidth, int buttonHeight, int pictureWidth, int pictureHeight);

// Draws the picture, sourceWidth x sourceHeight pixels, stretched over the
// rectangle at (x, y) of width x height pixels. Its light-grey background
// (RGB 192, 192, 192) lets the button show through. A disabled picture shows
// only its shape, embossed in the system's highlight and shadow colours.
void DrawButtonPicture(HDC dc, int x, int y, int width, int height, HBITMAP picture, int sourceWidth,
                       int sourceHeight, bool disabled);

}  // namespace scrimble::win32
