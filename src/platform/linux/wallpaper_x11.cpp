// The wallpaper of a plain X11 session: the root window's background pixmap,
// painted by the program itself on its own connection.
//
// The pixmap follows the convention shared by X desktop setters: it is kept
// after the program exits (close-down mode RetainPermanent), _XROOTPMAP_ID and
// ESETROOT_PMAP_ID both name it (so compositors and pseudo-transparent
// programs find it), and the setter that replaces it frees it only when both
// properties name the same pixmap, the sign that a setter made it.
#include "platform/linux/wallpaper_backends.h"

#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/placement.h"
#include "imaging/resize.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace platform::wallpaper {

namespace {

// The program's own root-window properties: the wallpaper file it painted and
// the pixmap it painted it into, so that getWallpaperName can tell whether
// the root still shows it.
constexpr std::string_view NameProperty = "_QUORVANE_WALLPAPER";
constexpr std::string_view PixmapProperty = "_QUORVANE_WALLPAPER_PMAP";
// What each monitor of that pixmap shows, where each shows a picture of its
// own: one line per monitor (see monitorLine), so that a monitor whose
// picture stays is copied from the present pixmap instead of painted again.
constexpr std::string_view MonitorsProperty = "_QUORVANE_MONITORS";

// Pixel data per PutImage request, well under every server's request limit.
constexpr size_t MaxChunkBytes = 256 * 1024;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

struct Connection {
    xcb_connection_t* c = nullptr;
    int defaultScreen = 0;
    Connection() { c = xcb_connect(nullptr, &defaultScreen); }
    ~Connection() {
        if (c)
            xcb_disconnect(c);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    bool ok() const { return c && !xcb_connection_has_error(c); }
};

const xcb_screen_t* defaultScreen(const Connection& conn) {
    int index = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(conn.c)); it.rem;
         xcb_screen_next(&it), ++index)
        if (index == conn.defaultScreen)
            return it.data;
    return nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* c, std::string_view name, bool onlyIfExists) {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, onlyIfExists, uint16_t(name.size()), name.data()), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_pixmap_t pixmapProperty(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom) {
    if (atom == XCB_ATOM_NONE)
        return XCB_NONE;
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, false, root, atom, XCB_ATOM_PIXMAP, 0, 1), nullptr));
    if (!r || r->type != XCB_ATOM_PIXMAP || r->format != 32 ||
        xcb_get_property_value_length(r.get()) < 4)
        return XCB_NONE;
    return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(r.get()));
}

void setPixmapProperty(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom,
                       xcb_pixmap_t pixmap) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
}

// Waits for the server to have handled every request sent so far; false when
// any of them failed (errors of unchecked requests arrive as events).
bool syncWithoutErrors(xcb_connection_t* c) {
    Reply<xcb_get_input_focus_reply_t> r(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    bool ok = r != nullptr;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        if (e->response_type == 0)
            ok = false;
        std::free(e);
    }
    return ok && !xcb_connection_has_error(c);
}

// How the root window's pixels are laid out in a ZPixmap image.
struct PixelLayout {
    int bitsPerPixel = 0;
    int scanlinePad = 0;
    bool msbFirst = false;
    uint32_t masks[3] = {}; // red, green, blue
};

std::optional<PixelLayout> rootPixelLayout(xcb_connection_t* c, const xcb_screen_t* screen) {
    PixelLayout layout;
    const xcb_setup_t* setup = xcb_get_setup(c);
    layout.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth) {
            layout.bitsPerPixel = f.data->bits_per_pixel;
            layout.scanlinePad = f.data->scanline_pad;
        }
    const xcb_visualtype_t* visual = nullptr;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem && !visual; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual) {
                visual = v.data;
                break;
            }
    // Colour-mapped roots (8-bit displays and the like) are not served.
    if (!visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR)
        return std::nullopt;
    if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32)
        return std::nullopt;
    if (layout.scanlinePad < 8 || layout.scanlinePad % 8 != 0)
        return std::nullopt;
    layout.masks[0] = visual->red_mask;
    layout.masks[1] = visual->green_mask;
    layout.masks[2] = visual->blue_mask;
    return layout;
}

// An 8-bit channel value placed in a channel mask of any width.
uint32_t scaleToMask(uint32_t value, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    return ((value * max + 127) / 255) << shift & mask;
}

