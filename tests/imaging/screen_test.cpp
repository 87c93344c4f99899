// Pictures decoded for the screen: reduced by box windows (each reduced pixel the mean of
// the source pixels whose centres it holds) to the smallest size that covers the monitors,
// checked against that mean worked out pixel by pixel.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/windowaverage.h"

#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

namespace fs = std::filesystem;
using imaging_detail::windowAverage;
using imaging_detail::WindowAverager;
using imaging_detail::windowStarts;

namespace {

// The source pixels along a side whose centres lie in reduced pixel k: centre i + 1/2 in
// (k * n / len, (k + 1) * n / len], in whole numbers.
bool centreIn(std::int64_t i, std::int64_t k, std::int64_t n, std::int64_t len) {
    return 2 * k * n < (2 * i + 1) * len && (2 * i + 1) * len <= 2 * (k + 1) * n;
}

// For each reduced pixel along a side, the source pixels whose centres it holds.
std::vector<std::vector<int>> members(int n, int len) {
    std::vector<std::vector<int>> out(static_cast<std::size_t>(len));
    for (int k = 0; k < len; ++k)
        for (int i = 0; i < n; ++i)
            if (centreIn(i, k, n, len))
                out[std::size_t(k)].push_back(i);
    return out;
}

// A reduction worked out the long way: each reduced pixel's channels the rounded-half-up
// mean of the source pixels whose centres it holds. Source pixels are `step` bytes.
std::vector<int> boxMeans(const std::vector<std::uint8_t>& bytes, int sw, int sh, int step, int w,
                          int h, int channels) {
    const auto columns = members(sw, w), rows = members(sh, h);
    std::vector<int> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                std::int64_t sum = 0, n = 0;
                for (int sy : rows[std::size_t(y)])
                    for (int sx : columns[std::size_t(x)]) {
                        sum += bytes[(std::size_t(sy) * std::size_t(sw) + std::size_t(sx)) *
                                         std::size_t(step) +
                                     std::size_t(c)];
                        ++n;
                    }
                out.push_back(int((2 * sum + n) / (2 * n)));
            }
    return out;
}

// The pixels as stored, 0xAARRGGBB (premultiplied stays premultiplied).
std::vector<std::uint32_t> raw(const Bitmap& b) {
    std::vector<std::uint32_t> words(std::size_t(b.width()) * std::size_t(b.height()));
    for (int y = 0; y < b.height(); ++y)
        b.readRow(y, 0, b.width(), words.data() + std::size_t(y) * std::size_t(b.width()));
    return words;
}

// A picture's pixels as stored, reduced the long way.
std::vector<std::uint32_t> boxReference(const Bitmap& full, int w, int h) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t c : raw(full))
        bytes.insert(bytes.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16),
                                   std::uint8_t(c >> 24)});
    const std::vector<int> means = boxMeans(bytes, full.width(), full.height(), 4, w, h, 4);
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < means.size(); i += 4)
        out.push_back(std::uint32_t(means[i]) | std::uint32_t(means[i + 1]) << 8 |
                      std::uint32_t(means[i + 2]) << 16 | std::uint32_t(means[i + 3]) << 24);
    return out;
}

