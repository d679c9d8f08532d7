// The file formats a picture is saved in, and the names they go by.
#pragma once

#include <optional>
#include <string>

namespace scrimble {

// BMP is written by our own writer, byte for byte as ever; PNG and JPEG by
// the system's codecs.
enum class PictureFormat { Bmp, Png, Jpeg };

// ".bmp", ".png", ".jpg".
const wchar_t* ExtensionOf(PictureFormat format);
// "BMP", "PNG", "JPEG", as messages and the settings file name them.
const wchar_t* NameOf(PictureFormat format);

// The formats auto-save offers, in the order of its list; a list with none
// chosen (-1), or an index it does not have, saves BMP.
inline constexpr PictureFormat kAutoSaveFormats[] = {PictureFormat::Bmp, PictureFormat::Png};
PictureFormat AutoSaveFormatAt(int listIndex);
// The list index of a format auto-save offers; BMP's for any other.
int AutoSaveIndexOf(PictureFormat format);

// The format a name is given by ("PNG", "bmp", ...: NameOf's in any case);
// nullopt for any other.
std::optional<PictureFormat> FormatNamed(const std::wstring& name);

// What a name typed in a Save As dialog is saved as: a file's extension must
// tell the truth about its bytes. An extension the program knows (.png,
// .jpg, .jpeg, .bmp, in any case) decides the format and the name stays as
// typed; a name without one gets the chosen type's format and extension.
struct SaveAsTarget {
    std::wstring path;
    PictureFormat format;
};
SaveAsTarget SaveAsTargetFor(const std::wstring& typedPath, PictureFormat chosenType);

}  // namespace scrimble