// The monitors of a screen, clipped to its root window; the whole root when
// RandR cannot tell (no extension, a version before monitors, none active).
// A monitor the user defined over an output (a wide display split in two)
// stands for that output; a server that still lists the output's automatic
// monitor beside it would otherwise have it painted over both halves. One
// defined without an output stands for the automatic monitors it overlaps, as
// window managers take it. Named by their RandR names.
std::vector<Monitor> screenMonitors(xcb_connection_t* c, const xcb_screen_t* screen) {
    const ::Rect whole{0, 0, screen->width_in_pixels, screen->height_in_pixels};
    const std::vector<Monitor> wholeRoot{{std::string(), whole}};
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (!ext || !ext->present)
        return wholeRoot;
    Reply<xcb_randr_query_version_reply_t> v(
        xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!v || (v->major_version == 1 && v->minor_version < 5))
        return wholeRoot;
    Reply<xcb_randr_get_monitors_reply_t> m(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, screen->root, true), nullptr));
    if (!m)
        return wholeRoot;

    const auto area = [](const xcb_randr_monitor_info_t* info) {
        return ::Rect{info->x, info->y, info->x + info->width, info->y + info->height};
    };
    const auto overlap = [](const ::Rect& a, const ::Rect& b) {
        return std::max(a.left, b.left) < std::min(a.right, b.right) &&
               std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
    };
    std::vector<xcb_randr_output_t> userOutputs;
    std::vector<::Rect> userWithoutOutput;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(m.get()); it.rem;
         xcb_randr_monitor_info_next(&it))
        if (!it.data->automatic) {
            const xcb_randr_output_t* o = xcb_randr_monitor_info_outputs(it.data);
            const int n = xcb_randr_monitor_info_outputs_length(it.data);
            userOutputs.insert(userOutputs.end(), o, o + n);
            if (n == 0 || std::all_of(o, o + n, [](xcb_randr_output_t out) { return out == 0; }))
                userWithoutOutput.push_back(area(it.data));
        }
    std::vector<Monitor> monitors;
    std::vector<xcb_get_atom_name_cookie_t> names;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(m.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t* info = it.data;
        if (info->automatic) {
            const xcb_randr_output_t* o = xcb_randr_monitor_info_outputs(info);
            const int n = xcb_randr_monitor_info_outputs_length(info);
            if (std::any_of(o, o + n, [&](xcb_randr_output_t out) {
                    return std::find(userOutputs.begin(), userOutputs.end(), out) !=
                           userOutputs.end();
                }))
                continue;
            if (std::any_of(userWithoutOutput.begin(), userWithoutOutput.end(),
                            [&](const ::Rect& u) { return overlap(u, area(info)); }))
                continue;
        }
        const ::Rect r{std::max<int>(info->x, 0), std::max<int>(info->y, 0),
                       std::min(info->x + info->width, whole.right),
                       std::min(info->y + info->height, whole.bottom)};
        if (r.width() > 0 && r.height() > 0) {
            monitors.push_back({std::string(), r});
            names.push_back(xcb_get_atom_name(c, info->name));
        }
    }
    for (size_t i = 0; i < monitors.size(); ++i)
        if (Reply<xcb_get_atom_name_reply_t> n(xcb_get_atom_name_reply(c, names[i], nullptr)); n)
            monitors[i].name.assign(xcb_get_atom_name_name(n.get()),
                                    size_t(xcb_get_atom_name_name_length(n.get())));
    if (monitors.empty())
        return wholeRoot;
    return monitors;
}

