// The desktop wallpaper.
#pragma once

#include "imaging/placement.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
/// longer shows, of that file, of the monitors' files named after it
/// (Wallpaper-2.bmp, Wallpaper-3.bmp, ... beside Wallpaper.bmp) and of the
/// composed picture Spanned.bmp beside it. Called at start-up; failures are
/// not reported.
void removeLeftoverWallpaperNames(const std::string& bmpPath);

/// A monitor as the desktop knows it: its name where the desktop names
/// monitors (a RandR monitor or output, a sway output, a Windows monitor's
/// device path) and its area in the desktop's pixels.
struct Monitor {
    std::string name;
    Rect area;
    bool operator==(const Monitor&) const = default;
};

/// The desktop's monitors, in the order they take turns when each shows a
/// picture of its own; nullopt where this layer cannot tell (the caller then
/// uses the monitors its toolkit reports).
std::optional<std::vector<Monitor>> desktopMonitors();

/// One monitor's own picture: the BMP file that keeps it and, where the
/// caller has it decoded already, the picture itself (otherwise it is read
/// from the file).
struct MonitorPicture {
    Monitor monitor;
    std::string file;
    const Bitmap* picture = nullptr;
};

/// As paintDesktopWallpaper, each monitor of `pictures` painted with its own
/// picture (`placement` is never Span here). The files need not exist yet
/// for the pictures given decoded; the caller writes them afterwards.
bool paintMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                            const Placement& placement);

/// Makes each monitor of `pictures` show its own file (all written by the
/// caller), as far as the desktop can: a desktop that shows one picture over
/// all monitors is given one composed of them, written to `composedPath`;
/// one that can only show the same picture everywhere shows the first
/// monitor's. The first monitor's file is the wallpaper file; the others
/// are best named after it (Wallpaper-2.bmp, ...) and the composed picture
/// Spanned.bmp beside it, so that removeLeftoverWallpaperNames finds what
/// they leave. Failures are not reported.
void setMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                          const std::string& composedPath, const Placement& placement);

/// Path of the desktop's present wallpaper as the desktop keeps it; empty
/// when it keeps none.
std::string getWallpaperName();

} // namespace platform
