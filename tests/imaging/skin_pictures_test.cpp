// The skin pictures carried in the program: every one the windows ask for is there,
// found without regard to case, decodes, and has its size and format.
#include "imaging/resources.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#ifndef QUORVANE_VERSION
#error "QUORVANE_VERSION must name the project's version"
#endif

namespace {

struct SkinPicture {
    const char* name;
    int width;
    int height;
    bool alpha; // 32-bit with alpha; otherwise 24-bit
};

std::vector<SkinPicture> allSkinPictures() {
    std::vector<SkinPicture> all{
        {"background", 800, 180, false},
        {"loadphoto", 197, 123, false},
        {"iOn", 55, 15, true},
        {"iOff", 61, 23, true},
        {"imgInterface", 799, 434, true},
        {"imgInterfacePicManager", 569, 388, true},
        {"imgInterfaceParam", 397, 300, true},
        {"imgInterfaceHelp", 397, 174, true},
        {"imgBlick", 370, 50, true},
        {"icon16", 16, 16, true},
        {"icon24", 24, 24, true},
        {"icon32", 32, 32, true},
        {"icon48", 48, 48, true},
        {"icon64", 64, 64, true},
        {"icon128", 128, 128, true},
        {"icon256", 256, 256, true},
    };
    // Button pairs: the normal picture and the lit one ("_light").
    const struct {
        const char* normal;
        const char* lit;
        int w, h, litW, litH;
    } pairs[] = {
        {"iApply", "iApply_light", 37, 35, 44, 43},
        {"iApplySmall", "iApplySmall_light", 24, 24, 24, 24},
        {"iBack", "iBack_light", 20, 14, 28, 22},
        {"iBegin", "iBegin_light", 18, 17, 26, 25},
        {"iClear", "iClear_light", 23, 23, 31, 31},
        {"iClearmini", "iClearmini_light", 9, 8, 9, 8},
        {"iClose", "iClose_light", 17, 15, 31, 30},
        {"iDel", "iDel_light", 19, 19, 27, 27},
        {"iDir", "iDir_light", 30, 21, 38, 29},
        {"iEnd", "iEnd_light", 18, 17, 26, 25},
        {"iFile", "iFile_light", 18, 24, 26, 32},
        {"iHelp", "iHelp_light", 24, 25, 32, 33},
        {"iManager", "iManager_light", 36, 34, 36, 34},
        {"iMinimize", "iMinimize_light", 23, 6, 37, 22},
        {"iMinus", "iMinus_light", 7, 10, 15, 18},
        {"iNext", "iNext_light", 20, 14, 28, 22},
        {"iParam", "iParam_light", 25, 24, 33, 32},
        {"iPlus", "iPlus_light", 7, 10, 15, 18},
        {"iRandom", "iRandom_light", 26, 20, 34, 28},
        {"iUpdate", "iUpdate_light", 11, 14, 19, 22},
    };
    for (const auto& p : pairs) {
        all.push_back({p.normal, p.w, p.h, true});
        all.push_back({p.lit, p.litW, p.litH, true});
    }
    return all;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Every other letter's case turned round.
std::string alternating(std::string s) {
    for (size_t i = 0; i < s.size(); i += 2) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        s[i] = static_cast<char>(std::islower(c) ? std::toupper(c) : std::tolower(c));
    }
    return s;
}

class SkinPictures : public testing::TestWithParam<SkinPicture> {};

TEST_P(SkinPictures, FoundInAnyCaseAtItsSizeAndFormat) {
    const SkinPicture& p = GetParam();
    for (const std::string& name :
         {std::string(p.name), upper(p.name), lower(p.name), alternating(p.name)}) {
        SCOPED_TRACE(name);
        Bitmap b;
        ASSERT_NO_THROW(loadFromRes(name, b));
        EXPECT_EQ(b.width(), p.width);
        EXPECT_EQ(b.height(), p.height);
        if (p.alpha) {
            EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
            EXPECT_TRUE(b.hasAlpha());
        } else {
            EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits24);
            EXPECT_FALSE(b.hasAlpha());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Skin, SkinPictures, testing::ValuesIn(allSkinPictures()),
                         [](const testing::TestParamInfo<SkinPicture>& info) {
                             return std::string(info.param.name);
                         });

// Scans a picture's premultiplied pixels.
template <typename F> void forEachPixel(const Bitmap& b, F f) {
    std::vector<std::uint32_t> row(static_cast<size_t>(b.width()));
    for (int y = 0; y < b.height(); ++y) {
        b.readRow(y, 0, b.width(), row.data());
        for (int x = 0; x < b.width(); ++x)
            f(x, y, row[static_cast<size_t>(x)]);
    }
}

TEST(Skin, GlareIsFaintPureWhite) {
    Bitmap glare;
    loadFromRes("imgBlick", glare);
    int maxAlpha = 0;
    int wrong = 0;
    forEachPixel(glare, [&](int x, int y, std::uint32_t c) {
        const int a = static_cast<int>(c >> 24);
        maxAlpha = std::max(maxAlpha, a);
        // Premultiplied white has every channel equal to the alpha.
        const bool white = ((c >> 16) & 0xFF) == static_cast<unsigned>(a) &&
                           ((c >> 8) & 0xFF) == static_cast<unsigned>(a) &&
                           (c & 0xFF) == static_cast<unsigned>(a);
        if ((a > 43 || !white) && ++wrong <= 3)
            ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << c;
    });
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(maxAlpha, 20) << "the glare must show";
}

TEST(Skin, ButtonsAndWindowsHaveTransparentCornersAndOpaqueInsides) {
    // Windows have rounded corners; a button's picture has ground showing round its glyph.
    for (const char* name :
         {"imgInterface", "imgInterfacePicManager", "imgInterfaceParam", "imgInterfaceHelp"}) {
        Bitmap b;
        loadFromRes(name, b);
        EXPECT_EQ(b.pixel(0, 0) >> 24, 0u) << name;
        EXPECT_EQ(b.pixel(b.width() - 1, b.height() - 1) >> 24, 0u) << name;
        EXPECT_EQ(b.pixel(b.width() / 2, b.height() / 2) >> 24, 0xFFu) << name;
    }
    for (const char* name : {"iClose_light", "iApply_light", "iMinimize_light"}) {
        Bitmap b;
        loadFromRes(name, b);
        EXPECT_EQ(b.pixel(0, 0) >> 24, 0u) << name;
    }
}

// The text stored under key in a PNG's tEXt chunks, if any.
std::optional<std::string> pngText(std::span<const std::uint8_t> png, const std::string& key) {
    auto be32 = [&](size_t at) {
        return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
               std::uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    size_t at = 8; // past the signature
    while (at + 12 <= png.size()) {
        const size_t length = be32(at);
        if (length > png.size() - at - 12)
            break;
        const std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
        const char* data = reinterpret_cast<const char*>(&png[at + 8]);
        if (type == "tEXt") {
            const std::string chunk(data, length);
            const size_t nul = chunk.find('\0');
            if (nul != std::string::npos && chunk.substr(0, nul) == key)
                return chunk.substr(nul + 1);
        }
        if (type == "IEND")
            break;
        at += 12 + length;
    }
    return std::nullopt;
}

TEST(Skin, AboutBackgroundCarriesTheProjectVersion) {
    // The version is drawn on the About window's background; the picture records which
    // one, so that a new version without newly drawn pictures fails here.
    const std::span<const std::uint8_t> png = findResource("imgInterfaceHelp");
    ASSERT_FALSE(png.empty());
    const std::optional<std::string> version = pngText(png, "Version");
    ASSERT_TRUE(version.has_value()) << "no Version text in the About background";
    EXPECT_EQ(*version, QUORVANE_VERSION)
        << "the About background shows another version: remake the skin pictures "
           "(build the target quorvane_skin_pictures) and commit them";
}

} // namespace
