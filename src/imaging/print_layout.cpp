#include "imaging/print_layout.h"

namespace scrimble {

Rect32 FitCentred(std::int32_t pictureWidth, std::int32_t pictureHeight, const Rect32& area,
                  std::int32_t dotsPerInchX, std::int32_t dotsPerInchY) {
    const std::int64_t areaWidth = std::int64_t{area.right} - area.left;
    const std::int64_t areaHeight = std::int64_t{area.bottom} - area.top;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0 || dotsPerInchX <= 0 ||
        dotsPerInchY <= 0) {
        return Rect32{};
    }
    // The picture in device pixels at one of its pixels to a square inch of
    // the page: the proportions the page must keep.
    const std::int64_t shapeWidth = std::int64_t{pictureWidth} * dotsPerInchX;
    const std::int64_t shapeHeight = std::int64_t{pictureHeight} * dotsPerInchY;
    // Compared as products, so no rounding picks the wrong side.
    std::int64_t width = areaWidth;
    std::int64_t height = areaWidth * shapeHeight / shapeWidth;
    if (areaWidth * shapeHeight > areaHeight * shapeWidth) {
        height = areaHeight;
        width = areaHeight * shapeWidth / shapeHeight;
    }
    const std::int64_t left = area.left + (areaWidth - width) / 2;
    const std::int64_t top = area.top + (areaHeight - height) / 2;
    return Rect32{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + width),
                  static_cast<std::int32_t>(top + height)};
}

}  // namespace scrimble
