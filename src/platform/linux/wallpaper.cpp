// The desktop wallpaper on Linux: the backend is chosen from the session's
// desktop, then the picture is handed to it; a desktop whose settings service
// is missing leaves the picture to the X root window.
#include "platform/wallpaper.h"

#include "platform/linux/wallpaper_backends.h"

#include "imaging/ascii.h"
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/placement.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace platform::wallpaper {

namespace {

bool environmentSet(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value && *value;
}

} // namespace

std::span<const DesktopBackend* const> desktopBackends() {
    static const DesktopBackend* const Backends[] = {
        &gnomeBackend(),    &kdeBackend(),  &xfceBackend(), &mateBackend(),
        &cinnamonBackend(), &lxqtBackend(), &lxdeBackend(), &swayBackend(),
    };
    return Backends;
}

const DesktopBackend* chooseBackend(std::string_view currentDesktop, bool hasX11,
                                    const std::function<bool(std::string_view)>& isSet) {
    while (!currentDesktop.empty()) {
        const size_t colon = currentDesktop.find(':');
        const std::string name = toLowerAscii(currentDesktop.substr(0, colon));
        for (const DesktopBackend* backend : desktopBackends())
            if (std::find(backend->desktopNames.begin(), backend->desktopNames.end(), name) !=
                backend->desktopNames.end())
                return backend;
        if (colon == std::string_view::npos)
            break;
        currentDesktop.remove_prefix(colon + 1);
    }
    for (const DesktopBackend* backend : desktopBackends())
        if (!backend->sessionVariable.empty() && isSet && isSet(backend->sessionVariable))
            return backend;
    return hasX11 ? &x11RootBackend() : nullptr;
}

bool sessionHasX11() {
    return environmentSet("DISPLAY");
}

const DesktopBackend* sessionBackend() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return chooseBackend(desktop ? desktop : "", sessionHasX11(), environmentSet);
}

std::optional<bool> applyWallpaper(const DesktopBackend& backend, const std::string& bmpPath,
                                   const Placement& placement) {
    return backend.cachesByName ? applyUnderFreshName(backend, bmpPath, placement)
                                : backend.setWallpaper(bmpPath, placement);
}

std::optional<bool> applyMonitorWallpapers(const DesktopBackend& backend,
                                           const std::vector<MonitorPicture>& pictures,
                                           const std::string& composedPath,
                                           const Placement& placement) {
    if (pictures.empty())
        return false;
    const std::string& first = pictures.front().file;
    if (backend.setMonitorWallpapers) {
        if (!backend.cachesByName)
            return backend.setMonitorWallpapers(pictures, placement);
        std::vector<std::string> files;
        for (const MonitorPicture& p : pictures)
            files.push_back(p.file);
        return applyUnderFreshNames(
            backend, files,
            [&](const std::vector<std::string>& names) {
                std::vector<MonitorPicture> renamed = pictures;
                for (size_t i = 0; i < renamed.size(); ++i)
                    renamed[i].file = names[i];
                return backend.setMonitorWallpapers(renamed, placement);
            },
            first);
    }
    // Monitors that all show the same file need no composed picture: the
    // desktop places that one by its own option.
    const bool allTheSame = std::all_of(pictures.begin(), pictures.end(), [&](const auto& p) {
        std::error_code ec;
        return p.file == first || std::filesystem::equivalent(p.file, first, ec);
    });
    if (!backend.spansOnePicture || allTheSame)
        return applyWallpaper(backend, first, placement);
    // One picture over all monitors: composed of theirs, each placed on its
    // own monitor, then stretched by the desktop over the whole layout.
    std::vector<Bitmap> loaded(pictures.size());
    std::vector<AreaPicture> parts;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Bitmap* picture = pictures[i].picture;
        if (!picture && file2Bitmap(loaded[i], pictures[i].file))
            picture = &loaded[i];
        parts.push_back({pictures[i].monitor.area, picture});
    }
    const Bitmap composed = composePictures(parts, placement.mode, placement.background);
    loaded.clear();
    if (composed.empty())
        return false;
    try {
        composed.saveToFile(composedPath);
    } catch (const std::exception&) {
        return false;
    }
    const Placement span{PlacementMode::Span, placement.background};
    if (!backend.cachesByName)
        return backend.setWallpaper(composedPath, span);
    // The monitors' own files are of the same family: what an earlier apply
    // of them left goes once the desktop shows the composed picture.
    return applyUnderFreshNames(
        backend, {composedPath},
        [&](const std::vector<std::string>& names) {
            return backend.setWallpaper(names.front(), span);
        },
        first);
}

} // namespace platform::wallpaper

