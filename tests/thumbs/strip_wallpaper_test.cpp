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

bool inDconfSession() {
    const char* backend = std::getenv("GSETTINGS_BACKEND");
    return backend && std::strcmp(backend, "dconf") == 0 && std::getenv("DBUS_SESSION_BUS_ADDRESS");
}

// What the desktop would show, set the way another program would set it.
void setPictureUri(const std::string& uri) {
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
        if (!inDconfSession())
            GTEST_SKIP() << "needs the private dconf session of dconf_session.sh";
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path().toStdString() + "/";
        m_strip.createBufBitmap();
        m_strip.createLoadPhoto();
        m_strip.computePreviewRect();
    }

    bool monitorIs(std::uint32_t rgb) const {
        for (int y = MonitorRect.top; y < MonitorRect.bottom; ++y)
            for (int x = MonitorRect.left; x < MonitorRect.right; ++x)
                if ((m_strip.buffer()->pixel(x, y) & 0xFFFFFF) != rgb)
                    return false;
        return true;
    }

    bool monitorIsEmptyScreen() const {
        for (int y = MonitorRect.top; y < MonitorRect.bottom; ++y)
            for (int x = MonitorRect.left; x < MonitorRect.right; ++x)
                if (m_strip.buffer()->pixel(x, y) != m_strip.background()->pixel(x, y))
                    return false;
        return true;
    }

    void drawOnMonitor(const Bitmap& b) { m_strip.drawOnMonitor(b); }
    StripLabels clearInfo() { return m_strip.clearInfo(); }

    QTemporaryDir m_dir;
    std::string m_folder;
    ProgramState m_state;
    Collection m_collection{m_state};
    Strip m_strip{m_collection};
};

TEST_F(DesktopWallpaper, TheAppliedWallpaperShowsOnTheMonitor) {
    const std::string bmp = m_folder + "Wallpaper.bmp";
    writeSolidPicture(bmp, 640, 400, 0xC08040);
    platform::setDesktopWallpaper(bmp);
    ASSERT_FALSE(platform::getWallpaperName().empty());

    drawOnMonitor(solidBitmap(197, 123, 0)); // an earlier view
    const StripLabels l = clearInfo();
    EXPECT_TRUE(monitorIs(0xC08040));
    EXPECT_EQ(l.dir, "Please, add wallpapers in the manager >>>");
    // The side slots show the bare ground.
    for (int y = 40; y < 115; ++y)
        for (int x = 18; x < 133; ++x)
            ASSERT_EQ(m_strip.buffer()->pixel(x, y), m_strip.background()->pixel(x, y));
}

TEST_F(DesktopWallpaper, AWallpaperThatCannotBeReadLeavesTheScreenEmpty) {
    // A BMP without extension, a damaged JPEG, a missing file, another scheme.
    writeSolidPicture(m_folder + "real.bmp", 64, 64, 0x00FF00);
    fs::copy_file(m_folder + "real.bmp", m_folder + "noextension");
    std::ofstream(m_folder + "broken.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0 and no more";
    for (const std::string& uri :
         {"file://" + m_folder + "noextension", "file://" + m_folder + "broken.jpg",
          "file://" + m_folder + "missing.png", std::string("https://example.invalid/x.png")}) {
        setPictureUri(uri);
        drawOnMonitor(solidBitmap(197, 123, 0));
        clearInfo();
        EXPECT_TRUE(monitorIsEmptyScreen()) << uri;
    }
    // The same picture under a name the decoders know does show.
    setPictureUri("file://" + m_folder + "real.bmp");
    clearInfo();
    EXPECT_TRUE(monitorIs(0x00FF00));
}
