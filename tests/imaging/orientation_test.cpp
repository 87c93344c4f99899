// EXIF orientation: the reader of the TIFF structure, the turn of a bitmap, and every decode
// path showing JPEG and PNG pictures upright.
#include "imaging/codecs.h"
#include "imaging/exif.h"
#include "imaging/orient.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using samples::Bytes;

// ------------------------------------------------------------------ the EXIF reader

struct ExifCase {
    const char* what;
    Bytes bytes;
    int orientation;
};

Bytes withPrefix(Bytes tiff) {
    tiff.insert(tiff.begin(), {'E', 'x', 'i', 'f', 0, 0});
    return tiff;
}

// The sample's orientation entry is the second of three, at offset 8 + 2 + 12.
constexpr std::size_t OrientationEntry = 22;

Bytes withEntryType(Bytes tiff, std::uint8_t type, std::uint32_t value) {
    tiff[OrientationEntry + 2] = type;
    tiff[OrientationEntry + 8] = static_cast<std::uint8_t>(value);
    tiff[OrientationEntry + 9] = static_cast<std::uint8_t>(value >> 8);
    tiff[OrientationEntry + 10] = static_cast<std::uint8_t>(value >> 16);
    tiff[OrientationEntry + 11] = static_cast<std::uint8_t>(value >> 24);
    return tiff;
}

std::vector<ExifCase> exifCases() {
    std::vector<ExifCase> cases;
    for (int o = 1; o <= 8; ++o) {
        cases.push_back({"little-endian", samples::exifWithOrientation(o), o});
        cases.push_back({"big-endian", samples::exifWithOrientation(o, true), o});
        cases.push_back({"with the Exif prefix", withPrefix(samples::exifWithOrientation(o)), o});
    }
    const Bytes six = samples::exifWithOrientation(6);
    Bytes cut = six;
    cut.resize(OrientationEntry + 6); // the directory ends inside the orientation entry
    Bytes countTooLarge = six;
    countTooLarge[8] = 0xFF; // more entries than bytes: those present are still read
    Bytes directoryOutside = six;
    directoryOutside[4] = 0xF0;
    Bytes badMagic = six;
    badMagic[2] = 43;
    Bytes mixedOrder = six;
    mixedOrder[1] = 'M';
    Bytes noTag = six;
    noTag[OrientationEntry] = 0x13; // another tag in its place
    Bytes noCount = six;
    noCount[OrientationEntry + 4] = 0;
    cases.insert(cases.end(),
                 {
                     {"a LONG value", withEntryType(six, 4, 8), 8},
                     {"zero", samples::exifWithOrientation(0), 1},
                     {"nine", samples::exifWithOrientation(9), 1},
                     {"65535", samples::exifWithOrientation(65535), 1},
                     {"a RATIONAL", withEntryType(six, 5, 3), 1},
                     {"empty", {}, 1},
                     {"only the prefix", withPrefix({}), 1},
                     {"cut inside the entry", cut, 1},
                     {"count beyond the bytes", countTooLarge, 6},
                     {"directory outside", directoryOutside, 1},
                     {"not 42", badMagic, 1},
                     {"byte order IM", mixedOrder, 1},
                     {"no orientation tag", noTag, 1},
                     {"no value", noCount, 1},
                     {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, 1},
                 });
    return cases;
}

class ExifReader : public ::testing::TestWithParam<ExifCase> {};

TEST_P(ExifReader, ReadsTheOrientationOrOne) {
    EXPECT_EQ(exifOrientation(GetParam().bytes), GetParam().orientation) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Payloads, ExifReader, ::testing::ValuesIn(exifCases()));

// ------------------------------------------------------------------ the reference turn

// Where a stored pixel shows in the upright picture, from what EXIF says orientation o
// means: the side of the upright picture that the stored first row and first column show.
enum class Side { Top, Bottom, Left, Right };
struct Sides {
    Side row0;
    Side column0;
};
constexpr Sides ExifSides[9] = {
    {Side::Top, Side::Left},                                 // (unused)
    {Side::Top, Side::Left},     {Side::Top, Side::Right},   // 1, 2
    {Side::Bottom, Side::Right}, {Side::Bottom, Side::Left}, // 3, 4
    {Side::Left, Side::Top},     {Side::Right, Side::Top},   // 5, 6
    {Side::Right, Side::Bottom}, {Side::Left, Side::Bottom}, // 7, 8
};

