// The wallpaper of sway and the compositors that speak its IPC: swaymsg sets
// the background of every output, filled; sway shows it through a swaybg of
// its own, whose arguments tell the picture back.
#include "platform/linux/wallpaper_backends.h"

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

std::optional<std::string> swayWallpaperName();

// How long sway's new swaybg may take to appear.
constexpr std::chrono::milliseconds SwaybgStartTimeout{2000};

std::optional<bool> setSwayWallpaper(const std::string& path, const Placement& placement) {
    if (!swayUser())
        return std::nullopt;
    const std::optional<std::string> arg = swayPathArgument(path);
    if (!arg) {
        reportFailure("sway cannot be given a path with control characters");
        return false;
    }
    // swaybg has no picture across outputs: Span fills each one.
    const std::string mode(
        placementWord(placement, {"fill", "fit", "stretch", "center", "tile", "fill"}));
    std::vector<std::string> args{"output", "*", "bg", *arg, mode};
    if (placement.mode == PlacementMode::Fit || placement.mode == PlacementMode::Center)
        args.push_back("\"" + backgroundHex(placement) + "\"");
    const ProgramRun run = runProgram("swaymsg", args);
    if (run.status == ProgramRun::Status::Missing)
        return std::nullopt;
    if (run.status != ProgramRun::Status::Done)
        return false;
    // sway answers before its new swaybg runs: the picture counts as taken
    // once a swaybg shows it (the one it replaces is ended by then, so its
    // file may go). One that does not come within the time (swaybg missing or
    // failing to start) took nothing, and its file goes too.
    const auto deadline = std::chrono::steady_clock::now() + SwaybgStartTimeout;
    while (swayWallpaperName() != path) {
        if (std::chrono::steady_clock::now() > deadline) {
            reportFailure("swaybg did not start to show " + path);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> swayWallpaperName() {
    const std::optional<uid_t> user = swayUser();
    if (!user)
        return std::nullopt;
    // sway starts its swaybg detached, so the newest swaybg of sway's user
    // stands for it (the one it replaces may linger a moment), and its
    // arguments name the picture.
    unsigned long long newest = 0;
    std::string picture;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        struct stat owner {};
        if (::stat(it->path().c_str(), &owner) != 0 || owner.st_uid != *user)
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
        unsigned long long started = 0;
        for (int i = 1; i <= 20 && fields >> field; ++i)
            if (i == 20)
                started = std::strtoull(field.c_str(), nullptr, 10);
        if (!picture.empty() && started < newest)
            continue;
        // A process that has ended keeps no arguments.
        const std::string cmdline = readAll(it->path() / "cmdline");
        std::vector<std::string> args;
        for (size_t pos = 0; pos < cmdline.size();) {
            const size_t end = cmdline.find('\0', pos);
            args.push_back(cmdline.substr(pos, end - pos));
            pos = end == std::string::npos ? cmdline.size() : end + 1;
        }
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "-i" || args[i] == "--image") {
                picture = args[i + 1];
                newest = started;
                break;
            }
    }
    return picture;
}

constexpr std::string_view Names[] = {"sway"};

} // namespace

const DesktopBackend& swayBackend() {
    static const DesktopBackend Backend{
        "sway", Names,   "SWAYSOCK", setSwayWallpaper, swayWallpaperName,
        true,   nullptr, false,      nullptr};
    return Backend;
}

} // namespace platform::wallpaper
