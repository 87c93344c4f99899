// BMP: every variant the reader accepts read back exactly, the writer's bytes, and damaged
// files refused.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

using samples::Bytes;

// The colour of pixel (x, y) in the test pictures, and its palette index for low depths.
unsigned indexAt(int x, int y, int bpp) {
    return static_cast<unsigned>(x * 3 + y * 5) % (1u << std::min(bpp, 8));
}
std::uint32_t colorAt(int x, int y) {
    return static_cast<std::uint32_t>(x * 37 % 256) << 16 |
           static_cast<std::uint32_t>(y * 71 % 256) << 8 |
           static_cast<std::uint32_t>((x * y * 13 + 7) % 256);
}
std::vector<std::uint32_t> palette(int bpp) {
    std::vector<std::uint32_t> p;
    for (int i = 0; i < (1 << bpp); ++i)
        p.push_back(static_cast<std::uint32_t>(i * 0x0F1D2B + 0x010203) & 0xFFFFFF);
    return p;
}

// Pixel rows in file order for the pattern above.
Bytes rows(int w, int h, int bpp, bool topDown, std::uint32_t (*pack)(std::uint32_t) = nullptr) {
    const std::size_t stride = samples::bmpStride(w, bpp);
    Bytes data(stride * h, 0);
    for (int fileRow = 0; fileRow < h; ++fileRow) {
        const int y = topDown ? fileRow : h - 1 - fileRow;
        std::uint8_t* row = &data[stride * fileRow];
        for (int x = 0; x < w; ++x) {
            if (bpp <= 8) {
                const unsigned i = indexAt(x, y, bpp);
                const std::size_t bit = static_cast<std::size_t>(x) * bpp;
                row[bit / 8] |= static_cast<std::uint8_t>(i << (8 - bpp - bit % 8));
            } else {
                const std::uint32_t c = pack ? pack(colorAt(x, y)) : colorAt(x, y);
                for (int k = 0; k < bpp / 8; ++k)
                    row[x * (bpp / 8) + k] = static_cast<std::uint8_t>(c >> (8 * k));
            }
        }
    }
    return data;
}

