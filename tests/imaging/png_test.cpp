// PNG decoding: the format each kind of PNG becomes, and its pixels against libpng's own
// expansion.
#include "imaging/codecs.h"
#include "png_expect.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <zlib.h>

namespace {

struct PngCase {
    const char* name;
    samples::PngOptions options;
    PixelFormat format;
};

class PngVariants : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngVariants, DecodeToTheirFormatWithTheRightPixels) {
    const samples::Bytes png = samples::makePng(GetParam().options);
    Bitmap b;
    pngData2Bitmap(png, b);
    EXPECT_EQ(b.pixelFormat(), GetParam().format);
    expectPngDecode(b, png);
}

const std::vector<std::uint32_t> TestPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x102030};

INSTANTIATE_TEST_SUITE_P(
    Kinds, PngVariants,
    ::testing::Values(
        PngCase{"grey1", {.colorType = 0, .bitDepth = 1}, PixelFormat::Bits1},
        PngCase{"grey2", {.colorType = 0, .bitDepth = 2}, PixelFormat::Bits4},
        PngCase{"grey2Interlaced",
                {.colorType = 0, .bitDepth = 2, .interlace = true},
                PixelFormat::Bits4},
        PngCase{"grey4", {.colorType = 0, .bitDepth = 4}, PixelFormat::Bits4},
        PngCase{"grey8", {.colorType = 0, .bitDepth = 8}, PixelFormat::Bits24},
        PngCase{"grey16", {.colorType = 0, .bitDepth = 16}, PixelFormat::Bits24},
        PngCase{
            "greyTrns", {.colorType = 0, .bitDepth = 8, .trnsColor = true}, PixelFormat::Bits24},
        PngCase{"rgb8", {.colorType = 2, .bitDepth = 8}, PixelFormat::Bits24},
        PngCase{"rgb16Interlaced",
                {.colorType = 2, .bitDepth = 16, .interlace = true},
                PixelFormat::Bits24},
        PngCase{
            "rgbTrns", {.colorType = 2, .bitDepth = 16, .trnsColor = true}, PixelFormat::Bits24},
        PngCase{"palette1",
                {.colorType = 3, .bitDepth = 1, .palette = {0x112233, 0xFFEEDD}},
                PixelFormat::Bits1},
        PngCase{
            "palette2", {.colorType = 3, .bitDepth = 2, .palette = {1, 2, 3}}, PixelFormat::Bits4},
        PngCase{"palette4",
                {.colorType = 3, .bitDepth = 4, .palette = TestPalette},
                PixelFormat::Bits4},
        PngCase{"palette8",
                {.colorType = 3, .bitDepth = 8, .palette = TestPalette},
                PixelFormat::Bits8},
        PngCase{"palette8Interlaced",
                {.colorType = 3, .bitDepth = 8, .interlace = true, .palette = TestPalette},
                PixelFormat::Bits8},
        PngCase{"paletteBinaryTrns",
                {.colorType = 3, .bitDepth = 8, .palette = TestPalette, .trns = {0, 255, 0}},
                PixelFormat::Bits8},
        PngCase{"palettePartialTrns",
                {.colorType = 3, .bitDepth = 4, .palette = TestPalette, .trns = {0, 100, 255}},
                PixelFormat::Bits32},
        PngCase{"greyAlpha8", {.colorType = 4, .bitDepth = 8}, PixelFormat::Bits32},
        PngCase{"greyAlpha16", {.colorType = 4, .bitDepth = 16}, PixelFormat::Bits32},
        PngCase{"rgba8", {.colorType = 6, .bitDepth = 8}, PixelFormat::Bits32},
        PngCase{"rgba16Interlaced",
                {.colorType = 6, .bitDepth = 16, .interlace = true},
                PixelFormat::Bits32},
        PngCase{"oddSizeInterlaced",
                {.width = 1, .height = 7, .colorType = 6, .bitDepth = 8, .interlace = true},
                PixelFormat::Bits32}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Png, AlphaIsPremultipliedOverTransparentBlack) {
    const samples::Bytes png = samples::makePng({.width = 20, .height = 4, .colorType = 6});
    Bitmap b;
    pngData2Bitmap(png, b);
    ASSERT_TRUE(b.hasAlpha());
    bool sawTransparent = false;
    for (int x = 0; x < 20; ++x) {
        const std::uint8_t* p = b.scanLine(1) + 4 * x;
        EXPECT_LE(p[0], p[3]);
        EXPECT_LE(p[1], p[3]);
        EXPECT_LE(p[2], p[3]);
        if (p[3] == 0) {
            sawTransparent = true;
            EXPECT_EQ(p[0] | p[1] | p[2], 0);
        }
    }
    EXPECT_TRUE(sawTransparent);
}

std::uint32_t crcOf(const std::uint8_t* p, std::size_t n) {
    return static_cast<std::uint32_t>(crc32(0, p, static_cast<uInt>(n)));
}

TEST(Png, DamagedFilesFail) {
    const samples::Bytes png = samples::makePng({.width = 40, .height = 30, .colorType = 2});
    Bitmap b;
    for (std::size_t keep :
         {std::size_t(0), std::size_t(8), std::size_t(30), png.size() / 2, png.size() - 13})
        EXPECT_THROW(pngData2Bitmap(std::span(png.data(), keep), b), ImageError) << keep;
    samples::Bytes badType = png;
    badType[25] = 5; // no such colour type
    const std::uint32_t crc = crcOf(&badType[12], 17);
    badType[29] = static_cast<std::uint8_t>(crc >> 24);
    badType[30] = static_cast<std::uint8_t>(crc >> 16);
    badType[31] = static_cast<std::uint8_t>(crc >> 8);
    badType[32] = static_cast<std::uint8_t>(crc);
    EXPECT_THROW(pngData2Bitmap(badType, b), ImageError);
}

// Chunk checksums: a damaged chunk is refused, except in the fuzz build, which reads on so
// that fuzzed bytes reach the decoding behind the first chunk.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool ChecksumsIgnored = true;
#else
constexpr bool ChecksumsIgnored = false;
#endif

// Offset of the checksum of the first chunk of that type.
std::size_t chunkChecksum(const samples::Bytes& png, const char* type) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t(png[at]) << 24 | std::size_t(png[at + 1]) << 16 |
                                   std::size_t(png[at + 2]) << 8 | png[at + 3];
        if (std::equal(type, type + 4, png.begin() + static_cast<std::ptrdiff_t>(at + 4)))
            return at + 8 + length;
        at += 12 + length;
    }
    ADD_FAILURE() << "no " << type << " chunk";
    return 0;
}

