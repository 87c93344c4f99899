// The root-window wallpaper on a real X server (Xvfb with a 1280x800x24
// screen, as scripts/test starts it): pictures written with the imaging
// toolkit are applied through the platform call, then the root window and its
// pixmap are read back through a connection of the test's own.
#include "platform/wallpaper.h"

#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr uint32_t kRed = 0xFF0000; // marks picture parts that must be cut off

bool hasDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d && *d;
}

// Writes a 24-bit BMP whose pixel (x, y) has the colour rgb(x, y).
void writeBmp(const fs::path& path, int w, int h, const std::function<uint32_t(int, int)>& rgb) {
    Bitmap b;
    b.setPixelFormat(PixelFormat::Bits24);
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, 0xFF000000 | rgb(x, y));
    b.SaveToFile(path);
}

// Colour bands along x: each entry is (first column, colour).
std::function<uint32_t(int, int)> columns(std::vector<std::pair<int, uint32_t>> bands) {
    return [bands](int x, int) {
        uint32_t c = 0;
        for (const auto& [from, colour] : bands)
            if (x >= from)
                c = colour;
        return c;
    };
}

int red(uint32_t c) {
    return int(c >> 16 & 0xFF);
}
int green(uint32_t c) {
    return int(c >> 8 & 0xFF);
}
int blue(uint32_t c) {
    return int(c & 0xFF);
}

// Applies the wallpaper from a process of its own that then ends, as the
// program does when it is closed.
void applyInChildProcess(const std::string& path) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        platform::setDesktopWallpaper(path);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
}

class RootWallpaper : public testing::Test {
protected:
    // One connection for the whole run: an X server without -noreset (as
    // xvfb-run starts it) resets, dropping every wallpaper and refusing
    // connections for a moment, whenever its last client leaves.
    static void SetUpTestSuite() {
        if (!hasDisplay())
            return;
        for (int attempt = 0; attempt < 50; ++attempt) {
            c_ = xcb_connect(nullptr, &screenIndex_);
            if (!xcb_connection_has_error(c_))
                return;
            xcb_disconnect(c_);
            c_ = nullptr;
            usleep(100 * 1000);
        }
    }
    static void TearDownTestSuite() {
        if (c_)
            xcb_disconnect(c_);
        c_ = nullptr;
    }

    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: the root-window tests need an X server "
                            "(scripts/test runs them under xvfb-run)";
        ASSERT_NE(c_, nullptr) << "cannot open DISPLAY " << getenv("DISPLAY");
        ASSERT_FALSE(xcb_connection_has_error(c_));
        // An unknown desktop on X11 gets the root-window backend.
        unsetenv("XDG_CURRENT_DESKTOP");
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenIndex_; ++i)
            xcb_screen_next(&it);
        screen_ = it.data;
        if (screen_->width_in_pixels != kWidth || screen_->height_in_pixels != kHeight ||
            screen_->root_depth != 24)
            GTEST_SKIP() << "the root-window tests expect a 1280x800x24 screen";
        root_ = screen_->root;

        char tmpl[] = "/tmp/quorvane wallpaper \xC3\xA4-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        wallpaper_ = (dir_ / "Wallpaper.bmp").string();
    }

    void TearDown() override {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, false, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }

    xcb_pixmap_t pixmapProperty(const char* name) {
        auto* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, false, root_, atom(name), XCB_ATOM_PIXMAP, 0, 1), nullptr);
        xcb_pixmap_t p = XCB_NONE;
        if (r && r->type == XCB_ATOM_PIXMAP && xcb_get_property_value_length(r) == 4)
            p = *static_cast<xcb_pixmap_t*>(xcb_get_property_value(r));
        free(r);
        return p;
    }

    void setPixmapProperty(const char* name, xcb_pixmap_t p) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom(name), XCB_ATOM_PIXMAP, 32, 1,
                            &p);
        sync();
    }

    // Waits until the server has handled everything this connection sent.
    void sync() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    bool pixmapExists(xcb_pixmap_t p) {
        xcb_generic_error_t* e = nullptr;
        auto* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, p), &e);
        const bool ok = g && g->width == kWidth && g->height == kHeight && g->depth == 24;
        free(g);
        free(e);
        return ok;
    }

    // The drawable's pixels as 0xRRGGBB, row by row.
    std::vector<uint32_t> pixels(xcb_drawable_t d) {
        std::vector<uint32_t> out;
        xcb_generic_error_t* e = nullptr;
        auto* r = xcb_get_image_reply(
            c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, d, 0, 0, kWidth, kHeight, ~0u), &e);
        free(e);
        if (!r)
            return out;
        const uint8_t* data = xcb_get_image_data(r);
        if (size_t(xcb_get_image_data_length(r)) >= size_t(kWidth) * kHeight * 4) {
            // Xvfb's 24-bit root: 32 bits per pixel, blue, green, red, unused.
            out.resize(size_t(kWidth) * kHeight);
            for (size_t i = 0; i < out.size(); ++i)
                out[i] =
                    uint32_t(data[4 * i + 2]) << 16 | uint32_t(data[4 * i + 1]) << 8 | data[4 * i];
        }
        free(r);
        return out;
    }

    static uint32_t at(const std::vector<uint32_t>& p, int x, int y) {
        return p[size_t(y) * kWidth + size_t(x)];
    }

    // The root shows the pixmap both properties name, and nothing else.
    std::vector<uint32_t> shownPixels() {
        const xcb_pixmap_t p = pixmapProperty("_XROOTPMAP_ID");
        EXPECT_NE(p, XCB_NONE);
        EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), p);
        std::vector<uint32_t> root = pixels(root_);
        EXPECT_EQ(root.size(), size_t(kWidth) * kHeight);
        EXPECT_TRUE(root == pixels(p)) << "the root window does not show its background pixmap";
        return root;
    }

    // Every pixel of the columns [x0, x1) and rows [y0, y1) has colour c.
    static void expectArea(const std::vector<uint32_t>& p, int x0, int x1, int y0, int y1,
                           uint32_t c) {
        int wrong = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (at(p, x, y) != c && wrong++ < 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << at(p, x, y) << ", expected " << c;
        EXPECT_EQ(wrong, 0);
    }

    static void expectNoRed(const std::vector<uint32_t>& p) {
        for (size_t i = 0; i < p.size(); ++i)
            if (red(p[i]) > 0x40) {
                ADD_FAILURE() << "a part of the picture that should be cut off shows at ("
                              << i % kWidth << ", " << i / kWidth << ")";
                return;
            }
    }

    static inline xcb_connection_t* c_ = nullptr;
    static inline int screenIndex_ = 0;
    const xcb_screen_t* screen_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    fs::path dir_;
    std::string wallpaper_;
};

