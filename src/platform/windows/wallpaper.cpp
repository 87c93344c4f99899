#include "platform/wallpaper.h"

#include "platform/windows/registry.h"
#include "platform/windows/wintext.h"

namespace platform {

void setDesktopWallpaper(const std::string& bmpPath) {
    std::wstring path = win::toWide(bmpPath);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE);
}

bool paintDesktopWallpaper(const std::string&, const Bitmap&) {
    // The system reads the wallpaper from its file.
    return false;
}

void removeLeftoverWallpaperNames(const std::string&) {
    // The system is given the file under its one name: nothing is left.
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
