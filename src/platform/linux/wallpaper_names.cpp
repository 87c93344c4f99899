// Fresh names for the wallpaper file, and the file URIs desktops keep.
//
// Most desktops do not reload a picture whose path they already show, and the
// wallpaper file keeps its name at every apply; so such a desktop is given a
// new name for the file each time: a hard link beside it, the previous one
// removed once the desktop has the new one, and any that an earlier run left
// removed at start-up.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::wallpaper {

namespace {

// The smallest number a fresh name carries: its 13 digits tell the program's
// own names from a user's "Wallpaper-2.bmp".
constexpr long long FirstStamp = 1'000'000'000'000;
constexpr std::size_t StampDigits = 13;

// A new name for the same picture beside the wallpaper file: a hard link, or
// a copy where the file system has none. Empty when neither can be made.
fs::path makeFreshName(const fs::path& wallpaper) {
    // The clock in milliseconds, never the same number twice in a run: a name
    // removed a moment ago may still be in a desktop's cache. A clock set
    // before 2001 still gives the full number of digits.
    static long long last = FirstStamp - 1;
    long long stamp = std::max<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::system_clock::now().time_since_epoch())
                                              .count(),
                                          last + 1);
    for (int attempt = 0; attempt < 100; ++attempt, ++stamp) {
        last = stamp;
        fs::path fresh = wallpaper;
        fresh.replace_filename(wallpaper.stem().string() + "-" + std::to_string(stamp) +
                               wallpaper.extension().string());
        if (::link(wallpaper.c_str(), fresh.c_str()) == 0)
            return fresh;
        if (errno == EEXIST)
            continue;
        std::error_code ec;
        if (fs::copy_file(wallpaper, fresh, fs::copy_options::none, ec))
            return fresh;
        if (ec == std::errc::file_exists)
            continue;
        fs::remove(fresh, ec);
        return {};
    }
    return {};
}

fs::path comparable(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p.lexically_normal() : c;
}

// Removes every fresh name of `wallpaper` but `keep` and `shown`: the
// previous one, any left behind by a run that ended early, and the new one
// when the desktop did not take it. Only regular files go: a link or a
// folder of that name is not the program's.
void removeFreshNamesBut(const fs::path& wallpaper, const fs::path& keep, const fs::path& shown) {
    const fs::path keepC = keep.empty() ? fs::path() : comparable(keep);
    const fs::path shownC = shown.empty() ? fs::path() : comparable(shown);
    std::error_code ec;
    fs::directory_iterator it(wallpaper.parent_path(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code kind;
        if (!isFreshName(p.string(), wallpaper.string()) ||
            !fs::is_regular_file(it->symlink_status(kind)))
            continue;
        const fs::path c = comparable(p);
        if (c == keepC || c == shownC)
            continue;
        std::error_code ignored;
        fs::remove(p, ignored);
    }
}

} // namespace

bool isFreshName(const std::string& candidate, const std::string& wallpaperPath) {
    const fs::path wallpaper(wallpaperPath);
    const std::string name = fs::path(candidate).filename().string();
    const std::string stem = wallpaper.stem().string() + "-";
    const std::string ext = wallpaper.extension().string();
    if (name.size() < stem.size() + StampDigits + ext.size() ||
        name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0 || name[stem.size()] == '0')
        return false;
    for (size_t i = stem.size(); i < name.size() - ext.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

void removeLeftoverNames(const DesktopBackend& backend, const std::string& bmpPath) {
    if (!backend.cachesByName || bmpPath.empty())
        return;
    // A desktop that cannot tell what it shows may show any of them.
    const std::optional<std::string> shown = backend.wallpaperName();
    if (!shown)
        return;
    std::error_code ec;
    const fs::path wallpaper = fs::absolute(bmpPath, ec).lexically_normal();
    if (!ec)
        removeFreshNamesBut(wallpaper, fs::path(), fs::path(*shown));
}

std::optional<bool> applyUnderFreshName(const DesktopBackend& backend, const std::string& bmpPath,
                                        const Placement& placement) {
    if (bmpPath.empty())
        return false;
    std::error_code ec;
    const fs::path wallpaper = fs::absolute(bmpPath, ec).lexically_normal();
    if (ec || !fs::is_regular_file(wallpaper, ec))
        return false;

    // Failing a fresh name, the file's own name is better than nothing.
    const fs::path fresh = makeFreshName(wallpaper);
    const std::optional<bool> taken =
        backend.setWallpaper((fresh.empty() ? wallpaper : fresh).string(), placement);
    if (!taken) {
        // Nothing reached a desktop: only the new name goes.
        if (!fresh.empty())
            fs::remove(fresh, ec);
        return taken;
    }
    // The desktop's own answer decides which older name it may still show
    // (a desktop that stores its setting late names the previous one).
    const std::optional<std::string> shown = backend.wallpaperName();
    removeFreshNamesBut(wallpaper, *taken ? fresh : fs::path(),
                        shown ? fs::path(*shown) : fs::path());
    return taken;
}

std::string path2FileUri(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return {};
    GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

std::string fileUri2Path(const std::string& uri) {
    if (uri.empty())
        return {};
    gchar* host = nullptr;
    GCharPtr path(g_filename_from_uri(uri.c_str(), &host, nullptr));
    GCharPtr hostOwner(host);
    if (!path || (host && std::strcmp(host, "localhost") != 0))
        return {};
    return path.get();
}

std::string setting2Path(const std::string& value) {
    if (!value.empty() && value.front() == '/')
        return value;
    return fileUri2Path(value);
}

} // namespace platform::wallpaper
