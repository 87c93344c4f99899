// myResizeBitmap: exact area averaging; pickResizeBitmap: pixel picking.
#include "imaging/resize.h"

#include <gtest/gtest.h>

#include <random>

namespace {

Bitmap rgb(int w, int h, const std::vector<std::uint32_t>& pixels) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, pixels[static_cast<std::size_t>(y * w + x)]);
    return b;
}

Bitmap target(int w, int h, PixelFormat f = PixelFormat::Bits24) {
    Bitmap b;
    b.setSize(w, h);
    b.setPixelFormat(f);
    return b;
}

// Each destination pixel's exact average, computed the long way: the overlap of every
// source pixel with the destination pixel, in units where both grids are integers.
std::uint32_t bruteForceAverage(const Bitmap& src, int dw, int dh, int dx, int dy) {
    const std::int64_t w = src.width(), h = src.height();
    std::int64_t sum[3] = {0, 0, 0};
    for (std::int64_t sy = 0; sy < h; ++sy)
        for (std::int64_t sx = 0; sx < w; ++sx) {
            const std::int64_t ox = std::max<std::int64_t>(
                0, std::min((sx + 1) * dw, (dx + 1) * w) - std::max(sx * dw, dx * w));
            const std::int64_t oy = std::max<std::int64_t>(
                0, std::min((sy + 1) * dh, (dy + 1) * h) - std::max(sy * dh, dy * h));
            const std::uint32_t c = src.pixel(static_cast<int>(sx), static_cast<int>(sy));
            for (int k = 0; k < 3; ++k)
                sum[k] += ((c >> (8 * k)) & 0xFF) * ox * oy;
        }
    const std::int64_t total = w * h;
    std::uint32_t out = 0xFF000000;
    for (int k = 0; k < 3; ++k)
        out |= static_cast<std::uint32_t>((sum[k] + total / 2) / total) << (8 * k);
    return out;
}

TEST(AreaAverage, CheckerboardHalvesToItsMean) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            px.push_back((x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
    Bitmap dst = target(2, 2);
    myResizeBitmap(rgb(4, 4, px), dst);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(dst.pixel(x, y), 0xFF808080u); // 127.5 rounds up
}

TEST(AreaAverage, FractionalOverlapsCarryTheirExactWeight) {
    // Three source columns onto two: (2a + b) / 3 and (b + 2c) / 3.
    Bitmap dst = target(2, 1);
    myResizeBitmap(rgb(3, 1, {0xFF000000, 0xFF5A5A5A, 0xFFFFFFFF}), dst);
    EXPECT_EQ(dst.pixel(0, 0), 0xFF1E1E1Eu); // 90 / 3 = 30
    EXPECT_EQ(dst.pixel(1, 0), 0xFFC8C8C8u); // (90 + 510) / 3 = 200
    // Enlarging two onto three: a, (a + b) / 2, b.
    Bitmap up = target(1, 3);
    myResizeBitmap(rgb(1, 2, {0xFF102030, 0xFF305070}), up);
    EXPECT_EQ(up.pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(up.pixel(0, 1), 0xFF203850u);
    EXPECT_EQ(up.pixel(0, 2), 0xFF305070u);
}

TEST(AreaAverage, MatchesTheExactAverageForOddRatios) {
    std::mt19937 random(7);
    for (auto [sw, sh, dw, dh] : std::vector<std::array<int, 4>>{
             {37, 23, 11, 7},
             {5, 3, 8, 7},
             {16, 9, 16, 9},
             {101, 3, 7, 2},
             {7, 50, 3, 9},
             // Enlargements: by whole factors, by fractions, along one side only.
             {3, 2, 6, 4},
             {7, 5, 16, 11},
             {4, 4, 9, 4},
             {2, 9, 5, 9},
             {1, 1, 4, 3}}) {
        std::vector<std::uint32_t> px;
        for (int i = 0; i < sw * sh; ++i)
            px.push_back(0xFF000000 | (random() & 0xFFFFFF));
        const Bitmap src = rgb(sw, sh, px);
        Bitmap dst = target(dw, dh);
        myResizeBitmap(src, dst);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                ASSERT_EQ(dst.pixel(x, y), bruteForceAverage(src, dw, dh, x, y))
                    << sw << "x" << sh << " -> " << dw << "x" << dh << " at " << x << "," << y;
    }
}

// Rows handed out for the caller to place (the screen painter's path): from the top, each
// once, every pixel the exact average of the source rectangle, from every source format,
// reduced, copied as it is or enlarged.
TEST(AreaAverage, IntoRowsComeTopDownWithTheExactAverage) {
    struct Case {
        PixelFormat format;
        Rect source;
        int w, h, pixelBytes;
    };
    std::mt19937 random(3);
    const Case cases[] = {
        {PixelFormat::Bits24, {0, 0, 20, 12}, 20, 12, 4},
        {PixelFormat::Bits24, {3, 2, 17, 9}, 14, 7, 3},
        {PixelFormat::Bits24, {1, 1, 11, 7}, 30, 18, 4},
        {PixelFormat::Bits24, {0, 0, 20, 12}, 7, 5, 4},
        {PixelFormat::Bits32, {2, 0, 12, 12}, 10, 12, 4},
        {PixelFormat::Bits32, {0, 3, 9, 8}, 27, 10, 3},
        {PixelFormat::Bits8, {0, 0, 20, 12}, 20, 12, 4},
        {PixelFormat::Bits8, {4, 4, 10, 8}, 12, 8, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.source.width()) + "x" + std::to_string(c.source.height()) +
                     " -> " + std::to_string(c.w) + "x" + std::to_string(c.h) + " from " +
                     std::to_string(Bitmap::bitsPerPixel(c.format)) + " bits");
        Bitmap src = target(20, 12, c.format);
        if (c.format == PixelFormat::Bits8)
            src.setColorTable(
                c.source.left ? std::vector<std::uint32_t>{0x102030, 0xF0E0D0, 0x00FF00, 0x808080}
                              : greyColorTable());
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                src.setPixel(x, y, 0xFF000000 | (random() & 0xFFFFFF));
        Bitmap crop = target(c.source.width(), c.source.height());
        for (int y = 0; y < crop.height(); ++y)
            for (int x = 0; x < crop.width(); ++x)
                crop.setPixel(x, y, src.pixel(c.source.left + x, c.source.top + y));
        std::vector<std::uint8_t> out(std::size_t(c.w) * std::size_t(c.h) * 4);
        std::vector<int> order;
        stretchHalftoneInto(src, c.source, c.w, c.h, c.pixelBytes, [&](int y) {
            order.push_back(y);
            return out.data() + std::size_t(y) * std::size_t(c.w) * std::size_t(c.pixelBytes);
        });
        ASSERT_EQ(order.size(), std::size_t(c.h));
        for (int y = 0; y < c.h; ++y)
            ASSERT_EQ(order[std::size_t(y)], y);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const std::uint8_t* p =
                    out.data() + (std::size_t(y) * std::size_t(c.w) + std::size_t(x)) *
                                     std::size_t(c.pixelBytes);
                const std::uint32_t got =
                    0xFF000000 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
                ASSERT_EQ(got, bruteForceAverage(crop, c.w, c.h, x, y)) << x << "," << y;
                if (c.pixelBytes == 4) {
                    ASSERT_EQ(p[3], 0xFF);
                }
            }
    }
}