TEST(Png, DamagedChunkChecksums) {
    const samples::Bytes png = samples::makePng({.width = 40, .height = 30, .colorType = 2});
    for (const char* chunk : {"IHDR", "IDAT"}) {
        samples::Bytes damaged = png;
        damaged[chunkChecksum(damaged, chunk)] ^= 0x5A;
        Bitmap b;
        if (ChecksumsIgnored) {
            EXPECT_NO_THROW(pngData2Bitmap(damaged, b)) << chunk;
            expectPngDecode(b, png);
        } else {
            EXPECT_THROW(pngData2Bitmap(damaged, b), ImageError) << chunk;
        }
    }
}

TEST(Png, PictureBeyondTheRasterLimitIsRefused) {
    samples::Bytes png = samples::makePng({.width = 4, .height = 4, .colorType = 2});
    // 1,000,000 x 1,000,000 in the IHDR, with a correct checksum.
    for (int i : {16, 20}) {
        png[i] = 0x00;
        png[i + 1] = 0x0F;
        png[i + 2] = 0x42;
        png[i + 3] = 0x40;
    }
    const std::uint32_t crc = crcOf(&png[12], 17);
    png[29] = static_cast<std::uint8_t>(crc >> 24);
    png[30] = static_cast<std::uint8_t>(crc >> 16);
    png[31] = static_cast<std::uint8_t>(crc >> 8);
    png[32] = static_cast<std::uint8_t>(crc);
    Bitmap b;
    EXPECT_THROW(pngData2Bitmap(png, b), ImageError);
}

} // namespace
