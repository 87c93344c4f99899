// The wallpaper of KDE Plasma 5 and 6: a script run by the Plasma shell over
// D-Bus (org.kde.PlasmaShell evaluateScript) sets the image plugin's picture
// on every desktop containment, the same on all or each screen's own, placed
// as asked; another reads it back.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <array>
#include <cstdio>

namespace platform::wallpaper {

namespace {

constexpr const char* Service = "org.kde.PlasmaShell";
constexpr const char* Object = "/PlasmaShell";
constexpr const char* Interface = "org.kde.PlasmaShell";

// Qt's Image fill modes, by placement: PreserveAspectCrop (2), PreserveAspectFit
// (1), Stretch (0), Pad (6), Tile (3). Plasma has no picture across screens:
// Span covers each desktop as Fill does.
constexpr std::array<int, 6> FillModes{2, 1, 0, 6, 3, 2};

// A JavaScript string literal holding `s`.
std::string jsString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// Runs `script` in the Plasma shell; what it printed, or nullopt with the
// reason in `error`.
std::optional<std::string> evaluate(GDBusConnection* bus, const std::string& script,
                                    ErrorPtr& error) {
    VariantPtr reply =
        callMethod(bus, Service, Object, Interface, "evaluateScript",
                   g_variant_new("(s)", script.c_str()), G_VARIANT_TYPE("(s)"), error);
    if (!reply)
        return std::nullopt;
    const gchar* printed = nullptr;
    g_variant_get(reply.get(), "(&s)", &printed);
    std::string out = printed ? printed : "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

const std::string ImageGroup = R"(["Wallpaper", "org.kde.image", "General"])";

// Sets desktop i's picture to paths[i] by its screen, the last one for any
// further screen and the first for a desktop on none.
std::optional<bool> setKdeWallpapers(const std::vector<std::string>& paths,
                                     const Placement& placement) {
    BusPtr bus = openSessionBus();
    if (!bus)
        return std::nullopt;
    std::string uris;
    for (const std::string& path : paths) {
        const std::string uri = path2FileUri(path);
        if (uri.empty())
            return false;
        uris += (uris.empty() ? "" : ", ") + jsString(uri);
    }
    // The colour around a picture that leaves room; otherwise Plasma's own.
    const std::string color =
        placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center
            ? "    d.writeConfig(\"Color\", " + jsString(backgroundHex(placement)) + ");\n"
            : std::string();
    const std::string script =
        "var uris = [" + uris +
        "];\n"
        "var all = desktops();\n"
        "for (var i = 0; i < all.length; ++i) {\n"
        "    var d = all[i];\n"
        "    var s = d.screen >= 0 ? Math.min(d.screen, uris.length - 1) : 0;\n"
        "    var uri = uris[s];\n"
        "    d.wallpaperPlugin = \"org.kde.image\";\n"
        "    d.currentConfigGroup = " +
        ImageGroup +
        ";\n"
        "    d.writeConfig(\"Image\", uri);\n"
        "    d.writeConfig(\"FillMode\", " +
        std::to_string(FillModes[std::size_t(placement.mode)]) + ");\n" + color +
        "}\n"
        "print(all.length);\n";
    ErrorPtr error;
    const std::optional<std::string> printed = evaluate(bus.get(), script, error);
    if (!printed) {
        if (isServiceMissing(error.get()))
            return std::nullopt;
        reportDBusError("the Plasma shell did not set the wallpaper", error.get());
        return false;
    }
    // The shell prints how many desktops it changed.
    return !printed->empty() && *printed != "0";
}

std::optional<bool> setKdeWallpaper(const std::string& path, const Placement& placement) {
    return setKdeWallpapers({path}, placement);
}

// Plasma numbers its screens as the monitors come: screen i shows the
// picture of monitor i.
std::optional<bool> setKdeMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                                            const Placement& placement) {
    std::vector<std::string> paths;
    for (const MonitorPicture& p : pictures)
        paths.push_back(p.file);
    return setKdeWallpapers(paths, placement);
}

// The picture of every desktop that shows one, with its screen, as the
// shell reports them: one line "SCREEN URI" each (URIs carry no line break).
struct KdeImages {
    bool missing = false; // no Plasma shell here
    bool failed = false;  // it did not answer
    std::vector<std::pair<int, std::string>> images;
};

KdeImages readKdeImages() {
    KdeImages result;
    BusPtr bus = openSessionBus();
    if (!bus) {
        result.missing = true;
        return result;
    }
    const std::string script = "var all = desktops();\n"
                               "for (var i = 0; i < all.length; ++i) {\n"
                               "    var d = all[i];\n"
                               "    if (d.wallpaperPlugin !== \"org.kde.image\")\n"
                               "        continue;\n"
                               "    d.currentConfigGroup = " +
                               ImageGroup +
                               ";\n"
                               "    print(d.screen + \" \" + d.readConfig(\"Image\", \"\"));\n"
                               "}\n";
    ErrorPtr error;
    const std::optional<std::string> printed = evaluate(bus.get(), script, error);
    if (!printed) {
        result.missing = isServiceMissing(error.get());
        result.failed = !result.missing;
        if (result.failed)
            reportDBusError("the Plasma shell did not tell the wallpapers", error.get());
        return result;
    }
    for (size_t pos = 0; pos < printed->size();) {
        size_t end = printed->find('\n', pos);
        if (end == std::string::npos)
            end = printed->size();
        const std::string line = printed->substr(pos, end - pos);
        pos = end + 1;
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        int screen = -1;
        try {
            screen = std::stoi(line.substr(0, space));
        } catch (const std::exception&) {
        }
        result.images.emplace_back(screen, setting2Path(line.substr(space + 1)));
    }
    return result;
}

// The first screen's picture: the one the program's monitor view stands for.
std::optional<std::string> kdeWallpaperName() {
    const KdeImages shown = readKdeImages();
    if (shown.missing)
        return std::nullopt;
    if (shown.images.empty())
        return std::string();
    for (const auto& [screen, file] : shown.images)
        if (screen == 0)
            return file;
    return shown.images.front().second;
}

std::optional<std::vector<std::string>> kdeShownWallpapers() {
    const KdeImages shown = readKdeImages();
    // Unknown: none of the pictures may go.
    if (shown.missing || shown.failed)
        return std::nullopt;
    std::vector<std::string> files;
    for (const auto& [screen, file] : shown.images)
        if (!file.empty())
            files.push_back(file);
    return files;
}

constexpr std::string_view Names[] = {"kde"};

} // namespace

const DesktopBackend& kdeBackend() {
    static const DesktopBackend Backend{"kde",
                                        Names,
                                        {},
                                        setKdeWallpaper,
                                        kdeWallpaperName,
                                        true,
                                        setKdeMonitorWallpapers,
                                        false,
                                        nullptr,
                                        kdeShownWallpapers};
    return Backend;
}

} // namespace platform::wallpaper
