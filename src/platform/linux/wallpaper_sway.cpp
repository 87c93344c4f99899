// The wallpaper of sway and the compositors that speak its IPC: swaymsg sets
// the background of every output, or of each output its own; sway shows them
// through a swaybg of its own, whose arguments tell the pictures back.
#include "platform/linux/wallpaper_backends.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::wallpaper {

namespace {

// The user that the sway serving SWAYSOCK runs as; nullopt when none serves it.
std::optional<uid_t> swayUser() {
    const char* path = std::getenv("SWAYSOCK");
    if (!path || !*path)
        return std::nullopt;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path)
        return std::nullopt;
    std::strcpy(addr.sun_path, path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    std::optional<uid_t> user;
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.pid > 0)
        user = cred.uid;
    ::close(fd);
    return user;
}

// The path as one argument of a sway command. sway joins the words of the
// background file and expands them as a shell word would be, inside its own
// quoting: so the whole is quoted for sway and every character that either
// could read as syntax is escaped with a backslash. Control characters
// cannot be carried at all.
std::optional<std::string> swayPathArgument(const std::string& path) {
    std::string out = "\"";
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F)
            return std::nullopt;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '_' || c == '-' ||
                           c >= 0x80;
        if (!plain)
            out += '\\';
        out += char(c);
    }
    return out + "\"";
}

// A running swaybg of sway's user.
struct Swaybg {
    int pid = 0;
    unsigned long long started = 0; ///< in clock ticks since boot
    std::vector<std::string> args;
};

// Every swaybg of sway's user, oldest first; nullopt when no sway serves
// SWAYSOCK.
std::optional<std::vector<Swaybg>> runningSwaybgs();

// The arguments of the newest swaybg, which stands for sway's own (sway
// starts it detached, and the one it replaces may linger a moment); empty
// when none runs, nullopt when no sway serves SWAYSOCK.
std::optional<std::vector<std::string>> swaybgArguments() {
    std::optional<std::vector<Swaybg>> all = runningSwaybgs();
    if (!all)
        return std::nullopt;
    return all->empty() ? std::vector<std::string>() : std::move(all->back().args);
}

// The pictures the newest swaybg shows, as (output, picture) pairs in the
// order of its arguments ("*" for every output without its own).
std::optional<std::vector<std::pair<std::string, std::string>>> swaybgPictures() {
    const std::optional<std::vector<std::string>> args = swaybgArguments();
    if (!args)
        return std::nullopt;
    std::vector<std::pair<std::string, std::string>> pictures;
    std::string output = "*";
    for (size_t i = 0; i + 1 < args->size(); ++i) {
        const std::string& a = (*args)[i];
        if (a == "-o" || a == "--output")
            output = (*args)[++i];
        else if (a == "-i" || a == "--image")
            pictures.emplace_back(output, (*args)[++i]);
    }
    return pictures;
}

