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

std::wstring WithExtension(const std::wstring& name, PictureFormat format) {
    const size_t nameStart = name.find_last_of(L"\\/:");
    const size_t dot = name.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart) &&
                              dot + 1 < name.size();
    return hasExtension ? name : name + ExtensionOf(format);
}

}  // namespace scrimble
