// Where a picture goes on a monitor for each way of placing it: plain
// rectangle arithmetic, shared by the painter of the root window and by
// whatever composes a desktop picture itself.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

/// How a picture meets a monitor.
enum class PlacementMode {
    Fill,    ///< scaled with its proportions kept to cover the monitor, the overflow cut off
    Fit,     ///< scaled with its proportions kept to lie whole on the monitor
    Stretch, ///< scaled to the monitor's size, proportions not kept
    Center,  ///< at its own size, centred; a larger picture is cut
    Tile,    ///< at its own size, repeated from the monitor's top-left corner
    Span,    ///< one picture over all monitors together, placed as Fill
};

/// The stored names: "fill", "fit", "stretch", "center", "tile", "span".
std::string_view placementName(PlacementMode mode);
/// The mode of a stored name (compared without regard to case); nullopt for
/// any other text.
std::optional<PlacementMode> placementFromName(std::string_view name);

/// One monitor's share of a picture: the rectangle `source` of the picture is
/// scaled onto `dest` (screen coordinates). With `tiled`, `dest` is the first
/// tile at the area's top-left corner and is repeated across the whole area,
/// each tile clipped to it. Where `dest` (or the tiling) leaves part of the
/// area free, `coversArea` is false and that part shows the background colour.
struct PicturePlacement {
    Rect source;
    Rect dest;
    bool tiled = false;
    bool coversArea = true;
};

/// Where a pictureWidth x pictureHeight picture goes in `area` for `mode`
/// (Span places as Fill: its area is every monitor together). An empty
/// picture or area gives an empty dest.
PicturePlacement placePicture(PlacementMode mode, int pictureWidth, int pictureHeight,
                              const Rect& area);

/// One area of a composed picture and the picture placed on it.
struct AreaPicture {
    Rect area;
    const Bitmap* picture = nullptr;
};

/// Composes one 24-bit picture of all `parts` together: the canvas is the
/// smallest rectangle holding every area, moved so that its top-left corner
/// is (0, 0); each picture is placed on its own area by `mode` (Span places
/// as Fill); whatever no picture covers has `background` (0xRRGGBB). Parts
/// without a picture or area are left to the background; an empty `parts`
/// gives an empty canvas.
Bitmap composePictures(const std::vector<AreaPicture>& parts, PlacementMode mode,
                       std::uint32_t background);
