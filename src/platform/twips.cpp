#include "platform/twips.h"

#include <algorithm>
#include <cmath>

namespace scrimble::twips {

namespace {

double Dpi(unsigned dpi) { return dpi == 0 ? 96.0 : static_cast<double>(dpi); }

}  // namespace

int LayoutToPixels(int twips, unsigned dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * Dpi(dpi) / kTwipsPerInch));
}

int WholeTwipsPerPixel(unsigned dpi) {
    return std::max(1, static_cast<int>(std::lround(kTwipsPerInch / Dpi(dpi))));
}

ScreenTwips ScreenInTwips(int leftPixels, int topPixels, int widthPixels, int heightPixels, unsigned dpi) {
    const int perPixel = WholeTwipsPerPixel(dpi);
    ScreenTwips screen;
    screen.twipsPerPixelX = static_cast<float>(perPixel);
    screen.twipsPerPixelY = static_cast<float>(perPixel);
    // Exact: a float holds every whole number below 2^24.
    screen.left = static_cast<float>(static_cast<double>(leftPixels) * perPixel);
    screen.top = static_cast<float>(static_cast<double>(topPixels) * perPixel);
    screen.width = static_cast<float>(static_cast<double>(widthPixels) * perPixel);
    screen.height = static_cast<float>(static_cast<double>(heightPixels) * perPixel);
    return screen;
}

int PositionToPixels(float twips, unsigned dpi) {
    const double pixels = static_cast<double>(twips) * Dpi(dpi) / kTwipsPerInch;
    if (std::isnan(pixels)) return 0;
    const double limit = kPositionLimitPixels;
    return static_cast<int>(std::lround(std::clamp(pixels, -limit, limit)));
}

float PixelsToPosition(int pixels, unsigned dpi) {
    return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / Dpi(dpi));
}

float ClampPosition(float twips, unsigned dpi) {
    if (std::isnan(twips)) return 0.0f;
    const float limit = PixelsToPosition(kPositionLimitPixels, dpi);
    return std::clamp(twips, -limit, limit);
}

}  // namespace scrimble::twips