// Sends `image` to `drawable` at (x, y) in the root's pixel layout, in
// requests small enough for any server.
void putBitmap(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
               const PixelLayout& layout, const Bitmap& image, int x, int y) {
    const int w = image.width();
    const int bytesPerPixel = layout.bitsPerPixel / 8;
    const size_t padBytes = size_t(layout.scanlinePad) / 8;
    const size_t stride = (size_t(w) * bytesPerPixel + padBytes - 1) / padBytes * padBytes;
    const size_t maxRequest =
        std::min(size_t(xcb_get_maximum_request_length(c)) * 4 - 64, MaxChunkBytes);
    const int rowsPerChunk = int(std::max<size_t>(1, maxRequest / stride));

    std::vector<uint32_t> row(static_cast<size_t>(w));
    std::vector<uint8_t> chunk(stride * size_t(rowsPerChunk));
    for (int top = 0; top < image.height(); top += rowsPerChunk) {
        const int rows = std::min(rowsPerChunk, image.height() - top);
        std::fill(chunk.begin(), chunk.end(), 0);
        for (int r = 0; r < rows; ++r) {
            image.readRow(top + r, 0, w, row.data());
            uint8_t* out = chunk.data() + size_t(r) * stride;
            for (int i = 0; i < w; ++i, out += bytesPerPixel) {
                const uint32_t argb = row[size_t(i)];
                const uint32_t v = scaleToMask((argb >> 16) & 0xFF, layout.masks[0]) |
                                   scaleToMask((argb >> 8) & 0xFF, layout.masks[1]) |
                                   scaleToMask(argb & 0xFF, layout.masks[2]);
                for (int b = 0; b < bytesPerPixel; ++b) {
                    const int shift = layout.msbFirst ? 8 * (bytesPerPixel - 1 - b) : 8 * b;
                    out[b] = uint8_t(v >> shift);
                }
            }
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc, uint16_t(w), uint16_t(rows),
                      int16_t(x), int16_t(y + top), 0, depth, uint32_t(stride * size_t(rows)),
                      chunk.data());
    }
}

// True when the server keeps pixels as the averaging writes them: 32 bits of
// blue, green, red and an unused byte, least significant byte first.
bool isBgrx(const PixelLayout& layout) {
    return layout.bitsPerPixel == 32 && !layout.msbFirst && layout.masks[0] == 0xFF0000 &&
           layout.masks[1] == 0xFF00 && layout.masks[2] == 0xFF;
}

// Sends rows [0, height) of an image already in the server's layout.
void putRows(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
             const uint8_t* image, size_t stride, int width, int height, int x, int y) {
    const size_t maxRequest =
        std::min(size_t(xcb_get_maximum_request_length(c)) * 4 - 64, MaxChunkBytes);
    const int rowsPerChunk = int(std::max<size_t>(1, maxRequest / stride));
    for (int top = 0; top < height; top += rowsPerChunk) {
        const int rows = std::min(rowsPerChunk, height - top);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc, uint16_t(width), uint16_t(rows),
                      int16_t(x), int16_t(y + top), 0, depth, uint32_t(stride * size_t(rows)),
                      image + stride * size_t(top));
    }
}

// An image in the server's layout sent in bands of rows as they are made, top to bottom:
// the server takes in one band while the next is made, and no image of the whole area is
// kept.
class BandedPut {
public:
    BandedPut(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
              size_t stride, int width, int height, int x, int y)
        : m_c(c), m_drawable(drawable), m_gc(gc), m_depth(depth), m_stride(stride), m_width(width),
          m_height(height), m_x(x), m_y(y) {
        const size_t maxRequest =
            std::min(size_t(xcb_get_maximum_request_length(c)) * 4 - 64, MaxChunkBytes);
        m_rows = int(std::max<size_t>(1, maxRequest / stride));
        m_band.resize(stride * size_t(m_rows));
    }
    BandedPut(const BandedPut&) = delete;
    BandedPut& operator=(const BandedPut&) = delete;

    // Row y, the next one or one of the band being made.
    uint8_t* row(int y) {
        if (y >= m_top + m_rows) {
            send(m_rows);
            m_top += m_rows;
        }
        return m_band.data() + m_stride * size_t(y - m_top);
    }
    // Sends what is left.
    void finish() {
        if (m_top < m_height)
            send(std::min(m_rows, m_height - m_top));
        m_top = m_height;
    }

private:
    void send(int rows) {
        xcb_put_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_drawable, m_gc, uint16_t(m_width),
                      uint16_t(rows), int16_t(m_x), int16_t(m_y + m_top), 0, m_depth,
                      uint32_t(m_stride * size_t(rows)), m_band.data());
    }

    xcb_connection_t* m_c;
    xcb_drawable_t m_drawable;
    xcb_gcontext_t m_gc;
    uint8_t m_depth;
    size_t m_stride;
    int m_width, m_height, m_x, m_y;
    int m_rows = 1;
    int m_top = 0;
    std::vector<uint8_t> m_band;
};

