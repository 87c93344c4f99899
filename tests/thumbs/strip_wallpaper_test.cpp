// The empty-collection view shows the desktop's present wallpaper, read back
// from the desktop's own setting: GNOME's, in a private dconf session
// (run by tests/platform/wallpaper/dconf_session.sh).
#include "thumbs/thumbfixture.h"

#include "platform/wallpaper.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool InDconfSession() {
    const char* backend = std::getenv("GSETTINGS_BACKEND");
    return backend && std::strcmp(backend, "dconf") == 0 && std::getenv("DBUS_SESSION_BUS_ADDRESS");
}

// What the desktop would show, set the way another program would set it.
void SetPictureUri(const std::string& uri) {
    const std::string command =
        "gsettings set org.gnome.desktop.background picture-uri '" + uri + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace

// The settings folders belong to the dconf session, so the program state is
// fresh here without moving HOME or the XDG folders.
class DesktopWallpaper : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InDconfSession())
            GTEST_SKIP() << "needs the private dconf session of dconf_session.sh";
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/";
        strip.CreateBufBitmap();
        strip.CreateLoadPhoto();
        strip.Get_aRectPreview();
    }

    bool MonitorIs(std::uint32_t rgb) const {
        for (int y = MonitorRect.top; y < MonitorRect.bottom; ++y)
            for (int x = MonitorRect.left; x < MonitorRect.right; ++x)
                if ((strip.buffer()->pixel(x, y) & 0xFFFFFF) != rgb)
                    return false;
        return true;
    }

    bool MonitorIsEmptyScreen() const {
        for (int y = MonitorRect.top; y < MonitorRect.bottom; ++y)
            for (int x = MonitorRect.left; x < MonitorRect.right; ++x)
                if (strip.buffer()->pixel(x, y) != strip.background()->pixel(x, y))
                    return false;
        return true;
    }

    void DrawOnMonitor(const Bitmap& b) { strip.DrawOnMonitor(b); }
    StripLabels ClearInfo() { return strip.ClearInfo(); }

    QTemporaryDir dir;
    std::string folder;
    ProgramState state;
    Collection collection{state};
    ThumbnailCache cache{state, collection};
    Strip strip{state, cache};
};

TEST_F(DesktopWallpaper, TheAppliedWallpaperShowsOnTheMonitor) {
    const std::string bmp = folder + "Wallpaper.bmp";
    WriteSolidPicture(bmp, 640, 400, 0xC08040);
    platform::setDesktopWallpaper(bmp);
    ASSERT_FALSE(platform::getWallpaperName().empty());

    DrawOnMonitor(SolidBitmap(197, 123, 0)); // an earlier view
    const StripLabels l = ClearInfo();
    EXPECT_TRUE(MonitorIs(0xC08040));
    EXPECT_EQ(l.dir, "Please, add wallpapers in the manager >>>");
    // The side slots show the bare ground.
    for (int y = 40; y < 115; ++y)
        for (int x = 18; x < 133; ++x)
            ASSERT_EQ(strip.buffer()->pixel(x, y), strip.background()->pixel(x, y));
}

TEST_F(DesktopWallpaper, AWallpaperThatCannotBeReadLeavesTheScreenEmpty) {
    // A BMP without extension, a damaged JPEG, a missing file, another scheme.
    WriteSolidPicture(folder + "real.bmp", 64, 64, 0x00FF00);
    fs::copy_file(folder + "real.bmp", folder + "noextension");
    std::ofstream(folder + "broken.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0 and no more";
    for (const std::string& uri :
         {"file://" + folder + "noextension", "file://" + folder + "broken.jpg",
          "file://" + folder + "missing.png", std::string("https://example.invalid/x.png")}) {
        SetPictureUri(uri);
        DrawOnMonitor(SolidBitmap(197, 123, 0));
        ClearInfo();
        EXPECT_TRUE(MonitorIsEmptyScreen()) << uri;
    }
    // The same picture under a name the decoders know does show.
    SetPictureUri("file://" + folder + "real.bmp");
    ClearInfo();
    EXPECT_TRUE(MonitorIs(0x00FF00));
}
