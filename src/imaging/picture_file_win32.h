// Saving a picture as a file in any of its formats.
#pragma once

#include <string>

#include "imaging/picture.h"
#include "imaging/picture_format.h"

namespace scrimble {

// Writes the picture; an existing file is replaced only once the new one is
// complete. Throws PictureEncodeError or FileWriteError.
void SavePicture(const Picture& picture, const std::wstring& path, PictureFormat format);

}  // namespace scrimble
