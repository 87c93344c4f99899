// The desktop wallpaper.
#pragma once

#include "imaging/placement.h"

#include <cstdint>
#include <string>

class Bitmap;

namespace platform {

/// How the wallpaper meets the monitors, and the colour (0xRRGGBB) of what
/// the picture leaves free (Fit, Center).
struct Placement {
    PlacementMode mode = PlacementMode::Fill;
    std::uint32_t background = 0;
    bool operator==(const Placement&) const = default;
};

/// Where the program paints the desktop itself (the root window of a plain X11
/// session), shows `picture` at once, each monitor covered, and records
/// `bmpPath` as the file that keeps it; the caller writes that file
/// afterwards. False, with nothing changed, where the desktop shows a file
/// that it reads itself (the caller then writes `bmpPath` first and calls
/// setDesktopWallpaper) or nothing could be painted.
bool paintDesktopWallpaper(const std::string& bmpPath, const Bitmap& picture,
                           const Placement& placement = {});

/// Makes the BMP file at `bmpPath` the desktop wallpaper, kept for later
/// logons, placed as `placement` asks where the desktop can do so. Failures
/// are not reported.
void setDesktopWallpaper(const std::string& bmpPath, const Placement& placement = {});

/// Removes what earlier runs left beside the wallpaper file at `bmpPath`
/// for a desktop that is handed a new name at every apply: the names it no
/// longer shows. Called at start-up; failures are not reported.
void removeLeftoverWallpaperNames(const std::string& bmpPath);

/// Path of the desktop's present wallpaper as the desktop keeps it; empty
/// when it keeps none.
std::string getWallpaperName();

} // namespace platform
