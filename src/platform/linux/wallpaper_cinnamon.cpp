// The wallpaper of Cinnamon: org.cinnamon.desktop.background through
// GSettings, which keeps a file URI; picture-options carries the placement.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* Schema = "org.cinnamon.desktop.background";
constexpr const char* PictureUri = "picture-uri";
constexpr const char* PictureOptions = "picture-options";
constexpr const char* PrimaryColor = "primary-color";
constexpr const char* ColorShading = "color-shading-type";

std::optional<bool> setCinnamonWallpaper(const std::string& path, const Placement& placement) {
    SettingsPtr s = openSettings(Schema, PictureUri);
    if (!s)
        return std::nullopt;
    const std::string uri = path2FileUri(path);
    if (uri.empty())
        return false;
    setSettingsString(s.get(), PictureOptions,
                      std::string(placementWord(placement, {"zoom", "scaled", "stretched",
                                                            "centered", "wallpaper", "spanned"})));
    if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center) {
        setSettingsString(s.get(), PrimaryColor, backgroundHex(placement));
        setSettingsString(s.get(), ColorShading, "solid");
    }
    const bool written = setSettingsString(s.get(), PictureUri, uri);
    syncSettings();
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
        "cinnamon", Names, {},     setCinnamonWallpaper, cinnamonWallpaperName, true,
        nullptr,    true,  nullptr};
    return Backend;
}

} // namespace platform::wallpaper