struct Point {
    int x, y;
};

// The upright position of stored pixel (sx, sy), for an upright picture uw x uh.
Point uprightOf(int o, int sx, int sy, int uw, int uh) {
    const Sides s = ExifSides[o];
    if (s.row0 == Side::Top || s.row0 == Side::Bottom)
        return {s.column0 == Side::Left ? sx : uw - 1 - sx, s.row0 == Side::Top ? sy : uh - 1 - sy};
    return {s.row0 == Side::Left ? sy : uw - 1 - sy, s.column0 == Side::Top ? sx : uh - 1 - sx};
}

struct FormatCase {
    PixelFormat format;
    bool alpha;
};

class OrientBitmap : public ::testing::TestWithParam<std::tuple<FormatCase, int>> {};

TEST_P(OrientBitmap, MatchesTheMeaningOfEachOrientation) {
    const auto [f, o] = GetParam();
    Bitmap stored;
    stored.setPixelFormat(f.format);
    stored.setSize(7, 5); // odd sides: packed rows end mid-byte
    if (f.alpha)
        stored.setAlphaMode(AlphaMode::Premultiplied);
    const auto& table = stored.colorTable();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const std::uint32_t colour =
                table.empty()
                    ? 0xFF000000u | static_cast<std::uint32_t>(x * 0x250000 + y * 0x3100 + 9)
                    : 0xFF000000u | table[static_cast<std::size_t>(x + 7 * y) % table.size()];
            stored.setPixel(x, y,
                            f.alpha ? (colour & 0x00FFFFFF) | std::uint32_t(255) << 24 : colour);
        }
    if (f.alpha)
        stored.setPixel(3, 1, 0x00000000);
    stored.setBrushColor(0x123456);
    Bitmap b = stored;
    orientBitmap(b, o);
    const int uw = o >= 5 ? 5 : 7;
    const int uh = o >= 5 ? 7 : 5;
    ASSERT_EQ(b.width(), uw);
    ASSERT_EQ(b.height(), uh);
    EXPECT_EQ(b.pixelFormat(), stored.pixelFormat());
    EXPECT_EQ(b.colorTable(), stored.colorTable());
    EXPECT_EQ(b.alphaMode(), stored.alphaMode());
    EXPECT_EQ(b.brushColor(), 0x123456u);
    for (int sy = 0; sy < 5; ++sy)
        for (int sx = 0; sx < 7; ++sx) {
            const Point u = uprightOf(o, sx, sy, uw, uh);
            ASSERT_EQ(b.pixel(u.x, u.y), stored.pixel(sx, sy))
                << "orientation " << o << ", stored pixel " << sx << "," << sy;
        }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, OrientBitmap,
    ::testing::Combine(::testing::Values(FormatCase{PixelFormat::Bits1, false},
                                         FormatCase{PixelFormat::Bits4, false},
                                         FormatCase{PixelFormat::Bits8, false},
                                         FormatCase{PixelFormat::Bits16, false},
                                         FormatCase{PixelFormat::Bits24, false},
                                         FormatCase{PixelFormat::Bits32, true},
                                         FormatCase{PixelFormat::Device, false}),
                       ::testing::Range(1, 9)));

TEST(OrientBitmap, LeavesOtherValuesAndEmptyBitmapsAlone) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setSize(3, 2);
    b.setPixel(0, 0, 0xFF0000FF);
    for (int o : {0, 1, 9, -6}) {
        Bitmap c = b;
        orientBitmap(c, o);
        EXPECT_EQ(c.width(), 3);
        EXPECT_EQ(c.pixel(0, 0), 0xFF0000FFu);
    }
    Bitmap empty;
    orientBitmap(empty, 6);
    EXPECT_TRUE(empty.empty());
}

// ------------------------------------------------------------------ pictures on disk

// The upright picture: four quadrants of distinct colour, each with a soft gradient, so
// that every turn and mirror shows. Its sides and quadrant edges are multiples of 8, so
// that JPEG blocks and reductions by 4 never straddle an edge.
constexpr int UprightWidth = 48;
constexpr int UprightHeight = 32;

