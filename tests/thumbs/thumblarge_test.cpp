// Pictures refused by the full decode for the raster limit keep their entries: the worker
// makes their thumbnails from a reduced decode.
#include "imaging/codecs.h"
#include "thumbfixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class LargeThumbTest : public ThumbTest {
protected:
    void SetUp() override {
        ThumbTest::SetUp();
        // 600 x 450 pictures take 810000 bytes at 24 bits.
        setMaxRasterBytes(100000);
    }
    void TearDown() override {
        setMaxRasterBytes(std::uint64_t(1) << 30);
        ThumbTest::TearDown();
    }
};

TEST_F(LargeThumbTest, PicturesOverTheLimitStayAndGetTheirThumbnails) {
    const std::vector<std::string> paths{m_home + "/big/a.jpg", m_home + "/big/b.bmp",
                                         m_home + "/big/c.jpg"};
    writeSolidPicture(paths[0], 600, 450, colourOf(0));
    writeSolidPicture(paths[1], 600, 450, colourOf(1));
    writeSolidPicture(paths[2], 600, 450, colourOf(2));
    // A hostile one: a BMP declaring a huge picture without its rows is damaged.
    const std::string hostile = m_home + "/big/d.bmp";
    {
        Bitmap b = solidBitmap(600, 450, 0);
        b.saveToFile(hostile);
        fs::resize_file(hostile, 200);
    }
    std::vector<std::string> all = paths;
    all.push_back(hostile);
    writeWallList(all);
    loadFresh(all);
    browseArray();
    ASSERT_TRUE(waitIdle());

    std::vector<std::string> now;
    for (const auto& w : walls())
        now.push_back(w.path);
    EXPECT_EQ(now, paths) << "only the damaged picture leaves the collection";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        ASSERT_TRUE(walls()[i].preview);
        const Bitmap& thumb = *walls()[i].preview;
        EXPECT_EQ(thumb.width(), ThumbWidth);
        EXPECT_EQ(thumb.height(), ThumbHeight);
        const std::uint32_t got = thumb.pixel(ThumbWidth / 2, ThumbHeight / 2);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(got >> shift & 0xFF), int(colourOf(int(i)) >> shift & 0xFF), 6);
        EXPECT_FALSE(findThumbnailOnDisk(paths[i]).empty()) << "no thumbnail file";
    }
}

} // namespace
