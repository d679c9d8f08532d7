// Saving a picture as a file in any of its formats.
#pragma once

#include <string>

#include "imaging/picture.h"
#include "imaging/picture_format.h"
#include "platform/file_io.h"

namespace scrimble {

// Writes the picture. An existing file is replaced only once the new one is
// complete, or kept: then the result is false and nothing is written (a name
// already taken is not even encoded for). Throws PictureEncodeError or
// FileWriteError.
bool SavePicture(const Picture& picture, const std::wstring& path, PictureFormat format,
                 ExistingFile existing = ExistingFile::Replace);

}  // namespace scrimble