TEST(AreaAverage, VeryWideSourceIsAveragedInStripsExactly) {
    // 200,000 columns onto 7: each destination column covers about 28,600 source columns,
    // so the source is taken in several strips.
    std::mt19937 random(11);
    std::vector<std::uint32_t> px;
    for (int i = 0; i < 200000 * 2; ++i)
        px.push_back(0xFF000000 | (random() & 0xFFFFFF));
    const Bitmap src = rgb(200000, 2, px);
    Bitmap dst = target(7, 1);
    myResizeBitmap(src, dst);
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(dst.pixel(x, 0), bruteForceAverage(src, 7, 1, x, 0)) << x;
}

TEST(AreaAverage, LargePictureFillsTheWholeThumbnail) {
    Bitmap src;
    src.setPixelFormat(PixelFormat::Bits24);
    src.setBrushColor(0x123456);
    src.setSize(4000, 3000);
    Bitmap thumb = target(197, 123);
    myResizeBitmap(src, thumb);
    EXPECT_EQ(thumb.width(), 197);
    EXPECT_EQ(thumb.height(), 123);
    EXPECT_EQ(thumb.pixelFormat(), PixelFormat::Bits24);
    for (int y = 0; y < 123; ++y)
        for (int x = 0; x < 197; ++x)
            ASSERT_EQ(thumb.pixel(x, y), 0xFF123456u);
}

TEST(AreaAverage, AlphaOfTheSourceIsNotUsed) {
    Bitmap src;
    src.setPixelFormat(PixelFormat::Bits32);
    src.setAlphaMode(AlphaMode::Premultiplied);
    src.setSize(2, 1);
    src.setPixel(0, 0, 0x00FF0000); // fully transparent: stored as 0,0,0,0
    src.setPixel(1, 0, 0xFF00FF00);
    Bitmap dst = target(2, 1);
    myResizeBitmap(src, dst);
    EXPECT_EQ(dst.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dst.pixel(1, 0), 0xFF00FF00u);
}

