// The wallpaper of XFCE: the desktop's settings in xfconf (channel
// xfce4-desktop), reached over D-Bus. Each monitor and workspace has its own
// picture, /backdrop/screen<N>/monitor<name>/workspace<N>/last-image, with
// its placement beside it in image-style; the monitor's name is the RandR
// output's.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <array>
#include <charconv>
#include <map>
#include <set>
#include <utility>

namespace platform::wallpaper {

namespace {

constexpr const char* Service = "org.xfce.Xfconf";
constexpr const char* Object = "/org/xfce/Xfconf";
constexpr const char* Interface = "org.xfce.Xfconf";
constexpr const char* Channel = "xfce4-desktop";
constexpr std::string_view LastImage = "/last-image";
// image-style by placement: zoomed (5), scaled (4), stretched (3),
// centered (1), tiled (2), spanning screens (6).
constexpr std::array<int, 6> ImageStyles{5, 4, 3, 1, 2, 6};

struct Backdrop {
    int screen = 0;
    std::string monitor;
    int workspace = 0;
};

bool parseNumber(std::string_view s, int& out) {
    if (s.empty() || s.size() > 6)
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

// The backdrop a last-image property belongs to; nullopt for any other
// property.
std::optional<Backdrop> parseLastImage(std::string_view p) {
    const auto take = [&p](std::string_view prefix) -> std::optional<std::string_view> {
        if (p.substr(0, prefix.size()) != prefix)
            return std::nullopt;
        p.remove_prefix(prefix.size());
        const size_t slash = p.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view part = p.substr(0, slash);
        p.remove_prefix(slash);
        return part;
    };
    Backdrop b;
    const auto screen = take("/backdrop/screen");
    const auto monitor = screen ? take("/monitor") : std::nullopt;
    const auto workspace = monitor ? take("/workspace") : std::nullopt;
    if (!workspace || p != LastImage || monitor->empty() || !parseNumber(*screen, b.screen) ||
        !parseNumber(*workspace, b.workspace))
        return std::nullopt;
    b.monitor = std::string(*monitor);
    return b;
}

std::string backdropProperty(int screen, const std::string& monitor, int workspace,
                             std::string_view leaf) {
    return "/backdrop/screen" + std::to_string(screen) + "/monitor" + monitor + "/workspace" +
           std::to_string(workspace) + std::string(leaf);
}

// Every last-image property with its value; nullopt when xfconf cannot be
// reached.
std::optional<std::map<std::string, std::string>> listImages(GDBusConnection* bus) {
    ErrorPtr error;
    VariantPtr reply =
        callMethod(bus, Service, Object, Interface, "GetAllProperties",
                   g_variant_new("(ss)", Channel, "/backdrop"), G_VARIANT_TYPE("(a{sv})"), error);
    std::map<std::string, std::string> images;
    if (!reply) {
        if (isServiceMissing(error.get()))
            return std::nullopt;
        // A desktop never configured has no channel yet.
        return images;
    }
    VariantPtr dict(g_variant_get_child_value(reply.get(), 0));
    GVariantIter iter;
    g_variant_iter_init(&iter, dict.get());
    const gchar* key = nullptr;
    GVariant* raw = nullptr;
    while (g_variant_iter_loop(&iter, "{&sv}", &key, &raw))
        if (parseLastImage(key) && g_variant_is_of_type(raw, G_VARIANT_TYPE_STRING))
            images[key] = g_variant_get_string(raw, nullptr);
    return images;
}

bool setProperty(GDBusConnection* bus, const std::string& property, GVariant* value) {
    ErrorPtr error;
    VariantPtr reply =
        callMethod(bus, Service, Object, Interface, "SetProperty",
                   g_variant_new("(ssv)", Channel, property.c_str(), value), nullptr, error);
    if (!reply)
        reportDBusError(("xfconf did not take " + property).c_str(), error.get());
    return reply != nullptr;
}

// Gives each monitor in `own` its picture and every other monitor `others`.
std::optional<bool> setBackdrops(const std::map<std::string, std::string>& own,
                                 const std::string& others, const Placement& placement) {
    BusPtr bus = openSessionBus();
    if (!bus)
        return std::nullopt;
    const std::optional<std::map<std::string, std::string>> images = listImages(bus.get());
    if (!images)
        return std::nullopt;

    // Every monitor the settings know and every one connected now, on every
    // workspace: a backdrop without a picture of its own would show
    // XFCE's default.
    std::set<std::pair<int, std::string>> monitors;
    std::set<int> workspaces{0};
    for (const auto& [property, value] : *images) {
        const std::optional<Backdrop> b = parseLastImage(property);
        monitors.emplace(b->screen, b->monitor);
        workspaces.insert(b->workspace);
    }
    if (const std::optional<X11Layout> layout = x11Layout()) {
        for (const std::string& output : layout->outputs)
            monitors.emplace(0, output);
        for (int w = 0; w < layout->workspaces; ++w)
            workspaces.insert(w);
    }
    for (const auto& [monitor, path] : own)
        monitors.emplace(0, monitor);
    if (monitors.empty()) {
        reportFailure("XFCE has no monitor to set the wallpaper on");
        return false;
    }

    bool all = true;
    for (const auto& [screen, monitor] : monitors) {
        const auto mine = own.find(monitor);
        const std::string& path = mine != own.end() ? mine->second : others;
        for (int w : workspaces) {
            setProperty(bus.get(), backdropProperty(screen, monitor, w, "/image-style"),
                        g_variant_new_int32(ImageStyles[std::size_t(placement.mode)]));
            all = setProperty(bus.get(), backdropProperty(screen, monitor, w, LastImage),
                              g_variant_new_string(path.c_str())) &&
                  all;
        }
    }
    return all;
}

std::optional<bool> setXfceWallpaper(const std::string& path, const Placement& placement) {
    return setBackdrops({}, path, placement);
}

// Each named monitor its own picture (on X11 the names are RandR's outputs',
// as XFCE's); the monitors the settings know besides show the first one.
std::optional<bool> setXfceMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                                             const Placement& placement) {
    std::map<std::string, std::string> own;
    for (const MonitorPicture& p : pictures)
        if (!p.monitor.name.empty() && p.monitor.name.find('/') == std::string::npos)
            own.emplace(p.monitor.name, p.file);
    return setBackdrops(own, pictures.front().file, placement);
}

std::optional<std::string> xfceWallpaperName() {
    BusPtr bus = openSessionBus();
    if (!bus)
        return std::nullopt;
    const std::optional<std::map<std::string, std::string>> images = listImages(bus.get());
    if (!images)
        return std::nullopt;
    if (images->empty())
        return std::string();
    // The primary monitor's picture on the current workspace, when the
    // display can tell; else the first one kept.
    if (const std::optional<X11Layout> layout = x11Layout()) {
        std::vector<std::string> candidates;
        if (!layout->primaryOutput.empty())
            candidates.push_back(layout->primaryOutput);
        candidates.insert(candidates.end(), layout->outputs.begin(), layout->outputs.end());
        for (const std::string& monitor : candidates) {
            const auto it =
                images->find(backdropProperty(0, monitor, layout->currentWorkspace, LastImage));
            if (it != images->end())
                return setting2Path(it->second);
        }
    }
    return setting2Path(images->begin()->second);
}

std::optional<std::vector<std::string>> xfceShownWallpapers() {
    BusPtr bus = openSessionBus();
    if (!bus)
        return std::nullopt;
    const std::optional<std::map<std::string, std::string>> images = listImages(bus.get());
    if (!images)
        return std::nullopt;
    std::vector<std::string> files;
    for (const auto& [property, value] : *images)
        files.push_back(setting2Path(value));
    return files;
}

constexpr std::string_view Names[] = {"xfce"};

} // namespace

const DesktopBackend& xfceBackend() {
    static const DesktopBackend Backend{"xfce",
                                        Names,
                                        {},
                                        setXfceWallpaper,
                                        xfceWallpaperName,
                                        true,
                                        setXfceMonitorWallpapers,
                                        false,
                                        nullptr,
                                        xfceShownWallpapers};
    return Backend;
}

} // namespace platform::wallpaper
