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
#include <ostream>
#include <string>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Width = 1280;
constexpr int Height = 800;
constexpr uint32_t Red = 0xFF0000; // marks picture parts that must be cut off

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
    b.saveToFile(path);
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
            c = xcb_connect(nullptr, &screenIndex);
            if (!xcb_connection_has_error(c))
                return;
            xcb_disconnect(c);
            c = nullptr;
            usleep(100 * 1000);
        }
    }
    static void TearDownTestSuite() {
        if (c)
            xcb_disconnect(c);
        c = nullptr;
    }

    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "DISPLAY is not set: the root-window tests need an X server "
                            "(scripts/test runs them under xvfb-run)";
        ASSERT_NE(c, nullptr) << "cannot open DISPLAY " << getenv("DISPLAY");
        ASSERT_FALSE(xcb_connection_has_error(c));
        // An unknown desktop on X11 gets the root-window backend.
        unsetenv("XDG_CURRENT_DESKTOP");
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenIndex; ++i)
            xcb_screen_next(&it);
        m_screen = it.data;
        if (m_screen->width_in_pixels != Width || m_screen->height_in_pixels != Height ||
            m_screen->root_depth != 24)
            GTEST_SKIP() << "the root-window tests expect a 1280x800x24 screen";
        m_root = m_screen->root;

        char tmpl[] = "/tmp/quorvane wallpaper \xC3\xA4-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_wallpaper = (m_dir / "Wallpaper.bmp").string();
    }

    void TearDown() override {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, false, uint16_t(strlen(name)), name),
                                        nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }

    xcb_pixmap_t pixmapProperty(const char* name) {
        auto* r = xcb_get_property_reply(
            c, xcb_get_property(c, false, m_root, atom(name), XCB_ATOM_PIXMAP, 0, 1), nullptr);
        xcb_pixmap_t p = XCB_NONE;
        if (r && r->type == XCB_ATOM_PIXMAP && xcb_get_property_value_length(r) == 4)
            p = *static_cast<xcb_pixmap_t*>(xcb_get_property_value(r));
        free(r);
        return p;
    }

    void setPixmapProperty(const char* name, xcb_pixmap_t p) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_root, atom(name), XCB_ATOM_PIXMAP, 32, 1,
                            &p);
        sync();
    }

    // Waits until the server has handled everything this connection sent.
    void sync() { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

    bool pixmapExists(xcb_pixmap_t p) {
        xcb_generic_error_t* e = nullptr;
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, p), &e);
        const bool ok = g && g->width == Width && g->height == Height && g->depth == 24;
        free(g);
        free(e);
        return ok;
    }

    // The drawable's pixels as 0xRRGGBB, row by row.
    std::vector<uint32_t> pixels(xcb_drawable_t d) {
        std::vector<uint32_t> out;
        xcb_generic_error_t* e = nullptr;
        auto* r = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, d, 0, 0, Width, Height, ~0u), &e);
        free(e);
        if (!r)
            return out;
        const uint8_t* data = xcb_get_image_data(r);
        if (size_t(xcb_get_image_data_length(r)) >= size_t(Width) * Height * 4) {
            // Xvfb's 24-bit root: 32 bits per pixel, blue, green, red, unused.
            out.resize(size_t(Width) * Height);
            for (size_t i = 0; i < out.size(); ++i)
                out[i] =
                    uint32_t(data[4 * i + 2]) << 16 | uint32_t(data[4 * i + 1]) << 8 | data[4 * i];
        }
        free(r);
        return out;
    }

    static uint32_t at(const std::vector<uint32_t>& p, int x, int y) {
        return p[size_t(y) * Width + size_t(x)];
    }

    // The root shows the pixmap both properties name, and nothing else.
    std::vector<uint32_t> shownPixels() {
        const xcb_pixmap_t p = pixmapProperty("_XROOTPMAP_ID");
        EXPECT_NE(p, XCB_NONE);
        EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), p);
        std::vector<uint32_t> root = pixels(m_root);
        EXPECT_EQ(root.size(), size_t(Width) * Height);
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
                              << i % Width << ", " << i / Width << ")";
                return;
            }
    }

    static inline xcb_connection_t* c = nullptr;
    static inline int screenIndex = 0;
    const xcb_screen_t* m_screen = nullptr;
    xcb_window_t m_root = XCB_NONE;
    fs::path m_dir;
    std::string m_wallpaper;
};

