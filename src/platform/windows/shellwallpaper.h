// The shell's per-monitor wallpaper (IDesktopWallpaper, Windows 8 and
// later), reached through COM on the calling thread.
#pragma once

#include "platform/wallpaper.h"

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

struct IDesktopWallpaper;

namespace platform::win {

/// The shell's desktop wallpaper object for as long as this lives, with COM
/// set up on the calling thread for that time. Where the system has no such
/// object (Windows 7, Wine), available() is false and every call fails.
/// Nothing here throws.
class ShellWallpaper {
public:
    ShellWallpaper();
    ~ShellWallpaper();
    ShellWallpaper(const ShellWallpaper&) = delete;
    ShellWallpaper& operator=(const ShellWallpaper&) = delete;

    bool available() const { return m_wallpaper != nullptr; }

    /// The monitors attached to the desktop with their device paths, in the
    /// shell's order; those it lists but cannot place (detached) are left
    /// out. nullopt when the shell reports none.
    std::optional<std::vector<Monitor>> monitors();

    /// Shows the file at `path` on the monitor whose device path is
    /// `monitorId`, or on every monitor for an empty `monitorId`.
    bool setWallpaper(const std::wstring& monitorId, const std::wstring& path);

    /// How the pictures meet their monitors, for every monitor.
    bool setPosition(PlacementMode mode);

    /// The colour (0xRRGGBB) around a picture that leaves room.
    bool setBackground(std::uint32_t rgb);

private:
    bool m_uninitialize = false;
    IDesktopWallpaper* m_wallpaper = nullptr;
};

/// 0xRRGGBB as the system's COLORREF (0x00BBGGRR).
constexpr COLORREF colorRef(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

} // namespace platform::win
