#include "platform/wallpaper.h"

#include "platform/windows/registry.h"
#include "platform/windows/shellwallpaper.h"
#include "platform/windows/wintext.h"

#include <cwchar>
#include <string>

namespace platform {

namespace {

// The desktop's wallpaper style by placement (Fill, Fit, Stretch, Center,
// Tile, Span); Tile is Center with TileWallpaper on.
constexpr const wchar_t* WallpaperStyles[] = {L"10", L"6", L"2", L"0", L"0", L"22"};

void setWallpaperStyle(const Placement& placement) {
    win::Key key;
    if (key.create(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    const auto setString = [&](const wchar_t* name, const wchar_t* value) {
        RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
    };
    setString(L"WallpaperStyle", WallpaperStyles[std::size_t(placement.mode)]);
    setString(L"TileWallpaper", placement.mode == PlacementMode::Tile ? L"1" : L"0");
    // The colour around a picture that leaves room, as "R G B".
    const std::wstring colour = std::to_wstring(placement.background >> 16 & 0xFF) + L" " +
                                std::to_wstring(placement.background >> 8 & 0xFF) + L" " +
                                std::to_wstring(placement.background & 0xFF);
    if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center) {
        win::Key colours;
        if (colours.create(HKEY_CURRENT_USER, L"Control Panel\\Colors", KEY_SET_VALUE) ==
            ERROR_SUCCESS)
            RegSetValueExW(colours.get(), L"Background", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(colour.c_str()),
                           DWORD((colour.size() + 1) * sizeof(wchar_t)));
        // The registry keeps the colour for later logons; the desktop shows
        // it now.
        const INT element = COLOR_DESKTOP;
        const COLORREF value = win::colorRef(placement.background);
        SetSysColors(1, &element, &value);
    }
}

// The single picture for every monitor through the system's parameter (all
// that Windows 7 and Wine offer), its style in the registry.
void setThroughSystemParameter(const std::string& bmpPath, const Placement& placement,
                               bool applyStyle) {
    if (applyStyle)
        setWallpaperStyle(placement);
    std::wstring path = win::toWide(bmpPath);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE);
}

// Each monitor's picture through the shell; false when none could be shown.
bool setThroughShell(win::ShellWallpaper& shell, const std::vector<MonitorPicture>& pictures,
                     const Placement& placement) {
    if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center)
        shell.setBackground(placement.background);
    // The position is one for all monitors, set first so that the pictures
    // arrive placed.
    shell.setPosition(placement.mode);
    // A spanned desktop shows one picture over all monitors: the first's.
    if (placement.mode == PlacementMode::Span)
        return shell.setWallpaper({}, win::toWide(pictures.front().file));
    bool shown = false;
    for (const MonitorPicture& picture : pictures) {
        // An empty device path would mean every monitor.
        if (picture.monitor.name.empty())
            continue;
        if (shell.setWallpaper(win::toWide(picture.monitor.name), win::toWide(picture.file)))
            shown = true;
    }
    return shown;
}

} // namespace

void setDesktopWallpaper(const std::string& bmpPath, const Placement& placement) {
    try {
        // The default placement keeps the style the user chose in the
        // system's own settings.
        setThroughSystemParameter(bmpPath, placement, placement.mode != PlacementMode::Fill);
    } catch (...) {
    }
}

bool paintDesktopWallpaper(const std::string&, const Bitmap&, const Placement&) {
    // The system reads the wallpaper from its file.
    return false;
}

void removeLeftoverWallpaperNames(const std::string&) {
    // The system is given the file under its one name: nothing is left.
}

std::optional<std::vector<Monitor>> desktopMonitors() {
    win::ShellWallpaper shell;
    return shell.monitors();
}

bool paintMonitorWallpapers(const std::vector<MonitorPicture>&, const Placement&) {
    return false;
}

void setMonitorWallpapers(const std::vector<MonitorPicture>& pictures, const std::string&,
                          const Placement& placement) {
    if (pictures.empty())
        return;
    try {
        win::ShellWallpaper shell;
        if (shell.available() && setThroughShell(shell, pictures, placement))
            return;
        // One picture for every monitor: the first monitor's, placed as the
        // shell would have placed each.
        setThroughSystemParameter(pictures.front().file, placement, true);
    } catch (...) {
    }
}

std::string getWallpaperName() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value;
    const auto result = win::readStringValue(key, L"Wallpaper", value);
    RegCloseKey(key);
    return result == win::ValueRead::Ok ? win::toUtf8(value) : std::string();
}

} // namespace platform
