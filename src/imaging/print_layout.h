// Where a picture goes on a printed page.
#pragma once

#include <cstdint>

#include "platform/rect.h"

namespace scrimble {

// The largest rectangle of the picture's proportions inside the printable
// area, centred in it (device pixels; halves of a pixel to the left and top).
// The picture's pixels are square; the device's may not be (LOGPIXELSX and
// LOGPIXELSY differ), so the proportions are kept in inches. Empty for an
// empty picture or area.
Rect32 FitCentred(std::int32_t pictureWidth, std::int32_t pictureHeight, const Rect32& area,
                  std::int32_t dotsPerInchX = 1, std::int32_t dotsPerInchY = 1);

// Landscape is proposed for a picture wider than high.
inline bool ProposesLandscape(std::int32_t pictureWidth, std::int32_t pictureHeight) {
    return pictureWidth > pictureHeight;
}

}  // namespace scrimble
