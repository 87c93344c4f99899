// Pictures over the raster limit: refused as too large (not as damaged) by the full
// decode, shown by the reduced decode within the limit with the right colours; hostile
// files declaring huge sizes are still refused.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"

#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

constexpr int Width = 400, Height = 300;
constexpr std::uint64_t Limit = 60000; // a 400 x 300 raster takes 360000 bytes
constexpr std::uint32_t QuadrantColours[4] = {0xD02020, 0x20C040, 0x2040D0, 0x808080};

// Top-left, top-right, bottom-left, bottom-right quadrant colours.
std::uint32_t quadrantColour(int x, int y, int w, int h) {
    return QuadrantColours[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
}

Bitmap quadrants(int w, int h) {
    Bitmap b;
    b.createUninitialized(w, h, PixelFormat::Bits24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, 0xFF000000 | quadrantColour(x, y, w, h));
    return b;
}

void writePng(const fs::path& file, int colorType, bool interlace) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, Width, Height, 8, colorType,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[4];
        for (int i = 0; i < 4; ++i)
            palette[i] = {png_byte(QuadrantColours[i] >> 16), png_byte(QuadrantColours[i] >> 8),
                          png_byte(QuadrantColours[i])};
        png_set_PLTE(png, info, palette, 4);
    }
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_PALETTE ? 1
                         : colorType == PNG_COLOR_TYPE_RGBA  ? 4
                                                             : 3;
    std::vector<png_byte> rows(std::size_t(Width) * Height * channels);
    std::vector<png_bytep> pointers(Height);
    for (int y = 0; y < Height; ++y) {
        pointers[y] = rows.data() + std::size_t(y) * Width * channels;
        for (int x = 0; x < Width; ++x) {
            png_bytep p = pointers[y] + x * channels;
            const std::uint32_t c = quadrantColour(x, y, Width, Height);
            if (channels == 1) {
                p[0] = png_byte((y >= Height / 2 ? 2 : 0) + (x >= Width / 2 ? 1 : 0));
                continue;
            }
            p[0] = png_byte(c >> 16), p[1] = png_byte(c >> 8), p[2] = png_byte(c);
            if (channels == 4)
                p[3] = 255;
        }
    }
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// A grey progressive JPEG whose scan script has `scans` scans (successive approximation of
// every coefficient), of the quadrants' grey levels.
void writeManyScanJpeg(const fs::path& file, int bitsPerCoefficient) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = Width;
    c.image_height = Height;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    std::vector<jpeg_scan_info> script;
    script.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
        script.push_back({1, {0}, k, k, 0, bitsPerCoefficient});
        for (int al = bitsPerCoefficient; al > 0; --al)
            script.push_back({1, {0}, k, k, al, al - 1});
    }
    c.scan_info = script.data();
    c.num_scans = static_cast<int>(script.size());
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(Width);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < Width; ++x)
            row[x] = JSAMPLE(quadrantColour(x, int(c.next_scanline), Width, Height) >> 8);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

struct Kind {
    const char* name;
    const char* extension;
    std::function<void(const fs::path&)> write;
    int tolerance; // per channel, at the middle of each quadrant
    int minShare;  // the reduced side is at least 1 / minShare of the picture's
};

const Kind Kinds[] = {
    {"Jpeg", ".jpg", [](const fs::path& f) { bitmap2Jpeg(quadrants(Width, Height), f); }, 12, 3},
    {"PngRgb", ".png", [](const fs::path& f) { writePng(f, PNG_COLOR_TYPE_RGB, false); }, 1, 3},
    {"PngRgba", ".png", [](const fs::path& f) { writePng(f, PNG_COLOR_TYPE_RGBA, false); }, 1, 3},
    {"PngPalette", ".png", [](const fs::path& f) { writePng(f, PNG_COLOR_TYPE_PALETTE, false); }, 1,
     3},
    {"PngInterlaced", ".png", [](const fs::path& f) { writePng(f, PNG_COLOR_TYPE_RGB, true); }, 1,
     6}, // its sums for the whole reduced picture count against the limit
    {"Bmp24", ".bmp", [](const fs::path& f) { quadrants(Width, Height).saveToFile(f); }, 1, 3},
    {"Bmp8", ".bmp",
     [](const fs::path& f) {
         Bitmap b = quadrants(Width, Height);
         b.setColorTable(
             {QuadrantColours[0], QuadrantColours[1], QuadrantColours[2], QuadrantColours[3]});
         b.setPixelFormat(PixelFormat::Bits8);
         b.saveToFile(f);
     },
     1, 3},
};

void expectQuadrants(const Bitmap& b, int tolerance) {
    for (int q = 0; q < 4; ++q) {
        const int x = b.width() / 4 + (q & 1) * b.width() / 2;
        const int y = b.height() / 4 + (q >> 1) * b.height() / 2;
        const std::uint32_t got = b.pixel(x, y), want = QuadrantColours[q];
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), tolerance)
                << "quadrant " << q << " at " << x << "," << y << std::hex << " got " << got;
    }
}

std::uint64_t rasterBytes(const Bitmap& b) {
    return b.stride() * static_cast<std::uint64_t>(b.height());
}

class OverTheLimit : public testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        GetParam().write(m_file);
        setMaxRasterBytes(Limit);
    }
    void TearDown() override { setMaxRasterBytes(std::uint64_t(1) << 30); }
    TempDir m_dir;
    fs::path m_file = m_dir.path() / (std::string("picture") + GetParam().extension);
};