// Draws the `source` part of the picture scaled onto `dest`, averaged in one
// pass from the picture straight into an image of the destination's size.
void paintPart(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
               const PixelLayout& layout, const Bitmap& picture, const ::Rect& crop,
               const ::Rect& m) {
    const int w = m.width(), h = m.height();
    if (w <= 0 || h <= 0)
        return;
    if (isBgrx(layout)) {
        const size_t pad = size_t(layout.scanlinePad) / 8;
        const size_t stride = (size_t(w) * 4 + pad - 1) / pad * pad;
        if (crop.width() <= RowsInOrderWidth) {
            BandedPut put(c, drawable, gc, depth, stride, w, h, m.left, m.top);
            stretchHalftoneInto(picture, crop, w, h, 4, [&](int y) { return put.row(y); });
            put.finish();
            return;
        }
        // Every byte is written by the averaging: no need to clear it first.
        const std::unique_ptr<uint8_t[]> image(new uint8_t[stride * size_t(h)]);
        stretchHalftoneInto(picture, crop, w, h, 4,
                            [&](int y) { return image.get() + stride * size_t(y); });
        putRows(c, drawable, gc, depth, image.get(), stride, w, h, m.left, m.top);
        return;
    }
    Bitmap scaled;
    scaled.createUninitialized(w, h, PixelFormat::Bits32);
    stretchHalftoneInto(picture, crop, w, h, 4, [&](int y) { return scaled.scanLine(y); });
    putBitmap(c, drawable, gc, depth, layout, scaled, m.left, m.top);
}

// The root's pixel value of a 0xRRGGBB colour.
uint32_t pixelOf(const PixelLayout& layout, uint32_t rgb) {
    return scaleToMask(rgb >> 16 & 0xFF, layout.masks[0]) |
           scaleToMask(rgb >> 8 & 0xFF, layout.masks[1]) | scaleToMask(rgb & 0xFF, layout.masks[2]);
}

// Places the picture on `area` (one monitor, or every monitor together for
// Span): the free parts in the background colour, a tile repeated by the
// server from a pixmap of one tile.
void paintArea(xcb_connection_t* c, xcb_drawable_t drawable, uint8_t depth,
               const PixelLayout& layout, const Bitmap& picture, const Placement& placement,
               const ::Rect& area) {
    const PicturePlacement p =
        placePicture(placement.mode, picture.width(), picture.height(), area);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t background = pixelOf(layout, placement.background);
    xcb_create_gc(c, gc, drawable, XCB_GC_FOREGROUND, &background);
    const xcb_rectangle_t all{int16_t(area.left), int16_t(area.top), uint16_t(area.width()),
                              uint16_t(area.height())};
    if (!p.coversArea)
        xcb_poly_fill_rectangle(c, drawable, gc, 1, &all);
    if (!p.tiled) {
        paintPart(c, drawable, gc, depth, layout, picture, p.source, p.dest);
    } else {
        const int w = p.dest.width(), h = p.dest.height();
        const xcb_pixmap_t tile = xcb_generate_id(c);
        xcb_create_pixmap(c, depth, tile, drawable, uint16_t(w), uint16_t(h));
        paintPart(c, tile, gc, depth, layout, picture, p.source, {0, 0, w, h});
        const uint32_t values[] = {XCB_FILL_STYLE_TILED, tile, uint32_t(area.left),
                                   uint32_t(area.top)};
        xcb_change_gc(c, gc,
                      XCB_GC_FILL_STYLE | XCB_GC_TILE | XCB_GC_TILE_STIPPLE_ORIGIN_X |
                          XCB_GC_TILE_STIPPLE_ORIGIN_Y,
                      values);
        xcb_poly_fill_rectangle(c, drawable, gc, 1, &all);
        xcb_free_pixmap(c, tile);
    }
    xcb_free_gc(c, gc);
}

struct Atoms {
    xcb_atom_t rootPmap = XCB_ATOM_NONE;
    xcb_atom_t esetroot = XCB_ATOM_NONE;
    xcb_atom_t name = XCB_ATOM_NONE;
    xcb_atom_t pixmap = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
    xcb_atom_t monitors = XCB_ATOM_NONE;
};