// PSNR in dB over the colour channels of two pictures of one size (99: identical).
double psnr(const Bitmap& a, const Bitmap& b) {
    const std::vector<std::uint32_t> pa = raw(a), pb = raw(b);
    double sum = 0;
    for (std::size_t i = 0; i < pa.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const double d = double((pa[i] >> (8 * k)) & 0xFF) - double((pb[i] >> (8 * k)) & 0xFF);
            sum += d * d;
        }
    const double mse = sum / (double(a.width()) * a.height() * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(WindowStarts, EachSourcePixelFallsInTheWindowHoldingItsCentre) {
    for (const auto& [n, len] : {std::pair{10, 3}, {4000, 1920}, {7, 7}, {1000, 1}, {9, 4}}) {
        SCOPED_TRACE(std::to_string(n) + " -> " + std::to_string(len));
        const std::vector<int> starts = windowStarts(n, len);
        ASSERT_EQ(starts.size(), std::size_t(len) + 1);
        EXPECT_EQ(starts.front(), 0);
        EXPECT_EQ(starts.back(), n);
        for (int k = 0; k < len; ++k) {
            const int length = starts[std::size_t(k) + 1] - starts[std::size_t(k)];
            EXPECT_TRUE(length == n / len || length == (n + len - 1) / len) << k;
            for (int i = starts[std::size_t(k)]; i < starts[std::size_t(k) + 1]; ++i)
                ASSERT_TRUE(centreIn(i, k, n, len)) << "pixel " << i << " window " << k;
        }
    }
}

struct Reduction {
    int sw, sh, w, h, channels, step;
    int low = 0; // the lowest level of the random bytes
};

// Random bytes reduced row by row: every reduced pixel the rounded mean of its window, for
// windows of one column or two (copied or averaged in runs), of a few columns and of many,
// over one row, a few, and more than the 16-bit sums hold at once (levels near the top
// make such sums overflow if they held one row more).
TEST(WindowAverager, GivesTheMeanOfEachWindow) {
    std::mt19937 random(5);
    for (const Reduction& r :
         {Reduction{13, 7, 5, 3, 3, 3}, Reduction{40, 30, 7, 4, 1, 1}, Reduction{9, 5, 9, 5, 3, 3},
          Reduction{20, 3, 6, 1, 4, 4}, Reduction{17, 11, 4, 3, 3, 4},
          Reduction{3, 600, 1, 1, 1, 1}, Reduction{23, 19, 17, 13, 3, 3},
          Reduction{23, 19, 17, 13, 3, 4}, Reduction{31, 9, 20, 5, 1, 3},
          Reduction{29, 5, 19, 4, 4, 4}, Reduction{41, 13, 13, 6, 1, 4},
          Reduction{7, 1100, 3, 2, 3, 4}, Reduction{5, 700, 2, 1, 3, 3, 254},
          Reduction{1500, 800, 2, 1, 1, 1}}) {
        SCOPED_TRACE(std::to_string(r.sw) + "x" + std::to_string(r.sh) + " -> " +
                     std::to_string(r.w) + "x" + std::to_string(r.h) + ", " +
                     std::to_string(r.channels) + " of " + std::to_string(r.step) + " bytes");
        std::vector<std::uint8_t> bytes(std::size_t(r.sw) * std::size_t(r.sh) *
                                        std::size_t(r.step));
        std::uniform_int_distribution<int> level(r.low, 255);
        for (auto& b : bytes)
            b = std::uint8_t(level(random));
        WindowAverager averager(r.sw, r.sh, r.w, r.h, r.channels, r.step);
        ASSERT_TRUE(averager.ok());
        for (int y = 0; y < r.sh; ++y)
            averager.addRow(bytes.data() +
                            std::size_t(y) * std::size_t(r.sw) * std::size_t(r.step));
        const Bitmap out = averager.finish();
        ASSERT_EQ(out.width(), r.w);
        ASSERT_EQ(out.height(), r.h);
        EXPECT_EQ(out.bitsPerPixel(), r.channels * 8);
        const std::vector<int> means = boxMeans(bytes, r.sw, r.sh, r.step, r.w, r.h, r.channels);
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x)
                for (int c = 0; c < r.channels; ++c)
                    ASSERT_EQ(out.scanLine(y)[x * r.channels + c],
                              means[(std::size_t(y) * std::size_t(r.w) + std::size_t(x)) *
                                        std::size_t(r.channels) +
                                    std::size_t(c)])
                        << x << "," << y << " channel " << c;
    }
    // Growing a side is no reduction.
    EXPECT_FALSE(WindowAverager(10, 10, 11, 5, 3, 3).ok());
    EXPECT_FALSE(WindowAverager(10, 10, 5, 5, 2, 2).ok());
}

TEST(WindowAverage, GreyLevelsThroughTheirTableAndPalettesLeftAlone) {
    Bitmap grey;
    grey.setPixelFormat(PixelFormat::Bits8);
    grey.setSize(4, 2);
    grey.setColorTable({0x000000, 0x646464, 0xC8C8C8});
    for (int x = 0; x < 4; ++x) {
        grey.scanLine(0)[x] = std::uint8_t(x % 3);
        grey.scanLine(1)[x] = 2;
    }
    const std::optional<Bitmap> half = windowAverage(grey, 2, 1);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->pixelFormat(), PixelFormat::Bits8);
    EXPECT_EQ(half->colorTable(), greyColorTable());
    EXPECT_EQ(half->pixel(0, 0), 0xFF7D7D7Du); // (0 + 100 + 200 + 200) / 4 = 125
    EXPECT_EQ(half->pixel(1, 0), 0xFF969696u); // (200 + 0 + 200 + 200) / 4 = 150

    Bitmap alpha;
    alpha.setPixelFormat(PixelFormat::Bits32);
    alpha.setAlphaMode(AlphaMode::Premultiplied);
    alpha.setSize(2, 2);
    EXPECT_EQ(windowAverage(alpha, 1, 1)->alphaMode(), AlphaMode::Premultiplied);

    Bitmap palette;
    palette.setPixelFormat(PixelFormat::Bits8);
    palette.setSize(4, 4);
    palette.setColorTable({0xFF0000, 0x00FF00});
    EXPECT_FALSE(windowAverage(palette, 2, 2));
}