TEST_P(OverTheLimit, FullDecodeRefusesItAsTooLargeNotAsDamaged) {
    Bitmap b;
    b.setSize(3, 2);
    EXPECT_EQ(file2BitmapStatus(b, m_file), DecodeStatus::TooLarge);
    EXPECT_FALSE(file2Bitmap(b, m_file));
    EXPECT_EQ(b.width(), 3); // untouched
    setMaxRasterBytes(std::uint64_t(1) << 30);
    EXPECT_EQ(file2BitmapStatus(b, m_file), DecodeStatus::Ok);
    EXPECT_EQ(b.width(), Width);
}

TEST_P(OverTheLimit, ReducedDecodeFitsTheLimitWithItsColoursAndShape) {
    Bitmap b;
    ASSERT_EQ(file2BitmapReduced(b, m_file), DecodeStatus::Ok);
    EXPECT_LE(rasterBytes(b), Limit);
    // As large as the reduction steps allow.
    EXPECT_GE(b.width(), Width / GetParam().minShare);
    EXPECT_NEAR(double(b.width()) / b.height(), double(Width) / Height, 0.05);
    expectQuadrants(b, GetParam().tolerance);
}

TEST_P(OverTheLimit, ReducedDecodeForACoverSizeKeepsAtLeastThatSize) {
    Bitmap b;
    ASSERT_EQ(file2BitmapReduced(b, m_file, 40, 30), DecodeStatus::Ok);
    EXPECT_GE(b.width(), 40);
    EXPECT_GE(b.height(), 30);
    EXPECT_LE(b.width(), 80) << "reduced less than the cover size allows";
    expectQuadrants(b, GetParam().tolerance + 4);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OverTheLimit, testing::ValuesIn(Kinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reduced, ProgressiveJpegOverItsScanLimitShowsItsFirstScans) {
    TempDir dir;
    const fs::path file = dir.path() / "scans.jpg";
    // 1 + 63 * 9 = 568 scans: beyond the scan limit, but a valid file.
    writeManyScanJpeg(file, 8);
    Bitmap b;
    EXPECT_EQ(file2BitmapStatus(b, file), DecodeStatus::TooLarge);
    ASSERT_EQ(file2BitmapReduced(b, file), DecodeStatus::Ok);
    EXPECT_EQ(b.width(), Width);
    EXPECT_EQ(b.height(), Height);
    // Every coefficient is known to within its last bits by then: the grey levels show.
    for (int q = 0; q < 4; ++q) {
        const int x = Width / 4 + (q & 1) * Width / 2, y = Height / 4 + (q >> 1) * Height / 2;
        EXPECT_NEAR(int(b.pixel(x, y) & 0xFF), int(QuadrantColours[q] >> 8 & 0xFF), 12) << q;
    }
}

// Hostile files: a huge declared size and almost no data.
samples::Bytes hugeJpeg() {
    Bitmap small = quadrants(16, 16);
    TempDir dir;
    bitmap2Jpeg(small, dir.path() / "s.jpg");
    samples::Bytes bytes = samples::readFile(dir.path() / "s.jpg");
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) { // SOF0: height and width at +5
            bytes[i + 5] = bytes[i + 7] = 0xEA;
            bytes[i + 6] = bytes[i + 8] = 0x60; // 60000 x 60000
            break;
        }
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) { // and cut short after the scan header
            bytes.resize(std::min(bytes.size(), i + 24));
            break;
        }
    return bytes;
}

samples::Bytes hugePng() {
    samples::Bytes bytes = samples::makePng({});
    // IHDR data starts at 16: width, height (big-endian), then its CRC at 29.
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = std::uint8_t(v >> (24 - 8 * i));
    };
    put32(16, 1000000);
    put32(20, 1000000);
    put32(29, static_cast<std::uint32_t>(crc32(0, bytes.data() + 12, 17)));
    return bytes;
}

samples::Bytes hugeBmp() {
    samples::BmpOptions o;
    o.width = 100000;
    o.height = 100000;
    o.pixelData = samples::Bytes(64, 0x11);
    return samples::makeBmp(o);
}

TEST(Reduced, HugeDeclaredSizeWithTinyDataIsStillRefused) {
    TempDir dir;
    setMaxRasterBytes(16u << 20);
    const std::pair<const char*, samples::Bytes> files[] = {
        {"huge.jpg", hugeJpeg()}, {"huge.png", hugePng()}, {"huge.bmp", hugeBmp()}};
    for (const auto& [name, bytes] : files) {
        const fs::path file = dir.path() / name;
        samples::writeFile(file, bytes);
        Bitmap b;
        EXPECT_EQ(file2BitmapStatus(b, file), DecodeStatus::TooLarge) << name;
        EXPECT_NE(file2BitmapReduced(b, file), DecodeStatus::Ok) << name;
        EXPECT_NE(file2BitmapReduced(b, file, 197, 123), DecodeStatus::Ok) << name;
        EXPECT_TRUE(b.empty()) << name;
    }
    setMaxRasterBytes(std::uint64_t(1) << 30);
}

TEST(Reduced, DamagedAndMissingFilesAreUndecodable) {
    TempDir dir;
    samples::writeFile(dir.path() / "bad.jpg", samples::Bytes(100, 0x42));
    samples::writeFile(dir.path() / "bad.png", samples::Bytes(100, 0x42));
    for (const char* name : {"bad.jpg", "bad.png", "missing.bmp", "."}) {
        Bitmap b;
        EXPECT_EQ(file2BitmapStatus(b, dir.path() / name), DecodeStatus::Undecodable) << name;
        EXPECT_EQ(file2BitmapReduced(b, dir.path() / name), DecodeStatus::Undecodable) << name;
    }
}

} // namespace
