// Bitmap: size changes, copies, formats, drawing operations and the drawing lock.
#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Bitmap filled(int w, int h, PixelFormat f, std::uint32_t (*color)(int, int)) {
    Bitmap b;
    b.setPixelFormat(f);
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, color(x, y));
    return b;
}

std::uint32_t pattern(int x, int y) {
    return 0xFF000000 | static_cast<std::uint32_t>(x * 40) << 16 |
           static_cast<std::uint32_t>(y * 50) << 8 | static_cast<std::uint32_t>((x * y) & 0xFF);
}

TEST(Bitmap, NewBitmapIsEmptyInTheDeviceFormat) {
    Bitmap b;
    EXPECT_EQ(b.width(), 0);
    EXPECT_EQ(b.height(), 0);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Device);
    EXPECT_EQ(b.brushColor(), 0xFFFFFFu);
}

TEST(Bitmap, GrowingKeepsPixelsAndFillsNewOnesWithTheBrush) {
    for (PixelFormat f :
         {PixelFormat::Device, PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8,
          PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32}) {
        SCOPED_TRACE(static_cast<int>(f));
        Bitmap b;
        b.setPixelFormat(f);
        b.setSize(3, 2);
        EXPECT_EQ(b.pixel(2, 1), 0xFFFFFFFFu) << "white by default";
        b.setPixel(1, 1, 0xFF000000);
        b.setSize(9, 5);
        EXPECT_EQ(b.pixel(1, 1), 0xFF000000u) << "old pixel kept";
        EXPECT_EQ(b.pixel(8, 0), 0xFFFFFFFFu);
        EXPECT_EQ(b.pixel(0, 4), 0xFFFFFFFFu);
        b.setBrushColor(0x000000);
        b.setWidth(10);
        EXPECT_EQ(b.pixel(9, 3), 0xFF000000u) << "brush colour";
        EXPECT_EQ(b.pixel(8, 3), 0xFFFFFFFFu);
        b.setSize(2, 2);
        EXPECT_EQ(b.pixel(1, 1), 0xFF000000u);
        EXPECT_EQ(b.width(), 2);
    }
}

TEST(Bitmap, CopyIsExactAndIndependent) {
    Bitmap a = filled(7, 5, PixelFormat::Bits8, pattern);
    a.setColorTable({0x000000, 0x112233, 0xFFFFFF});
    a.scanLine(2)[3] = 1;
    Bitmap b = a;
    EXPECT_EQ(b.width(), 7);
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
    EXPECT_EQ(b.colorTable(), a.colorTable());
    EXPECT_EQ(b.pixel(3, 2), 0xFF112233u);
    b.scanLine(2)[3] = 2;
    EXPECT_EQ(a.pixel(3, 2), 0xFF112233u);

    Bitmap c;
    c.setPixelFormat(PixelFormat::Bits32);
    c.setAlphaMode(AlphaMode::Premultiplied);
    c.setSize(2, 2);
    c.setPixel(0, 0, 0x80FF0000);
    Bitmap d;
    d = c;
    EXPECT_EQ(d.alphaMode(), AlphaMode::Premultiplied);
    EXPECT_EQ(d.pixel(0, 0), c.pixel(0, 0));
    EXPECT_EQ(std::memcmp(d.scanLine(0), c.scanLine(0), 8), 0);
}

TEST(Bitmap, FormatConversionsKeepColours) {
    const Bitmap original = filled(11, 4, PixelFormat::Bits24, pattern);
    Bitmap b = original;
    b.setPixelFormat(PixelFormat::Bits32);
    b.setPixelFormat(PixelFormat::Device);
    b.setPixelFormat(PixelFormat::Bits24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(b.pixel(x, y), original.pixel(x, y));
    // To one bit: nearest of black and white.
    Bitmap mono = original;
    mono.setPixelFormat(PixelFormat::Bits1);
    EXPECT_EQ(mono.colorTable().size(), 2u);
    EXPECT_EQ(mono.pixel(0, 0), 0xFF000000u);
    // Palette pictures keep their indexes when the table fits.
    Bitmap pal;
    pal.setPixelFormat(PixelFormat::Bits8);
    pal.setSize(3, 1);
    pal.setColorTable({0xFF0000, 0x00FF00, 0x0000FF});
    pal.scanLine(0)[0] = 2;
    pal.scanLine(0)[1] = 1;
    pal.scanLine(0)[2] = 0;
    pal.setPixelFormat(PixelFormat::Bits4);
    EXPECT_EQ(pal.scanLine(0)[0], 0x21);
    EXPECT_EQ(pal.pixel(0, 0), 0xFF0000FFu);
    pal.setPixelFormat(PixelFormat::Bits24);
    EXPECT_EQ(pal.pixel(1, 0), 0xFF00FF00u);
}

TEST(Bitmap, PaletteIndexBeyondTheTableReadsBlack) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits8);
    b.setSize(2, 1);
    b.setColorTable({0xFFFFFF});
    b.scanLine(0)[1] = 200;
    EXPECT_EQ(b.pixel(1, 0), 0xFF000000u);
}

TEST(Bitmap, FillRectLeavesTheLastColumnAndRow) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setBrushColor(0x000000);
    b.setSize(800, 180);
    b.setBrushColor(0xFFFFFF);
    b.fillRect(Rect{18, 40, 133, 115});
    int filled = 0;
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 800; ++x)
            filled += b.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_EQ(filled, 114 * 74);
    EXPECT_EQ(b.pixel(18, 40), 0xFFFFFFFFu);
    EXPECT_EQ(b.pixel(131, 113), 0xFFFFFFFFu);
    EXPECT_EQ(b.pixel(132, 113), 0xFF000000u);
    EXPECT_EQ(b.pixel(131, 114), 0xFF000000u);
}