// An output's name as a word of a sway command: the names sway gives
// (HDMI-A-1, HEADLESS-2) need no escaping; any other is refused.
std::optional<std::string> swayOutputArgument(const std::string& name) {
    if (name.empty() || name.size() > 256)
        return std::nullopt;
    for (unsigned char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.' || c == ':' || c == '*'))
            return std::nullopt;
    return "\"" + name + "\"";
}

// How long sway's new swaybg may take to appear, and the one it replaced
// to end.
constexpr std::chrono::milliseconds SwaybgStartTimeout{2000};
constexpr std::chrono::milliseconds SwaybgEndTimeout{1000};

// Sets each output's background to its picture, every one placed the same,
// in one sway call; the outputs are sway's names, "*" for all of them.
std::optional<bool> setSwayBackgrounds(const std::vector<std::pair<std::string, std::string>>& bgs,
                                       const Placement& placement) {
    const std::optional<std::vector<Swaybg>> before = runningSwaybgs();
    if (!before)
        return std::nullopt;
    // swaybg has no picture across outputs: Span fills each one.
    const std::string mode(
        placementWord(placement, {"fill", "fit", "stretch", "center", "tile", "fill"}));
    std::vector<std::string> args;
    for (const auto& [output, path] : bgs) {
        const std::optional<std::string> name = swayOutputArgument(output);
        const std::optional<std::string> arg = swayPathArgument(path);
        if (!arg) {
            reportFailure("sway cannot be given a path with control characters");
            return false;
        }
        if (!name) {
            reportFailure("sway cannot be given the output " + output);
            return false;
        }
        // The commands of one call go one after another, a ";" between.
        if (!args.empty())
            args.emplace_back(";");
        args.insert(args.end(), {"output", *name, "bg", *arg, mode});
        if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center)
            args.push_back("\"" + backgroundHex(placement) + "\"");
    }
    const ProgramRun run = runProgram("swaymsg", args);
    if (run.status == ProgramRun::Status::Missing)
        return std::nullopt;
    if (run.status != ProgramRun::Status::Done)
        return false;
    // sway answers before its new swaybg runs: the pictures count as taken
    // once a swaybg shows them. One that does not come within the time
    // (swaybg missing or failing to start) took nothing, and its files go
    // too.
    const auto shows = [&bgs] {
        const auto pictures = swaybgPictures();
        return pictures && std::all_of(bgs.begin(), bgs.end(), [&](const auto& bg) {
                   return std::find(pictures->begin(), pictures->end(), bg) != pictures->end();
               });
    };
    auto deadline = std::chrono::steady_clock::now() + SwaybgStartTimeout;
    while (!shows()) {
        if (std::chrono::steady_clock::now() > deadline) {
            reportFailure("swaybg did not start to show " + bgs.front().second);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // sway ends the swaybg it replaced (and any it started on the way, one
    // per command) by closing their connections: the files they show may go
    // once they have ended. Another program's swaybg, running before, is
    // not waited for.
    const auto replacedRuns = [&] {
        const auto now = runningSwaybgs();
        if (!now || now->size() < 2)
            return false;
        return std::any_of(now->begin(), now->end() - 1, [&](const Swaybg& b) {
            const auto old = std::find_if(before->begin(), before->end(),
                                          [&](const Swaybg& o) { return o.pid == b.pid; });
            return old == before->end() || (!before->empty() && old == before->end() - 1);
        });
    };
    deadline = std::chrono::steady_clock::now() + SwaybgEndTimeout;
    while (replacedRuns() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return true;
}

std::optional<bool> setSwayWallpaper(const std::string& path, const Placement& placement) {
    // Every output, and with sway's wildcard each output's own setting too.
    return setSwayBackgrounds({{"*", path}}, placement);
}

std::optional<bool> setSwayMonitorWallpapers(const std::vector<MonitorPicture>& pictures,
                                             const Placement& placement) {
    // The first picture for every output first (one connected later shows
    // it too), then each output its own.
    std::vector<std::pair<std::string, std::string>> bgs{{"*", pictures.front().file}};
    for (const MonitorPicture& p : pictures)
        if (!p.monitor.name.empty() && p.monitor.name != "*")
            bgs.emplace_back(p.monitor.name, p.file);
    return setSwayBackgrounds(bgs, placement);
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::vector<Swaybg>> runningSwaybgs() {
    const std::optional<uid_t> user = swayUser();
    if (!user)
        return std::nullopt;
    std::vector<Swaybg> all;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        struct stat owner {};
        const std::string pid = it->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            ::stat(it->path().c_str(), &owner) != 0 || owner.st_uid != *user)
            continue;
        const std::string stat = readAll(it->path() / "stat");
        const size_t open = stat.find('(');
        const size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open ||
            stat.compare(open + 1, close - open - 1, "swaybg") != 0)
            continue;
        // After the name: the state, ... the start time is the 20th field.
        std::istringstream fields(stat.substr(close + 1));
        std::string field;
        Swaybg b;
        b.pid = std::atoi(pid.c_str());
        for (int i = 1; i <= 20 && fields >> field; ++i)
            if (i == 20)
                b.started = std::strtoull(field.c_str(), nullptr, 10);
        // A process that has ended keeps no arguments.
        const std::string cmdline = readAll(it->path() / "cmdline");
        for (size_t pos = 0; pos < cmdline.size();) {
            const size_t end = cmdline.find('\0', pos);
            b.args.push_back(cmdline.substr(pos, end - pos));
            pos = end == std::string::npos ? cmdline.size() : end + 1;
        }
        if (!b.args.empty())
            all.push_back(std::move(b));
    }
    // Started in the same clock tick: the later process id is the newer.
    std::sort(all.begin(), all.end(), [](const Swaybg& x, const Swaybg& y) {
        return x.started != y.started ? x.started < y.started : x.pid < y.pid;
    });
    return all;
}

// The picture swaybg shows on every output without its own (the first
// monitor's when each has its own), else the first it shows.
std::optional<std::string> swayWallpaperName() {
    const auto pictures = swaybgPictures();
    if (!pictures)
        return std::nullopt;
    if (pictures->empty())
        return std::string();
    const auto all = std::find_if(pictures->begin(), pictures->end(),
                                  [](const auto& p) { return p.first == "*"; });
    return (all != pictures->end() ? *all : pictures->front()).second;
}

std::optional<std::vector<std::string>> swayShownWallpapers() {
    const auto pictures = swaybgPictures();
    if (!pictures)
        return std::nullopt;
    std::vector<std::string> files;
    for (const auto& [output, file] : *pictures)
        files.push_back(file);
    return files;
}

// The active outputs, as sway lists them, with their areas in the layout.
std::optional<std::vector<Monitor>> swayMonitors() {
    if (!swayUser())
        return std::nullopt;
    const ProgramRun run = runProgram("swaymsg", {"-r", "-t", "get_outputs"});
    if (run.status != ProgramRun::Status::Done)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.output), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    // A few dozen outputs at most on any real desk.
    constexpr qsizetype MaxOutputs = 64;
    constexpr int MaxCoordinate = 1 << 20;
    std::vector<Monitor> monitors;
    for (const QJsonValue& v : doc.array()) {
        if (qsizetype(monitors.size()) >= MaxOutputs)
            break;
        const QJsonObject o = v.toObject();
        const QJsonObject rect = o["rect"].toObject();
        const std::string name = o["name"].toString().toStdString();
        const double x = rect["x"].toDouble(), y = rect["y"].toDouble();
        const double w = rect["width"].toDouble(), h = rect["height"].toDouble();
        if (!o["active"].toBool() || name.empty() || w <= 0 || h <= 0 ||
            std::abs(x) > MaxCoordinate || std::abs(y) > MaxCoordinate || w > MaxCoordinate ||
            h > MaxCoordinate)
            continue;
        monitors.push_back({name, {int(x), int(y), int(x + w), int(y + h)}});
    }
    if (monitors.empty())
        return std::nullopt;
    return monitors;
}

constexpr std::string_view Names[] = {"sway"};

} // namespace

const DesktopBackend& swayBackend() {
    static const DesktopBackend Backend{"sway",
                                        Names,
                                        "SWAYSOCK",
                                        setSwayWallpaper,
                                        swayWallpaperName,
                                        true,
                                        setSwayMonitorWallpapers,
                                        false,
                                        swayMonitors,
                                        swayShownWallpapers};
    return Backend;
}

} // namespace platform::wallpaper
