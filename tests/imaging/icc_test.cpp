// Embedded colour profiles: a Display P3 picture decodes to the sRGB colours it means, and
// an sRGB-tagged picture decodes exactly as an untagged one.
#include "imaging/codecs.h"
#include "imaging/icc.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include <lcms2.h>

namespace {

using samples::Bytes;
using Rgb = std::array<int, 3>;

// ------------------------------------------------------------------ profiles made here

Bytes saved(cmsHPROFILE p) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

cmsToneCurve* srgbCurve() {
    const cmsFloat64Number params[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, params);
}

// An RGB profile of D65 white, the given primaries and sRGB's tone curve.
Bytes rgbProfile(cmsCIExyY red, cmsCIExyY green, cmsCIExyY blue) {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{red, green, blue};
    cmsToneCurve* curve = srgbCurve();
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    return saved(p);
}

Bytes displayP3() {
    return samples::displayP3Profile();
}

// sRGB written out as its primaries, as cameras and editors embed it.
Bytes srgbByPrimaries() {
    return rgbProfile({0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1});
}

Bytes builtInSrgb() {
    return saved(cmsCreate_sRGBProfile());
}

// A grey profile whose levels are linear light.
Bytes linearGrey() {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    return saved(p);
}

// ------------------------------------------------------------------ the expected colours

double toLinear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

int fromLinear(double l) {
    l = std::clamp(l, 0.0, 1.0);
    const double v = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(v * 255));
}

// A Display P3 colour in sRGB: both use sRGB's tone curve and D65 white, so the linear
// values go through the one matrix between their primaries.
Rgb p3ToSrgb(const Rgb& p3) {
    static constexpr double M[3][3] = {{1.2249401, -0.2249404, 0.0},
                                       {-0.0420569, 1.0420571, 0.0},
                                       {-0.0196376, -0.0786361, 1.0982735}};
    const double l[3] = {toLinear(p3[0] / 255.0), toLinear(p3[1] / 255.0), toLinear(p3[2] / 255.0)};
    Rgb out{};
    for (int i = 0; i < 3; ++i)
        out[i] = fromLinear(M[i][0] * l[0] + M[i][1] * l[1] + M[i][2] * l[2]);
    return out;
}

Rgb rgbOf(std::uint32_t argb) {
    return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
}

int distance(const Rgb& a, const Rgb& b) {
    return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

// Four patches of 16 x 16 in a 32 x 32 picture, all inside both gamuts.
constexpr Rgb Patches[4] = {{200, 100, 50}, {100, 170, 90}, {40, 80, 200}, {128, 128, 128}};
constexpr int Side = 32;

std::uint8_t patchPixel(int x, int y, int c) {
    return c == 3 ? 255 : static_cast<std::uint8_t>(Patches[(x >= 16) + 2 * (y >= 16)][c]);
}

class Icc : public ::testing::Test {
protected:
    void SetUp() override {
        if (!convertsColourProfiles())
            GTEST_SKIP() << "built without LittleCMS";
    }
    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        samples::writeFile(m_dir.path() / name, bytes);
        return m_dir.path() / name;
    }
    // The decoded colour at the centre of each patch against the patch's colour in sRGB.
    void expectPatchesInSrgb(const Bitmap& b, int tolerance, const char* what) {
        ASSERT_EQ(b.width(), Side) << what;
        for (int i = 0; i < 4; ++i) {
            const int x = 8 + 16 * (i % 2), y = 8 + 16 * (i / 2);
            EXPECT_LE(distance(rgbOf(b.pixel(x, y)), p3ToSrgb(Patches[i])), tolerance)
                << what << ", patch " << i;
        }
    }
    TempDir m_dir;
};

TEST(IccExpectation, P3ColoursMoveInSrgb) {
    // The test's own arithmetic: P3's red patch is redder in sRGB, grey stays grey.
    EXPECT_EQ(p3ToSrgb({200, 100, 50}), (Rgb{215, 93, 31}));
    EXPECT_EQ(p3ToSrgb({128, 128, 128}), (Rgb{128, 128, 128}));
}

TEST_F(Icc, DisplayP3PicturesDecodeToTheirSrgbColours) {
    const Bytes p3 = displayP3();
    Bitmap b;
    ASSERT_TRUE(file2Bitmap(b, write("p3.png", samples::makePng({.width = Side,
                                                                 .height = Side,
                                                                 .colorType = 2,
                                                                 .pixel = patchPixel,
                                                                 .icc = p3}))));
    expectPatchesInSrgb(b, 2, "PNG");
    ASSERT_TRUE(file2Bitmap(b, write("p3.jpg", samples::makeJpeg({.width = Side,
                                                                  .height = Side,
                                                                  .quality = 98,
                                                                  .subsample444 = true,
                                                                  .pixel = patchPixel,
                                                                  .icc = p3}))));
    expectPatchesInSrgb(b, 4, "JPEG");
    // Premultiplied alpha: the straight colours are converted, alpha kept.
    ASSERT_TRUE(file2Bitmap(
        b, write("p3a.png", samples::makePng(
                                {.width = Side,
                                 .height = Side,
                                 .colorType = 6,
                                 .pixel = [](int x, int y,
                                             int c) { return c == 3 ? 128 : patchPixel(x, y, c); },
                                 .icc = p3}))));
    EXPECT_EQ(b.pixel(8, 8) >> 24, 128u);
    expectPatchesInSrgb(b, 4, "PNG with alpha");
    // A palette: its table is converted.
    ASSERT_TRUE(file2Bitmap(
        b, write("p3p.png", samples::makePng({.width = Side,
                                              .height = Side,
                                              .colorType = 3,
                                              .palette = {0xC86432, 0x64AA5A, 0x2850C8, 0x808080},
                                              .icc = p3}))));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_LE(distance(rgbOf(b.colorTable()[i]), p3ToSrgb(Patches[i])), 2) << "entry " << i;
}

