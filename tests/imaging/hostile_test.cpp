// Hostile input: damaged variants of valid files never crash, hang or over-allocate; they
// decode or they fail cleanly. (The fuzz targets go much further; this keeps a quick,
// deterministic share of it in every test run, and under the sanitizer build.)
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <random>

namespace {

enum class Kind { Jpeg, Png, Bmp };

void decodeAnyhow(Kind kind, const samples::Bytes& data) {
    Bitmap b;
    try {
        if (kind == Kind::Jpeg)
            jpegData2Bitmap(data, b);
        else if (kind == Kind::Png)
            pngData2Bitmap(data, b);
        else
            b.loadFromData(data);
    } catch (const ImageError&) {
        return;
    }
    // Whatever decoded must be usable: every pixel readable, stretchable and writable.
    Bitmap thumb;
    thumb.setSize(7, 5);
    thumb.setPixelFormat(PixelFormat::Bits24);
    myResizeBitmap(b, thumb);
    (void)b.pixel(b.width() - 1, b.height() - 1);
    (void)b.saveToData();
}

void mutate(std::mt19937& random, samples::Bytes& data) {
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < edits && !data.empty(); ++i) {
        const std::size_t at = random() % data.size();
        switch (random() % 4) {
        case 0:
            data[at] = static_cast<std::uint8_t>(random());
            break;
        case 1:
            data[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            break;
        case 2:
            data.resize(at);
            break;
        default:
            data[at] = (random() & 1) ? 0xFF : 0x00;
        }
    }
}

class Mutations : public ::testing::TestWithParam<Kind> {};

TEST_P(Mutations, NeverCrash) {
    std::vector<samples::Bytes> seeds;
    switch (GetParam()) {
    case Kind::Jpeg:
        seeds = {samples::makeJpeg({.width = 40, .height = 24}),
                 samples::makeJpeg({.width = 24, .height = 24, .progressive = true}),
                 samples::makeJpeg({.width = 16, .height = 16, .components = 4}),
                 samples::makeJpeg({.width = 20, .height = 9, .components = 1, .restartRows = 1})};
        break;
    case Kind::Png:
        seeds = {samples::makePng({.colorType = 6, .interlace = true}),
                 samples::makePng({.colorType = 3, .bitDepth = 2, .palette = {1, 2, 3}}),
                 samples::makePng({.colorType = 0, .bitDepth = 16})};
        break;
    case Kind::Bmp:
        seeds = {
            samples::makeBmp(
                {.width = 3, .height = 2, .bpp = 24, .pixelData = samples::Bytes(24, 5)}),
            samples::makeBmp({.width = 6,
                              .height = 3,
                              .bpp = 8,
                              .compression = 1,
                              .palette = {0, 0xFFFFFF},
                              .pixelData = {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 1, 1, 4, 1, 0, 1}}),
            samples::makeBmp({.width = 2,
                              .height = 1,
                              .bpp = 16,
                              .compression = 3,
                              .masks = {0xF800, 0x7E0, 0x1F},
                              .pixelData = {1, 2, 3, 4}})};
        break;
    }
    std::mt19937 random(1234);
    for (int i = 0; i < 400; ++i) {
        samples::Bytes data = seeds[static_cast<std::size_t>(i) % seeds.size()];
        mutate(random, data);
        decodeAnyhow(GetParam(), data);
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, Mutations, ::testing::Values(Kind::Jpeg, Kind::Png, Kind::Bmp),
                         [](const auto& info) {
                             return info.param == Kind::Jpeg  ? "Jpeg"
                                    : info.param == Kind::Png ? "Png"
                                                              : "Bmp";
                         });

TEST(RasterLimit, PicturesBeyondItAreRefusedBeforeAllocation) {
    const std::uint64_t saved = maxRasterBytes();
    setMaxRasterBytes(1000);
    Bitmap b;
    EXPECT_THROW(jpegData2Bitmap(samples::makeJpeg({.width = 20, .height = 20}), b), ImageError);
    EXPECT_THROW(pngData2Bitmap(samples::makePng({.width = 20, .height = 20}), b), ImageError);
    EXPECT_THROW(b.loadFromData(samples::makeBmp(
                     {.width = 20,
                      .height = 20,
                      .bpp = 24,
                      .pixelData = samples::Bytes(samples::bmpStride(20, 24) * 20)})),
                 ImageError);
    EXPECT_NO_THROW(jpegData2Bitmap(samples::makeJpeg({.width = 10, .height = 10}), b));
    setMaxRasterBytes(saved);
    EXPECT_EQ(maxRasterBytes(), std::uint64_t(1) << 30);
    // A raster of exactly 1 GiB is the largest accepted.
    EXPECT_NO_THROW(checkRasterSize(16384, 16384, 32));
    EXPECT_THROW(checkRasterSize(16384, 16385, 32), ImageError);
}

} // namespace