TEST(AreaAverage, PaletteSourcesAndOtherTargets) {
    Bitmap grey;
    grey.setPixelFormat(PixelFormat::Bits8);
    grey.setSize(2, 2);
    grey.setColorTable({0x000000, 0x646464});
    grey.scanLine(0)[0] = grey.scanLine(1)[1] = 1;
    grey.scanLine(0)[1] = grey.scanLine(1)[0] = 0;
    for (PixelFormat f :
         {PixelFormat::Bits24, PixelFormat::Bits32, PixelFormat::Device, PixelFormat::Bits16}) {
        Bitmap dst = target(1, 1, f);
        myResizeBitmap(grey, dst);
        const std::uint32_t c = dst.pixel(0, 0);
        EXPECT_NEAR(static_cast<int>(c & 0xFF), 50, f == PixelFormat::Bits16 ? 4 : 0);
        EXPECT_EQ(dst.pixelFormat(), f);
    }
    // Empty source or destination: nothing happens.
    Bitmap empty;
    Bitmap dst = target(3, 3);
    myResizeBitmap(empty, dst);
    EXPECT_EQ(dst.pixel(1, 1), 0xFFFFFFFFu);
}

TEST(PixelPicking, PicksTheSourcePixelUnderEachCentre) {
    const Bitmap src = rgb(4, 1, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
    Bitmap dst = target(2, 1);
    pickResizeBitmap(src, dst);
    EXPECT_EQ(dst.pixel(0, 0), 0xFF000002u);
    EXPECT_EQ(dst.pixel(1, 0), 0xFF000004u);
    Bitmap wide = target(8, 2);
    pickResizeBitmap(src, wide);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(wide.pixel(x, 1), src.pixel(x / 2, 0));
}

TEST(PixelPicking, StretchIntoAThumbnailSlot) {
    // The strip's side slots: a 197 x 123 preview into a 104 x 64 rectangle.
    Bitmap preview;
    preview.setPixelFormat(PixelFormat::Bits24);
    preview.setBrushColor(0x336699);
    preview.setSize(197, 123);
    Bitmap strip = target(800, 180);
    strip.stretchDraw(Rect{23, 45, 127, 109}, preview, StretchMode::ColorOnColor);
    EXPECT_EQ(strip.pixel(23, 45), 0xFF336699u);
    EXPECT_EQ(strip.pixel(126, 108), 0xFF336699u);
    EXPECT_EQ(strip.pixel(127, 108), 0xFFFFFFFFu);
    EXPECT_EQ(strip.pixel(22, 45), 0xFFFFFFFFu);
    // The averaging stretch into a rectangle lands at the same place.
    strip.stretchDraw(Rect{302, 16, 499, 139}, preview, StretchMode::Halftone);
    EXPECT_EQ(strip.pixel(302, 16), 0xFF336699u);
    EXPECT_EQ(strip.pixel(498, 138), 0xFF336699u);
    EXPECT_EQ(strip.pixel(499, 138), 0xFFFFFFFFu);
}

TEST(CoverCrop, WidePictureLosesItsSides) {
    // 2:1 on 1280x800 (16:10): scaled by 4 to 1600x800, 160 screen columns
    // (40 picture columns) cut on each side.
    EXPECT_EQ(coverCrop(400, 200, 1280, 800), (Rect{40, 0, 360, 200}));
    EXPECT_EQ(coverCrop(4000, 1000, 1280, 800), (Rect{1200, 0, 2800, 1000}));
}

TEST(CoverCrop, TallPictureLosesTopAndBottom) {
    EXPECT_EQ(coverCrop(200, 400, 1280, 800), (Rect{0, 137, 200, 262}));
    EXPECT_EQ(coverCrop(1080, 1920, 1920, 1080), (Rect{0, 656, 1080, 1264}));
}

TEST(CoverCrop, SameProportionsKeepTheWholePicture) {
    EXPECT_EQ(coverCrop(64, 40, 1280, 800), (Rect{0, 0, 64, 40}));
    EXPECT_EQ(coverCrop(2560, 1600, 1280, 800), (Rect{0, 0, 2560, 1600}));
    EXPECT_EQ(coverCrop(1, 1, 1, 1), (Rect{0, 0, 1, 1}));
}

TEST(CoverCrop, ExtremeShapesKeepAtLeastOnePixel) {
    EXPECT_EQ(coverCrop(100000, 1, 1280, 800), (Rect{49999, 0, 50001, 1}));
    EXPECT_EQ(coverCrop(1, 100000, 1280, 800), (Rect{0, 49999, 1, 50000}));
    EXPECT_EQ(coverCrop(3, 1, 1, 30000), (Rect{1, 0, 2, 1}));
    // Huge sizes do not overflow.
    const Rect r = coverCrop(1 << 30, 1 << 30, 1 << 30, 1);
    EXPECT_EQ(r.width(), 1 << 30);
    EXPECT_EQ(r.height(), 1);
}

TEST(CoverCrop, EmptyAreaOrPictureGivesThePictureAsItIs) {
    EXPECT_EQ(coverCrop(400, 200, 0, 800), (Rect{0, 0, 400, 200}));
    EXPECT_EQ(coverCrop(0, 0, 1280, 800), (Rect{0, 0, 0, 0}));
}

} // namespace