TEST_F(Icc, EveryDecodePathConvertsTheColours) {
    const Rgb red = Patches[0];
    auto flat = [red](int, int, int c) { return static_cast<std::uint8_t>(red[c]); };
    const auto file = write("flat.jpg", samples::makeJpeg({.width = 64,
                                                           .height = 48,
                                                           .quality = 98,
                                                           .subsample444 = true,
                                                           .pixel = flat,
                                                           .exif = samples::exifWithOrientation(6),
                                                           .icc = displayP3()}));
    Bitmap reduced;
    ASSERT_EQ(file2BitmapReduced(reduced, file, 8, 8), DecodeStatus::Ok);
    EXPECT_EQ(reduced.width(), 12) << "turned as well";
    EXPECT_LE(distance(rgbOf(reduced.pixel(3, 3)), p3ToSrgb(red)), 3);
    Bitmap averaged;
    averaged.setPixelFormat(PixelFormat::Bits24);
    averaged.setSize(5, 4);
    ASSERT_EQ(file2BitmapAveraged(averaged, file), DecodeStatus::Ok);
    EXPECT_LE(distance(rgbOf(averaged.pixel(2, 2)), p3ToSrgb(red)), 3);
}

TEST_F(Icc, AGreyProfileConvertsGreyLevels) {
    // Linear-light grey 128 is sRGB 188.
    auto mid = [](int, int, int) { return std::uint8_t(128); };
    Bitmap b;
    ASSERT_TRUE(file2Bitmap(b, write("grey.jpg", samples::makeJpeg({.width = 16,
                                                                    .height = 16,
                                                                    .components = 1,
                                                                    .pixel = mid,
                                                                    .icc = linearGrey()}))));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits8);
    EXPECT_LE(distance(rgbOf(b.pixel(8, 8)), Rgb{188, 188, 188}), 3);
    ASSERT_TRUE(file2Bitmap(b, write("grey.png", samples::makePng({.width = 16,
                                                                   .height = 16,
                                                                   .colorType = 0,
                                                                   .pixel = mid,
                                                                   .icc = linearGrey()}))));
    EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
    EXPECT_LE(distance(rgbOf(b.pixel(8, 8)), Rgb{188, 188, 188}), 2);
}

struct TagCase {
    const char* what;
    Bytes (*profile)();
};

class SrgbTagged : public Icc, public ::testing::WithParamInterface<TagCase> {};

Bytes notAProfile() {
    return Bytes(300, 0x5A);
}

// A P3 profile whose header names a colour space that does not exist.
Bytes unknownSpace() {
    Bytes p = displayP3();
    p[16] = 0xF6;
    p[17] = 0x46;
    p[18] = 0x00;
    p[19] = 0x20;
    return p;
}

// Bit-identical decodes: sRGB costs no conversion, and a profile that cannot be read
// changes nothing.
TEST_P(SrgbTagged, DecodesExactlyAsUntagged) {
    const Bytes profile = GetParam().profile();
    auto same = [&](const Bytes& tagged, const Bytes& untagged, const char* ext) {
        Bitmap a, b;
        ASSERT_TRUE(file2Bitmap(a, write(std::string("tagged") + ext, tagged)));
        ASSERT_TRUE(file2Bitmap(b, write(std::string("untagged") + ext, untagged)));
        ASSERT_EQ(a.width(), b.width());
        ASSERT_EQ(a.stride(), b.stride());
        EXPECT_EQ(std::memcmp(a.scanLine(0), b.scanLine(0), a.stride() * a.height()), 0) << ext;
    };
    samples::JpegOptions jpeg{.width = 40, .height = 24};
    const Bytes untaggedJpeg = samples::makeJpeg(jpeg);
    jpeg.icc = profile;
    same(samples::makeJpeg(jpeg), untaggedJpeg, ".jpg");
    if (GetParam().profile != notAProfile && GetParam().profile != unknownSpace) {
        // libpng refuses to write such profiles.
        samples::PngOptions png{.width = 13, .height = 9, .colorType = 6};
        const Bytes untaggedPng = samples::makePng(png);
        png.icc = profile;
        same(samples::makePng(png), untaggedPng, ".png");
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, SrgbTagged,
                         ::testing::Values(TagCase{"LittleCMS's sRGB", builtInSrgb},
                                           TagCase{"sRGB by its primaries", srgbByPrimaries},
                                           TagCase{"bytes that are no profile", notAProfile},
                                           TagCase{"an unknown colour space", unknownSpace}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(Icc, TellsSrgbProfilesApart) {
    EXPECT_TRUE(isSrgbProfile(builtInSrgb()));
    EXPECT_TRUE(isSrgbProfile(srgbByPrimaries()));
    EXPECT_FALSE(isSrgbProfile(displayP3()));
    EXPECT_FALSE(isSrgbProfile(linearGrey()));
    EXPECT_FALSE(isSrgbProfile(notAProfile()));
    EXPECT_FALSE(isSrgbProfile({}));
}

} // namespace
