// JPEG decoding against libjpeg's own decode, and the thumbnail encoder.
#include "imaging/codecs.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstring>

#include <jpeglib.h>

namespace {

struct JpegCase {
    const char* name;
    samples::JpegOptions options;
};

class JpegVariants : public ::testing::TestWithParam<JpegCase> {};

// Straight RGB of a CMYK sample as the decoder is meant to convert it.
std::uint32_t cmykToRgb(const std::uint8_t* p, bool adobe) {
    unsigned c = p[0], m = p[1], y = p[2], k = p[3];
    if (!adobe) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    auto mul = [k](unsigned v) { return (v * k + 127) / 255; };
    return 0xFF000000 | mul(c) << 16 | mul(m) << 8 | mul(y);
}

TEST_P(JpegVariants, DecodesToTheLibrarysOwnPixels) {
    const samples::Bytes jpeg = samples::makeJpeg(GetParam().options);
    const samples::Decoded ref = samples::referenceJpeg(jpeg);
    Bitmap b;
    jpegData2Bitmap(jpeg, b);
    ASSERT_EQ(b.width(), ref.width);
    ASSERT_EQ(b.height(), ref.height);
    switch (ref.components) {
    case 1:
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
        EXPECT_EQ(b.colorTable(), greyColorTable());
        break;
    case 3:
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
        break;
    default:
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
        EXPECT_EQ(b.alphaMode(), AlphaMode::Ignored);
    }
    int mismatches = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const std::uint8_t* p =
                &ref.pixels[(static_cast<std::size_t>(y) * ref.width + x) * ref.components];
            std::uint32_t expected;
            if (ref.components == 1)
                expected = 0xFF000000 | p[0] * 0x010101u;
            else if (ref.components == 3)
                expected = 0xFF000000 | std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
            else
                expected = cmykToRgb(p, ref.adobe);
            mismatches += b.pixel(x, y) != expected;
        }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JpegVariants,
    ::testing::Values(JpegCase{"subsampled420", {.width = 67, .height = 45}},
                      JpegCase{"full444", {.width = 40, .height = 33, .subsample444 = true}},
                      JpegCase{"grey", {.width = 50, .height = 31, .components = 1}},
                      JpegCase{"cmykAdobe", {.width = 24, .height = 17, .components = 4}},
                      JpegCase{"cmykPlain",
                               {.width = 24, .height = 17, .components = 4, .adobe = false}},
                      JpegCase{"ycck", {.width = 31, .height = 20, .components = 4, .ycck = true}},
                      JpegCase{"progressive", {.width = 80, .height = 61, .progressive = true}},
                      JpegCase{"progressiveGrey",
                               {.width = 30, .height = 30, .components = 1, .progressive = true}},
                      JpegCase{"restartMarkers", {.width = 70, .height = 50, .restartRows = 1}}),
    [](const auto& info) { return std::string(info.param.name); });

// A grey picture keeps its own levels: one of flat grey comes out flat, with no pattern
// of neighbouring levels mixed in, also where its level is not one of a reduced set
// (6, 57, 121, 198 and 249 are none of 236 evenly spaced levels).
TEST(Jpeg, FlatGreyStaysFlat) {
    for (const int level : {0, 6, 57, 121, 128, 198, 249, 255}) {
        SCOPED_TRACE(level);
        const samples::Bytes jpeg = samples::makeJpeg(
            {.width = 64, .height = 40, .components = 1, .pixel = [level](int, int, int) {
                 return std::uint8_t(level);
             }});
        Bitmap b;
        jpegData2Bitmap(jpeg, b);
        ASSERT_EQ(b.pixelFormat(), PixelFormat::Bits8);
        EXPECT_EQ(b.colorTable(), greyColorTable());
        int others = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                others += b.pixel(x, y) != 0xFF000000u + std::uint32_t(level) * 0x010101u;
        EXPECT_EQ(others, 0);
    }
}

TEST(Jpeg, CmykColoursAreConvertedToRgb) {
    // Pure inks must not come out as their raw bytes: a cyan CMYK picture shows cyan.
    const samples::Bytes jpeg = samples::makeJpeg({.width = 16, .height = 16, .components = 4});
    Bitmap b;
    jpegData2Bitmap(jpeg, b);
    const samples::Decoded ref = samples::referenceJpeg(jpeg);
    const std::uint32_t c = b.pixel(8, 8);
    EXPECT_NE(c & 0xFFFFFF, (std::uint32_t(ref.pixels[(8 * 16 + 8) * 4]) << 16) |
                                (std::uint32_t(ref.pixels[(8 * 16 + 8) * 4 + 1]) << 8) |
                                ref.pixels[(8 * 16 + 8) * 4 + 2])
        << "raw CMYK bytes were copied";
}