std::uint8_t upright(int x, int y, int c) {
    static constexpr std::uint8_t Quadrants[4][3] = {
        {200, 40, 40}, {40, 180, 60}, {50, 60, 200}, {220, 220, 210}};
    const int q = (x >= UprightWidth / 2 ? 1 : 0) + (y >= UprightHeight / 2 ? 2 : 0);
    return static_cast<std::uint8_t>(Quadrants[q][c] + (x % 24) / 3 - (y % 16) / 4);
}

std::uint8_t uprightGrey(int x, int y) {
    return static_cast<std::uint8_t>((upright(x, y, 0) + 2 * upright(x, y, 1) + upright(x, y, 2)) /
                                     4);
}

enum class Kind { Jpeg, JpegGrey, JpegProgressive, Png, PngAlpha, PngInterlaced };

std::string kindName(Kind k) {
    switch (k) {
    case Kind::Jpeg:
        return "Jpeg";
    case Kind::JpegGrey:
        return "JpegGrey";
    case Kind::JpegProgressive:
        return "JpegProgressive";
    case Kind::Png:
        return "Png";
    case Kind::PngAlpha:
        return "PngAlpha";
    case Kind::PngInterlaced:
        return "PngInterlaced";
    }
    return {};
}

bool isJpeg(Kind k) {
    return k == Kind::Jpeg || k == Kind::JpegGrey || k == Kind::JpegProgressive;
}

// The picture as stored for orientation o (turned so that o turns it back upright), with
// o written in its EXIF.
Bytes storedPicture(Kind kind, int o) {
    const int sw = o >= 5 ? UprightHeight : UprightWidth;
    const int sh = o >= 5 ? UprightWidth : UprightHeight;
    auto pixel = [o, sw, sh](int sx, int sy, int c) {
        (void)sw;
        (void)sh;
        const Point u = uprightOf(o, sx, sy, UprightWidth, UprightHeight);
        return c == 3 ? std::uint8_t(255) : upright(u.x, u.y, c);
    };
    auto greyPixel = [o](int sx, int sy, int) {
        const Point u = uprightOf(o, sx, sy, UprightWidth, UprightHeight);
        return uprightGrey(u.x, u.y);
    };
    const Bytes exif = samples::exifWithOrientation(o, o % 2 == 0);
    switch (kind) {
    case Kind::Jpeg:
    case Kind::JpegProgressive:
        return samples::makeJpeg({.width = sw,
                                  .height = sh,
                                  .quality = 95,
                                  .subsample444 = true,
                                  .progressive = kind == Kind::JpegProgressive,
                                  .pixel = pixel,
                                  .exif = exif});
    case Kind::JpegGrey:
        return samples::makeJpeg({.width = sw,
                                  .height = sh,
                                  .components = 1,
                                  .quality = 95,
                                  .pixel = greyPixel,
                                  .exif = exif});
    case Kind::Png:
    case Kind::PngInterlaced:
        return samples::makePng({.width = sw,
                                 .height = sh,
                                 .colorType = 2,
                                 .interlace = kind == Kind::PngInterlaced,
                                 .pixel = pixel,
                                 .exif = exif});
    case Kind::PngAlpha:
        return samples::makePng(
            {.width = sw, .height = sh, .colorType = 6, .pixel = pixel, .exif = exif});
    }
    return {};
}

class Orientation : public ::testing::TestWithParam<std::tuple<Kind, int>> {
protected:
    void SetUp() override {
        const auto [kind, o] = GetParam();
        m_kind = kind;
        m_file = m_dir.path() / (isJpeg(kind) ? "p.jpg" : "p.png");
        samples::writeFile(m_file, storedPicture(kind, o));
    }
    // The expected colour channel c of pixel (x, y) of the upright picture reduced by
    // `factor` (the mean of its factor x factor block).
    double expected(int x, int y, int c, int factor) const {
        double sum = 0;
        for (int j = 0; j < factor; ++j)
            for (int i = 0; i < factor; ++i) {
                const int ux = x * factor + i, uy = y * factor + j;
                sum += m_kind == Kind::JpegGrey ? uprightGrey(ux, uy) : upright(ux, uy, c);
            }
        return sum / (factor * factor);
    }
    // The largest difference of got's pixels from the upright picture reduced by factor:
    // per pixel for lossless pictures, per 4 x 4 cell mean for JPEG.
    double worstDifference(const Bitmap& got, int factor) const {
        const int cell = isJpeg(m_kind) && factor == 1 ? 4 : 1;
        double worst = 0;
        for (int cy = 0; cy < got.height() / cell; ++cy)
            for (int cx = 0; cx < got.width() / cell; ++cx)
                for (int c = 0; c < 3; ++c) {
                    double have = 0, want = 0;
                    for (int j = 0; j < cell; ++j)
                        for (int i = 0; i < cell; ++i) {
                            const int x = cx * cell + i, y = cy * cell + j;
                            have += (got.pixel(x, y) >> (16 - 8 * c)) & 0xFF;
                            want += expected(x, y, c, factor);
                        }
                    worst = std::max(worst, std::abs(have - want) / (cell * cell));
                }
        return worst;
    }
    // JPEG's loss, and its DCT scaling against a plain mean.
    double tolerance(int factor) const {
        return isJpeg(m_kind) ? (factor == 1 ? 4.0 : 8.0) : factor == 1 ? 0.0 : 0.5;
    }
    TempDir m_dir;
    Kind m_kind = Kind::Jpeg;
    std::filesystem::path m_file;
};