TEST_F(RootWallpaper, WidePictureCoversTheScreenCentredSidesCut) {
    // 2:1 on 16:10: scaled by 4, the outer 40 columns on each side are cut.
    // Top and bottom halves differ so that the vertical mapping shows too.
    const uint32_t greenTop = 0x20C040, greenBottom = 0x106020;
    const uint32_t blueTop = 0x3050E0, blueBottom = 0x182870;
    writeBmp(wallpaper_, 400, 200, [&](int x, int y) {
        if (x < 40 || x >= 360)
            return kRed;
        if (x < 200)
            return y < 100 ? greenTop : greenBottom;
        return y < 100 ? blueTop : blueBottom;
    });
    platform::setDesktopWallpaper(wallpaper_);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
    expectNoRed(p);
    expectArea(p, 0, 638, 0, 398, greenTop);
    expectArea(p, 0, 638, 402, kHeight, greenBottom);
    expectArea(p, 642, kWidth, 0, 398, blueTop);
    expectArea(p, 642, kWidth, 402, kHeight, blueBottom);
}

TEST_F(RootWallpaper, TallPictureCoversTheScreenCentredTopAndBottomCut) {
    // 160x400 scaled by 8 is 1280x3200: 150 picture rows cut at each end.
    const uint32_t top = 0x2090F0, bottom = 0x30D000;
    writeBmp(wallpaper_, 160, 400, [&](int, int y) {
        if (y < 150 || y >= 250)
            return kRed;
        return y < 200 ? top : bottom;
    });
    platform::setDesktopWallpaper(wallpaper_);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
    expectNoRed(p);
    expectArea(p, 0, kWidth, 0, 398, top);
    expectArea(p, 0, kWidth, 402, kHeight, bottom);
}