TEST(Jpeg, TruncatedAndCorruptedFilesFail) {
    const samples::Bytes jpeg = samples::makeJpeg({.width = 64, .height = 64});
    for (std::size_t keep :
         {std::size_t(0), std::size_t(2), std::size_t(100), jpeg.size() / 2, jpeg.size() - 40}) {
        Bitmap b;
        EXPECT_THROW(jpegData2Bitmap(std::span(jpeg.data(), keep), b), ImageError) << keep;
    }
    samples::Bytes noSize = jpeg;
    for (std::size_t i = 0; i + 8 < noSize.size(); ++i)
        if (noSize[i] == 0xFF && noSize[i + 1] == 0xC0) { // SOF0: zero the height
            noSize[i + 5] = noSize[i + 6] = 0;
            break;
        }
    Bitmap b;
    EXPECT_THROW(jpegData2Bitmap(noSize, b), ImageError);
    samples::Bytes garbage(500, 0x42);
    EXPECT_THROW(jpegData2Bitmap(garbage, b), ImageError);
}

TEST(Jpeg, PictureBeyondTheRasterLimitIsRefused) {
    samples::Bytes jpeg = samples::makeJpeg({.width = 8, .height = 8});
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) { // 65000 x 65000
            jpeg[i + 5] = jpeg[i + 7] = 0xFD;
            jpeg[i + 6] = jpeg[i + 8] = 0xE8;
            break;
        }
    Bitmap b;
    EXPECT_THROW(jpegData2Bitmap(jpeg, b), ImageError);
}

// The encoder's promise, checked against libjpeg with the same settings.
samples::Bytes referenceEncode(const Bitmap& b) {
    struct Err {
        jpeg_error_mgr pub;
    } err{};
    jpeg_compress_struct c{};
    c.err = jpeg_std_error(&err.pub);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(b.width());
    c.image_height = static_cast<JDIMENSION>(b.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(b.width()) * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t p = b.pixel(x, static_cast<int>(c.next_scanline));
            row[3 * x] = static_cast<std::uint8_t>(p >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(p);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    samples::Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

TEST(Bitmap2Jpeg, WritesBaselineQuality90JfifAndReplacesTheFile) {
    TempDir dir;
    Bitmap b;
    jpegData2Bitmap(samples::makeJpeg({.width = 197, .height = 123}), b);
    const auto file = dir.path() / "thumb.jpg";
    samples::writeFile(file, samples::Bytes(10000, 0x11));
    bitmap2Jpeg(b, file);
    const samples::Bytes written = samples::readFile(file);
    EXPECT_EQ(written, referenceEncode(b));
    ASSERT_GT(written.size(), 20u);
    EXPECT_EQ(std::string(written.begin() + 6, written.begin() + 10), "JFIF");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary left";
}

TEST(Bitmap2Jpeg, EncodesA24BitCopyOfOtherFormats) {
    TempDir dir;
    Bitmap grey;
    jpegData2Bitmap(samples::makeJpeg({.width = 20, .height = 10, .components = 1}), grey);
    const Bitmap before = grey;
    bitmap2Jpeg(grey, dir.path() / "g.jpg");
    EXPECT_EQ(samples::readFile(dir.path() / "g.jpg"), referenceEncode(grey));
    EXPECT_EQ(grey.pixelFormat(), PixelFormat::Bits8) << "the source is not changed";
    EXPECT_EQ(std::memcmp(grey.scanLine(5), before.scanLine(5), 20), 0);
    Bitmap decoded;
    ASSERT_TRUE(file2Bitmap(decoded, dir.path() / "g.jpg"));
    EXPECT_EQ(decoded.pixelFormat(), PixelFormat::Bits24);
}

TEST(Bitmap2Jpeg, EmptyBitmapGivesAnEmptyFile) {
    TempDir dir;
    const auto file = dir.path() / "e.jpg";
    samples::writeFile(file, samples::Bytes(50, 1));
    bitmap2Jpeg(Bitmap(), file);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST(Bitmap2Jpeg, UnwritablePlaceThrowsAndLeavesNothing) {
    TempDir dir;
    Bitmap b;
    b.setSize(4, 4);
    EXPECT_THROW(bitmap2Jpeg(b, dir.path() / "missing" / "x.jpg"), ImageError);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

} // namespace
