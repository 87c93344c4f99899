// The wallpaper of Cinnamon: org.cinnamon.desktop.background through
// GSettings, which keeps a file URI; the picture is zoomed to fill each
// monitor.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* kSchema = "org.cinnamon.desktop.background";
constexpr const char* kPictureUri = "picture-uri";
constexpr const char* kPictureOptions = "picture-options";

std::optional<bool> setCinnamonWallpaper(const std::string& path) {
    SettingsPtr s = openSettings(kSchema, kPictureUri);
    if (!s)
        return std::nullopt;
    const std::string uri = Path2FileUri(path);
    if (uri.empty())
        return false;
    setSettingsString(s.get(), kPictureOptions, "zoom");
    const bool written = setSettingsString(s.get(), kPictureUri, uri);
    g_settings_sync();
    return written;
}

std::optional<std::string> cinnamonWallpaperName() {
    SettingsPtr s = openSettings(kSchema, kPictureUri);
    if (!s)
        return std::nullopt;
    return FileUri2Path(settingsString(s.get(), kPictureUri));
}

constexpr std::string_view kNames[] = {"x-cinnamon", "cinnamon"};

} // namespace

const DesktopBackend& cinnamonBackend() {
    static const DesktopBackend backend{
        "cinnamon", kNames, {}, setCinnamonWallpaper, cinnamonWallpaperName, true};
    return backend;
}

} // namespace platform::wallpaper
