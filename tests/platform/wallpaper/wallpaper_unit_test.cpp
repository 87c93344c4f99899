// The pure parts of the Linux wallpaper layer: which backend a session gets,
// and file URIs.
#include "platform/linux/wallpaper_backends.h"

#include <gtest/gtest.h>

#include <string>

using platform::wallpaper::Backend;
using platform::wallpaper::chooseBackend;
using platform::wallpaper::FileUri2Path;
using platform::wallpaper::Path2FileUri;

struct BackendCase {
    const char* desktop;
    bool x11;
    Backend expected;
};

class BackendChoice : public testing::TestWithParam<BackendCase> {};

TEST_P(BackendChoice, FromCurrentDesktop) {
    const BackendCase& c = GetParam();
    EXPECT_EQ(chooseBackend(c.desktop, c.x11), c.expected)
        << "XDG_CURRENT_DESKTOP=\"" << c.desktop << "\" x11=" << c.x11;
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, BackendChoice,
    testing::Values(
        // GNOME family, with and without X (GNOME on Wayland has no DISPLAY).
        BackendCase{"GNOME", true, Backend::Gnome}, BackendCase{"GNOME", false, Backend::Gnome},
        BackendCase{"gnome", true, Backend::Gnome},
        BackendCase{"ubuntu:GNOME", true, Backend::Gnome},
        BackendCase{"Unity", true, Backend::Gnome},
        BackendCase{"Budgie:GNOME", false, Backend::Gnome},
        BackendCase{"GNOME-Flashback:GNOME", true, Backend::Gnome},
        BackendCase{"gnome-classic:GNOME", true, Backend::Gnome},
        BackendCase{"pop:GNOME", true, Backend::Gnome},
        // Names are matched whole, not as parts of other names.
        BackendCase{"X-GNOME-Like", true, Backend::X11Root},
        BackendCase{"GNOMEish", false, Backend::None},
        // Anything else: the root window when there is an X display, else nothing.
        BackendCase{"", true, Backend::X11Root}, BackendCase{"", false, Backend::None},
        BackendCase{"i3", true, Backend::X11Root}, BackendCase{"Openbox", false, Backend::None},
        BackendCase{":::", true, Backend::X11Root}, BackendCase{"::GNOME:", true, Backend::Gnome}));

TEST(FileUri, EncodesWhatAUriCannotCarry) {
    EXPECT_EQ(Path2FileUri("/home/ann/Documents/Quorvane/Wallpaper-17.bmp"),
              "file:///home/ann/Documents/Quorvane/Wallpaper-17.bmp");
    EXPECT_EQ(Path2FileUri("/home/ann/My Pictures/100% #1?.bmp"),
              "file:///home/ann/My%20Pictures/100%25%20%231%3F.bmp");
    // UTF-8 bytes and bytes that are no UTF-8 at all are both percent-encoded.
    EXPECT_EQ(Path2FileUri("/tmp/Bilder \xC3\xA4/x.bmp"), "file:///tmp/Bilder%20%C3%A4/x.bmp");
    EXPECT_EQ(Path2FileUri("/tmp/\xE4.bmp"), "file:///tmp/%E4.bmp");
}

TEST(FileUri, RelativeOrEmptyPathGivesNoUri) {
    EXPECT_EQ(Path2FileUri(""), "");
    EXPECT_EQ(Path2FileUri("Wallpaper.bmp"), "");
    EXPECT_EQ(Path2FileUri("./Documents/Wallpaper.bmp"), "");
}

TEST(FileUri, DecodesLocalFileUris) {
    EXPECT_EQ(FileUri2Path("file:///home/ann/My%20Pictures/100%25%20%231%3F.bmp"),
              "/home/ann/My Pictures/100% #1?.bmp");
    EXPECT_EQ(FileUri2Path("file://localhost/tmp/a%C3%A4.bmp"), "/tmp/a\xC3\xA4.bmp");
    EXPECT_EQ(FileUri2Path("file:///tmp/%E4.bmp"), "/tmp/\xE4.bmp");
}

TEST(FileUri, OtherUrisGiveNoPath) {
    EXPECT_EQ(FileUri2Path(""), "");
    EXPECT_EQ(FileUri2Path("https://example.com/wall.jpg"), "");
    EXPECT_EQ(FileUri2Path("file://fileserver/share/wall.jpg"), "");
    EXPECT_EQ(FileUri2Path("/usr/share/backgrounds/plain-path.jpg"), "");
    EXPECT_EQ(FileUri2Path("file:relative.jpg"), "");
    EXPECT_EQ(FileUri2Path("file:///tmp/bad%zzescape.jpg"), "");
    // A path cannot hold a NUL byte.
    EXPECT_EQ(FileUri2Path("file:///tmp/a%00b.jpg"), "");
}

TEST(FileUri, RoundTripKeepsEveryByte) {
    std::string path = "/tmp/";
    for (int c = 1; c < 256; ++c)
        if (c != '/')
            path += char(c);
    const std::string uri = Path2FileUri(path);
    ASSERT_FALSE(uri.empty());
    EXPECT_EQ(uri.find(' '), std::string::npos);
    EXPECT_EQ(FileUri2Path(uri), path);
}