TEST_F(RootWallpaper, WidePictureCoversTheScreenCentredSidesCut) {
    // 2:1 on 16:10: scaled by 4, the outer 40 columns on each side are cut.
    // Top and bottom halves differ so that the vertical mapping shows too.
    const uint32_t greenTop = 0x20C040, greenBottom = 0x106020;
    const uint32_t blueTop = 0x3050E0, blueBottom = 0x182870;
    writeBmp(m_wallpaper, 400, 200, [&](int x, int y) {
        if (x < 40 || x >= 360)
            return Red;
        if (x < 200)
            return y < 100 ? greenTop : greenBottom;
        return y < 100 ? blueTop : blueBottom;
    });
    platform::setDesktopWallpaper(m_wallpaper);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    expectNoRed(p);
    expectArea(p, 0, 638, 0, 398, greenTop);
    expectArea(p, 0, 638, 402, Height, greenBottom);
    expectArea(p, 642, Width, 0, 398, blueTop);
    expectArea(p, 642, Width, 402, Height, blueBottom);
}

TEST_F(RootWallpaper, TallPictureCoversTheScreenCentredTopAndBottomCut) {
    // 160x400 scaled by 8 is 1280x3200: 150 picture rows cut at each end.
    const uint32_t top = 0x2090F0, bottom = 0x30D000;
    writeBmp(m_wallpaper, 160, 400, [&](int, int y) {
        if (y < 150 || y >= 250)
            return Red;
        return y < 200 ? top : bottom;
    });
    platform::setDesktopWallpaper(m_wallpaper);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    expectNoRed(p);
    expectArea(p, 0, Width, 0, 398, top);
    expectArea(p, 0, Width, 402, Height, bottom);
}

TEST_F(RootWallpaper, PictureOfTheScreensShapeIsStretchedWhole) {
    // 16x10, each half of another colour: no cut, every edge column kept.
    writeBmp(m_wallpaper, 16, 10, columns({{0, 0x123456}, {8, 0xFEDCBA}}));
    platform::setDesktopWallpaper(m_wallpaper);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    expectArea(p, 0, 630, 0, Height, 0x123456);
    expectArea(p, 650, Width, 0, Height, 0xFEDCBA);
}

TEST_F(RootWallpaper, ShrinkingAveragesInsteadOfPickingPixels) {
    // A one-pixel checkerboard of black and white, shrunk to half its size
    // (whole, then with its sides cut): an averaging stretch gives an even
    // grey, a pixel-picking one black or white.
    for (const int width : {2 * Width, 2 * Width + 440}) {
        SCOPED_TRACE(width);
        writeBmp(m_wallpaper, width, 2 * Height,
                 [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; });
        platform::setDesktopWallpaper(m_wallpaper);

        const std::vector<uint32_t> p = shownPixels();
        ASSERT_EQ(p.size(), size_t(Width) * Height);
        for (int y = 0; y < Height; y += 37)
            for (int x = 0; x < Width; x += 41) {
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
    b.setColorTable({Red, 0x10A040, 0x4010C0});
    b.setPixelFormat(PixelFormat::Bits8);
    b.setSizeForOverwrite(400, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            b.scanLine(y)[x] = x < 40 || x >= 360 ? 0 : x < 200 ? 1 : 2;
    ASSERT_FALSE(fs::exists(m_wallpaper));
    EXPECT_TRUE(platform::paintDesktopWallpaper(m_wallpaper, b));
    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    expectNoRed(p);
    expectArea(p, 0, 638, 0, Height, 0x10A040);
    expectArea(p, 642, Width, 0, Height, 0x4010C0);
    EXPECT_EQ(platform::getWallpaperName(), m_wallpaper);

    // A desktop that reads the file itself is left to the file.
    setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    EXPECT_FALSE(platform::paintDesktopWallpaper(m_wallpaper, b));
    unsetenv("XDG_CURRENT_DESKTOP");
    // And an empty picture paints nothing.
    EXPECT_FALSE(platform::paintDesktopWallpaper(m_wallpaper, Bitmap()));
}

TEST_F(RootWallpaper, PixmapOutlivesTheProcessThatSetIt) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x336699}}));
    applyInChildProcess(m_wallpaper);

    const xcb_pixmap_t p = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_NE(p, XCB_NONE);
    EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), p);
    EXPECT_TRUE(pixmapExists(p));
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(Width) * Height);
    expectArea(shown, 0, Width, 0, Height, 0x336699);
    // Another process (this one) reads the name back, as after a restart.
    EXPECT_EQ(platform::getWallpaperName(), m_wallpaper);
}

