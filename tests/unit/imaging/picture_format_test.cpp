#include "imaging/picture_format.h"

#include <gtest/gtest.h>

#include <string>

namespace scrimble {
namespace {

// The type chosen in Save As adds its extension only where the name has none.
TEST(PictureFormat, MissingExtensionIsAddedAndATypedOneKept) {
    const struct { std::wstring name; PictureFormat format; std::wstring saved; } cases[] = {
        {L"shot", PictureFormat::Png, L"shot.png"},
        {L"shot", PictureFormat::Jpeg, L"shot.jpg"},
        {L"shot.PNG", PictureFormat::Bmp, L"shot.PNG"},
        {L"shot.jpeg", PictureFormat::Png, L"shot.jpeg"},  // the type decides the encoding, not the name
        {L"C:\\my.pics\\shot", PictureFormat::Bmp, L"C:\\my.pics\\shot.bmp"},  // a dot in a folder is no extension
    };
    for (const auto& c : cases) EXPECT_EQ(c.saved, WithExtension(c.name, c.format));
}

}  // namespace
}  // namespace scrimble