namespace platform {

using wallpaper::DesktopBackend;

void setDesktopWallpaper(const std::string& bmpPath, const Placement& placement) {
    // Nothing may escape to the caller: a wallpaper that cannot be set leaves
    // the desktop as it was.
    try {
        const DesktopBackend* backend = wallpaper::sessionBackend();
        if (!backend)
            return;
        // A desktop without its settings service installed or running is
        // still an X session most of the time: paint the root window then.
        if (!wallpaper::applyWallpaper(*backend, bmpPath, placement).has_value() &&
            backend != &wallpaper::x11RootBackend() && wallpaper::sessionHasX11())
            wallpaper::applyWallpaper(wallpaper::x11RootBackend(), bmpPath, placement);
    } catch (...) {
    }
}

bool paintDesktopWallpaper(const std::string& bmpPath, const Bitmap& picture,
                           const Placement& placement) {
    try {
        // Only the root window is painted by the program; a desktop whose
        // settings service is missing gets the file, then the fallback.
        if (wallpaper::sessionBackend() != &wallpaper::x11RootBackend() ||
            !wallpaper::sessionHasX11())
            return false;
        return wallpaper::x11PaintWallpaper(bmpPath, picture, placement);
    } catch (...) {
        return false;
    }
}

void removeLeftoverWallpaperNames(const std::string& bmpPath) {
    try {
        if (const DesktopBackend* backend = wallpaper::sessionBackend())
            wallpaper::removeLeftoverNames(*backend, bmpPath);
    } catch (...) {
    }
}

std::optional<std::vector<Monitor>> desktopMonitors() {
    try {
        const DesktopBackend* backend = wallpaper::sessionBackend();
        if (backend && backend->monitors)
            if (std::optional<std::vector<Monitor>> monitors = backend->monitors())
                return monitors;
        if (wallpaper::sessionHasX11())
            return wallpaper::x11Monitors();
    } catch (...) {
    }
    return std::nullopt;
}

bool paintMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                            const Placement& placement) {
    try {
        if (wallpaper::sessionBackend() != &wallpaper::x11RootBackend() ||
            !wallpaper::sessionHasX11())
            return false;
        return wallpaper::x11PaintMonitors(pictures, placement);
    } catch (...) {
        return false;
    }
}

void setMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                          const std::string& composedPath, const Placement& placement) {
    try {
        const DesktopBackend* backend = wallpaper::sessionBackend();
        if (!backend || pictures.empty())
            return;
        if (!wallpaper::applyMonitorWallpapers(*backend, pictures, composedPath, placement)
                 .has_value() &&
            backend != &wallpaper::x11RootBackend() && wallpaper::sessionHasX11())
            wallpaper::x11PaintMonitors(pictures, placement);
    } catch (...) {
    }
}

std::string getWallpaperName() {
    try {
        const DesktopBackend* backend = wallpaper::sessionBackend();
        if (!backend)
            return {};
        if (std::optional<std::string> name = backend->wallpaperName())
            return *name;
        if (backend != &wallpaper::x11RootBackend() && wallpaper::sessionHasX11())
            return wallpaper::x11RootBackend().wallpaperName().value_or(std::string());
    } catch (...) {
    }
    return {};
}

} // namespace platform
