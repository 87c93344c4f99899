// The desktop-wallpaper backends of the Linux platform layer and the helpers
// they share. Private to src/platform/linux (and its tests): the rest of the
// program goes through platform/wallpaper.h.
//
// Each desktop has one file, wallpaper_<desktop>.cpp, defining its
// DesktopBackend: the names it answers to in XDG_CURRENT_DESKTOP, how it sets
// the wallpaper and how it reads it back. wallpaper.cpp lists them and
// chooses one for the session; the X root window is the fallback.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wallpaper.h"

class Bitmap;

namespace platform::wallpaper {

/// One desktop's way of showing the wallpaper.
struct DesktopBackend {
    /// Short name used in messages and tests ("gnome", "kde", ...).
    std::string_view id;
    /// The names it serves in XDG_CURRENT_DESKTOP, in lower case.
    std::span<const std::string_view> desktopNames;
    /// An environment variable whose presence alone tells this desktop runs
    /// (a compositor's IPC socket), or empty.
    std::string_view sessionVariable;
    /// Makes the picture at `path` the wallpaper of every monitor and
    /// workspace, placed as asked as far as the desktop can. nullopt when the desktop's settings
    /// service does not exist here (the caller then falls back to the root window); otherwise
    /// whether the desktop took it.
    std::optional<bool> (*setWallpaper)(const std::string& path, const Placement& placement);
    /// The wallpaper file the desktop shows, "" when it keeps none or one that
    /// is no local file; nullopt when the settings service does not exist.
    std::optional<std::string> (*wallpaperName)();
    /// The desktop does not reload a picture whose path it already shows, so
    /// each apply hands it a fresh name (see applyUnderFreshName).
    bool cachesByName;
    /// Gives each monitor its own picture file, placed as asked; results as
    /// for setWallpaper. nullptr where the desktop keeps one picture for all
    /// monitors: see spansOnePicture.
    std::optional<bool> (*setMonitorWallpapers)(const std::vector<MonitorPicture>& pictures,
                                                const Placement& placement) = nullptr;
    /// Without setMonitorWallpapers: true when the desktop can stretch one
    /// picture over all monitors (it is then given one composed of the
    /// monitors' pictures, with Span); false when it shows the first
    /// monitor's picture on each.
    bool spansOnePicture = false;
    /// The monitors as this desktop lists them; nullptr to ask RandR.
    std::optional<std::vector<Monitor>> (*monitors)() = nullptr;
    /// Every wallpaper file the desktop shows or keeps, on any monitor or
    /// workspace, as wallpaperName tells them; nullptr where it keeps one
    /// picture for all (wallpaperName's alone).
    std::optional<std::vector<std::string>> (*shownWallpapers)() = nullptr;
};

// The backends, one per file.
const DesktopBackend& gnomeBackend();    // GNOME, Unity, Budgie
const DesktopBackend& kdeBackend();      // KDE Plasma 5 and 6
const DesktopBackend& xfceBackend();     // XFCE
const DesktopBackend& mateBackend();     // MATE
const DesktopBackend& cinnamonBackend(); // Cinnamon
const DesktopBackend& lxqtBackend();     // LXQt (pcmanfm-qt)
const DesktopBackend& lxdeBackend();     // LXDE (pcmanfm)
const DesktopBackend& swayBackend();     // sway and compositors speaking its IPC
const DesktopBackend& x11RootBackend();  // any other X11 session

/// Every desktop backend in the order the choice tries them (the root window
/// not among them).
std::span<const DesktopBackend* const> desktopBackends();

/// The backend for a session whose XDG_CURRENT_DESKTOP is `currentDesktop`
/// (a colon-separated list of names, compared without regard to case, the
/// first known name winning), then by a backend's session variable
/// (`isSet(name)`), then the root window when `hasX11`; nullptr when none.
const DesktopBackend* chooseBackend(std::string_view currentDesktop, bool hasX11,
                                    const std::function<bool(std::string_view)>& isSet);

/// chooseBackend for the running session, from its environment.
const DesktopBackend* sessionBackend();

/// True when the session has an X display (DISPLAY set and not empty).
bool sessionHasX11();

/// Hands the picture at `bmpPath` to `backend`, under a fresh name when it
/// caches by name; nullopt when the backend cannot act here.
std::optional<bool> applyWallpaper(const DesktopBackend& backend, const std::string& bmpPath,
                                   const Placement& placement = {});

/// Gives each monitor of `pictures` its own picture through `backend` (see
/// setMonitorWallpapers in platform/wallpaper.h); nullopt when the backend
/// cannot act here.
std::optional<bool> applyMonitorWallpapers(const DesktopBackend& backend,
                                           const std::vector<MonitorPicture>& pictures,
                                           const std::string& composedPath,
                                           const Placement& placement);

// --- Fresh names (wallpaper_names.cpp) ---

/// The fresh names of a wallpaper file are its name with "-<number>" before
/// the extension, the number of 13 digits or more and not starting with 0:
/// Wallpaper.bmp gives Wallpaper-1765270000123.bmp, Wallpaper-2.bmp gives
/// Wallpaper-2-1765270000123.bmp (which is no fresh name of Wallpaper.bmp).
bool isFreshName(const std::string& candidate, const std::string& wallpaper);

/// The picture files whose fresh names belong to the wallpaper file at
/// `wallpaper`: the file itself, the monitors' files named after it
/// (Wallpaper-2.bmp, Wallpaper-3.bmp, ... for Wallpaper.bmp, up to 999) and
/// the composed picture beside it (ComposedName with the wallpaper's
/// extension: Spanned.bmp). True when `candidate` is a fresh name of any
/// of them.
bool isFreshNameOfFamily(const std::string& candidate, const std::string& wallpaper);

/// The name, without extension, of the picture composed of every monitor's
/// that a desktop showing one picture over all monitors is given.
inline constexpr std::string_view ComposedName = "Spanned";

/// Every wallpaper file `backend` shows or keeps (shownWallpapers, else
/// wallpaperName); nullopt when the desktop cannot tell.
std::optional<std::vector<std::string>> shownWallpaperFiles(const DesktopBackend& backend);

/// For a backend that caches by name: removes the fresh names of the
/// wallpaper file at `bmpPath` and of its family (see isFreshNameOfFamily)
/// that the desktop does not show, as an earlier run may have left them;
/// only regular files, no link followed. Nothing goes when the desktop
/// cannot tell what it shows.
void removeLeftoverNames(const DesktopBackend& backend, const std::string& bmpPath);

/// Hands `files` to a desktop that caches by name, each under a new name
/// beside it (a hard link, or a copy where the file system has none; one
/// per distinct file): `apply` gets the new names in the order of `files`.
/// Then every other fresh name of the family of `wallpaper` (see
/// isFreshNameOfFamily) and of `files` goes, except those the desktop still
/// shows, so that at most the shown and the newest of each remain. False,
/// with nothing applied, when `files` is empty or one of them is no regular
/// file; otherwise `apply`'s result.
std::optional<bool> applyUnderFreshNames(
    const DesktopBackend& backend, const std::vector<std::string>& files,
    const std::function<std::optional<bool>(const std::vector<std::string>&)>& apply,
    const std::string& wallpaper);

/// applyUnderFreshNames for the one picture at `bmpPath`, given to the
/// backend's setWallpaper.
std::optional<bool> applyUnderFreshName(const DesktopBackend& backend, const std::string& bmpPath,
                                        const Placement& placement = {});

/// The file:// URI of an absolute local path, percent-encoded; empty for a
/// relative path.
std::string path2FileUri(const std::string& path);

/// The local path a file:// URI names; empty for any other URI (another
/// scheme, a remote host, a malformed URI) and for an empty one.
std::string fileUri2Path(const std::string& uri);

/// A wallpaper setting as a desktop stores it, as a local path: a file:// URI
/// decoded, an absolute path kept, anything else empty.
std::string setting2Path(const std::string& value);

// --- External programs (wallpaper_run.cpp) ---

/// How long an external program may take before it is stopped.
inline constexpr std::chrono::milliseconds ProgramTimeout{5000};

struct ProgramRun {
    enum class Status {
        Missing, ///< the program could not be started (not installed)
        Failed,  ///< it crashed, timed out or exited with a non-zero code
        Done,    ///< it exited with code 0
    };
    Status status = Status::Missing;
    std::string output; ///< its standard output
};

/// Runs `program` with `args` as its argument vector (no shell), its standard
/// input empty, and waits at most `timeout` before killing it. A failure is
/// reported on stderr in one line.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::milliseconds timeout = ProgramTimeout);

/// `placement`'s background as "#rrggbb".
std::string backgroundHex(const Placement& placement);

/// The desktop's own word for a placement: `names` lists it for Fill, Fit,
/// Stretch, Center, Tile and Span, in this order.
std::string_view placementWord(const Placement& placement,
                               const std::array<std::string_view, 6>& names);

/// Reports a failure of the wallpaper layer on stderr, as one line.
void reportFailure(std::string_view message);

// --- The root window (wallpaper_x11.cpp) ---

/// Paints the picture at `bmpPath` on the root window of every screen of the
/// X display, each monitor covered. False when nothing was changed.
bool x11SetWallpaper(const std::string& bmpPath, const Placement& placement = {});

/// Paints `picture` the same way, recording `bmpPath` as its file (which
/// need not exist yet). False when nothing was changed.
bool x11PaintWallpaper(const std::string& bmpPath, const Bitmap& picture,
                       const Placement& placement = {});

/// Paints each monitor of the default screen with its own picture (those
/// not given decoded read from their files), recording the first one's file.
/// False when nothing was changed.
bool x11PaintMonitors(const std::vector<MonitorPicture>& pictures, const Placement& placement);

/// The monitors of the default screen as the painter covers them; nullopt
/// without an X display.
std::optional<std::vector<Monitor>> x11Monitors();

/// The wallpaper file that x11SetWallpaper last put on the default screen, as
/// long as its picture is still the root window's; empty otherwise.
std::string x11WallpaperName();

/// What an X11 desktop has to cover: its active outputs (RandR names), the
/// primary one, and the number of workspaces with the current one.
struct X11Layout {
    std::vector<std::string> outputs;
    std::string primaryOutput;
    int workspaces = 1;
    int currentWorkspace = 0;
};

/// The layout of the default screen; nullopt without an X display.
std::optional<X11Layout> x11Layout();

} // namespace platform::wallpaper