TEST_F(RootWallpaper, NextApplyFreesThePreviousPixmap) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x102030}}));
    applyInChildProcess(m_wallpaper);
    const xcb_pixmap_t first = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(first));

    // The same file name with new content, as every apply writes it.
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x405060}}));
    applyInChildProcess(m_wallpaper);
    const xcb_pixmap_t second = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_NE(second, XCB_NONE);
    EXPECT_NE(second, first);
    EXPECT_FALSE(pixmapExists(first)) << "the replaced wallpaper pixmap was not freed";
    EXPECT_TRUE(pixmapExists(second));
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(Width) * Height);
    expectArea(shown, 0, Width, 0, Height, 0x405060);
}

TEST_F(RootWallpaper, PixmapNotMarkedAsASettersIsNotFreed) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x0A0B0C}}));
    applyInChildProcess(m_wallpaper);
    const xcb_pixmap_t first = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(first));

    // ESETROOT_PMAP_ID no longer names it: whoever owns it now frees it.
    xcb_delete_property(c, m_root, atom("ESETROOT_PMAP_ID"));
    sync();
    applyInChildProcess(m_wallpaper);
    EXPECT_NE(pixmapProperty("_XROOTPMAP_ID"), first);
    EXPECT_TRUE(pixmapExists(first));
    xcb_kill_client(c, first);
    sync();
}

TEST_F(RootWallpaper, NameIsTheFileUntilAnotherProgramSetsTheWallpaper) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x777777}}));
    platform::setDesktopWallpaper(m_wallpaper);
    EXPECT_EQ(platform::getWallpaperName(), m_wallpaper);

    // Another setter puts its own pixmap up.
    const xcb_pixmap_t ours = pixmapProperty("_XROOTPMAP_ID");
    const xcb_pixmap_t other = xcb_generate_id(c);
    xcb_create_pixmap(c, 24, other, m_root, Width, Height);
    setPixmapProperty("_XROOTPMAP_ID", other);
    setPixmapProperty("ESETROOT_PMAP_ID", other);
    EXPECT_EQ(platform::getWallpaperName(), "");

    // Restore a state the next apply can clean up after.
    setPixmapProperty("_XROOTPMAP_ID", ours);
    setPixmapProperty("ESETROOT_PMAP_ID", ours);
    xcb_free_pixmap(c, other);
    EXPECT_EQ(platform::getWallpaperName(), m_wallpaper);
}

TEST_F(RootWallpaper, UnreadableFileLeavesTheDesktopAsItWas) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x5A5A5A}}));
    platform::setDesktopWallpaper(m_wallpaper);
    const xcb_pixmap_t before = pixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(pixmapExists(before));

    const std::string damaged = (m_dir / "damaged.bmp").string();
    const std::string huge = (m_dir / "huge.bmp").string();
    const std::string empty = (m_dir / "empty.bmp").string();
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
         {damaged, huge, empty, (m_dir / "missing.bmp").string(), m_dir.string(), std::string()}) {
        platform::setDesktopWallpaper(bad);
        EXPECT_EQ(pixmapProperty("_XROOTPMAP_ID"), before) << bad;
        EXPECT_EQ(pixmapProperty("ESETROOT_PMAP_ID"), before) << bad;
        EXPECT_EQ(platform::getWallpaperName(), m_wallpaper) << bad;
    }
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(Width) * Height);
    expectArea(shown, 0, Width, 0, Height, 0x5A5A5A);
}

