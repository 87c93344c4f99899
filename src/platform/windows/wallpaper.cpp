#include "platform/wallpaper.h"

#include "platform/windows/registry.h"
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
    }
}

} // namespace

void setDesktopWallpaper(const std::string& bmpPath, const Placement& placement) {
    // The default placement keeps the style the user chose in the system's
    // own settings.
    if (placement.mode != PlacementMode::Fill)
        setWallpaperStyle(placement);
    std::wstring path = win::toWide(bmpPath);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE);
}

bool paintDesktopWallpaper(const std::string&, const Bitmap&, const Placement&) {
    // The system reads the wallpaper from its file.
    return false;
}

void removeLeftoverWallpaperNames(const std::string&) {
    // The system is given the file under its one name: nothing is left.
}

std::optional<std::vector<Monitor>> desktopMonitors() {
    return std::nullopt;
}

bool paintMonitorWallpapers(const std::vector<MonitorPicture>&, const Placement&) {
    return false;
}

void setMonitorWallpapers(const std::vector<MonitorPicture>& pictures, const std::string&,
                          const Placement& placement) {
    // One picture for every monitor: the first monitor's.
    if (!pictures.empty())
        setDesktopWallpaper(pictures.front().file, placement);
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
