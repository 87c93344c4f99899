// The wallpaper of LXQt: its desktop is pcmanfm-qt, told through its own
// command line (which hands the request to the running desktop over D-Bus);
// the desktop keeps the picture in its settings file, read back from there.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace platform::wallpaper {

namespace {

// The bus name of a running pcmanfm-qt.
constexpr const char* BusName = "org.pcmanfm.PCManFM";

bool desktopRunning() {
    BusPtr bus = openSessionBus();
    return bus && nameHasOwner(bus.get(), BusName);
}

// The settings of the profile an LXQt session starts its desktop with, else
// pcmanfm-qt's default one.
std::string storedWallpaper() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const char* profile : {"lxqt", "default"}) {
        const QString file = config + "/pcmanfm-qt/" + profile + "/settings.conf";
        if (!QFile::exists(file))
            continue;
        const QSettings settings(file, QSettings::IniFormat);
        return QFile::encodeName(settings.value("Desktop/Wallpaper").toString()).toStdString();
    }
    return {};
}

std::optional<bool> setLxqtWallpaper(const std::string& path, const Placement& placement) {
    // Without its desktop running, pcmanfm-qt would take the request and
    // drop it.
    if (!desktopRunning())
        return std::nullopt;
    const ProgramRun run = runProgram(
        "pcmanfm-qt",
        {"--set-wallpaper", path,
         "--wallpaper-mode=" + std::string(placementWord(placement, {"zoom", "fit", "stretch",
                                                                     "center", "tile", "zoom"}))});
    if (run.status == ProgramRun::Status::Missing)
        return std::nullopt;
    // The desktop stores the picture before it answers.
    return run.status == ProgramRun::Status::Done && storedWallpaper() == path;
}

std::optional<std::string> lxqtWallpaperName() {
    if (!desktopRunning())
        return std::nullopt;
    return setting2Path(storedWallpaper());
}

constexpr std::string_view Names[] = {"lxqt"};

} // namespace

const DesktopBackend& lxqtBackend() {
    static const DesktopBackend Backend{"lxqt", Names,   {},    setLxqtWallpaper, lxqtWallpaperName,
                                        true,   nullptr, false, nullptr};
    return Backend;
}

} // namespace platform::wallpaper
