// The wallpaper of GNOME-family desktops (GNOME, Unity, Budgie):
// org.gnome.desktop.background through GSettings. Only the picture is set;
// the user's placement (picture-options) stays as it is.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* kBackground = "org.gnome.desktop.background";
constexpr const char* kPictureUri = "picture-uri";
constexpr const char* kPictureUriDark = "picture-uri-dark";
constexpr const char* kInterface = "org.gnome.desktop.interface";
constexpr const char* kColorScheme = "color-scheme";

std::optional<bool> setGnomeWallpaper(const std::string& path) {
    SettingsPtr s = openSettings(kBackground, kPictureUri);
    if (!s)
        return std::nullopt;
    const std::string uri = Path2FileUri(path);
    if (uri.empty())
        return false;
    // Both variants, so that the picture shows in the light and the dark
    // style alike (older GNOME has no dark variant).
    bool written = setSettingsString(s.get(), kPictureUri, uri);
    if (hasStringKey(s.get(), kPictureUriDark))
        written = setSettingsString(s.get(), kPictureUriDark, uri) && written;
    // The keys must have reached the settings store before the previous
    // picture's name goes.
    g_settings_sync();
    return written;
}

// The desktop shows picture-uri-dark in the dark style, when it has one.
bool prefersDark() {
    SettingsPtr ui = openSettings(kInterface, kColorScheme);
    return ui && settingsString(ui.get(), kColorScheme) == "prefer-dark";
}

std::optional<std::string> gnomeWallpaperName() {
    SettingsPtr s = openSettings(kBackground, kPictureUri);
    if (!s)
        return std::nullopt;
    if (prefersDark() && hasStringKey(s.get(), kPictureUriDark)) {
        const std::string dark = settingsString(s.get(), kPictureUriDark);
        if (!dark.empty())
            return FileUri2Path(dark);
    }
    return FileUri2Path(settingsString(s.get(), kPictureUri));
}

constexpr std::string_view kNames[] = {"gnome", "unity", "budgie"};

} // namespace

const DesktopBackend& gnomeBackend() {
    static const DesktopBackend backend{"gnome", kNames, {}, setGnomeWallpaper, gnomeWallpaperName,
                                        true};
    return backend;
}

} // namespace platform::wallpaper