TEST(ScreenCoverSize, SmallestSizeThatCoversEveryArea) {
    struct Case {
        int pw, ph;
        std::vector<Rect> areas;
        std::optional<std::pair<int, int>> cover;
    };
    const Case cases[] = {
        {4000, 3000, {{0, 0, 1920, 1080}}, std::pair{1920, 1440}},
        {3000, 4000, {{0, 0, 1920, 1080}}, std::pair{1920, 2560}},
        {8000, 1000, {{0, 0, 1920, 1080}}, std::nullopt}, // a panorama: height is short
        {4000, 3000, {{0, 0, 1920, 1080}, {1920, 0, 3000, 1920}}, std::pair{2560, 1920}},
        {3840, 2160, {{0, 0, 1920, 1080}}, std::pair{1920, 1080}},
        {1920, 1080, {{0, 0, 1920, 1080}}, std::nullopt}, // already the size
        {1000, 700, {{0, 0, 1920, 1080}}, std::nullopt},  // smaller: enlarged on the screen
        {4000, 3000, {}, std::nullopt},                   // no monitor known
        {4000, 3000, {{0, 0, 0, 0}}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(screenCoverSize(c.pw, c.ph, c.areas), c.cover) << c.pw << "x" << c.ph;
}

struct ScreenCase {
    const char* name;
    const char* extension;
    samples::Bytes bytes;
    std::vector<Rect> areas;
    int width, height; // of the result
    PixelFormat format;
    // Turned upright after it is reduced: a source pixel whose centre lies on the boundary
    // of two reduced pixels may fall on the other side of it than in the upright picture.
    bool turned = false;
    // How near the IDCT's scaling comes to the box mean, in dB.
    double idctPsnr = 30;
};

std::vector<ScreenCase> screenCases() {
    const std::vector<Rect> monitor{{0, 0, 320, 180}};
    samples::JpegOptions colour{.width = 800, .height = 600};
    samples::JpegOptions grey = colour;
    grey.components = 1;
    samples::JpegOptions cmyk = colour;
    cmyk.components = 4;
    samples::JpegOptions turned = colour; // stored 800 x 600, shown 600 x 800
    turned.exif = samples::exifWithOrientation(6);
    samples::PngOptions rgb{.width = 700, .height = 500, .colorType = 2};
    samples::PngOptions rgba = rgb;
    rgba.colorType = 6;
    samples::PngOptions interlaced = rgb;
    interlaced.interlace = true;
    samples::BmpOptions bmp;
    bmp.width = 640;
    bmp.height = 400;
    bmp.pixelData.resize(samples::bmpStride(640, 24) * 400);
    for (std::size_t i = 0; i < bmp.pixelData.size(); ++i)
        bmp.pixelData[i] = std::uint8_t(i * 7 + i / 900);
    return {
        {"JpegColour", ".jpg", samples::makeJpeg(colour), monitor, 320, 240, PixelFormat::Bits24},
        {"JpegGreyStaysGrey", ".jpg", samples::makeJpeg(grey), monitor, 320, 240,
         PixelFormat::Bits8},
        // The inks are averaged before they are turned into colours.
        {"JpegCmyk", ".jpg", samples::makeJpeg(cmyk), monitor, 320, 240, PixelFormat::Bits24, false,
         20},
        {"JpegTurnedByExif", ".jpg", samples::makeJpeg(turned), monitor, 320, 427,
         PixelFormat::Bits24, true},
        {"JpegTwoMonitors",
         ".jpg",
         samples::makeJpeg(colour),
         {{0, 0, 320, 180}, {320, 0, 500, 320}},
         427,
         320,
         PixelFormat::Bits24},
        {"JpegNoLargerThanTheMonitor",
         ".jpg",
         samples::makeJpeg(colour),
         {{0, 0, 1280, 720}},
         800,
         600,
         PixelFormat::Bits24},
        {"PngRgb", ".png", samples::makePng(rgb), monitor, 320, 229, PixelFormat::Bits24},
        {"PngWithAlpha", ".png", samples::makePng(rgba), monitor, 320, 229, PixelFormat::Bits32},
        {"PngInterlaced", ".png", samples::makePng(interlaced), monitor, 320, 229,
         PixelFormat::Bits24},
        {"Bmp", ".bmp", samples::makeBmp(bmp), monitor, 320, 200, PixelFormat::Bits24},
    };
}

class ForScreen : public testing::TestWithParam<ScreenCase> {};

// The picture comes at the size that covers the monitors, in its own kind of pixels, and is
// the box mean of the full decode, pixel for pixel.
TEST_P(ForScreen, CoversTheMonitorsWithTheBoxMeanOfTheFullPicture) {
    const ScreenCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / (std::string("p") + c.extension);
    samples::writeFile(file, c.bytes);
    Bitmap full;
    ASSERT_EQ(file2BitmapStatus(full, file), DecodeStatus::Ok);

    Bitmap screen;
    ASSERT_EQ(file2BitmapForScreen(screen, file, ScreenFit{c.areas, false}), DecodeStatus::Ok);
    ASSERT_EQ(screen.width(), c.width);
    ASSERT_EQ(screen.height(), c.height);
    EXPECT_EQ(screen.pixelFormat(), c.format);
    EXPECT_EQ(screen.hasAlpha(), full.hasAlpha());
    if (full.width() == c.width) {
        EXPECT_EQ(psnr(screen, full), 99);
        return;
    }
    const std::vector<std::uint32_t> reference = boxReference(full, c.width, c.height);
    const std::vector<std::uint32_t> got = raw(screen);
    if (c.turned) {
        Bitmap expected;
        expected.setPixelFormat(PixelFormat::Bits24);
        expected.setSize(c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            expected.writeRow(y, 0, c.width,
                              reference.data() + std::size_t(y) * std::size_t(c.width));
        EXPECT_GE(psnr(screen, expected), 40.0);
        return;
    }
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], reference[i])
            << "pixel " << i % std::size_t(c.width) << "," << i / std::size_t(c.width);
}

// With the library's IDCT scaling allowed, a picture at least twice the cover size comes
// at the same size and near the box mean, though not equal to it.
TEST_P(ForScreen, ScaledInTheIdctNearTheBoxMean) {
    const ScreenCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / (std::string("p") + c.extension);
    samples::writeFile(file, c.bytes);
    Bitmap full, exact, scaled;
    ASSERT_EQ(file2BitmapStatus(full, file), DecodeStatus::Ok);
    ASSERT_EQ(file2BitmapForScreen(exact, file, ScreenFit{c.areas, false}), DecodeStatus::Ok);
    ASSERT_EQ(file2BitmapForScreen(scaled, file, ScreenFit{c.areas, true}), DecodeStatus::Ok);
    ASSERT_EQ(scaled.width(), exact.width());
    ASSERT_EQ(scaled.height(), exact.height());
    EXPECT_EQ(scaled.pixelFormat(), exact.pixelFormat());
    EXPECT_GE(psnr(scaled, exact), c.idctPsnr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ForScreen, testing::ValuesIn(screenCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ForScreenFailures, DamagedPictureLeavesTheTargetAlone) {
    TempDir dir;
    samples::Bytes jpeg = samples::makeJpeg({.width = 400, .height = 300});
    jpeg.resize(jpeg.size() / 2);
    samples::writeFile(dir.path() / "cut.jpg", jpeg);
    Bitmap b;
    b.setSize(3, 2);
    const ScreenFit fit{{{0, 0, 100, 60}}, false};
    EXPECT_EQ(file2BitmapForScreen(b, dir.path() / "cut.jpg", fit), DecodeStatus::Undecodable);
    EXPECT_EQ(file2BitmapForScreen(b, dir.path() / "missing.jpg", fit), DecodeStatus::Undecodable);
    EXPECT_EQ(b.width(), 3);
    EXPECT_EQ(b.height(), 2);
}

} // namespace
