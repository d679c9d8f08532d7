#include "platform/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/errors.h"

namespace scrimble {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U16(const Bytes& file, std::size_t at) { return file[at] | (file[at + 1] << 8); }

std::uint32_t U32(const Bytes& file, std::size_t at) {
    return static_cast<std::uint32_t>(file[at]) | (static_cast<std::uint32_t>(file[at + 1]) << 8) |
           (static_cast<std::uint32_t>(file[at + 2]) << 16) | (static_cast<std::uint32_t>(file[at + 3]) << 24);
}

std::int32_t I32(const Bytes& file, std::size_t at) { return static_cast<std::int32_t>(U32(file, at)); }

Bytes FileWithHeaders(const BmpLayout& layout, const PaletteEntry* palette) {
    Bytes file(layout.fileSize, 0xCD);
    WriteBmpHeaders(file.data(), layout, palette);
    return file;
}

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Reads a pixel the way an image viewer would: from the headers alone.
// (x, y) counts from the top-left corner.
Rgb DecodePixel(const Bytes& file, int x, int y) {
    const std::uint32_t offset = U32(file, 10);
    const std::int32_t width = I32(file, 18);
    const std::int32_t height = I32(file, 22);
    const std::uint32_t bits = U16(file, 28);
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bits + 31) / 32 * 4;
    const std::size_t row = offset + static_cast<std::size_t>(height - 1 - y) * stride;
    if (bits == 24) {
        const std::size_t at = row + static_cast<std::size_t>(x) * 3;
        return {file[at + 2], file[at + 1], file[at]};
    }
    const std::size_t table = 14 + U32(file, 14);
    const std::size_t entry = table + 4u * file[row + x];
    return {file[entry + 2], file[entry + 1], file[entry]};
}

// --- PlanBmp -----------------------------------------------------------------

TEST(PlanBmp, TrueColourRowsArePaddedToFourBytes) {
    const BmpLayout layout = PlanBmp(3, 2, 24);
    EXPECT_EQ(layout.rowStride, 12u);  // 9 bytes of pixels, 3 of padding
    EXPECT_EQ(layout.pixelBytes, 24u);
    EXPECT_EQ(layout.paletteBytes, 0u);
    EXPECT_EQ(layout.pixelOffset, 54u);
    EXPECT_EQ(layout.fileSize, 78u);
}

TEST(PlanBmp, StrideFollowsTheWidth) {
    const std::uint32_t expected24[] = {4, 8, 12, 12, 16, 20, 24, 24};
    const std::uint32_t expected8[] = {4, 4, 4, 4, 8, 8, 8, 8};
    for (int width = 1; width <= 8; ++width) {
        EXPECT_EQ(PlanBmp(width, 1, 24).rowStride, expected24[width - 1]) << "width " << width;
        EXPECT_EQ(PlanBmp(width, 1, 8).rowStride, expected8[width - 1]) << "width " << width;
    }
}

TEST(PlanBmp, PaletteImageKeepsItsColourTableBeforeThePixels) {
    const BmpLayout layout = PlanBmp(5, 3, 8);
    EXPECT_EQ(layout.rowStride, 8u);
    EXPECT_EQ(layout.paletteOffset, 54u);
    EXPECT_EQ(layout.paletteBytes, 1024u);
    EXPECT_EQ(layout.pixelOffset, 1078u);
    EXPECT_EQ(layout.fileSize, 1078u + 24u);
}

TEST(PlanBmp, SinglePixel) {
    EXPECT_EQ(PlanBmp(1, 1, 24).fileSize, 58u);
    EXPECT_EQ(PlanBmp(1, 1, 8).fileSize, 1082u);
}

TEST(PlanBmp, ScreenSizedImage) {
    const BmpLayout trueColour = PlanBmp(1024, 768, 24);
    EXPECT_EQ(trueColour.rowStride, 3072u);
    EXPECT_EQ(trueColour.pixelBytes, 2359296u);
    EXPECT_EQ(trueColour.fileSize, 2359350u);
    const BmpLayout palette = PlanBmp(1024, 768, 8);
    EXPECT_EQ(palette.fileSize, 786432u + 1078u);
}