TEST_F(RootWallpaper, GnomeSessionWithoutGnomeSettingsPaintsTheRootWindow) {
    writeBmp(m_wallpaper, 32, 20, columns({{0, 0x2468AC}}));
    const fs::path noSchemas = m_dir / "no-schemas";
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
        platform::setDesktopWallpaper(m_wallpaper);
        _exit(platform::getWallpaperName() == m_wallpaper ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "getWallpaperName did not fall back to the root window";
    const std::vector<uint32_t> shown = shownPixels();
    ASSERT_EQ(shown.size(), size_t(Width) * Height);
    expectArea(shown, 0, Width, 0, Height, 0x2468AC);
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
    req.info.height = Height;
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
    const auto* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (!ext || !ext->present)
        GTEST_SKIP() << "the X server has no RandR";
    auto* v = xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr);
    const bool monitors = v && (v->major_version > 1 || v->minor_version >= 5);
    free(v);
    if (!monitors)
        GTEST_SKIP() << "the X server's RandR has no monitors";
    auto* res = xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, m_root), nullptr);
    ASSERT_NE(res, nullptr);
    ASSERT_GT(xcb_randr_get_screen_resources_current_outputs_length(res), 0);
    const xcb_randr_output_t output = xcb_randr_get_screen_resources_current_outputs(res)[0];
    free(res);

    // The screen split into two 640x800 monitors, as a wide display can be.
    const xcb_atom_t left = atom("QUORVANE-TEST-LEFT"), right = atom("QUORVANE-TEST-RIGHT");
    xcb_generic_error_t* e = xcb_request_check(c, setMonitor(c, m_root, left, 0, 640, output));
    ASSERT_EQ(e, nullptr);
    e = xcb_request_check(c, setMonitor(c, m_root, right, 640, 640, XCB_NONE));
    ASSERT_EQ(e, nullptr);

    // 2:1 on 640x800: the middle 160 of 400 columns, scaled by 4, on each.
    writeBmp(m_wallpaper, 400, 200,
             columns({{0, Red}, {120, 0x00C000}, {200, 0x0000C0}, {280, Red}}));
    platform::setDesktopWallpaper(m_wallpaper);
    xcb_randr_delete_monitor(c, m_root, left);
    xcb_randr_delete_monitor(c, m_root, right);

    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    expectNoRed(p);
    for (int m = 0; m < 2; ++m) {
        expectArea(p, 640 * m, 640 * m + 318, 0, Height, 0x00C000);
        expectArea(p, 640 * m + 322, 640 * m + 640, 0, Height, 0x0000C0);
    }
}

// Two monitors defined without an output over Xvfb's one: A, 450x800 at the
// left, and B, 830x800 beside it. W is a wide 400x200 picture, green on its
// left half and blue on its right; T a tall 100x300 one, yellow with a
// 10-pixel magenta edge along its top and left sides, which shows where each
// tile starts.
constexpr uint32_t Green = 0x00C000, Blue = 0x0000C0, Yellow = 0xC0C000, Magenta = 0xC000C0;
constexpr uint32_t Background = 0x203040;

struct Area {
    int x0, x1, y0, y1;
    uint32_t colour;
};

struct PlacementCase {
    const char* name;
    PlacementMode mode;
    bool tall; // T instead of W
    std::vector<Area> areas;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class RootPlacement : public RootWallpaper, public testing::WithParamInterface<PlacementCase> {
protected:
    void SetUp() override {
        RootWallpaper::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const auto* ext = xcb_get_extension_data(c, &xcb_randr_id);
        auto* v = ext && ext->present
                      ? xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr)
                      : nullptr;
        const bool monitors = v && (v->major_version > 1 || v->minor_version >= 5);
        free(v);
        if (!monitors)
            GTEST_SKIP() << "the X server's RandR has no monitors";
        m_left = atom("QUORVANE-TEST-A");
        m_right = atom("QUORVANE-TEST-B");
        ASSERT_EQ(xcb_request_check(c, setMonitor(c, m_root, m_left, 0, 450, XCB_NONE)), nullptr);
        ASSERT_EQ(xcb_request_check(c, setMonitor(c, m_root, m_right, 450, 830, XCB_NONE)),
                  nullptr);
    }
    void TearDown() override {
        if (m_left != XCB_ATOM_NONE) {
            xcb_randr_delete_monitor(c, m_root, m_left);
            xcb_randr_delete_monitor(c, m_root, m_right);
            sync();
        }
        RootWallpaper::TearDown();
    }
    xcb_atom_t m_left = XCB_ATOM_NONE, m_right = XCB_ATOM_NONE;
};

