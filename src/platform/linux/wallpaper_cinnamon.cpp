// The wallpaper of Cinnamon: org.cinnamon.desktop.background through
// GSettings, which keeps a file URI; the picture is zoomed to fill each
// monitor.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* Schema = "org.cinnamon.desktop.background";
constexpr const char* PictureUri = "picture-uri";
constexpr const char* PictureOptions = "picture-options";

std::optional<bool> setCinnamonWallpaper(const std::string& path) {
    SettingsPtr s = openSettings(Schema, PictureUri);
    if (!s)
        return std::nullopt;
    const std::string uri = path2FileUri(path);
    if (uri.empty())
        return false;
    setSettingsString(s.get(), PictureOptions, "zoom");
    const bool written = setSettingsString(s.get(), PictureUri, uri);
    g_settings_sync();
    return written;
}

std::optional<std::string> cinnamonWallpaperName() {
    SettingsPtr s = openSettings(Schema, PictureUri);
    if (!s)
        return std::nullopt;
    return fileUri2Path(settingsString(s.get(), PictureUri));
}

constexpr std::string_view Names[] = {"x-cinnamon", "cinnamon"};

} // namespace

const DesktopBackend& cinnamonBackend() {
    static const DesktopBackend Backend{
        "cinnamon", Names, {}, setCinnamonWallpaper, cinnamonWallpaperName, true};
    return Backend;
}

} // namespace platform::wallpaper