TEST(PlanBmp, RejectsOtherDepthsAndEmptySizes) {
    EXPECT_THROW(PlanBmp(4, 4, 32), std::invalid_argument);
    EXPECT_THROW(PlanBmp(4, 4, 16), std::invalid_argument);
    EXPECT_THROW(PlanBmp(4, 4, 0), std::invalid_argument);
    EXPECT_THROW(PlanBmp(0, 4, 24), std::invalid_argument);
    EXPECT_THROW(PlanBmp(4, 0, 24), std::invalid_argument);
    EXPECT_THROW(PlanBmp(-4, 4, 24), std::invalid_argument);
}

TEST(PlanBmp, LargestFileThatFitsThe32BitSizeField) {
    // 3 * 1431655746 = 4294967238 bytes, padded to 4294967240; plus 54 of headers.
    const BmpLayout layout = PlanBmp(1431655746, 1, 24);
    EXPECT_EQ(layout.fileSize, 4294967294u);
    try {
        PlanBmp(1431655747, 1, 24);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Code(), ErrorCode::Overflow);
    }
    EXPECT_THROW(PlanBmp(65536, 65536, 24), RuntimeError);
}

// --- WriteBmpHeaders -----------------------------------------------------------

TEST(WriteBmpHeaders, TrueColourHeadersByteByByte) {
    const BmpLayout layout = PlanBmp(3, 2, 24);
    const Bytes file = FileWithHeaders(layout, nullptr);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), 78u);   // file size
    EXPECT_EQ(U32(file, 6), 0u);    // both reserved words
    EXPECT_EQ(U32(file, 10), 54u);  // pixels start
    EXPECT_EQ(U32(file, 14), 40u);  // info header size
    EXPECT_EQ(I32(file, 18), 3);
    EXPECT_EQ(I32(file, 22), 2);    // positive: bottom-up
    EXPECT_EQ(U16(file, 26), 1u);   // planes
    EXPECT_EQ(U16(file, 28), 24u);
    EXPECT_EQ(U32(file, 30), 0u);   // uncompressed
    EXPECT_EQ(U32(file, 34), 24u);  // image size
    EXPECT_EQ(U32(file, 38), 0u);
    EXPECT_EQ(U32(file, 42), 0u);
    EXPECT_EQ(U32(file, 46), 0u);   // colours used
    EXPECT_EQ(U32(file, 50), 0u);
    EXPECT_EQ(file[54], 0xCD);      // the pixels are not the headers' business
}

TEST(WriteBmpHeaders, PaletteImageHasAFullColourTableInFileOrder) {
    const BmpLayout layout = PlanBmp(5, 3, 8);
    PaletteEntry palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i].red = static_cast<std::uint8_t>(i);
        palette[i].green = static_cast<std::uint8_t>(255 - i);
        palette[i].blue = static_cast<std::uint8_t>(i ^ 0x55);
        palette[i].flags = 0x04;  // a GDI flag that has no place in a file
    }
    const Bytes file = FileWithHeaders(layout, palette);
    EXPECT_EQ(U32(file, 2), 1102u);
    EXPECT_EQ(U32(file, 10), 1078u);
    EXPECT_EQ(U16(file, 28), 8u);
    EXPECT_EQ(U32(file, 34), 24u);
    EXPECT_EQ(U32(file, 46), 256u);
    for (int i = 0; i < 256; ++i) {
        const std::size_t at = 54 + 4 * i;
        ASSERT_EQ(file[at + 0], palette[i].blue) << "entry " << i;
        ASSERT_EQ(file[at + 1], palette[i].green) << "entry " << i;
        ASSERT_EQ(file[at + 2], palette[i].red) << "entry " << i;
        ASSERT_EQ(file[at + 3], 0) << "entry " << i;
    }
    EXPECT_EQ(file[1078], 0xCD);
}

TEST(WriteBmpHeaders, WithoutPaletteTheColourTableIsLeftAlone) {
    const BmpLayout layout = PlanBmp(2, 2, 8);
    const Bytes file = FileWithHeaders(layout, nullptr);
    EXPECT_EQ(U32(file, 46), 256u);
    for (std::size_t at = 54; at < 1078; ++at) ASSERT_EQ(file[at], 0xCD) << "byte " << at;
}

