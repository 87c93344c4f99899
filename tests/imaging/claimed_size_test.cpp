// Pictures that declare more than their bytes can hold: a run-length BMP that paints almost
// nothing of a huge raster and a JPEG whose data stops long before its declared size are
// refused as damaged before any raster exists; a progressive JPEG with more scans than its
// length warrants is shown reduced. Honest pictures that compress very well (flat colour,
// mostly skipped sprites, arithmetic coding) still decode.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"

#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace fs = std::filesystem;

namespace {

// --- run-length BMP ---------------------------------------------------------------------

constexpr std::uint32_t Painted = 0xFF0000; // index 1; the skipped pixels keep index 0

// Every row paints `painted` pixels with runs of index 1, then ends its line.
samples::Bytes rowsPainting(int height, int painted, bool rle8) {
    samples::Bytes s;
    for (int y = 0; y < height; ++y) {
        for (int left = painted; left > 0; left -= 254) {
            s.push_back(static_cast<std::uint8_t>(std::min(left, 254)));
            s.push_back(rle8 ? 0x01 : 0x11);
        }
        s.insert(s.end(), {0, 0});
    }
    s.insert(s.end(), {0, 1});
    return s;
}

// One run, then deltas of 255 right and 255 up until past the top.
samples::Bytes deltaSkips(int height) {
    samples::Bytes s = {4, 1};
    for (int y = 0; y <= height; y += 255)
        s.insert(s.end(), {0, 2, 255, 255});
    s.insert(s.end(), {0, 1});
    return s;
}

struct RleCase {
    const char* name;
    int width;
    int height;
    bool rle8;
    samples::Bytes stream;
    DecodeStatus want;
};

void PrintTo(const RleCase& c, std::ostream* out) {
    *out << c.name;
}

class RunLengthClaims : public testing::TestWithParam<RleCase> {};

TEST_P(RunLengthClaims, DecodeOnlyWhatTheirRunsPaint) {
    const RleCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / "picture.bmp";
    samples::writeFile(file, samples::makeBmp({.width = c.width,
                                               .height = c.height,
                                               .bpp = c.rle8 ? 8 : 4,
                                               .compression = c.rle8 ? 1u : 2u,
                                               .palette = {0x000000, Painted},
                                               .pixelData = c.stream}));
    Bitmap b;
    ASSERT_EQ(file2BitmapStatus(b, file), c.want);
    if (c.want != DecodeStatus::Ok) {
        EXPECT_NE(file2BitmapReduced(b, file), DecodeStatus::Ok);
        EXPECT_TRUE(b.empty());
        return;
    }
    ASSERT_EQ(b.width(), c.width);
    ASSERT_EQ(b.height(), c.height);
    // The bottom row starts with a run; its far end was skipped.
    EXPECT_EQ(b.pixel(0, c.height - 1) & 0xFFFFFF, Painted);
    EXPECT_EQ(b.pixel(c.width - 1, c.height - 1) & 0xFFFFFF, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, RunLengthClaims,
    testing::Values(
        // 24 million pixels from a two-byte stream.
        RleCase{"EndOfBitmapAtOnce", 6000, 4000, true, {0, 1}, DecodeStatus::Undecodable},
        RleCase{"OnlyEndsOfLine", 6000, 4000, false, rowsPainting(4000, 0, false),
                DecodeStatus::Undecodable},
        RleCase{"DeltaSkips", 6000, 4000, true, deltaSkips(4000), DecodeStatus::Undecodable},
        // One pixel in sixteen painted is the least a large picture may paint.
        RleCase{"JustUnderOneInSixteen", 4800, 4000, true, rowsPainting(4000, 299, true),
                DecodeStatus::Undecodable},
        RleCase{"OneInSixteen", 4800, 4000, true, rowsPainting(4000, 300, true), DecodeStatus::Ok},
        RleCase{"PaintedWithLongRuns", 4800, 4000, false, rowsPainting(4000, 4700, false),
                DecodeStatus::Ok},
        // Up to 4096 x 4096 a picture may leave any share to its skips.
        RleCase{"SmallPictureMostlySkipped", 4096, 4096, false, rowsPainting(1, 8, false),
                DecodeStatus::Ok}),
    [](const auto& info) { return std::string(info.param.name); });

// --- JPEG -----------------------------------------------------------------------------

constexpr int Flat[3] = {200, 60, 30};

struct FlatJpeg {
    int width;
    int height;
    int components = 3;
    bool progressive = false;
    bool arithmetic = false;
    // Grey only: a progressive script of one scan per coefficient plus this many
    // refinement scans for each (1 + 63 * (1 + refinements) scans).
    int refinements = -1;
};

// A picture of one flat colour (grey: its red), encoded by libjpeg as tightly as it can.
samples::Bytes makeFlatJpeg(const FlatJpeg& o) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(o.width);
    c.image_height = static_cast<JDIMENSION>(o.height);
    c.input_components = o.components;
    c.in_color_space = o.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    c.optimize_coding = !o.arithmetic;
    c.arith_code = o.arithmetic;
    std::vector<jpeg_scan_info> script;
    if (o.refinements >= 0) {
        script.push_back({1, {0}, 0, 0, 0, 0});
        for (int k = 1; k < 64; ++k) {
            script.push_back({1, {0}, k, k, 0, o.refinements});
            for (int al = o.refinements; al > 0; --al)
                script.push_back({1, {0}, k, k, al, al - 1});
        }
        c.scan_info = script.data();
        c.num_scans = static_cast<int>(script.size());
    } else if (o.progressive) {
        jpeg_simple_progression(&c);
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(o.width) * o.components);
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = static_cast<JSAMPLE>(Flat[i % o.components]);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    samples::Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// The file with its frame header declaring width x height and its data ending at an
// end-of-image marker right after the first scan header, as a hostile file does.
samples::Bytes enlarged(samples::Bytes jpeg, int width, int height) {
    std::size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        const int marker = jpeg[i + 1];
        const std::size_t length = std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
        } else if (marker == 0xDA) {
            jpeg.resize(i + 2 + length);
            jpeg.insert(jpeg.end(), {0xFF, 0xD9});
            return jpeg;
        }
        i += 2 + length;
    }
    ADD_FAILURE() << "no scan found";
    return jpeg;
}

