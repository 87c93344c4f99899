#include "support/recording_wallpaper.h"

#include "platform/wallpaper.h"

namespace recording_wallpaper {

std::vector<std::string>& applied() {
    static std::vector<std::string> paths;
    return paths;
}

std::string& present() {
    static std::string path;
    return path;
}

void reset() {
    applied().clear();
    present().clear();
}

} // namespace recording_wallpaper

namespace platform {

void setDesktopWallpaper(const std::string& bmpPath) {
    recording_wallpaper::applied().push_back(bmpPath);
    recording_wallpaper::present() = bmpPath;
}

std::string getWallpaperName() {
    return recording_wallpaper::present();
}

} // namespace platform
