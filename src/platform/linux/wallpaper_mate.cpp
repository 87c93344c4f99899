// The wallpaper of MATE: org.mate.background through GSettings, which keeps
// a plain path; the picture is zoomed to fill each monitor.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* kSchema = "org.mate.background";
constexpr const char* kPictureFilename = "picture-filename";
constexpr const char* kPictureOptions = "picture-options";

std::optional<bool> setMateWallpaper(const std::string& path) {
    SettingsPtr s = openSettings(kSchema, kPictureFilename);
    if (!s)
        return std::nullopt;
    setSettingsString(s.get(), kPictureOptions, "zoom");
    const bool written = setSettingsString(s.get(), kPictureFilename, path);
    g_settings_sync();
    return written;
}

std::optional<std::string> mateWallpaperName() {
    SettingsPtr s = openSettings(kSchema, kPictureFilename);
    if (!s)
        return std::nullopt;
    return Setting2Path(settingsString(s.get(), kPictureFilename));
}

constexpr std::string_view kNames[] = {"mate"};

} // namespace

const DesktopBackend& mateBackend() {
    static const DesktopBackend backend{"mate", kNames, {}, setMateWallpaper, mateWallpaperName,
                                        true};
    return backend;
}

} // namespace platform::wallpaper
