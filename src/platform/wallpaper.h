// The desktop wallpaper.
#pragma once

#include <string>

namespace platform {

/// Makes the BMP file at `bmpPath` the desktop wallpaper, kept for later
/// logons. Failures are not reported.
void setDesktopWallpaper(const std::string& bmpPath);

/// Path of the desktop's present wallpaper as the desktop keeps it; empty
/// when it keeps none.
std::string getWallpaperName();

} // namespace platform
