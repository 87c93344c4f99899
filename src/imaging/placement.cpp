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
