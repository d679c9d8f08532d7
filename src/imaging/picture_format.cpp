#include "imaging/picture_format.h"

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

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

// The extension of the name's last part, dot included; "" where it has none.
std::wstring ExtensionOfName(const std::wstring& path) {
    const size_t nameStart = path.find_last_of(L"\\/:");
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart)) return L"";
    return path.substr(dot);
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
        if (Folded(name) == Folded(NameOf(format))) return format;
    }
    return std::nullopt;
}

SaveAsTarget SaveAsTargetFor(const std::wstring& typedPath, PictureFormat chosenType) {
    const std::wstring extension = Folded(ExtensionOfName(typedPath));
    if (extension == L".png") return {typedPath, PictureFormat::Png};
    if (extension == L".jpg" || extension == L".jpeg") return {typedPath, PictureFormat::Jpeg};
    if (extension == L".bmp") return {typedPath, PictureFormat::Bmp};
    return {typedPath + ExtensionOf(chosenType), chosenType};
}

}  // namespace scrimble
