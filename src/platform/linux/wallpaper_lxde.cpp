// The wallpaper of LXDE: its desktop is pcmanfm, told through its own
// command line (which hands the request to the running desktop over its
// socket); the desktop keeps the picture in its settings file, written a
// moment later, and read back from there.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::wallpaper {

namespace {

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The socket a running pcmanfm listens on: one per user and display.
std::string socketPath() {
    std::string runtime = environment("XDG_RUNTIME_DIR");
    if (runtime.empty())
        runtime = g_get_user_cache_dir();
    const std::string display = environment("DISPLAY");
    const size_t colon = display.rfind(':');
    std::string host;
    int number = 0;
    if (colon != std::string::npos) {
        host = display.substr(0, colon);
        number = std::atoi(display.c_str() + colon + 1);
    }
    return runtime + "/pcmanfm-socket-" + host + "-" + std::to_string(number);
}

// Whether some process listens on that socket, seen in the kernel's table of
// Unix sockets: connecting to it would hand pcmanfm an empty request.
bool desktopRunning() {
    const std::string path = socketPath();
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, inode, name;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode))
            continue;
        std::getline(fields >> std::ws, name);
        // 00010000: a listening socket.
        if (name == path && (std::strtoul(flags.c_str(), nullptr, 16) & 0x10000) != 0)
            return true;
    }
    return false;
}

// The desktop's setting for the first monitor, in the profile of an LXDE
// session (or the session named by DESKTOP_SESSION), else the default one.
std::string storedWallpaper() {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty())
        config = environment("HOME") + "/.config";
    for (const std::string& profile : {environment("DESKTOP_SESSION"), std::string("LXDE"),
                                       std::string("LXDE-pi"), std::string("default")}) {
        if (profile.empty() || profile.find('/') != std::string::npos)
            continue;
        const std::string file = config + "/pcmanfm/" + profile + "/desktop-items-0.conf";
        GKeyFile* keys = g_key_file_new();
        std::string value;
        if (g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, nullptr)) {
            GCharPtr v(g_key_file_get_string(keys, "*", "wallpaper", nullptr));
            value = v ? v.get() : "";
            g_key_file_free(keys);
            return value;
        }
        g_key_file_free(keys);
    }
    return {};
}

std::optional<bool> setLxdeWallpaper(const std::string& path, const Placement& placement) {
    // Without its desktop running, pcmanfm would take the request itself
    // and stay running without showing it.
    if (!desktopRunning())
        return std::nullopt;
    const ProgramRun run = runProgram(
        "pcmanfm", {"--set-wallpaper", path,
                    "--wallpaper-mode=" +
                        std::string(placementWord(
                            placement, {"crop", "fit", "stretch", "center", "tile", "screen"}))});
    if (run.status == ProgramRun::Status::Missing)
        return std::nullopt;
    return run.status == ProgramRun::Status::Done;
}

std::optional<std::string> lxdeWallpaperName() {
    if (!desktopRunning())
        return std::nullopt;
    return setting2Path(storedWallpaper());
}

constexpr std::string_view Names[] = {"lxde"};

} // namespace

const DesktopBackend& lxdeBackend() {
    static const DesktopBackend Backend{"lxde", Names,   {},   setLxdeWallpaper, lxdeWallpaperName,
                                        true,   nullptr, true, nullptr};
    return Backend;
}

} // namespace platform::wallpaper