Atoms internAtoms(xcb_connection_t* c, bool onlyIfExists) {
    return {internAtom(c, "_XROOTPMAP_ID", onlyIfExists),
            internAtom(c, "ESETROOT_PMAP_ID", onlyIfExists),
            internAtom(c, NameProperty, onlyIfExists),
            internAtom(c, PixmapProperty, onlyIfExists),
            internAtom(c, "UTF8_STRING", false),
            internAtom(c, MonitorsProperty, onlyIfExists)};
}

// What one screen shows: each area with its picture, or with `keep` what
// the root's present pixmap shows there.
struct ScreenPart {
    ::Rect area;
    const Bitmap* picture = nullptr;
    bool keep = false;
};

// A screen's parts, and the record of them kept on its root (empty where all
// monitors show the same picture).
struct ScreenPlan {
    std::vector<ScreenPart> parts;
    std::string record;
};

// A UTF-8 string property of the root; empty when it has none.
std::string stringProperty(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom,
                           xcb_atom_t utf8) {
    if (atom == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, false, root, atom, utf8, 0, 64 * 1024), nullptr));
    if (!r || r->type != utf8 || r->format != 8)
        return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return std::string(data, size_t(xcb_get_property_value_length(r.get())));
}

// The parts of a screen showing the same picture everywhere: each monitor
// its own area, or with Span all monitors together as one.
std::vector<ScreenPart> samePictureParts(const std::vector<Monitor>& monitors,
                                         const Bitmap& picture, const Placement& placement) {
    std::vector<ScreenPart> parts;
    if (placement.mode == PlacementMode::Span) {
        ::Rect all = monitors.front().area;
        for (const Monitor& m : monitors)
            all = {std::min(all.left, m.area.left), std::min(all.top, m.area.top),
                   std::max(all.right, m.area.right), std::max(all.bottom, m.area.bottom)};
        parts.push_back({all, &picture});
    } else {
        for (const Monitor& m : monitors)
            parts.push_back({m.area, &picture});
    }
    return parts;
}