TEST_P(RootPlacement, EachMonitorShowsThePictureWhereItsPlacementPutsIt) {
    const PlacementCase& pc = GetParam();
    if (pc.tall)
        writeBmp(m_wallpaper, 100, 300,
                 [](int x, int y) { return x < 10 || y < 10 ? Magenta : Yellow; });
    else
        writeBmp(m_wallpaper, 400, 200, columns({{0, Green}, {200, Blue}}));
    platform::setDesktopWallpaper(m_wallpaper, {pc.mode, Background});
    const std::vector<uint32_t> p = shownPixels();
    ASSERT_EQ(p.size(), size_t(Width) * Height);
    for (const Area& a : pc.areas) {
        SCOPED_TRACE(testing::Message()
                     << "area x " << a.x0 << ".." << a.x1 << ", y " << a.y0 << ".." << a.y1);
        expectArea(p, a.x0, a.x1, a.y0, a.y1, a.colour);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RootPlacement,
    testing::Values(
        // Whole monitors covered, the overflow cut: W's halves meet near each
        // monitor's middle, T's top edge is cut off and its left edge grows.
        PlacementCase{"FillWide",
                      PlacementMode::Fill,
                      false,
                      {{0, 224, 0, Height, Green},
                       {230, 450, 0, Height, Blue},
                       {450, 863, 0, Height, Green},
                       {867, Width, 0, Height, Blue}}},
        PlacementCase{"FillTall",
                      PlacementMode::Fill,
                      true,
                      {{47, 450, 0, Height, Yellow}, {535, Width, 0, Height, Yellow}}},
        // The whole picture, the rest in the background colour.
        PlacementCase{"FitWide",
                      PlacementMode::Fit,
                      false,
                      {{0, 450, 0, 285, Background},
                       {0, 450, 514, Height, Background},
                       {0, 223, 289, 510, Green},
                       {227, 450, 289, 510, Blue},
                       {450, Width, 0, 190, Background},
                       {450, Width, 609, Height, Background},
                       {450, 863, 194, 605, Green},
                       {867, Width, 194, 605, Blue}}},
        PlacementCase{"FitTall",
                      PlacementMode::Fit,
                      true,
                      {{0, 89, 0, Height, Background},
                       {121, 356, 30, Height, Yellow},
                       {360, 450, 0, Height, Background},
                       {450, 729, 0, Height, Background},
                       {761, 996, 30, Height, Yellow},
                       {1000, Width, 0, Height, Background}}},
        PlacementCase{"StretchWide",
                      PlacementMode::Stretch,
                      false,
                      {{0, 223, 0, Height, Green},
                       {227, 450, 0, Height, Blue},
                       {450, 863, 0, Height, Green},
                       {867, Width, 0, Height, Blue}}},
        PlacementCase{"StretchTall",
                      PlacementMode::Stretch,
                      true,
                      {{47, 450, 29, Height, Yellow}, {535, Width, 29, Height, Yellow}}},
        // At its own size in the middle of each monitor.
        PlacementCase{"CenterWide",
                      PlacementMode::Center,
                      false,
                      {{0, 25, 0, Height, Background},
                       {25, 225, 300, 500, Green},
                       {225, 425, 300, 500, Blue},
                       {25, 425, 0, 300, Background},
                       {25, 425, 500, Height, Background},
                       {425, 665, 0, Height, Background},
                       {665, 865, 300, 500, Green},
                       {865, 1065, 300, 500, Blue},
                       {1065, Width, 0, Height, Background}}},
        PlacementCase{"CenterTall",
                      PlacementMode::Center,
                      true,
                      {{0, 175, 0, Height, Background},
                       {175, 275, 250, 260, Magenta},
                       {185, 275, 260, 550, Yellow},
                       {275, 815, 0, Height, Background},
                       {815, 825, 250, 550, Magenta},
                       {825, 915, 260, 550, Yellow},
                       {915, Width, 0, Height, Background}}},
        // Tiles start at each monitor's own corner: B's first column of
        // tiles at 450, not at a multiple of 100.
        PlacementCase{"TileTall",
                      PlacementMode::Tile,
                      true,
                      {{0, 10, 0, Height, Magenta},
                       {10, 100, 10, 300, Yellow},
                       {100, 110, 0, Height, Magenta},
                       {0, 450, 300, 310, Magenta},
                       {400, 410, 0, Height, Magenta},
                       {410, 450, 310, 600, Yellow},
                       {450, 460, 0, Height, Magenta},
                       {460, 550, 10, 300, Yellow},
                       {550, 560, 0, Height, Magenta},
                       {1250, 1260, 0, Height, Magenta},
                       {1260, Width, 610, Height, Yellow}}},
        // One picture over both: W's halves meet in the middle of the
        // screen, not of each monitor.
        PlacementCase{"SpanWide",
                      PlacementMode::Span,
                      false,
                      {{0, 638, 0, Height, Green}, {642, Width, 0, Height, Blue}}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// Three monitors, each with a picture of its own: the painter lists them by
// their RandR names, and each shows its own picture as placed, the
// background colour where Fit leaves room.
TEST_F(RootPlacement, EachOfThreeMonitorsShowsItsOwnPicture) {
    // B split in two: 0..450, 450..850 and 850..1280.
    xcb_randr_delete_monitor(c, m_root, m_right);
    const xcb_atom_t third = atom("QUORVANE-TEST-C");
    ASSERT_EQ(xcb_request_check(c, setMonitor(c, m_root, m_right, 450, 400, XCB_NONE)), nullptr);
    ASSERT_EQ(xcb_request_check(c, setMonitor(c, m_root, third, 850, 430, XCB_NONE)), nullptr);

    const std::optional<std::vector<platform::Monitor>> monitors = platform::desktopMonitors();
    xcb_randr_delete_monitor(c, m_root, third);
    ASSERT_TRUE(monitors.has_value());
    std::vector<std::string> names;
    for (const platform::Monitor& m : *monitors)
        names.push_back(m.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"QUORVANE-TEST-A", "QUORVANE-TEST-B", "QUORVANE-TEST-C"}));
    ASSERT_EQ(monitors->size(), 3u);
    EXPECT_EQ((*monitors)[1].area, (Rect{450, 0, 850, Height}));

    const fs::path second = m_dir / "Wallpaper-2.bmp", last = m_dir / "Wallpaper-3.bmp";
    writeBmp(m_wallpaper, 40, 20, [](int, int) { return Green; });
    writeBmp(second, 20, 60, [](int, int) { return Yellow; }); // tall: room on both sides
    writeBmp(last, 40, 20, [](int, int) { return Blue; });
    const std::vector<platform::MonitorPicture> pictures{{(*monitors)[0], m_wallpaper, nullptr},
                                                         {(*monitors)[1], second.string(), nullptr},
                                                         {(*monitors)[2], last.string(), nullptr}};
    for (PlacementMode mode : {PlacementMode::Fill, PlacementMode::Fit}) {
        SCOPED_TRACE(std::string(placementName(mode)));
        platform::setMonitorWallpapers(pictures, (m_dir / "Spanned.bmp").string(),
                                       {mode, Background});
        const std::vector<uint32_t> p = shownPixels();
        ASSERT_EQ(p.size(), size_t(Width) * Height);
        if (mode == PlacementMode::Fill) {
            expectArea(p, 0, 450, 0, Height, Green);
            expectArea(p, 450, 850, 0, Height, Yellow);
        } else {
            // 450x225 in the middle of 450x800; 20x60 on 400x800 is 267x800.
            expectArea(p, 0, 450, 0, 285, Background);
            expectArea(p, 0, 450, 290, 510, Green);
            expectArea(p, 450, 514, 0, Height, Background);
            expectArea(p, 518, 781, 0, Height, Yellow);
            expectArea(p, 785, 850, 0, Height, Background);
        }
        expectArea(p, 850, Width, mode == PlacementMode::Fill ? 0 : 310,
                   mode == PlacementMode::Fill ? Height : 490, Blue);
        EXPECT_EQ(platform::getWallpaperName(), m_wallpaper);
    }

    // A new picture for the first monitor: the others, unchanged, are taken
    // from what the root shows (their files are not read again), until the
    // placement changes.
    fs::remove(last);
    Bitmap magenta;
    magenta.createUninitialized(40, 20, PixelFormat::Bits32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            magenta.setPixel(x, y, 0xFF000000 | Magenta);
    std::vector<platform::MonitorPicture> changed = pictures;
    changed[0].picture = &magenta;
    ASSERT_TRUE(platform::paintMonitorWallpapers(changed, {PlacementMode::Fit, Background}));
    std::vector<uint32_t> p = shownPixels();
    expectArea(p, 0, 450, 290, 510, Magenta);
    expectArea(p, 850, Width, 310, 490, Blue);
    ASSERT_TRUE(platform::paintMonitorWallpapers(changed, {PlacementMode::Fill, Background}));
    p = shownPixels();
    expectArea(p, 0, 450, 0, Height, Magenta);
    expectArea(p, 850, Width, 0, Height, Background);
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
