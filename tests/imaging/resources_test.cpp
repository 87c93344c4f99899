// Embedded pictures: found without regard to case, decoded as PNG.
#include "imaging/resources.h"

#include <gtest/gtest.h>

namespace {

TEST(Resources, FoundWithoutRegardToCase) {
    for (const char* name : {"iclose", "ICLOSE", "iClose"}) {
        Bitmap b;
        loadFromRes(name, b);
        EXPECT_EQ(b.width(), 17) << name;
        EXPECT_EQ(b.height(), 15);
        EXPECT_EQ(b.pixelFormat(), PixelFormat::Bits32);
        EXPECT_TRUE(b.hasAlpha());
    }
    Bitmap rgb;
    loadFromRes("BackGround", rgb);
    EXPECT_EQ(rgb.width(), 800);
    EXPECT_EQ(rgb.pixelFormat(), PixelFormat::Bits24);
}

TEST(Resources, StoredInCapitalsAsPngData) {
    ASSERT_GE(embeddedResources().size(), 2u);
    for (const EmbeddedResource& r : embeddedResources()) {
        for (const char* c = r.name; *c; ++c)
            EXPECT_FALSE(*c >= 'a' && *c <= 'z') << r.name;
        ASSERT_GT(r.size, 8u);
        EXPECT_EQ(r.data[1], 'P');
    }
    EXPECT_FALSE(findResource("loadphoto").empty());
}

TEST(Resources, MissingNameRaisesAndLeavesThePicture) {
    Bitmap b;
    b.setSize(3, 3);
    EXPECT_THROW(loadFromRes("no_such_picture", b), ImageError);
    EXPECT_THROW(loadFromRes("", b), ImageError);
    EXPECT_THROW(loadFromRes("iClose.png", b), ImageError) << "names carry no extension";
    EXPECT_EQ(b.width(), 3);
}

TEST(Resources, LoadingReplacesThePreviousPicture) {
    Bitmap b;
    loadFromRes("iClose", b);
    loadFromRes("loadphoto", b);
    EXPECT_EQ(b.width(), 197);
    EXPECT_FALSE(b.hasAlpha());
}

} // namespace
