// The wallpaper of GNOME-family desktops (GNOME, Unity, Budgie):
// org.gnome.desktop.background through GSettings. With the default placement
// (Fill) only the picture is set and the user's picture-options stays as it
// is; any other placement sets picture-options, and the background colour
// where the picture leaves room.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* Background = "org.gnome.desktop.background";
constexpr const char* PictureUri = "picture-uri";
constexpr const char* PictureUriDark = "picture-uri-dark";
constexpr const char* PictureOptions = "picture-options";
constexpr const char* PrimaryColor = "primary-color";
constexpr const char* ColorShading = "color-shading-type";
constexpr const char* Interface = "org.gnome.desktop.interface";
constexpr const char* ColorScheme = "color-scheme";

std::optional<bool> setGnomeWallpaper(const std::string& path, const Placement& placement) {
    SettingsPtr s = openSettings(Background, PictureUri);
    if (!s)
        return std::nullopt;
    const std::string uri = path2FileUri(path);
    if (uri.empty())
        return false;
    if (placement.mode != PlacementMode::Fill) {
        setSettingsString(
            s.get(), PictureOptions,
            std::string(placementWord(
                placement, {"zoom", "scaled", "stretched", "centered", "wallpaper", "spanned"})));
        setSettingsString(s.get(), PrimaryColor, backgroundHex(placement));
        setSettingsString(s.get(), ColorShading, "solid");
    }
    // Both variants, so that the picture shows in the light and the dark
    // style alike (older GNOME has no dark variant).
    bool written = setSettingsString(s.get(), PictureUri, uri);
    if (hasStringKey(s.get(), PictureUriDark))
        written = setSettingsString(s.get(), PictureUriDark, uri) && written;
    // The keys must have reached the settings store before the previous
    // picture's name goes.
    syncSettings();
    return written;
}

// The desktop shows picture-uri-dark in the dark style, when it has one.
bool prefersDark() {
    SettingsPtr ui = openSettings(Interface, ColorScheme);
    return ui && settingsString(ui.get(), ColorScheme) == "prefer-dark";
}

std::optional<std::string> gnomeWallpaperName() {
    SettingsPtr s = openSettings(Background, PictureUri);
    if (!s)
        return std::nullopt;
    if (prefersDark() && hasStringKey(s.get(), PictureUriDark)) {
        const std::string dark = settingsString(s.get(), PictureUriDark);
        if (!dark.empty())
            return fileUri2Path(dark);
    }
    return fileUri2Path(settingsString(s.get(), PictureUri));
}

constexpr std::string_view Names[] = {"gnome", "unity", "budgie"};

} // namespace

const DesktopBackend& gnomeBackend() {
    static const DesktopBackend Backend{
        "gnome", Names, {}, setGnomeWallpaper, gnomeWallpaperName, true, nullptr, true, nullptr};
    return Backend;
}

} // namespace platform::wallpaper
