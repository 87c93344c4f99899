// The wallpaper of MATE: org.mate.background through GSettings, which keeps
// a plain path; the picture is zoomed to fill each monitor.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* Schema = "org.mate.background";
constexpr const char* PictureFilename = "picture-filename";
constexpr const char* PictureOptions = "picture-options";

std::optional<bool> setMateWallpaper(const std::string& path) {
    SettingsPtr s = openSettings(Schema, PictureFilename);
    if (!s)
        return std::nullopt;
    setSettingsString(s.get(), PictureOptions, "zoom");
    const bool written = setSettingsString(s.get(), PictureFilename, path);
    g_settings_sync();
    return written;
}

std::optional<std::string> mateWallpaperName() {
    SettingsPtr s = openSettings(Schema, PictureFilename);
    if (!s)
        return std::nullopt;
    return setting2Path(settingsString(s.get(), PictureFilename));
}

constexpr std::string_view Names[] = {"mate"};

} // namespace

const DesktopBackend& mateBackend() {
    static const DesktopBackend Backend{"mate", Names, {}, setMateWallpaper, mateWallpaperName,
                                        true};
    return Backend;
}

} // namespace platform::wallpaper
