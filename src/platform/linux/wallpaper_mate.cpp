// The wallpaper of MATE: org.mate.background through GSettings, which keeps
// a plain path; picture-options carries the placement.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

namespace platform::wallpaper {

namespace {

constexpr const char* Schema = "org.mate.background";
constexpr const char* PictureFilename = "picture-filename";
constexpr const char* PictureOptions = "picture-options";
constexpr const char* PrimaryColor = "primary-color";
constexpr const char* ColorShading = "color-shading-type";

std::optional<bool> setMateWallpaper(const std::string& path, const Placement& placement) {
    SettingsPtr s = openSettings(Schema, PictureFilename);
    if (!s)
        return std::nullopt;
    setSettingsString(s.get(), PictureOptions,
                      std::string(placementWord(placement, {"zoom", "scaled", "stretched",
                                                            "centered", "wallpaper", "spanned"})));
    if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center) {
        setSettingsString(s.get(), PrimaryColor, backgroundHex(placement));
        setSettingsString(s.get(), ColorShading, "solid");
    }
    const bool written = setSettingsString(s.get(), PictureFilename, path);
    syncSettings();
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
    static const DesktopBackend Backend{"mate", Names,   {},   setMateWallpaper, mateWallpaperName,
                                        true,   nullptr, true, nullptr};
    return Backend;
}

} // namespace platform::wallpaper
