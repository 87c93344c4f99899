// The desktop-wallpaper backends of the Linux platform layer and the helpers
// they share. Private to src/platform/linux (and its tests): the rest of the
// program goes through platform/wallpaper.h.
#pragma once

#include "imaging/bitmap.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::wallpaper {

/// How the wallpaper reaches the desktop.
enum class Backend {
    None,    ///< no desktop we can reach (no X display, unknown Wayland desktop)
    X11Root, ///< the X root window's background pixmap, set by the program itself
    Gnome,   ///< org.gnome.desktop.background through GSettings
};

/// The backend for a session whose XDG_CURRENT_DESKTOP is `currentDesktop`
/// (a colon-separated list of names, compared without regard to case, the
/// first known name winning); `hasX11` tells whether an X display is set.
Backend chooseBackend(std::string_view currentDesktop, bool hasX11);

/// chooseBackend for the running session, from its environment.
Backend sessionBackend();

/// True when the session has an X display (DISPLAY set and not empty).
bool sessionHasX11();

/// The file:// URI of an absolute local path, percent-encoded; empty for a
/// relative path.
std::string Path2FileUri(const std::string& path);

/// The local path a file:// URI names; empty for any other URI (another
/// scheme, a remote host, a malformed URI) and for an empty one.
std::string FileUri2Path(const std::string& uri);

/// Paints the picture at `bmpPath` on the root window of every screen of the
/// X display, each monitor covered. False when nothing was changed.
bool x11SetWallpaper(const std::string& bmpPath);

/// The wallpaper file that x11SetWallpaper last put on the default screen, as
/// long as its picture is still the root window's; empty otherwise.
std::string x11WallpaperName();

/// Hands the picture at `bmpPath` to GNOME under a fresh file name. nullopt
/// when the GNOME background settings do not exist on this system; otherwise
/// whether the settings were written.
std::optional<bool> gnomeSetWallpaper(const std::string& bmpPath);

/// GNOME's picture-uri as a local path (empty for a non-file URI or none);
/// nullopt when the GNOME background settings do not exist on this system.
std::optional<std::string> gnomeWallpaperName();

} // namespace platform::wallpaper