// Paints one screen's root window, each part placed on its area, the rest
// black; `bmpPath` is recorded as its file. Returns the pixmap it replaced
// when that one is to be freed, XCB_NONE otherwise; nullopt when the screen
// was left as it was.
std::optional<xcb_pixmap_t> paintScreen(xcb_connection_t* c, const xcb_screen_t* screen,
                                        const Atoms& atoms, const ScreenPlan& plan,
                                        const Placement& placement, const std::string& bmpPath) {
    const std::vector<ScreenPart>& parts = plan.parts;
    const std::optional<PixelLayout> layout = rootPixelLayout(c, screen);
    if (!layout || parts.empty())
        return std::nullopt;
    const xcb_window_t root = screen->root;

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (Reply<xcb_generic_error_t> e(xcb_request_check(
            c, xcb_create_pixmap_checked(c, screen->root_depth, pixmap, root,
                                         screen->width_in_pixels, screen->height_in_pixels)));
        e)
        return std::nullopt;

    // Areas of the root outside every part stay black.
    const ::Rect whole{0, 0, screen->width_in_pixels, screen->height_in_pixels};
    if (std::none_of(parts.begin(), parts.end(),
                     [&](const ScreenPart& p) { return p.area == whole; })) {
        const xcb_gcontext_t gc = xcb_generate_id(c);
        const uint32_t black = screen->black_pixel;
        xcb_create_gc(c, gc, pixmap, XCB_GC_FOREGROUND, &black);
        const xcb_rectangle_t all{0, 0, screen->width_in_pixels, screen->height_in_pixels};
        xcb_poly_fill_rectangle(c, pixmap, gc, 1, &all);
        xcb_free_gc(c, gc);
    }
    const xcb_pixmap_t present = pixmapProperty(c, root, atoms.rootPmap);
    const xcb_gcontext_t copy = xcb_generate_id(c);
    xcb_create_gc(c, copy, pixmap, 0, nullptr);
    const auto copyArea = [&](xcb_drawable_t from, const ::Rect& source, const ::Rect& area) {
        xcb_copy_area(c, from, pixmap, copy, int16_t(source.left), int16_t(source.top),
                      int16_t(area.left), int16_t(area.top), uint16_t(area.width()),
                      uint16_t(area.height()));
    };
    // The areas painted so far with their pictures: a monitor of the same
    // size as one of them, with the same picture, looks the same and is
    // copied from it by the server instead of scaled again.
    std::vector<std::pair<::Rect, const Bitmap*>> painted;
    for (const ScreenPart& part : parts) {
        const ::Rect area{std::max(part.area.left, 0), std::max(part.area.top, 0),
                          std::min(part.area.right, whole.right),
                          std::min(part.area.bottom, whole.bottom)};
        if (area.width() <= 0 || area.height() <= 0)
            continue;
        const auto alike = std::find_if(painted.begin(), painted.end(), [&](const auto& p) {
            return part.picture && p.second == part.picture && p.first.width() == area.width() &&
                   p.first.height() == area.height() && area == part.area;
        });
        if (part.keep && present != XCB_NONE) {
            copyArea(present, area, area);
        } else if (alike != painted.end()) {
            copyArea(pixmap, alike->first, area);
        } else if (part.picture && !part.picture->empty()) {
            paintArea(c, pixmap, screen->root_depth, *layout, *part.picture, placement, area);
            // Only whole monitors: one cut at the root's edge is placed
            // differently.
            if (area == part.area)
                painted.emplace_back(area, part.picture);
        } else {
            const xcb_gcontext_t fill = xcb_generate_id(c);
            const uint32_t background = pixelOf(*layout, placement.background);
            xcb_create_gc(c, fill, pixmap, XCB_GC_FOREGROUND, &background);
            const xcb_rectangle_t r{int16_t(area.left), int16_t(area.top), uint16_t(area.width()),
                                    uint16_t(area.height())};
            xcb_poly_fill_rectangle(c, pixmap, fill, 1, &r);
            xcb_free_gc(c, fill);
        }
    }
    xcb_free_gc(c, copy);
    if (!syncWithoutErrors(c)) {
        xcb_free_pixmap(c, pixmap);
        return std::nullopt;
    }

    const xcb_pixmap_t oldRootPmap = pixmapProperty(c, root, atoms.rootPmap);
    const xcb_pixmap_t oldEsetroot = pixmapProperty(c, root, atoms.esetroot);

    xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(c, false, root, 0, 0, 0, 0);
    setPixmapProperty(c, root, atoms.rootPmap, pixmap);
    setPixmapProperty(c, root, atoms.esetroot, pixmap);
    setPixmapProperty(c, root, atoms.pixmap, pixmap);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atoms.name, atoms.utf8, 8,
                        uint32_t(bmpPath.size()), bmpPath.data());
    if (plan.record.empty())
        xcb_delete_property(c, root, atoms.monitors);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atoms.monitors, atoms.utf8, 8,
                            uint32_t(plan.record.size()), plan.record.data());

    if (oldRootPmap != XCB_NONE && oldRootPmap == oldEsetroot && oldRootPmap != pixmap)
        return oldRootPmap;
    return XCB_NONE;
}

// Paints every screen of the display with the parts `partsOf` gives it,
// recording `bmpPath`; false when no screen changed.
bool paintScreens(const std::function<ScreenPlan(xcb_connection_t*, const Atoms&, bool,
                                                 const xcb_screen_t*)>& planOf,
                  const Placement& placement, const std::string& bmpPath) {
    Connection conn;
    if (!conn.ok())
        return false;
    xcb_connection_t* c = conn.c;
    const Atoms atoms = internAtoms(c, false);
    if (atoms.rootPmap == XCB_ATOM_NONE || atoms.esetroot == XCB_ATOM_NONE ||
        atoms.name == XCB_ATOM_NONE || atoms.pixmap == XCB_ATOM_NONE ||
        atoms.utf8 == XCB_ATOM_NONE || atoms.monitors == XCB_ATOM_NONE)
        return false;

    bool painted = false;
    std::vector<xcb_pixmap_t> replaced;
    int index = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem;
         xcb_screen_next(&it), ++index) {
        const ScreenPlan plan = planOf(c, atoms, index == conn.defaultScreen, it.data);
        if (std::optional<xcb_pixmap_t> old =
                paintScreen(c, it.data, atoms, plan, placement, bmpPath)) {
            painted = true;
            if (*old != XCB_NONE)
                replaced.push_back(*old);
        }
    }
    if (!painted)
        return false;
    // The new pixmaps must outlive this connection: they are the wallpaper.
    xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);

    // The old ones are freed only once every screen shows its new pixmap. Freeing means ending
    // the setter connection that made it, which released it as permanent.
    std::sort(replaced.begin(), replaced.end());
    replaced.erase(std::unique(replaced.begin(), replaced.end()), replaced.end());
    for (xcb_pixmap_t old : replaced)
        xcb_kill_client(c, old);
    syncWithoutErrors(c);
    return true;
}

} // namespace

