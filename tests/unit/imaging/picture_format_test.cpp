#include "imaging/picture_format.h"

#include <gtest/gtest.h>

#include <string>

namespace scrimble {
namespace {

// A typed extension the program knows decides the format, so that the name
// tells the truth about the bytes; the chosen type decides only for a name
// without one, and adds its extension.
TEST(PictureFormat, SaveAsTakesTheTypedExtensionOverTheChosenType) {
    const struct { std::wstring typed; PictureFormat chosen; std::wstring path; PictureFormat format; } cases[] = {
        {L"shot", PictureFormat::Png, L"shot.png", PictureFormat::Png},
        {L"shot", PictureFormat::Jpeg, L"shot.jpg", PictureFormat::Jpeg},
        {L"shot.jpg", PictureFormat::Png, L"shot.jpg", PictureFormat::Jpeg},
        {L"shot.JPEG", PictureFormat::Bmp, L"shot.JPEG", PictureFormat::Jpeg},
        {L"shot.PNG", PictureFormat::Bmp, L"shot.PNG", PictureFormat::Png},
        {L"shot.Bmp", PictureFormat::Png, L"shot.Bmp", PictureFormat::Bmp},
        {L"shot.v2", PictureFormat::Png, L"shot.v2.png", PictureFormat::Png},  // no extension of ours
        {L"C:\\my.pics\\shot", PictureFormat::Bmp, L"C:\\my.pics\\shot.bmp", PictureFormat::Bmp},  // a folder's dot
    };
    for (const auto& c : cases) {
        const SaveAsTarget target = SaveAsTargetFor(c.typed, c.chosen);
        EXPECT_EQ(c.path, target.path) << ::testing::PrintToString(c.typed);
        EXPECT_EQ(c.format, target.format) << ::testing::PrintToString(c.typed);
    }
}

// The auto-save list and the settings file name the formats one way.
TEST(PictureFormat, AutoSaveListAndNamesMapOneWay) {
    EXPECT_EQ(PictureFormat::Bmp, AutoSaveFormatAt(0));
    EXPECT_EQ(PictureFormat::Png, AutoSaveFormatAt(1));
    for (int none : {-1, 2}) EXPECT_EQ(PictureFormat::Bmp, AutoSaveFormatAt(none));
    for (const PictureFormat format : kAutoSaveFormats) EXPECT_EQ(format, AutoSaveFormatAt(AutoSaveIndexOf(format)));
    EXPECT_EQ(0, AutoSaveIndexOf(PictureFormat::Jpeg));  // not offered: BMP's place
    EXPECT_EQ(PictureFormat::Png, FormatNamed(L"pNg"));
    EXPECT_EQ(std::nullopt, FormatNamed(L"PNG "));
}

}  // namespace
}  // namespace scrimble
