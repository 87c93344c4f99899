// The desktop wallpaper on Linux: the backend is chosen from the session's
// desktop, then the picture is handed to it.
#include "platform/wallpaper.h"

#include "platform/linux/wallpaper_backends.h"

#include "imaging/ascii.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace platform::wallpaper {

namespace {

// Desktops that keep their own wallpaper setting, by the name they give in
// XDG_CURRENT_DESKTOP (lower case). Any other X11 session gets the root window.
struct DesktopBackend {
    std::string_view name;
    Backend backend;
};

constexpr DesktopBackend kDesktops[] = {
    {"gnome", Backend::Gnome},
    {"unity", Backend::Gnome},
    {"budgie", Backend::Gnome},
};

} // namespace

Backend chooseBackend(std::string_view currentDesktop, bool hasX11) {
    while (!currentDesktop.empty()) {
        const size_t colon = currentDesktop.find(':');
        const std::string name = ToLowerAscii(currentDesktop.substr(0, colon));
        for (const DesktopBackend& d : kDesktops)
            if (d.name == name)
                return d.backend;
        if (colon == std::string_view::npos)
            break;
        currentDesktop.remove_prefix(colon + 1);
    }
    return hasX11 ? Backend::X11Root : Backend::None;
}

bool sessionHasX11() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

Backend sessionBackend() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return chooseBackend(desktop ? desktop : "", sessionHasX11());
}

} // namespace platform::wallpaper

namespace platform {

using wallpaper::Backend;

void setDesktopWallpaper(const std::string& bmpPath) {
    // Nothing may escape to the caller: a wallpaper that cannot be set leaves
    // the desktop as it was, silently.
    try {
        switch (wallpaper::sessionBackend()) {
        case Backend::Gnome:
            // A GNOME-family session without GNOME's settings installed is
            // still an X session most of the time: paint the root window then.
            if (!wallpaper::gnomeSetWallpaper(bmpPath).has_value() && wallpaper::sessionHasX11())
                wallpaper::x11SetWallpaper(bmpPath);
            break;
        case Backend::X11Root:
            wallpaper::x11SetWallpaper(bmpPath);
            break;
        case Backend::None:
            break;
        }
    } catch (...) {
    }
}

std::string getWallpaperName() {
    try {
        switch (wallpaper::sessionBackend()) {
        case Backend::Gnome:
            if (auto name = wallpaper::gnomeWallpaperName())
                return *name;
            return wallpaper::sessionHasX11() ? wallpaper::x11WallpaperName() : std::string();
        case Backend::X11Root:
            return wallpaper::x11WallpaperName();
        case Backend::None:
            break;
        }
    } catch (...) {
    }
    return {};
}

} // namespace platform