bool x11SetWallpaper(const std::string& bmpPath, const Placement& placement) {
    Bitmap picture;
    if (!file2Bitmap(picture, bmpPath))
        return false;
    return x11PaintWallpaper(bmpPath, picture, placement);
}

bool x11PaintWallpaper(const std::string& bmpPath, const Bitmap& picture,
                       const Placement& placement) {
    if (picture.empty())
        return false;
    return paintScreens(
        [&](xcb_connection_t* c, const Atoms&, bool, const xcb_screen_t* screen) {
            return ScreenPlan{samePictureParts(screenMonitors(c, screen), picture, placement), {}};
        },
        placement, bmpPath);
}

bool x11PaintMonitors(const std::vector<MonitorPicture>& pictures, const Placement& placement) {
    if (pictures.empty())
        return false;
    const Placement each{placement.mode == PlacementMode::Span ? PlacementMode::Fill
                                                               : placement.mode,
                         placement.background};
    // One line per monitor: its area, the placement and the file it shows.
    std::vector<std::string> lines;
    std::string record;
    for (const MonitorPicture& p : pictures) {
        const ::Rect& a = p.monitor.area;
        lines.push_back(std::to_string(a.left) + " " + std::to_string(a.top) + " " +
                        std::to_string(a.width()) + " " + std::to_string(a.height()) + " " +
                        std::string(placementName(each.mode)) + " " + backgroundHex(each) + " " +
                        p.file);
        record += lines.back() + "\n";
    }
    // Pictures not handed over decoded come from their files, unless the
    // root's pixmap, the program's own, shows them already where they go; a
    // monitor whose file cannot be read shows the background colour.
    std::vector<Bitmap> loaded(pictures.size());
    const auto plan = [&](bool mayKeep, xcb_connection_t* c, const Atoms& atoms, bool isDefault,
                          const xcb_screen_t* screen) {
        ScreenPlan plan;
        std::vector<std::string> shown;
        if (mayKeep && isDefault) {
            const xcb_pixmap_t ours = pixmapProperty(c, screen->root, atoms.pixmap);
            if (ours != XCB_NONE && ours == pixmapProperty(c, screen->root, atoms.rootPmap)) {
                std::string text = stringProperty(c, screen->root, atoms.monitors, atoms.utf8);
                for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
                     start = end + 1)
                    shown.push_back(text.substr(start, end - start));
            }
        }
        for (size_t i = 0; i < pictures.size(); ++i) {
            ScreenPart part{pictures[i].monitor.area, pictures[i].picture, false};
            if (!part.picture) {
                if (i < shown.size() && shown[i] == lines[i])
                    part.keep = true;
                else if (!loaded[i].empty() || file2Bitmap(loaded[i], pictures[i].file))
                    part.picture = &loaded[i];
            }
            plan.parts.push_back(part);
        }
        if (!isDefault) {
            // Further X screens (rare) show the first monitor's picture.
            for (const ScreenPart& p : plan.parts)
                if (p.picture)
                    return ScreenPlan{samePictureParts(screenMonitors(c, screen), *p.picture, each),
                                      {}};
            return ScreenPlan{};
        }
        plan.record = record;
        return plan;
    };
    using namespace std::placeholders;
    if (paintScreens(std::bind(plan, true, _1, _2, _3, _4), each, pictures.front().file))
        return true;
    // Another setter may have freed the pixmap meanwhile: everything from
    // the files then.
    return paintScreens(std::bind(plan, false, _1, _2, _3, _4), each, pictures.front().file);
}

std::optional<std::vector<Monitor>> x11Monitors() {
    Connection conn;
    if (!conn.ok())
        return std::nullopt;
    const xcb_screen_t* screen = defaultScreen(conn);
    if (!screen)
        return std::nullopt;
    return screenMonitors(conn.c, screen);
}