TEST_P(Orientation, FullDecodeIsUpright) {
    Bitmap b;
    ASSERT_TRUE(file2Bitmap(b, m_file));
    ASSERT_EQ(b.width(), UprightWidth);
    ASSERT_EQ(b.height(), UprightHeight);
    EXPECT_LE(worstDifference(b, 1), tolerance(1));
}

TEST_P(Orientation, ReducedDecodeIsUprightAndCoversTheUprightSize) {
    // 12 x 8 is covered by a reduction by 4 of the upright 48 x 32 picture; the stored
    // 32 x 48 picture of a quarter turn reduced for 12 x 8 would come out larger.
    Bitmap b;
    ASSERT_EQ(file2BitmapReduced(b, m_file, 12, 8), DecodeStatus::Ok);
    ASSERT_EQ(b.width(), 12);
    ASSERT_EQ(b.height(), 8);
    EXPECT_LE(worstDifference(b, 4), tolerance(4));
}

TEST_P(Orientation, AveragedDecodeIsUpright) {
    Bitmap dest;
    dest.setPixelFormat(PixelFormat::Bits24);
    dest.setSize(12, 8);
    ASSERT_EQ(file2BitmapAveraged(dest, m_file), DecodeStatus::Ok);
    ASSERT_EQ(dest.width(), 12);
    ASSERT_EQ(dest.height(), 8);
    EXPECT_EQ(dest.pixelFormat(), PixelFormat::Bits24);
    EXPECT_LE(worstDifference(dest, 4), tolerance(4));
}

INSTANTIATE_TEST_SUITE_P(JpegAndPng, Orientation,
                         ::testing::Combine(::testing::Values(Kind::Jpeg, Kind::JpegGrey,
                                                              Kind::JpegProgressive, Kind::Png,
                                                              Kind::PngAlpha, Kind::PngInterlaced),
                                            ::testing::Range(1, 9)),
                         [](const auto& info) {
                             return kindName(std::get<0>(info.param)) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// Averaging onto a size that is no whole reduction: a turned picture averages to what its
// upright twin does.
TEST(OrientationAveraged, QuarterTurnAveragesLikeTheUprightPicture) {
    TempDir dir;
    samples::writeFile(dir.path() / "upright.png", storedPicture(Kind::Png, 1));
    Bitmap want;
    want.setPixelFormat(PixelFormat::Bits24);
    want.setSize(19, 11);
    ASSERT_EQ(file2BitmapAveraged(want, dir.path() / "upright.png"), DecodeStatus::Ok);
    for (int o = 2; o <= 8; ++o) {
        const auto file = dir.path() / ("turned" + std::to_string(o) + ".png");
        samples::writeFile(file, storedPicture(Kind::Png, o));
        Bitmap got;
        got.setPixelFormat(PixelFormat::Bits24);
        got.setSize(19, 11);
        ASSERT_EQ(file2BitmapAveraged(got, file), DecodeStatus::Ok);
        ASSERT_EQ(got.width(), 19);
        int worst = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 19; ++x)
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(int((got.pixel(x, y) >> (8 * c)) & 0xFF) -
                                                     int((want.pixel(x, y) >> (8 * c)) & 0xFF)));
        EXPECT_LE(worst, 1) << "orientation " << o;
    }
}

} // namespace
