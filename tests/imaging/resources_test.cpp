// Embedded pictures: found without regard to case, decoded as PNG.
#include "imaging/resources.h"

#include <gtest/gtest.h>

namespace {

TEST(Resources, FoundWithoutRegardToCase) {
    for (const char* name : {"test_rgba", "TEST_RGBA", "Test_Rgba"}) {
        Bitmap b;
        LoadFromRes(name, b);
        EXPECT_EQ(b.width(), 12) << name;
        EXPECT_EQ(b.height(), 10);
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
        EXPECT_TRUE(b.hasAlpha());
    }
    Bitmap rgb;
    LoadFromRes("test_RGB", rgb);
    EXPECT_EQ(rgb.width(), 16);
    EXPECT_EQ(rgb.pixelFormat(), PixelFormat::Bits24);
    EXPECT_EQ(rgb.pixel(0, 0), 0xFF0000FFu); // the generator's first pixel: red 0, blue 255
}

TEST(Resources, StoredInCapitalsAsPngData) {
    ASSERT_GE(EmbeddedResources().size(), 2u);
    for (const EmbeddedResource& r : EmbeddedResources()) {
        for (const char* c = r.name; *c; ++c)
            EXPECT_FALSE(*c >= 'a' && *c <= 'z') << r.name;
        ASSERT_GT(r.size, 8u);
        EXPECT_EQ(r.data[1], 'P');
    }
    EXPECT_FALSE(FindResource("test_rgb").empty());
}

TEST(Resources, MissingNameRaisesAndLeavesThePicture) {
    Bitmap b;
    b.setSize(3, 3);
    EXPECT_THROW(LoadFromRes("no_such_picture", b), ImageError);
    EXPECT_THROW(LoadFromRes("", b), ImageError);
    EXPECT_THROW(LoadFromRes("test_rgb.png", b), ImageError) << "names carry no extension";
    EXPECT_EQ(b.width(), 3);
}

TEST(Resources, LoadingReplacesThePreviousPicture) {
    Bitmap b;
    LoadFromRes("test_rgba", b);
    LoadFromRes("test_rgb", b);
    EXPECT_EQ(b.width(), 16);
    EXPECT_FALSE(b.hasAlpha());
}

} // namespace
