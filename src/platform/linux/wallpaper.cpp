#include "platform/wallpaper.h"

namespace platform {

// Placeholder until the desktop backends are in.
void setDesktopWallpaper(const std::string&) {}
std::string getWallpaperName() { return {}; }

} // namespace platform
