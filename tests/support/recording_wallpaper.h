// A stand-in for the desktop-wallpaper backend that records what the program
// asks of the desktop. The logic and window tests link it instead of the
// real backends, so no test can change the desktop it runs on.
#pragma once

#include "platform/wallpaper.h"

#include <optional>
#include <string>
#include <vector>

namespace recording_wallpaper {

/// Every path handed to platform::setDesktopWallpaper, oldest first.
std::vector<std::string>& applied();

/// What platform::getWallpaperName reports (the last path applied, unless a
/// test sets another).
std::string& present();

/// With paintsItself() set, platform::paintDesktopWallpaper acts like the
/// root window's backend: it records the path and the picture's size in
/// painted() and succeeds; otherwise it declines, like a desktop that reads
/// the file itself.
bool& paintsItself();
struct Painted {
    std::string path;
    int width = 0;
    int height = 0;
};
std::vector<Painted>& painted();

/// Every path handed to platform::removeLeftoverWallpaperNames, oldest first.
std::vector<std::string>& tidied();

/// The placement of the last apply, painted or set.
platform::Placement& placement();

/// What platform::desktopMonitors reports (nullopt: it cannot tell).
std::optional<std::vector<platform::Monitor>>& monitors();

/// One call of paintMonitorWallpapers (painted, as paintsItself() decides)
/// or setMonitorWallpapers: each monitor's name and file, the width of the
/// picture handed over decoded (0 for none), and the composed file's path.
struct MonitorCall {
    bool painted = false;
    std::vector<std::string> names;
    std::vector<std::string> files;
    std::vector<int> decodedWidths;
    std::string composedPath;
};
std::vector<MonitorCall>& monitorCalls();

/// Forgets everything recorded.
void reset();

} // namespace recording_wallpaper