TEST(Bitmap, DrawCopiesOneToOneAndClips) {
    const Bitmap src = filled(5, 4, PixelFormat::Bits24, pattern);
    Bitmap dst;
    dst.setPixelFormat(PixelFormat::Device);
    dst.setSize(6, 6);
    dst.draw(3, -1, src);
    EXPECT_EQ(dst.pixel(3, 0), src.pixel(0, 1));
    EXPECT_EQ(dst.pixel(5, 2), src.pixel(2, 3));
    EXPECT_EQ(dst.pixel(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixel(3, 3), 0xFFFFFFFFu);
    dst.draw(-10, -10, src); // entirely outside: nothing happens
    EXPECT_EQ(dst.pixel(0, 0), 0xFFFFFFFFu);
}

TEST(Bitmap, DrawBlendsAPremultipliedSource) {
    Bitmap src;
    src.setPixelFormat(PixelFormat::Bits32);
    src.setAlphaMode(AlphaMode::Premultiplied);
    src.setSize(1, 1);
    src.setPixel(0, 0, 0x80FF0000); // half-transparent red
    Bitmap dst;
    dst.setPixelFormat(PixelFormat::Bits24);
    dst.setBrushColor(0x0000FF);
    dst.setSize(1, 1);
    dst.draw(0, 0, src);
    const std::uint32_t c = dst.pixel(0, 0);
    EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 128, 1);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 127, 1);
}

TEST(Bitmap, CopyRectAndPixelPickingStretch) {
    const Bitmap src = filled(4, 4, PixelFormat::Bits24, pattern);
    Bitmap dst;
    dst.setPixelFormat(PixelFormat::Bits24);
    dst.setSize(8, 8);
    dst.copyRect(Rect{1, 1, 3, 3}, src, Rect{2, 2, 4, 4});
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(2, 2), src.pixel(3, 3));
    EXPECT_EQ(dst.pixel(3, 3), 0xFFFFFFFFu);
    // Doubling picks every source pixel twice.
    dst.stretchDraw(Rect{0, 0, 8, 8}, src, StretchMode::ColorOnColor);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(dst.pixel(x, y), src.pixel(x / 2, y / 2));
    // Halving picks without averaging: every destination pixel is one of the source's.
    Bitmap half;
    half.setPixelFormat(PixelFormat::Bits24);
    half.setSize(2, 2);
    half.copyRect(Rect{0, 0, 2, 2}, src, Rect{0, 0, 4, 4});
    EXPECT_EQ(half.pixel(0, 0), src.pixel(1, 1));
    EXPECT_EQ(half.pixel(1, 1), src.pixel(3, 3));
}

TEST(Bitmap, ToBgra32GivesOpaqueRowsForPicturesWithoutAlpha) {
    Bitmap b = filled(3, 2, PixelFormat::Bits8, pattern);
    std::vector<std::uint8_t> rows(3 * 4 * 2);
    b.toBgra32(rows.data(), 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* p = &rows[static_cast<std::size_t>(y * 12 + x * 4)];
            const std::uint32_t c =
                std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
            EXPECT_EQ(c, b.pixel(x, y));
        }
}

} // namespace

// While rasters are kept, a large one freed goes to the next bitmap of about its size (so
// its pages need not be cleared again), never to one much smaller, and with its rows'
// padding cleared as in a fresh raster; turned off, every kept raster is given back.
TEST(KeptRasters, ReusedForTheNextPictureOfItsSizeAndGivenBack) {
    keepFreedRasters(true);
    const std::uint8_t* first = nullptr;
    {
        Bitmap a;
        a.createUninitialized(1921, 1440, PixelFormat::Bits24);
        std::memset(a.scanLine(0), 0xFF, a.stride() * 1440);
        first = a.scanLine(0);
    }
    EXPECT_GE(keptRasterBytes(), std::size_t(1921) * 3 * 1440);
    {
        Bitmap small;
        small.createUninitialized(640, 480, PixelFormat::Bits24); // under a megabyte
        EXPECT_NE(small.scanLine(0), first);
    }
    Bitmap b;
    b.createUninitialized(1921, 1440, PixelFormat::Bits24);
    EXPECT_EQ(b.scanLine(0), first);
    EXPECT_EQ(keptRasterBytes(), 0u);
    const std::size_t used = std::size_t(1921) * 3;
    for (int y = 0; y < 1440; y += 97)
        for (std::size_t i = used; i < b.stride(); ++i)
            ASSERT_EQ(b.scanLine(y)[i], 0) << "row " << y;
    {
        Bitmap huge;
        huge.createUninitialized(4000, 3000, PixelFormat::Bits24);
    }
    {
        Bitmap quarter; // a quarter of the kept raster: a fresh one
        quarter.createUninitialized(2000, 1500, PixelFormat::Bits24);
    }
    EXPECT_GE(keptRasterBytes(), std::size_t(4000) * 3 * 3000);
    keepFreedRasters(false);
    EXPECT_EQ(keptRasterBytes(), 0u);
    b = Bitmap();
    EXPECT_EQ(keptRasterBytes(), 0u);
}
