#include "imaging/picture_file_win32.h"

#include <windows.h>

#include "imaging/bmp_writer_win32.h"
#include "imaging/wic_encoder_win32.h"

namespace scrimble {
namespace {

bool Write(const std::wstring& path, const char* data, size_t size, ExistingFile existing) {
    if (existing == ExistingFile::Keep) return CreateFileContents(path, data, size);
    ReplaceFileContents(path, data, size);
    return true;
}

}  // namespace

bool SavePicture(const Picture& picture, const std::wstring& path, PictureFormat format, ExistingFile existing) {
    // The claim at the end decides; this look only spares the encoding.
    if (existing == ExistingFile::Keep && ::GetFileAttributesW(ReachablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    // Encoded whole in memory first: an encoding failure is the picture's,
    // and leaves the file alone.
    const auto bitmap = reinterpret_cast<HBITMAP>(picture.Bitmap());
    const auto palette = reinterpret_cast<HPALETTE>(picture.Palette());
    if (format == PictureFormat::Bmp) {
        const BmpFileImage image = EncodePictureAsBmp(bitmap, palette);
        return Write(path, reinterpret_cast<const char*>(image.bytes.get()), image.size, existing);
    }
    const std::string bytes = EncodePictureWithWic(bitmap, palette, format);
    return Write(path, bytes.data(), bytes.size(), existing);
}

}  // namespace scrimble