struct JpegCase {
    const char* name;
    std::function<samples::Bytes()> make;
    DecodeStatus want;
};

void PrintTo(const JpegCase& c, std::ostream* out) {
    *out << c.name;
}

class JpegClaims : public testing::TestWithParam<JpegCase> {};

TEST_P(JpegClaims, DecodeOnlyWhatTheirLengthCanHold) {
    TempDir dir;
    const fs::path file = dir.path() / "picture.jpg";
    const samples::Bytes bytes = GetParam().make();
    samples::writeFile(file, bytes);
    Bitmap b;
    EXPECT_EQ(file2BitmapStatus(b, file), GetParam().want) << bytes.size() << " bytes";
    if (GetParam().want != DecodeStatus::Ok) {
        EXPECT_NE(file2BitmapReduced(b, file), DecodeStatus::Ok);
        EXPECT_TRUE(b.empty());
        return;
    }
    const std::uint32_t p = b.pixel(b.width() / 2, b.height() / 2);
    EXPECT_NEAR(int(p >> 16 & 0xFF), Flat[0], 4);
    if (b.pixelFormat() != PixelFormat::Bits8) {
        EXPECT_NEAR(int(p >> 8 & 0xFF), Flat[1], 4);
        EXPECT_NEAR(int(p & 0xFF), Flat[2], 4);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, JpegClaims,
    testing::Values(
        // A few hundred bytes declaring 63491 x 1040: about 1.5 million blocks.
        JpegCase{
            "BaselineStoppingAtOnce",
            [] { return enlarged(samples::makeJpeg({.width = 16, .height = 16}), 63491, 1040); },
            DecodeStatus::Undecodable},
        JpegCase{"GreyStoppingAtOnce",
                 [] {
                     return enlarged(
                         samples::makeJpeg({.width = 16, .height = 16, .components = 1}), 63491,
                         1040);
                 },
                 DecodeStatus::Undecodable},
        JpegCase{"ProgressiveStoppingAtOnce",
                 [] {
                     return enlarged(
                         samples::makeJpeg({.width = 16, .height = 16, .progressive = true}), 20000,
                         5000);
                 },
                 DecodeStatus::Undecodable},
        // Flat pictures take about two bits a block: as little as a complete file can.
        JpegCase{"FlatBaseline", [] { return makeFlatJpeg({.width = 2400, .height = 1600}); },
                 DecodeStatus::Ok},
        JpegCase{"FlatProgressive",
                 [] { return makeFlatJpeg({.width = 2400, .height = 1600, .progressive = true}); },
                 DecodeStatus::Ok},
        JpegCase{"FlatGreyProgressive",
                 [] {
                     return makeFlatJpeg(
                         {.width = 2400, .height = 1600, .components = 1, .progressive = true});
                 },
                 DecodeStatus::Ok},
        // Arithmetic coding makes a flat picture a few hundred bytes in all.
        JpegCase{"FlatArithmetic",
                 [] { return makeFlatJpeg({.width = 2400, .height = 1600, .arithmetic = true}); },
                 DecodeStatus::Ok},
        // ...but not 30000 x 30000 (14 million blocks): that may be honest, and is too large.
        JpegCase{"ArithmeticStoppingAtOnce",
                 [] {
                     return enlarged(
                         makeFlatJpeg(
                             {.width = 64, .height = 64, .components = 1, .arithmetic = true}),
                         30000, 30000);
                 },
                 DecodeStatus::TooLarge}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegScans, MoreScansThanTheLengthWarrantsAreShownReduced) {
    TempDir dir;
    const fs::path file = dir.path() / "scans.jpg";
    // 190 scans over 30000 blocks in a file of a few kilobytes: each scan costs a few bytes
    // and a walk over every block.
    samples::writeFile(file, makeFlatJpeg({.width = 1600,
                                           .height = 1200,
                                           .components = 1,
                                           .progressive = true,
                                           .refinements = 2}));
    Bitmap b;
    EXPECT_EQ(file2BitmapStatus(b, file), DecodeStatus::TooLarge);
    ASSERT_EQ(file2BitmapReduced(b, file), DecodeStatus::Ok);
    EXPECT_EQ(b.width(), 1600);
    EXPECT_EQ(b.height(), 1200);
    // The first scans carry the flat level.
    EXPECT_NEAR(int(b.pixel(800, 600) & 0xFF), Flat[0], 4);
}

} // namespace
