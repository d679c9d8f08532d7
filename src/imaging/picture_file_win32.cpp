#include "imaging/picture_file_win32.h"

#include <windows.h>

#include "imaging/bmp_writer_win32.h"
#include "imaging/wic_encoder_win32.h"
#include "platform/file_io.h"

namespace scrimble {

void SavePicture(const Picture& picture, const std::wstring& path, PictureFormat format) {
    if (format == PictureFormat::Bmp) {
        SavePictureAsBmp(picture, path);
        return;
    }
    // Encoded whole in memory first: an encoding failure is the picture's,
    // and leaves the file alone.
    const std::string bytes = EncodePictureWithWic(reinterpret_cast<HBITMAP>(picture.Bitmap()),
                                                   reinterpret_cast<HPALETTE>(picture.Palette()), format);
    ReplaceFileContents(path, bytes);
}

}  // namespace scrimble
