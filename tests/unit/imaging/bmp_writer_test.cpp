#include "imaging/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "support/test_util.h"

namespace scrimble {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t LittleEndian(const Bytes& file, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | file[at + i];
    return value;
}

TEST(PlanBmp, PadsRowsToFourBytesAndPutsTheColourTableBeforeThePixels) {
    struct Case {
        std::int32_t width, height;
        int bits;
        std::uint32_t stride, paletteBytes, pixelOffset, pixelBytes, fileSize;
    };
    const Case cases[] = {
        {3, 2, 24, 12, 0, 54, 24, 78},  // 9 bytes of pixels, 3 of padding
        {5, 3, 8, 8, 1024, 1078, 24, 1102},
        {1, 1, 24, 4, 0, 54, 4, 58},
        {1, 1, 8, 4, 1024, 1078, 4, 1082},
        {1024, 768, 24, 3072, 0, 54, 2359296, 2359350},
        {1024, 768, 8, 1024, 1024, 1078, 786432, 787510},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        const BmpLayout layout = PlanBmp(c.width, c.height, c.bits);
        EXPECT_EQ(c.stride, layout.rowStride);
        EXPECT_EQ(54u, layout.paletteOffset);
        EXPECT_EQ(c.paletteBytes, layout.paletteBytes);
        EXPECT_EQ(c.pixelOffset, layout.pixelOffset);
        EXPECT_EQ(c.pixelBytes, layout.pixelBytes);
        EXPECT_EQ(c.fileSize, layout.fileSize);
    }
    const std::uint32_t stride24[] = {4, 8, 12, 12, 16, 20, 24, 24};
    const std::uint32_t stride8[] = {4, 4, 4, 4, 8, 8, 8, 8};
    for (int width = 1; width <= 8; ++width) {
        EXPECT_EQ(stride24[width - 1], PlanBmp(width, 1, 24).rowStride) << "width " << width;
        EXPECT_EQ(stride8[width - 1], PlanBmp(width, 1, 8).rowStride) << "width " << width;
    }
}

TEST(PlanBmp, RejectsOtherDepthsEmptySizesAndFilesBeyond32Bits) {
    for (const auto& [width, height, bits] :
         {std::tuple{4, 4, 32}, {4, 4, 16}, {4, 4, 0}, {0, 4, 24}, {4, 0, 24}, {-4, 4, 24}}) {
        EXPECT_THROW(PlanBmp(width, height, bits), std::invalid_argument) << width << "x" << height << "x" << bits;
    }
    // 3 * 1431655746 = 4294967238 bytes, padded to 4294967240; plus 54 of headers.
    EXPECT_EQ(4294967294u, PlanBmp(1431655746, 1, 24).fileSize);
    EXPECT_EQ(6, test::ErrorNumberOf([] { PlanBmp(1431655747, 1, 24); }));
    EXPECT_EQ(6, test::ErrorNumberOf([] { PlanBmp(65536, 65536, 24); }));
}

TEST(WriteBmpHeaders, WritesBothHeadersFieldByField) {
    struct Field { std::size_t offset; int size; std::uint32_t trueColour, palette; };
    const Field fields[] = {
        {0, 2, 0x4D42, 0x4D42}, {2, 4, 78, 1102}, {6, 4, 0, 0}, {10, 4, 54, 1078},  // BM, size, reserved, pixels
        {14, 4, 40, 40}, {18, 4, 3, 5}, {22, 4, 2, 3}, {26, 2, 1, 1},  // header size, width, height (up), planes
        {28, 2, 24, 8}, {30, 4, 0, 0}, {34, 4, 24, 24},               // bits per pixel, uncompressed, image size
        {38, 4, 0, 0}, {42, 4, 0, 0}, {46, 4, 0, 256}, {50, 4, 0, 0},  // no resolution, colours used, all matter
    };
    PaletteEntry palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i ^ 0x55), 0x04};

    const BmpLayout trueColour = PlanBmp(3, 2, 24);
    const BmpLayout eightBit = PlanBmp(5, 3, 8);
    Bytes first(trueColour.fileSize, 0xCD), second(eightBit.fileSize, 0xCD);
    WriteBmpHeaders(first.data(), trueColour, palette);  // no colour table: the palette is not used
    WriteBmpHeaders(second.data(), eightBit, palette);
    for (const Field& f : fields) {
        EXPECT_EQ(f.trueColour, LittleEndian(first, f.offset, f.size)) << "offset " << f.offset;
        EXPECT_EQ(f.palette, LittleEndian(second, f.offset, f.size)) << "offset " << f.offset;
    }
    // The colour table holds blue, green, red, 0: GDI's flags have no place in a file.
    for (std::uint32_t i = 0; i < 256; ++i) {
        const std::uint32_t expected = palette[i].blue | palette[i].green << 8 | palette[i].red << 16;
        ASSERT_EQ(expected, LittleEndian(second, 54 + 4 * i, 4)) << "entry " << i;
    }
    // The pixels are not the headers' business.
    EXPECT_EQ(Bytes(first.begin() + 54, first.end()), Bytes(24, 0xCD));
    EXPECT_EQ(Bytes(second.begin() + 1078, second.end()), Bytes(24, 0xCD));
}

TEST(WriteBmpHeaders, WithoutPaletteTheColourTableIsLeftAlone) {
    const BmpLayout layout = PlanBmp(2, 2, 8);
    Bytes file(layout.fileSize, 0xCD);
    WriteBmpHeaders(file.data(), layout, nullptr);
    EXPECT_EQ(256u, LittleEndian(file, 46, 4));
    EXPECT_EQ(Bytes(file.begin() + 54, file.end()), Bytes(file.size() - 54, 0xCD));
}

TEST(ClearRowPadding, ZeroesOnlyThePaddingOfEachRow) {
    const auto padded = [](std::int32_t width, std::int32_t height, int bits) {
        const BmpLayout layout = PlanBmp(width, height, bits);
        Bytes file(layout.fileSize, 0xAB);
        ClearRowPadding(file.data(), layout);
        EXPECT_EQ(Bytes(layout.pixelOffset, 0xAB), Bytes(file.begin(), file.begin() + layout.pixelOffset));
        return Bytes(file.begin() + layout.pixelOffset, file.end());
    };
    const Bytes row24 = {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0};
    Bytes twoRows24 = row24;
    twoRows24.insert(twoRows24.end(), row24.begin(), row24.end());
    EXPECT_EQ(twoRows24, padded(3, 2, 24));
    EXPECT_EQ((Bytes{0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0}), padded(5, 1, 8));
    EXPECT_EQ(Bytes(36, 0xAB), padded(4, 3, 24));  // no padding
}

}  // namespace
}  // namespace scrimble