TEST(WriteBmpHeaders, WritesNothingPastThePixelOffset) {
    const BmpLayout layout = PlanBmp(7, 1, 24);
    Bytes buffer(layout.pixelOffset + 8, 0xEE);
    WriteBmpHeaders(buffer.data(), layout, nullptr);
    for (std::size_t at = layout.pixelOffset; at < buffer.size(); ++at) ASSERT_EQ(buffer[at], 0xEE);
}

TEST(WriteBmpHeaders, WidthAndHeightAreLittleEndian) {
    const BmpLayout layout = PlanBmp(0x0102, 0x0304, 24);
    const Bytes file = FileWithHeaders(layout, nullptr);
    EXPECT_EQ(file[18], 0x02);
    EXPECT_EQ(file[19], 0x01);
    EXPECT_EQ(file[22], 0x04);
    EXPECT_EQ(file[23], 0x03);
}

// --- ClearRowPadding -----------------------------------------------------------

TEST(ClearRowPadding, ZeroesOnlyThePaddingOfEachRow) {
    const BmpLayout layout = PlanBmp(3, 2, 24);
    Bytes file(layout.fileSize, 0xAB);
    ClearRowPadding(file.data(), layout);
    for (std::uint32_t row = 0; row < 2; ++row) {
        const std::size_t start = layout.pixelOffset + row * layout.rowStride;
        for (std::size_t i = 0; i < 9; ++i) ASSERT_EQ(file[start + i], 0xAB) << "row " << row;
        for (std::size_t i = 9; i < 12; ++i) ASSERT_EQ(file[start + i], 0) << "row " << row;
    }
    EXPECT_EQ(file[0], 0xAB);  // headers untouched
}

TEST(ClearRowPadding, PaletteRowsPadAfterTheLastIndex) {
    const BmpLayout layout = PlanBmp(5, 1, 8);
    Bytes file(layout.fileSize, 0xAB);
    ClearRowPadding(file.data(), layout);
    const Bytes row(file.begin() + layout.pixelOffset, file.end());
    EXPECT_EQ(row, (Bytes{0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0}));
}

TEST(ClearRowPadding, RowsWithoutPaddingStayAsTheyAre) {
    const BmpLayout layout = PlanBmp(4, 3, 24);
    Bytes file(layout.fileSize, 0xAB);
    ClearRowPadding(file.data(), layout);
    EXPECT_EQ(file, Bytes(layout.fileSize, 0xAB));
}

// --- A whole file ---------------------------------------------------------------

TEST(BmpFile, TrueColourImageDecodesToItsPixels) {
    // Top-down picture: red green blue / white black grey.
    const Rgb picture[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                               {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
    const BmpLayout layout = PlanBmp(3, 2, 24);
    Bytes file(layout.fileSize, 0xCD);
    WriteBmpHeaders(file.data(), layout, nullptr);
    // Rows as GDI hands them over: bottom row first, blue-green-red.
    for (int y = 0; y < 2; ++y) {
        std::uint8_t* row = file.data() + layout.pixelOffset + (1 - y) * layout.rowStride;
        for (int x = 0; x < 3; ++x) {
            row[3 * x + 0] = picture[y][x].b;
            row[3 * x + 1] = picture[y][x].g;
            row[3 * x + 2] = picture[y][x].r;
        }
    }
    ClearRowPadding(file.data(), layout);
    ASSERT_EQ(file.size(), U32(file, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(DecodePixel(file, x, y), picture[y][x]) << x << "," << y;
    }
    EXPECT_EQ(file[54 + 9], 0);  // padding of the bottom row
}

TEST(BmpFile, PaletteImageDecodesThroughItsColourTable) {
    PaletteEntry palette[256] = {};
    palette[3] = {10, 20, 30, 0};
    palette[200] = {200, 100, 50, 0};
    const BmpLayout layout = PlanBmp(2, 1, 8);
    Bytes file(layout.fileSize, 0xCD);
    WriteBmpHeaders(file.data(), layout, palette);
    file[layout.pixelOffset] = 3;
    file[layout.pixelOffset + 1] = 200;
    ClearRowPadding(file.data(), layout);
    EXPECT_EQ(DecodePixel(file, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(DecodePixel(file, 1, 0), (Rgb{200, 100, 50}));
    EXPECT_EQ(file.size(), U32(file, 2));
}

}  // namespace
}  // namespace scrimble
