// The file formats a picture is saved in, and the names they go by.
#pragma once

#include <string>

namespace scrimble {

// BMP is written by our own writer, byte for byte as ever; PNG and JPEG by
// the system's codecs.
enum class PictureFormat { Bmp, Png, Jpeg };

// ".bmp", ".png", ".jpg".
const wchar_t* ExtensionOf(PictureFormat format);
// "BMP", "PNG", "JPEG", as messages and the settings file name them.
const wchar_t* NameOf(PictureFormat format);

// The name with the format's extension where it has none at all; a name that
// has one (whatever it is) is left as the user typed it.
std::wstring WithExtension(const std::wstring& name, PictureFormat format);

}  // namespace scrimble