TEST_F(RootWallpaper, PictureOfTheScreensShapeIsStretchedWhole) {
    // 16x10, each half of another colour: no cut, every edge column kept.
    writeBmp(wallpaper_, 16, 10, columns({{0, 0x123456}, {8, 0xFEDCBA}}));
    platform::setDesktopWallpaper(wallpaper_);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
    expectArea(p, 0, 630, 0, kHeight, 0x123456);
    expectArea(p, 650, kWidth, 0, kHeight, 0xFEDCBA);
}

TEST_F(RootWallpaper, ShrinkingAveragesInsteadOfPickingPixels) {
    // A one-pixel checkerboard of black and white, shrunk to half its size
    // (whole, then with its sides cut): an averaging stretch gives an even
    // grey, a pixel-picking one black or white.
    for (const int width : {2 * kWidth, 2 * kWidth + 440}) {
        SCOPED_TRACE(width);
        writeBmp(wallpaper_, width, 2 * kHeight,
                 [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; });
        platform::setDesktopWallpaper(wallpaper_);

        const std::vector<uint32_t> p = shownPixels();
        ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
        for (int y = 0; y < kHeight; y += 37)
            for (int x = 0; x < kWidth; x += 41) {
                const uint32_t c = at(p, x, y);
                ASSERT_NEAR(red(c), 128, 2) << x << "," << y;
                ASSERT_EQ(red(c), green(c));
                ASSERT_EQ(red(c), blue(c));
            }
    }
}

TEST_F(RootWallpaper, DecodedPictureIsPaintedBeforeItsFileExists) {
    // An 8-bit picture, wide: its middle covers the screen, averaged from memory.
    Bitmap b;
    b.setColorTable({kRed, 0x10A040, 0x4010C0});
    b.setPixelFormat(PixelFormat::Bits8);
    b.setSizeForOverwrite(400, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            b.scanLine(y)[x] = x < 40 || x >= 360 ? 0 : x < 200 ? 1 : 2;
    ASSERT_FALSE(fs::exists(wallpaper_));
    EXPECT_TRUE(platform::paintDesktopWallpaper(wallpaper_, b));
    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
    expectNoRed(p);
    expectArea(p, 0, 638, 0, kHeight, 0x10A040);
    expectArea(p, 642, kWidth, 0, kHeight, 0x4010C0);
    EXPECT_EQ(platform::getWallpaperName(), wallpaper_);

    // A desktop that reads the file itself is left to the file.
    setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    EXPECT_FALSE(platform::paintDesktopWallpaper(wallpaper_, b));
    unsetenv("XDG_CURRENT_DESKTOP");
    // And an empty picture paints nothing.
    EXPECT_FALSE(platform::paintDesktopWallpaper(wallpaper_, Bitmap()));
}

TEST_F(RootWallpaper, PixmapOutlivesTheProcessThatSetIt) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x336699}}));
    applyInChildProcess(wallpaper_);

    const xcb_pixmap_t p = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_NE(p, XCB_NONE);
    EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), p);
    EXPECT_TRUE(pixmapExists(p));
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(kWidth) * kHeight);
    expectArea(shown, 0, kWidth, 0, kHeight, 0x336699);
    // Another process (this one) reads the name back, as after a restart.
    EXPECT_EQ(platform::getWallpaperName(), wallpaper_);
}

TEST_F(RootWallpaper, NextApplyFreesThePreviousPixmap) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x102030}}));
    applyInChildProcess(wallpaper_);
    const xcb_pixmap_t first = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(first));

    // The same file name with new content, as every apply writes it.
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x405060}}));
    applyInChildProcess(wallpaper_);
    const xcb_pixmap_t second = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_NE(second, XCB_NONE);
    EXPECT_NE(second, first);
    EXPECT_FALSE(pixmapExists(first)) << "the replaced wallpaper pixmap was not freed";
    EXPECT_TRUE(pixmapExists(second));
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(kWidth) * kHeight);
    expectArea(shown, 0, kWidth, 0, kHeight, 0x405060);
}

