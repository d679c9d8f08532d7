#include "imaging/print_layout.h"

namespace scrimble {

Rect32 FitCentred(std::int32_t pictureWidth, std::int32_t pictureHeight, const Rect32& area) {
    const std::int64_t areaWidth = std::int64_t{area.right} - area.left;
    const std::int64_t areaHeight = std::int64_t{area.bottom} - area.top;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return Rect32{};
    // Compared as products, so no rounding picks the wrong side.
    std::int64_t width = areaWidth;
    std::int64_t height = areaWidth * pictureHeight / pictureWidth;
    if (areaWidth * pictureHeight > areaHeight * pictureWidth) {
        height = areaHeight;
        width = areaHeight * pictureWidth / pictureHeight;
    }
    const std::int64_t left = area.left + (areaWidth - width) / 2;
    const std::int64_t top = area.top + (areaHeight - height) / 2;
    return Rect32{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + width),
                  static_cast<std::int32_t>(top + height)};
}

}  // namespace scrimble
