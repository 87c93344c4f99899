#include "imaging/placement.h"

#include "imaging/ascii.h"
#include "imaging/resize.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<PlacementMode, std::string_view>, 6> Names{{
    {PlacementMode::Fill, "fill"},
    {PlacementMode::Fit, "fit"},
    {PlacementMode::Stretch, "stretch"},
    {PlacementMode::Center, "center"},
    {PlacementMode::Tile, "tile"},
    {PlacementMode::Span, "span"},
}};

// n * num / den rounded to the nearest, at least 1.
int scaled(std::int64_t n, std::int64_t num, std::int64_t den) {
    return int(std::max<std::int64_t>(1, (2 * n * num + den) / (2 * den)));
}

} // namespace

std::string_view placementName(PlacementMode mode) {
    for (const auto& [m, name] : Names)
        if (m == mode)
            return name;
    return Names[0].second;
}

std::optional<PlacementMode> placementFromName(std::string_view name) {
    const std::string lower = toLowerAscii(name);
    for (const auto& [m, n] : Names)
        if (n == lower)
            return m;
    return std::nullopt;
}

PicturePlacement placePicture(PlacementMode mode, int pictureWidth, int pictureHeight,
                              const Rect& area) {
    PicturePlacement p;
    const int aw = area.width(), ah = area.height();
    if (pictureWidth <= 0 || pictureHeight <= 0 || aw <= 0 || ah <= 0) {
        p.dest = {area.left, area.top, area.left, area.top};
        p.coversArea = false;
        return p;
    }
    const Rect whole{0, 0, pictureWidth, pictureHeight};
    switch (mode) {
    case PlacementMode::Fill:
    case PlacementMode::Span:
        p.source = coverCrop(pictureWidth, pictureHeight, aw, ah);
        p.dest = area;
        break;
    case PlacementMode::Stretch:
        p.source = whole;
        p.dest = area;
        break;
    case PlacementMode::Fit: {
        int w = aw, h = ah;
        // Wider than the area: full width, bands above and below.
        if (std::int64_t(pictureWidth) * ah > std::int64_t(pictureHeight) * aw)
            h = std::min(ah, scaled(pictureHeight, aw, pictureWidth));
        else
            w = std::min(aw, scaled(pictureWidth, ah, pictureHeight));
        p.source = whole;
        p.dest = {area.left + (aw - w) / 2, area.top + (ah - h) / 2, 0, 0};
        p.dest.right = p.dest.left + w;
        p.dest.bottom = p.dest.top + h;
        p.coversArea = w == aw && h == ah;
        break;
    }
    case PlacementMode::Center: {
        const int w = std::min(pictureWidth, aw), h = std::min(pictureHeight, ah);
        const int sx = (pictureWidth - w) / 2, sy = (pictureHeight - h) / 2;
        p.source = {sx, sy, sx + w, sy + h};
        p.dest = {area.left + (aw - w) / 2, area.top + (ah - h) / 2, 0, 0};
        p.dest.right = p.dest.left + w;
        p.dest.bottom = p.dest.top + h;
        p.coversArea = w == aw && h == ah;
        break;
    }
    case PlacementMode::Tile: {
        // A tile larger than the area is cut to it: only its top-left part
        // ever shows.
        const int w = std::min(pictureWidth, aw), h = std::min(pictureHeight, ah);
        p.source = {0, 0, w, h};
        p.dest = {area.left, area.top, area.left + w, area.top + h};
        p.tiled = true;
        break;
    }
    }
    return p;
}

Bitmap composePictures(const std::vector<AreaPicture>& parts, PlacementMode mode,
                       std::uint32_t background) {
    Bitmap canvas;
    if (parts.empty())
        return canvas;
    Rect all = parts.front().area;
    for (const AreaPicture& p : parts)
        all = {std::min(all.left, p.area.left), std::min(all.top, p.area.top),
               std::max(all.right, p.area.right), std::max(all.bottom, p.area.bottom)};
    if (all.width() <= 0 || all.height() <= 0)
        return canvas;
    canvas.createUninitialized(all.width(), all.height(), PixelFormat::Bits24);
    canvas.setBrushColor(background);
    canvas.fillRect({0, 0, all.width() + 1, all.height() + 1});
    for (const AreaPicture& part : parts) {
        if (!part.picture || part.picture->empty())
            continue;
        const Rect area{part.area.left - all.left, part.area.top - all.top,
                        part.area.right - all.left, part.area.bottom - all.top};
        const PicturePlacement p =
            placePicture(mode, part.picture->width(), part.picture->height(), area);
        const int w = p.dest.width(), h = p.dest.height();
        if (w <= 0 || h <= 0)
            continue;
        if (!p.tiled) {
            stretchHalftoneInto(*part.picture, p.source, w, h, 3, [&](int y) {
                return canvas.scanLine(p.dest.top + y) + 3 * std::size_t(p.dest.left);
            });
            continue;
        }
        // One tile, then copied across the area, each copy cut at its edges.
        Bitmap tile;
        tile.createUninitialized(w, h, PixelFormat::Bits24);
        stretchHalftoneInto(*part.picture, p.source, w, h, 3,
                            [&](int y) { return tile.scanLine(y); });
        for (int top = area.top; top < area.bottom; top += h)
            for (int left = area.left; left < area.right; left += w) {
                const int cw = std::min(w, area.right - left), ch = std::min(h, area.bottom - top);
                canvas.copyRect({left, top, left + cw, top + ch}, tile, {0, 0, cw, ch});
            }
    }
    return canvas;
}