TEST_F(RootWallpaper, PixmapNotMarkedAsASettersIsNotFreed) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x0A0B0C}}));
    applyInChildProcess(wallpaper_);
    const xcb_pixmap_t first = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(first));

    // ESETROOT_PMAP_ID no longer names it: whoever owns it now frees it.
    xcb_delete_property(c_, root_, atom("ESETROOT_PMAP_ID"));
    sync();
    applyInChildProcess(wallpaper_);
    EXPECT_NE(pixmapProperty("_XROOTPMAP_ID"), first);
    EXPECT_TRUE(pixmapExists(first));
    xcb_kill_client(c_, first);
    sync();
}

TEST_F(RootWallpaper, NameIsTheFileUntilAnotherProgramSetsTheWallpaper) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x777777}}));
    platform::setDesktopWallpaper(wallpaper_);
    EXPECT_EQ(platform::getWallpaperName(), wallpaper_);

    // Another setter puts its own pixmap up.
    const xcb_pixmap_t ours = pixmapProperty("_XROOTPMAP_ID");
    const xcb_pixmap_t other = xcb_generate_id(c_);
    xcb_create_pixmap(c_, 24, other, root_, kWidth, kHeight);
    setPixmapProperty("_XROOTPMAP_ID", other);
    setPixmapProperty("ESETROOT_PMAP_ID", other);
    EXPECT_EQ(platform::getWallpaperName(), "");

    // Restore a state the next apply can clean up after.
    setPixmapProperty("_XROOTPMAP_ID", ours);
    setPixmapProperty("ESETROOT_PMAP_ID", ours);
    xcb_free_pixmap(c_, other);
    EXPECT_EQ(platform::getWallpaperName(), wallpaper_);
}

TEST_F(RootWallpaper, UnreadableFileLeavesTheDesktopAsItWas) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x5A5A5A}}));
    platform::setDesktopWallpaper(wallpaper_);
    const xcb_pixmap_t before = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(before));

    const std::string damaged = (dir_ / "damaged.bmp").string();
    const std::string huge = (dir_ / "huge.bmp").string();
    const std::string empty = (dir_ / "empty.bmp").string();
    {
        std::ofstream(damaged, std::ios::binary) << "BM\x10\x00\x00\x00garbage";
        // A valid-looking header claiming 100000 x 100000 pixels and no data.
        std::string h(54, '\0');
        const auto put = [&h](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                h[at + size_t(i)] = char(v >> (8 * i));
        };
        h[0] = 'B', h[1] = 'M';
        put(2, 54), put(10, 54), put(14, 40), put(18, 100000), put(22, 100000);
        h[26] = 1, h[28] = 24;
        std::ofstream(huge, std::ios::binary) << h;
        std::ofstream(empty, std::ios::binary);
    }
    for (const std::string& bad :
         {damaged, huge, empty, (dir_ / "missing.bmp").string(), dir_.string(), std::string()}) {
        platform::setDesktopWallpaper(bad);
        EXPECT_EQ(pixmapProperty("_XROOTPMAP_ID"), before) << bad;
        EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), before) << bad;
        EXPECT_EQ(platform::getWallpaperName(), wallpaper_) << bad;
    }
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(kWidth) * kHeight);
    expectArea(shown, 0, kWidth, 0, kHeight, 0x5A5A5A);
}

TEST_F(RootWallpaper, GnomeSessionWithoutGnomeSettingsPaintsTheRootWindow) {
    writeBmp(wallpaper_, 32, 20, columns({{0, 0x2468AC}}));
    const fs::path noSchemas = dir_ / "no-schemas";
    fs::create_directory(noSchemas);
    // In a process of its own: GSettings looks its schemas up once per process.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
        setenv("XDG_DATA_DIRS", noSchemas.c_str(), 1);
        setenv("XDG_DATA_HOME", noSchemas.c_str(), 1);
        unsetenv("GSETTINGS_SCHEMA_DIR");
        setenv("GSETTINGS_BACKEND", "memory", 1);
        platform::setDesktopWallpaper(wallpaper_);
        _exit(platform::getWallpaperName() == wallpaper_ ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "getWallpaperName did not fall back to the root window";
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(kWidth) * kHeight);
    expectArea(shown, 0, kWidth, 0, kHeight, 0x2468AC);
}