std::uint32_t pack555(std::uint32_t c) {
    return ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
}
std::uint32_t pack565(std::uint32_t c) {
    return ((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31);
}
std::uint32_t packRgbx(std::uint32_t c) { // red in the low byte
    return (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16;
}
std::uint32_t expand5(std::uint32_t v) {
    return (v * 255 + 15) / 31;
}
std::uint32_t expand6(std::uint32_t v) {
    return (v * 255 + 31) / 63;
}

struct BmpCase {
    const char* name;
    int headerSize;
    int bpp;
    bool topDown;
    std::uint32_t compression = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::uint32_t (*pack)(std::uint32_t) = nullptr;
    std::uint32_t (*expect)(std::uint32_t) =
        nullptr; // colour after the round trip through the bits
};

class BmpVariants : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpVariants, ReadBackExactly) {
    const BmpCase& c = GetParam();
    const int w = 13, h = 5;
    samples::BmpOptions o{.headerSize = c.headerSize,
                          .width = w,
                          .height = h,
                          .topDown = c.topDown,
                          .bpp = c.bpp,
                          .compression = c.compression};
    std::copy(std::begin(c.masks), std::end(c.masks), o.masks);
    if (c.bpp <= 8)
        o.palette = palette(c.bpp);
    o.pixelData = rows(w, h, c.bpp, c.topDown, c.pack);
    const Bytes file = samples::makeBmp(o);
    Bitmap b;
    b.loadFromData(file);
    ASSERT_EQ(b.width(), w);
    ASSERT_EQ(b.height(), h);
    EXPECT_EQ(b.bitsPerPixel(), c.bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t expected = c.bpp <= 8 ? palette(c.bpp)[indexAt(x, y, c.bpp)]
                                           : c.expect ? c.expect(colorAt(x, y))
                                                      : colorAt(x, y);
            ASSERT_EQ(b.pixel(x, y), 0xFF000000 | expected) << x << "," << y;
        }
    // Written and read again, the picture is the same; an untouched uncompressed file
    // comes back byte for byte when it used the writer's own layout.
    Bitmap again;
    again.loadFromData(b.saveToData());
    EXPECT_EQ(again.bitsPerPixel(), c.bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(again.pixel(x, y), b.pixel(x, y));
}

std::uint32_t from555(std::uint32_t c) {
    const std::uint32_t v = pack555(c);
    return expand5(v >> 10 & 31) << 16 | expand5(v >> 5 & 31) << 8 | expand5(v & 31);
}
std::uint32_t from565(std::uint32_t c) {
    const std::uint32_t v = pack565(c);
    return expand5(v >> 11 & 31) << 16 | expand6(v >> 5 & 63) << 8 | expand5(v & 31);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BmpVariants,
    ::testing::Values(
        BmpCase{"bits1", 40, 1, false}, BmpCase{"bits4", 40, 4, false},
        BmpCase{"bits8", 40, 8, false}, BmpCase{"bits24", 40, 24, false},
        BmpCase{"bits32", 40, 32, false}, BmpCase{"bits8TopDown", 40, 8, true},
        BmpCase{"bits24TopDown", 40, 24, true}, BmpCase{"os2Bits1", 12, 1, false},
        BmpCase{"os2Bits4", 12, 4, false}, BmpCase{"os2Bits8", 12, 8, false},
        BmpCase{"os2Bits24", 12, 24, false}, BmpCase{"v4Bits8", 108, 8, false},
        BmpCase{"v5Bits24", 124, 24, false}, BmpCase{"v5Bits32TopDown", 124, 32, true},
        BmpCase{"bits16Plain555", 40, 16, false, 0, {0, 0, 0}, pack555, from555},
        BmpCase{"bits16Fields565", 40, 16, false, 3, {0xF800, 0x07E0, 0x001F}, pack565, from565},
        BmpCase{"v3Bits16Fields565", 56, 16, true, 3, {0xF800, 0x07E0, 0x001F}, pack565, from565},
        BmpCase{"bits32FieldsStandard", 40, 32, false, 3, {0xFF0000, 0xFF00, 0xFF}},
        BmpCase{"v4Bits32FieldsSwapped", 108, 32, false, 3, {0xFF, 0xFF00, 0xFF0000}, packRgbx}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<unsigned> indexes(const Bitmap& b, int y) {
    std::vector<unsigned> out;
    for (int x = 0; x < b.width(); ++x) {
        const std::uint32_t c = b.pixel(x, y) & 0xFFFFFF;
        out.push_back(static_cast<unsigned>(
            std::find(b.colorTable().begin(), b.colorTable().end(), c) - b.colorTable().begin()));
    }
    return out;
}

const std::vector<std::uint32_t> RlePalette = {0x000000, 0x111111, 0x222222, 0x333333,
                                               0x444444, 0x555555, 0x666666, 0x777777};

TEST(BmpRle, Rle8WithEveryEscape) {
    const Bytes data = {3,         1, 0,           3, 2, 1, 2, 0, /*EOL*/ 0, 0,
                        2,         2, /*delta*/ 0, 2, 2, 0, 2, 1,
                        /*EOL*/ 0, 0, /*delta*/ 0, 2, 1, 1, 1, 2, /*EOB*/ 0, 1};
    Bitmap b;
    b.loadFromData(samples::makeBmp({.width = 6,
                                     .height = 4,
                                     .bpp = 8,
                                     .compression = 1,
                                     .palette = RlePalette,
                                     .pixelData = data}));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
    // Rows top first; the file starts at the bottom.
    EXPECT_EQ(indexes(b, 3), (std::vector<unsigned>{1, 1, 1, 2, 1, 2}));
    EXPECT_EQ(indexes(b, 2), (std::vector<unsigned>{2, 2, 0, 0, 1, 1}));
    EXPECT_EQ(indexes(b, 1), (std::vector<unsigned>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(indexes(b, 0), (std::vector<unsigned>{0, 2, 0, 0, 0, 0}));
}

TEST(BmpRle, Rle4WithEveryEscape) {
    const Bytes data = {5,
                        0x12,
                        /*EOL*/ 0,
                        0,
                        /*absolute 3*/ 0,
                        3,
                        0x34,
                        0x50,
                        2,
                        0x66,
                        /*EOL*/ 0,
                        0,
                        /*absolute 5, padded*/ 0,
                        5,
                        0x71,
                        0x23,
                        0x40,
                        0,
                        /*EOL*/ 0,
                        0,
                        /*delta*/ 0,
                        2,
                        3,
                        0,
                        2,
                        0x77,
                        /*EOB*/ 0,
                        1};
    Bitmap b;
    b.loadFromData(samples::makeBmp({.width = 5,
                                     .height = 4,
                                     .bpp = 4,
                                     .compression = 2,
                                     .palette = RlePalette,
                                     .pixelData = data}));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits4);
    EXPECT_EQ(indexes(b, 3), (std::vector<unsigned>{1, 2, 1, 2, 1}));
    EXPECT_EQ(indexes(b, 2), (std::vector<unsigned>{3, 4, 5, 6, 6}));
    EXPECT_EQ(indexes(b, 1), (std::vector<unsigned>{7, 1, 2, 3, 4}));
    EXPECT_EQ(indexes(b, 0), (std::vector<unsigned>{0, 0, 0, 7, 7}));
}

TEST(BmpRle, RunsPastTheEdgeAreClippedAndDataAfterTheEndIsIgnored) {
    const Bytes data = {9, 3, 0, 0, 0, 1, 0xFF, 0xFF};
    Bitmap b;
    b.loadFromData(samples::makeBmp({.width = 4,
                                     .height = 2,
                                     .bpp = 8,
                                     .compression = 1,
                                     .palette = RlePalette,
                                     .pixelData = data}));
    EXPECT_EQ(indexes(b, 1), (std::vector<unsigned>{3, 3, 3, 3}));
    EXPECT_EQ(indexes(b, 0), (std::vector<unsigned>{0, 0, 0, 0}));
}

TEST(BmpRle, UnchangedPictureIsWrittenBackAsReadAndAChangedOneUncompressed) {
    const Bytes file = samples::makeBmp({.width = 4,
                                         .height = 2,
                                         .bpp = 8,
                                         .compression = 1,
                                         .palette = RlePalette,
                                         .pixelData = {4, 2, 0, 0, 2, 5, 0, 1}});
    Bitmap b;
    b.loadFromData(file);
    EXPECT_EQ(b.saveToData(), file);
    Bitmap copy = b;
    EXPECT_EQ(copy.saveToData(), file);
    b.setPixel(0, 0, 0xFF777777);
    const Bytes rewritten = b.saveToData();
    EXPECT_NE(rewritten, file);
    EXPECT_EQ(rewritten[30], 0) << "compression none";
    Bitmap again;
    again.loadFromData(rewritten);
    EXPECT_EQ(indexes(again, 0), (std::vector<unsigned>{7, 5, 0, 0}));
    EXPECT_EQ(indexes(again, 1), (std::vector<unsigned>{2, 2, 2, 2}));
}

std::uint32_t u32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

TEST(BmpWriter, TwentyFourBitLayoutByteForByte) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setSize(3, 2);
    b.setPixel(0, 0, 0xFF010203);
    b.setPixel(2, 1, 0xFFA0B0C0);
    const Bytes expected = {
        'B', 'M', 78,   0,    0,    0,    0,    0,    0,    0,    54,   0, 0, 0, // file header
        40,  0,   0,    0,    3,    0,    0,    0,    2,    0,    0,    0, 1, 0,
        24,  0,   0,    0,    0,    0,    24,   0,    0,    0, // info header
        0,   0,   0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0,
        0,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0, 0xB0, 0xA0, 0, 0, 0, // bottom row first
        3,   2,   1,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0};
    EXPECT_EQ(b.saveToData(), expected);
}

TEST(BmpWriter, ColourTableOnlyForPaletteFormats) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits1);
    b.setSize(9, 1);
    b.setColorTable({0x000000, 0x12345678});
    b.scanLine(0)[0] = 0x81;
    b.scanLine(0)[1] = 0x80;
    const Bytes bytes = b.saveToData();
    ASSERT_EQ(bytes.size(), 14u + 40 + 8 + 4);
    EXPECT_EQ(u32(bytes, 10), 62u);
    EXPECT_EQ(bytes[28], 1);
    EXPECT_EQ(u32(bytes, 46), 2u) << "entries";
    EXPECT_EQ((Bytes(bytes.begin() + 54, bytes.end())),
              (Bytes{0, 0, 0, 0, 0x78, 0x56, 0x34, 0, 0x81, 0x80, 0, 0}));
}

TEST(BmpWriter, BitFieldSourceKeepsCompression3AndItsMasks) {
    const Bytes file = samples::makeBmp({.width = 2,
                                         .height = 1,
                                         .bpp = 16,
                                         .compression = 3,
                                         .masks = {0xF800, 0x07E0, 0x001F},
                                         .pixelData = {0x1F, 0xF8, 0xE0, 0x07}});
    Bitmap b;
    b.loadFromData(file);
    EXPECT_EQ(b.pixel(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(b.pixel(1, 0), 0xFF00FF00u);
    const Bytes out = b.saveToData();
    EXPECT_EQ(u32(out, 30), 3u);
    EXPECT_EQ(u32(out, 54), 0xF800u);
    EXPECT_EQ(u32(out, 58), 0x07E0u);
    EXPECT_EQ(u32(out, 62), 0x001Fu);
    EXPECT_EQ(u32(out, 10), 66u);
    EXPECT_EQ((Bytes(out.begin() + 66, out.end())), (Bytes{0x1F, 0xF8, 0xE0, 0x07}));
}

TEST(BmpWriter, PremultipliedAlphaIsWrittenStraight) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits32);
    b.setAlphaMode(AlphaMode::Premultiplied);
    b.setSize(3, 1);
    std::uint8_t* p = b.scanLine(0);
    const std::uint8_t stored[12] = {0, 0, 0, 0, 20, 40, 60, 128, 7, 9, 200, 255};
    std::memcpy(p, stored, 12);
    const Bytes out = b.saveToData();
    EXPECT_EQ(out[28], 32);
    EXPECT_EQ(u32(out, 30), 0u);
    // 20 * 255 / 128 = 39.8 -> 40; 40 -> 79.7 -> 80; 60 -> 119.5 -> 120
    EXPECT_EQ((Bytes(out.begin() + 54, out.end())),
              (Bytes{0, 0, 0, 0, 40, 80, 120, 128, 7, 9, 200, 255}));
}

TEST(BmpWriter, Os2SourceKeepsItsHeaderAndThreeByteTable) {
    samples::BmpOptions o{.headerSize = 12,
                          .width = 3,
                          .height = 1,
                          .bpp = 4,
                          .palette = {0x0000FF, 0x00FF00, 0xFF0000},
                          .pixelData = {0x01, 0x20, 0, 0}};
    o.palette.resize(16, 0);
    const Bytes file = samples::makeBmp(o);
    Bitmap b;
    b.loadFromData(file);
    EXPECT_TRUE(b.isOs2Origin());
    EXPECT_EQ(b.pixel(2, 0), 0xFFFF0000u);
    EXPECT_EQ(b.saveToData(), file);
}

TEST(BmpWriter, GreyJpegGivesAnEightBitGreyTable) {
    Bitmap grey;
    jpegData2Bitmap(samples::makeJpeg({.width = 10, .height = 6, .components = 1}), grey);
    const Bytes out = grey.saveToData();
    EXPECT_EQ(out[28], 8);
    const std::uint32_t entries = u32(out, 46);
    EXPECT_EQ(entries, grey.colorTable().size());
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t* e = &out[54 + 4 * i];
        EXPECT_TRUE(e[0] == e[1] && e[1] == e[2] && e[3] == 0);
    }
}

TEST(BmpWriter, ReplacesTheFileAtomically) {
    TempDir dir;
    const auto file = dir.path() / "Wallpaper.bmp";
    samples::writeFile(file, Bytes(100000, 7));
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setSize(2, 2);
    b.saveToFile(file);
    EXPECT_EQ(samples::readFile(file), b.saveToData());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_THROW(b.saveToFile(dir.path() / "no" / "such.bmp"), ImageError);
    EXPECT_EQ(samples::readFile(file), b.saveToData());
}

Bytes valid() {
    return samples::makeBmp({.width = 4, .height = 4, .bpp = 24, .pixelData = Bytes(48, 9)});
}

TEST(BmpDamaged, RefusedAsDecodingErrors) {
    std::vector<std::pair<const char*, Bytes>> cases;
    auto with = [&](const char* name, auto change) {
        Bytes b = valid();
        change(b);
        cases.emplace_back(name, b);
    };
    auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    with("empty", [](Bytes& b) { b.clear(); });
    with("badMagic", [](Bytes& b) { b[0] = 'X'; });
    with("truncatedHeader", [](Bytes& b) { b.resize(30); });
    with("truncatedPixels", [](Bytes& b) { b.resize(b.size() - 1); });
    with("headerSize13", [&](Bytes& b) { put32(b, 14, 13); });
    with("headerSizeHuge", [&](Bytes& b) { put32(b, 14, 0xFFFFFFF0); });
    with("zeroWidth", [&](Bytes& b) { put32(b, 18, 0); });
    with("negativeWidth", [&](Bytes& b) { put32(b, 18, 0xFFFFFFFF); });
    with("heightIntMin", [&](Bytes& b) { put32(b, 22, 0x80000000); });
    with("depth7", [](Bytes& b) { b[28] = 7; });
    with("depth64", [](Bytes& b) { b[28] = 64; });
    with("compressionJpeg", [&](Bytes& b) { put32(b, 30, 4); });
    with("rleOn24Bits", [&](Bytes& b) { put32(b, 30, 1); });
    with("huge", [&](Bytes& b) { put32(b, 18, 100000), put32(b, 22, 100000); });
    with("pixelOffsetPastEnd", [&](Bytes& b) { put32(b, 10, 0xFFFFFF00); });
    cases.emplace_back("rleTopDown", samples::makeBmp({.width = 2,
                                                       .height = 1,
                                                       .topDown = true,
                                                       .bpp = 8,
                                                       .compression = 1,
                                                       .palette = {0},
                                                       .pixelData = {0, 1}}));
    cases.emplace_back("rleCutShort", samples::makeBmp({.width = 2,
                                                        .height = 3,
                                                        .bpp = 8,
                                                        .compression = 1,
                                                        .palette = {0},
                                                        .pixelData = {2, 0, 0, 0, 2}}));
    cases.emplace_back("rleAbsoluteCutShort", samples::makeBmp({.width = 8,
                                                                .height = 1,
                                                                .bpp = 8,
                                                                .compression = 1,
                                                                .palette = {0},
                                                                .pixelData = {0, 8, 1, 2}}));
    cases.emplace_back("nonContiguousMask", samples::makeBmp({.width = 1,
                                                              .height = 1,
                                                              .bpp = 16,
                                                              .compression = 3,
                                                              .masks = {0xF00F, 0x0F00, 0x00F0},
                                                              .pixelData = {0, 0, 0, 0}}));
    cases.emplace_back("maskWiderThanPixel", samples::makeBmp({.width = 1,
                                                               .height = 1,
                                                               .bpp = 16,
                                                               .compression = 3,
                                                               .masks = {0xFF0000, 0xFF00, 0xFF},
                                                               .pixelData = {0, 0, 0, 0}}));
    cases.emplace_back("bitFieldsOn8Bits", samples::makeBmp({.width = 1,
                                                             .height = 1,
                                                             .bpp = 8,
                                                             .compression = 3,
                                                             .palette = {0},
                                                             .pixelData = {0, 0, 0, 0}}));
    TempDir dir;
    for (const auto& [name, bytes] : cases) {
        Bitmap b;
        b.setSize(2, 2);
        EXPECT_THROW(b.loadFromData(bytes), ImageError) << name;
        EXPECT_EQ(b.width(), 2) << name << ": a failed load leaves the bitmap alone";
        samples::writeFile(dir.path() / "x.bmp", bytes);
        EXPECT_FALSE(file2Bitmap(b, dir.path() / "x.bmp")) << name;
    }
}

TEST(BmpDamaged, PaletteIndexesBeyondTheTableShowBlack) {
    Bitmap b;
    b.loadFromData(samples::makeBmp({.width = 2,
                                     .height = 1,
                                     .bpp = 8,
                                     .palette = {0xFFFFFF},
                                     .colorsUsed = 1,
                                     .pixelData = {0, 200, 0, 0}}));
    EXPECT_EQ(b.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(b.pixel(1, 0), 0xFF000000u);
}

} // namespace
