// Twips (1/1440 inch) and pixels: the window's layout, the screen's size as
// the capture reads it and the window's position as the settings keep it,
// converted here alone.
#pragma once

namespace scrimble {

// The screen (the virtual screen, around every monitor) in twips: its
// top-left corner, its size, and twips per pixel, as single-precision values.
struct ScreenTwips {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    float twipsPerPixelX = 0;
    float twipsPerPixelY = 0;
};

}  // namespace scrimble

namespace scrimble::twips {

inline constexpr int kTwipsPerInch = 1440;
// Windows keeps window coordinates within 16 bits; a saved position is held
// inside this many pixels either way, so that no conversion or sum overflows.
inline constexpr int kPositionLimitPixels = 32767;

// A layout length or offset (the window definition's twips) in pixels at the
// window's DPI, to the nearest pixel, halves away from zero (a dpi of 0 counts
// as 96).
int LayoutToPixels(int twips, unsigned dpi);

// Whole twips per pixel nearest to 1440 / dpi, at least 1 (a dpi of 0 counts
// as 96).
int WholeTwipsPerPixel(unsigned dpi);

// The screen in twips for the capture: whole twips per pixel and a corner and
// size that are exact multiples of them, so that rounding each value and
// dividing gives back the pixels at any DPI.
ScreenTwips ScreenInTwips(int leftPixels, int topPixels, int widthPixels, int heightPixels, unsigned dpi);

// A window position in twips as pixels at the given (system) DPI, to the
// nearest pixel, held within the position limit; NaN gives 0.
int PositionToPixels(float twips, unsigned dpi);
// The exact twips of a pixel position, so that PositionToPixels gives the
// pixels back.
float PixelsToPosition(int pixels, unsigned dpi);
// The position itself when it lies within the limit, else the limit it is
// held at (0 for NaN).
float ClampPosition(float twips, unsigned dpi);

}  // namespace scrimble::twips
