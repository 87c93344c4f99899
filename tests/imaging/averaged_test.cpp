// Decoding straight into a thumbnail, row by row, gives exactly what the full decode
// followed by myResizeBitmap gives.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"

#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Sample {
    const char* name;
    const char* extension;
    samples::Bytes bytes;
};

std::vector<Sample> samples() {
    samples::JpegOptions colour{.width = 613, .height = 411};
    samples::JpegOptions grey = colour;
    grey.components = 1;
    samples::JpegOptions cmyk = colour;
    cmyk.components = 4;
    samples::JpegOptions progressive = colour;
    progressive.progressive = true;
    samples::JpegOptions narrow{.width = 150, .height = 90}; // smaller than the thumbnail
    samples::PngOptions rgb{.width = 517, .height = 333, .colorType = 2};
    samples::PngOptions rgba = rgb;
    rgba.colorType = 6;
    samples::PngOptions interlaced = rgb;
    interlaced.interlace = true;
    samples::PngOptions grey16 = rgb;
    grey16.colorType = 0;
    grey16.bitDepth = 16;
    samples::BmpOptions bmp;
    bmp.width = 300;
    bmp.height = 200;
    bmp.pixelData.resize(samples::bmpStride(300, 24) * 200);
    for (std::size_t i = 0; i < bmp.pixelData.size(); ++i)
        bmp.pixelData[i] = std::uint8_t(i * 7 + i / 900);
    return {{"JpegColour", ".jpg", samples::makeJpeg(colour)},
            {"JpegGrey", ".jpg", samples::makeJpeg(grey)},
            {"JpegCmyk", ".jpg", samples::makeJpeg(cmyk)},
            {"JpegProgressive", ".jpg", samples::makeJpeg(progressive)},
            {"JpegSmallerThanTheThumbnail", ".jpg", samples::makeJpeg(narrow)},
            {"PngRgb", ".png", samples::makePng(rgb)},
            {"PngRgba", ".png", samples::makePng(rgba)},
            {"PngInterlaced", ".png", samples::makePng(interlaced)},
            {"PngGrey16", ".png", samples::makePng(grey16)},
            {"Bmp", ".bmp", samples::makeBmp(bmp)}};
}

class Averaged : public testing::TestWithParam<Sample> {};

TEST_P(Averaged, SameAsTheFullDecodeAveraged) {
    TempDir dir;
    const fs::path file = dir.path() / (std::string("p") + GetParam().extension);
    samples::writeFile(file, GetParam().bytes);

    Bitmap full;
    ASSERT_TRUE(file2Bitmap(full, file));
    for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        Bitmap expected;
        expected.setPixelFormat(format);
        expected.setSizeForOverwrite(197, 123);
        Bitmap streamed(expected);
        myResizeBitmap(full, expected);
        ASSERT_EQ(file2BitmapAveraged(streamed, file), DecodeStatus::Ok);
        ASSERT_EQ(streamed.width(), 197);
        ASSERT_EQ(streamed.pixelFormat(), format);
        for (int y = 0; y < 123; ++y)
            ASSERT_EQ(0, std::memcmp(streamed.scanLine(y), expected.scanLine(y),
                                     std::size_t(197) * (format == PixelFormat::Bits24 ? 3 : 4)))
                << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Averaged, testing::ValuesIn(samples()),
                         [](const auto& info) { return std::string(info.param.name); });

// Peak signal-to-noise ratio of two 24-bit pictures of one size, in dB.
double psnr(const Bitmap& a, const Bitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 3; ++x) {
            const double d = double(a.scanLine(y)[x]) - double(b.scanLine(y)[x]);
            sum += d * d;
        }
    const double mse = sum / (double(a.width()) * a.height() * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Large JPEGs are scaled in the IDCT first (to 1/2, 1/4, 1/8 of their size): the thumbnail
// stays what the full decode averaged gives, within far less than the eye can tell.
TEST(AveragedLargeJpeg, ScaledInTheDecoderNearlyTheSameAsTheFullDecodeAveraged) {
    TempDir dir;
    for (const auto& [width, height] : {std::pair{800, 500}, {1600, 1000}, {3300, 2000}}) {
        for (int components : {1, 3}) {
            samples::JpegOptions o{.width = width, .height = height, .components = components};
            const fs::path file = dir.path() / "large.jpg";
            samples::writeFile(file, samples::makeJpeg(o));
            Bitmap full;
            ASSERT_TRUE(file2Bitmap(full, file));
            Bitmap expected;
            expected.setPixelFormat(PixelFormat::Bits24);
            expected.setSizeForOverwrite(197, 123);
            Bitmap streamed(expected);
            myResizeBitmap(full, expected);
            ASSERT_EQ(file2BitmapAveraged(streamed, file), DecodeStatus::Ok);
            ASSERT_EQ(streamed.width(), 197);
            ASSERT_EQ(streamed.height(), 123);
            EXPECT_GE(psnr(streamed, expected), 40.0)
                << width << "x" << height << " " << components;
        }
    }
}

TEST(AveragedFailures, DamagedOrTooLargePictureLeavesTheTargetAlone) {
    TempDir dir;
    samples::Bytes cut = samples::makeJpeg({.width = 640, .height = 480});
    cut.resize(cut.size() / 2);
    samples::writeFile(dir.path() / "cut.jpg", cut);
    samples::writeFile(dir.path() / "big.png", samples::makePng({.width = 400, .height = 300}));
    Bitmap thumb;
    thumb.setPixelFormat(PixelFormat::Bits24);
    thumb.setBrushColor(0x123456);
    thumb.setSize(197, 123);
    EXPECT_EQ(file2BitmapAveraged(thumb, dir.path() / "cut.jpg"), DecodeStatus::Undecodable);
    setMaxRasterBytes(100000);
    EXPECT_EQ(file2BitmapAveraged(thumb, dir.path() / "big.png"), DecodeStatus::TooLarge);
    setMaxRasterBytes(std::uint64_t(1) << 30);
    EXPECT_EQ(file2BitmapAveraged(thumb, dir.path() / "missing.jpg"), DecodeStatus::Undecodable);
    EXPECT_EQ(thumb.pixel(100, 60), 0xFF123456u);
}

TEST(SetSizeForOverwrite, KeepsFormatTableAndAlphaWithoutFilling) {
    Bitmap b;
    b.setColorTable({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    b.setPixelFormat(PixelFormat::Bits8);
    b.setSizeForOverwrite(30, 20);
    EXPECT_EQ(b.width(), 30);
    EXPECT_EQ(b.height(), 20);
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
    EXPECT_EQ(b.colorTable().size(), 4u);
    Bitmap a;
    a.setPixelFormat(PixelFormat::Bits32);
    a.setAlphaMode(AlphaMode::Premultiplied);
    a.setSizeForOverwrite(5, 4);
    EXPECT_TRUE(a.hasAlpha());
    EXPECT_EQ(a.stride(), 20u);
}

} // namespace
