#include "imaging/picture_format.h"

#include "platform/ascii_case.h"
#include "platform/file_io.h"

namespace scrimble {
namespace {

struct FormatNames {
    const wchar_t* extension;
    const wchar_t* name;
};

// In the enum's order.
constexpr FormatNames kNames[] = {{L".bmp", L"BMP"}, {L".png", L"PNG"}, {L".jpg", L"JPEG"}};

}  // namespace

const wchar_t* ExtensionOf(PictureFormat format) { return kNames[static_cast<int>(format)].extension; }

const wchar_t* NameOf(PictureFormat format) { return kNames[static_cast<int>(format)].name; }

namespace {

// The extension of the name's last part, dot included; "" where it has none.
std::wstring ExtensionOfName(const std::wstring& path) {
    const std::wstring name = path.substr(FolderOf(path).size());
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? L"" : name.substr(dot);
}

}  // namespace

PictureFormat AutoSaveFormatAt(int listIndex) {
    constexpr int count = static_cast<int>(sizeof kAutoSaveFormats / sizeof kAutoSaveFormats[0]);
    return listIndex >= 0 && listIndex < count ? kAutoSaveFormats[listIndex] : PictureFormat::Bmp;
}

int AutoSaveIndexOf(PictureFormat format) {
    int index = 0;
    for (const PictureFormat offered : kAutoSaveFormats) {
        if (offered == format) return index;
        ++index;
    }
    return 0;
}

std::optional<PictureFormat> FormatNamed(const std::wstring& name) {
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Jpeg}) {
        if (AsciiUpperCase(name) == NameOf(format)) return format;
    }
    return std::nullopt;
}

SaveAsTarget SaveAsTargetFor(const std::wstring& typedPath, PictureFormat chosenType) {
    const std::wstring extension = AsciiUpperCase(ExtensionOfName(typedPath));
    if (extension == L".PNG") return {typedPath, PictureFormat::Png};
    if (extension == L".JPG" || extension == L".JPEG") return {typedPath, PictureFormat::Jpeg};
    if (extension == L".BMP") return {typedPath, PictureFormat::Bmp};
    return {typedPath + ExtensionOf(chosenType), chosenType};
}

}  // namespace scrimble