// Defines a RandR monitor. Sent by hand: libxcb's generated SetMonitor
// request is not reliable in the version this runs with.
xcb_void_cookie_t setMonitor(xcb_connection_t* c, xcb_window_t root, xcb_atom_t name, int16_t x,
                             int16_t width, xcb_randr_output_t output) {
    struct __attribute__((packed)) {
        uint8_t major, minor;
        uint16_t length;
        xcb_window_t window;
        xcb_randr_monitor_info_t info;
        xcb_randr_output_t outputs[1];
    } req{};
    req.window = root;
    req.info.name = name;
    req.info.nOutput = output ? 1 : 0;
    req.info.x = x;
    req.info.width = uint16_t(width);
    req.info.height = kHeight;
    req.info.width_in_millimeters = 300;
    req.info.height_in_millimeters = 300;
    req.outputs[0] = output;
    iovec parts[3] = {};
    parts[2].iov_base = &req;
    parts[2].iov_len = 8 + sizeof(xcb_randr_monitor_info_t) + (output ? 4 : 0);
    xcb_protocol_request_t request{1, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
    return {xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &request)};
}

TEST_F(RootWallpaper, EachMonitorIsCoveredOnItsOwn) {
    const auto* ext = xcb_get_extension_data(c_, &xcb_randr_id);
    if (!ext || !ext->present)
        GTEST_SKIP() << "the X server has no RandR";
    auto* v = xcb_randr_query_version_reply(c_, xcb_randr_query_version(c_, 1, 5), nullptr);
    const bool monitors = v && (v->major_version > 1 || v->minor_version >= 5);
    free(v);
    if (!monitors)
        GTEST_SKIP() << "the X server's RandR has no monitors";
    auto* res = xcb_randr_get_screen_resources_current_reply(
        c_, xcb_randr_get_screen_resources_current(c_, root_), nullptr);
    ASSERT_NE(res, nullptr);
    ASSERT_GT(xcb_randr_get_screen_resources_current_outputs_length(res), 0);
    const xcb_randr_output_t output = xcb_randr_get_screen_resources_current_outputs(res)[0];
    free(res);

    // The screen split into two 640x800 monitors, as a wide display can be.
    const xcb_atom_t left = atom("QUORVANE-TEST-LEFT"), right = atom("QUORVANE-TEST-RIGHT");
    xcb_generic_error_t* e = xcb_request_check(c_, setMonitor(c_, root_, left, 0, 640, output));
    ASSERT_EQ(e, nullptr);
    e = xcb_request_check(c_, setMonitor(c_, root_, right, 640, 640, XCB_NONE));
    ASSERT_EQ(e, nullptr);

    // 2:1 on 640x800: the middle 160 of 400 columns, scaled by 4, on each.
    writeBmp(wallpaper_, 400, 200,
             columns({{0, kRed}, {120, 0x00C000}, {200, 0x0000C0}, {280, kRed}}));
    platform::setDesktopWallpaper(wallpaper_);
    xcb_randr_delete_monitor(c_, root_, left);
    xcb_randr_delete_monitor(c_, root_, right);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(kWidth) * kHeight);
    expectNoRed(p);
    for (int m = 0; m < 2; ++m) {
        expectArea(p, 640 * m, 640 * m + 318, 0, kHeight, 0x00C000);
        expectArea(p, 640 * m + 322, 640 * m + 640, 0, kHeight, 0x0000C0);
    }
}

TEST(RootWallpaperWithoutDisplay, NothingHappensAndNothingBreaks) {
    char tmpl[] = "/tmp/quorvane-nodisplay-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    const std::string file = (dir / "Wallpaper.bmp").string();
    writeBmp(file, 8, 5, [](int, int) { return 0x808080u; });

    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("XDG_CURRENT_DESKTOP");
    for (const char* d : {"", ":4711", ":not-a-number", "::"}) {
        setenv("DISPLAY", d, 1);
        platform::setDesktopWallpaper(file);
        EXPECT_EQ(platform::getWallpaperName(), "") << "DISPLAY=" << d;
    }
    unsetenv("DISPLAY");
    platform::setDesktopWallpaper(file);
    EXPECT_EQ(platform::getWallpaperName(), "");
    if (saved)
        setenv("DISPLAY", display.c_str(), 1);
    fs::remove_all(dir);
}

} // namespace
