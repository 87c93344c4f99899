// Thumbnails cached before pictures were turned upright: which are made again, and that
// every other picture is looked at once.
#include "imaging/uprightthumbs.h"
#include "samples.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

class UprightThumbs : public ::testing::Test {
protected:
    void SetUp() override {
        m_thumbs = m_dir.path() / "Thumbnail";
        fs::create_directories(m_thumbs);
    }
    // A thumbnail file changed `age` ago.
    fs::path thumbnail(const std::string& name, fs::file_time_type::duration age) {
        const fs::path file = m_thumbs / (name + ".jpg");
        samples::writeFile(file, samples::makeJpeg({.width = 197, .height = 123}));
        fs::last_write_time(file, fs::file_time_type::clock::now() - age);
        return file;
    }
    fs::path jpeg(const std::string& name, int orientation) {
        const fs::path file = m_dir.path() / name;
        samples::writeFile(
            file,
            samples::makeJpeg(
                {.width = 16, .height = 8, .exif = samples::exifWithOrientation(orientation)}));
        return file;
    }
    bool stale(const fs::path& thumb, const fs::path& picture) {
        return thumbnailPredatesOrientation(m_thumbs, thumb, picture);
    }
    TempDir m_dir;
    fs::path m_thumbs;
};

TEST_F(UprightThumbs, OnlyOlderThumbnailsOfTurnedPicturesAreMadeAgain) {
    const fs::path turned = jpeg("turned.jpg", 6);
    const fs::path mirrored = jpeg("mirrored.jpg", 2);
    const fs::path plain = jpeg("plain.jpg", 1);
    const fs::path pngTurned = m_dir.path() / "turned.png";
    samples::writeFile(pngTurned,
                       samples::makePng({.colorType = 2, .exif = samples::exifWithOrientation(8)}));
    EXPECT_TRUE(stale(thumbnail("a", 1h), turned));
    EXPECT_TRUE(stale(thumbnail("b", 24h * 400), mirrored));
    EXPECT_TRUE(stale(thumbnail("c", 1h), pngTurned));
    EXPECT_FALSE(stale(thumbnail("d", 1h), plain));
    EXPECT_FALSE(stale(thumbnail("e", 1h), m_dir.path() / "gone.jpg"))
        << "the cached thumbnail of a missing picture is all there is";
    EXPECT_TRUE(fs::exists(m_thumbs / UprightMarkerName));

    // Made after the marker: current, whatever the picture.
    EXPECT_FALSE(stale(thumbnail("f", -1s), turned));
    // A thumbnail that is gone is nothing to make again here.
    EXPECT_FALSE(stale(m_thumbs / "none.jpg", turned));
}

TEST_F(UprightThumbs, APictureFoundUprightIsLookedAtOnce) {
    const fs::path picture = jpeg("p.jpg", 1);
    const fs::path thumb = thumbnail("p", 1h);
    EXPECT_FALSE(stale(thumb, picture));
    // Were it looked at again, the turn now written in it would count.
    jpeg("p.jpg", 6);
    EXPECT_FALSE(stale(thumb, picture));
}

TEST_F(UprightThumbs, TheMarkerKeepsItsTimeAcrossRuns) {
    const fs::path turned = jpeg("turned.jpg", 3);
    const fs::path thumb = thumbnail("t", 0s);
    // A marker of a minute ago: the thumbnail made since is current.
    samples::writeFile(m_thumbs / UprightMarkerName, {'x'});
    fs::last_write_time(m_thumbs / UprightMarkerName, fs::file_time_type::clock::now() - 1min);
    EXPECT_FALSE(stale(thumb, turned));
    fs::last_write_time(thumb, fs::file_time_type::clock::now() - 2min);
    EXPECT_TRUE(stale(thumb, turned));
}

TEST_F(UprightThumbs, AnUnwritableCacheStillShowsTurnedPicturesUpright) {
    const fs::path turned = jpeg("turned.jpg", 6);
    const fs::path thumb = thumbnail("t", 1h);
    // No marker can be written where the folder is not one.
    EXPECT_TRUE(thumbnailPredatesOrientation(m_dir.path() / "turned.jpg", thumb, turned));
}

} // namespace

TEST_F(UprightThumbs, TheReadOnlyQuestionWritesNothing) {
    const fs::path turned = jpeg("turned.jpg", 6);
    const fs::path plain = jpeg("plain.jpg", 1);
    const fs::path old = thumbnail("a", 1h);
    const auto before = fs::last_write_time(old);
    // No marker yet: nothing counts as predating, and no marker appears.
    EXPECT_FALSE(thumbnailPredatesOrientationReadOnly(m_thumbs, old, turned));
    EXPECT_FALSE(fs::exists(m_thumbs / UprightMarkerName));
    // With the marker: the old thumbnail of a turned picture predates it; nothing is touched.
    ASSERT_TRUE(stale(thumbnail("b", 1h), turned)); // writes the marker
    EXPECT_TRUE(thumbnailPredatesOrientationReadOnly(m_thumbs, old, turned));
    EXPECT_FALSE(thumbnailPredatesOrientationReadOnly(m_thumbs, old, plain));
    EXPECT_EQ(fs::last_write_time(old), before);
    // A cache folder that is gone stays gone.
    fs::remove_all(m_thumbs);
    EXPECT_FALSE(thumbnailPredatesOrientationReadOnly(m_thumbs, old, turned));
    EXPECT_FALSE(fs::exists(m_thumbs));
}
