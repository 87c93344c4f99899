#include "support/recording_wallpaper.h"

#include "platform/wallpaper.h"

#include "imaging/bitmap.h"

namespace recording_wallpaper {

std::vector<std::string>& applied() {
    static std::vector<std::string> paths;
    return paths;
}

std::string& present() {
    static std::string path;
    return path;
}

bool& paintsItself() {
    static bool paints = false;
    return paints;
}

std::vector<Painted>& painted() {
    static std::vector<Painted> pictures;
    return pictures;
}

std::vector<std::string>& tidied() {
    static std::vector<std::string> paths;
    return paths;
}

platform::Placement& placement() {
    static platform::Placement last;
    return last;
}

std::optional<std::vector<platform::Monitor>>& monitors() {
    static std::optional<std::vector<platform::Monitor>> list;
    return list;
}

std::vector<MonitorCall>& monitorCalls() {
    static std::vector<MonitorCall> calls;
    return calls;
}

namespace {

void recordMonitors(bool painted, const std::vector<platform::MonitorPicture>& pictures,
                    const std::string& composedPath) {
    MonitorCall call{painted, {}, {}, {}, composedPath};
    for (const platform::MonitorPicture& p : pictures) {
        call.names.push_back(p.monitor.name);
        call.files.push_back(p.file);
        call.decodedWidths.push_back(p.picture ? p.picture->width() : 0);
    }
    monitorCalls().push_back(std::move(call));
    present() = pictures.empty() ? std::string() : pictures.front().file;
}

} // namespace

void reset() {
    monitors().reset();
    monitorCalls().clear();
    applied().clear();
    placement() = {};
    tidied().clear();
    present().clear();
    paintsItself() = false;
    painted().clear();
}

} // namespace recording_wallpaper

namespace platform {

void setDesktopWallpaper(const std::string& bmpPath, const Placement& placement) {
    recording_wallpaper::applied().push_back(bmpPath);
    recording_wallpaper::placement() = placement;
    recording_wallpaper::present() = bmpPath;
}

bool paintDesktopWallpaper(const std::string& bmpPath, const Bitmap& picture,
                           const Placement& placement) {
    if (!recording_wallpaper::paintsItself())
        return false;
    recording_wallpaper::placement() = placement;
    recording_wallpaper::painted().push_back({bmpPath, picture.width(), picture.height()});
    recording_wallpaper::present() = bmpPath;
    return true;
}

void removeLeftoverWallpaperNames(const std::string& bmpPath) {
    recording_wallpaper::tidied().push_back(bmpPath);
}

std::optional<std::vector<Monitor>> desktopMonitors() {
    return recording_wallpaper::monitors();
}

bool paintMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                            const Placement& placement) {
    if (!recording_wallpaper::paintsItself())
        return false;
    recording_wallpaper::placement() = placement;
    recording_wallpaper::recordMonitors(true, pictures, {});
    return true;
}

void setMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                          const std::string& composedPath, const Placement& placement) {
    recording_wallpaper::placement() = placement;
    recording_wallpaper::recordMonitors(false, pictures, composedPath);
}

std::string getWallpaperName() {
    return recording_wallpaper::present();
}

} // namespace platform
