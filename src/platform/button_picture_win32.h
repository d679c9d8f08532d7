// The pictures on the window's buttons, drawn with gdi32 alone.
#pragma once

#include <windows.h>

namespace scrimble::win32 {

// Draws the picture, sourceWidth x sourceHeight pixels, stretched over the
// rectangle at (x, y) of width x height pixels. Its light-grey background
// (RGB 192, 192, 192) lets the button show through. A disabled picture shows
// only its shape, embossed in the system's highlight and shadow colours.
void DrawButtonPicture(HDC dc, int x, int y, int width, int height, HBITMAP picture, int sourceWidth,
                       int sourceHeight, bool disabled);

}  // namespace scrimble::win32