std::string x11WallpaperName() {
    Connection conn;
    if (!conn.ok())
        return {};
    xcb_connection_t* c = conn.c;
    const xcb_screen_t* screen = defaultScreen(conn);
    if (!screen)
        return {};

    const Atoms atoms = internAtoms(c, true);
    if (atoms.name == XCB_ATOM_NONE || atoms.pixmap == XCB_ATOM_NONE)
        return {};
    // Another program may have set the wallpaper since: then the root no
    // longer shows the program's file.
    const xcb_pixmap_t ours = pixmapProperty(c, screen->root, atoms.pixmap);
    if (ours == XCB_NONE || ours != pixmapProperty(c, screen->root, atoms.rootPmap))
        return {};

    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, false, screen->root, atoms.name, atoms.utf8, 0, 64 * 1024),
        nullptr));
    if (!r || r->type != atoms.utf8 || r->format != 8)
        return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return std::string(data, size_t(xcb_get_property_value_length(r.get())));
}

std::optional<X11Layout> x11Layout() {
    Connection conn;
    if (!conn.ok())
        return std::nullopt;
    xcb_connection_t* c = conn.c;
    const xcb_screen_t* screen = defaultScreen(conn);
    if (!screen)
        return std::nullopt;

    X11Layout layout;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (ext && ext->present) {
        Reply<xcb_randr_get_screen_resources_current_reply_t> res(
            xcb_randr_get_screen_resources_current_reply(
                c, xcb_randr_get_screen_resources_current(c, screen->root), nullptr));
        Reply<xcb_randr_get_output_primary_reply_t> primary(xcb_randr_get_output_primary_reply(
            c, xcb_randr_get_output_primary(c, screen->root), nullptr));
        if (res) {
            const xcb_randr_output_t* outputs =
                xcb_randr_get_screen_resources_current_outputs(res.get());
            const int n = xcb_randr_get_screen_resources_current_outputs_length(res.get());
            for (int i = 0; i < n; ++i) {
                Reply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
                    c, xcb_randr_get_output_info(c, outputs[i], res->config_timestamp), nullptr));
                if (!info || info->crtc == XCB_NONE ||
                    info->connection != XCB_RANDR_CONNECTION_CONNECTED)
                    continue;
                const auto* name =
                    reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get()));
                layout.outputs.emplace_back(
                    name, size_t(xcb_randr_get_output_info_name_length(info.get())));
                if (primary && primary->output == outputs[i])
                    layout.primaryOutput = layout.outputs.back();
            }
        }
    }
    // The window manager's workspaces (EWMH); one when it keeps none.
    const auto cardinal = [&](std::string_view name) -> std::optional<uint32_t> {
        const xcb_atom_t atom = internAtom(c, name, true);
        if (atom == XCB_ATOM_NONE)
            return std::nullopt;
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
            c, xcb_get_property(c, false, screen->root, atom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!r || r->type != XCB_ATOM_CARDINAL || r->format != 32 ||
            xcb_get_property_value_length(r.get()) < 4)
            return std::nullopt;
        return *static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    };
    // More than a few dozen workspaces is no real desktop; the cap keeps a
    // corrupt property from making thousands of settings.
    constexpr uint32_t MaxWorkspaces = 64;
    if (const std::optional<uint32_t> n = cardinal("_NET_NUMBER_OF_DESKTOPS"); n && *n > 0)
        layout.workspaces = int(std::min(*n, MaxWorkspaces));
    if (const std::optional<uint32_t> cur = cardinal("_NET_CURRENT_DESKTOP");
        cur && *cur < uint32_t(layout.workspaces))
        layout.currentWorkspace = int(*cur);
    return layout;
}

namespace {

std::optional<bool> setRootWallpaper(const std::string& bmpPath, const Placement& placement) {
    // Without a display there is no root window to paint.
    if (!sessionHasX11())
        return std::nullopt;
    return x11SetWallpaper(bmpPath, placement);
}

std::optional<bool> setRootMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                                             const Placement& placement) {
    if (!sessionHasX11())
        return std::nullopt;
    return x11PaintMonitors(pictures, placement);
}

std::optional<std::string> rootWallpaperName() {
    if (!sessionHasX11())
        return std::nullopt;
    return x11WallpaperName();
}

} // namespace

const DesktopBackend& x11RootBackend() {
    // The program paints the pixels itself: nothing to cache by name.
    static const DesktopBackend Backend{
        "x11", {},     {}, setRootWallpaper, rootWallpaperName, false, setRootMonitorWallpapers,
        false, nullptr};
    return Backend;
}

} // namespace platform::wallpaper
