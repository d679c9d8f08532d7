// PNG and JPEG through the system's own codecs: Windows Imaging Component,
// a COM server of every Windows since Vista, created at the first use.
#pragma once

#include <windows.h>

#include <string>

#include "imaging/picture_format.h"

namespace scrimble {

// The whole file for the bitmap (and its palette, which a PNG keeps as an
// 8-bit indexed image) in PNG, or in JPEG at quality 90. Throws
// PictureEncodeError when the codec is missing or refuses.
std::string EncodePictureWithWic(HBITMAP bitmap, HPALETTE palette, PictureFormat format);

}  // namespace scrimble
