// Fresh names for the wallpaper files, and the file URIs desktops keep.
//
// Most desktops do not reload a picture whose path they already show, and the
// wallpaper file (like each monitor's file and the composed picture) keeps
// its name at every apply; so such a desktop is given a new name for each
// file each time: a hard link beside it, the previous one removed once the
// desktop has the new one, and any that an earlier run left removed at
// start-up.
#include "platform/linux/wallpaper_backends.h"
#include "platform/linux/wallpaper_gio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
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

// The digits of a monitor's number in its file's name, at most: up to
// Wallpaper-999.bmp.
constexpr int MaxMonitorDigits = 3;

// Whether `name` is a fresh name of the file `<stem>-<n><ext>` for a monitor
// number n (2 to 999): Wallpaper-2-1765270000123.bmp for Wallpaper.bmp.
bool isMonitorFileFreshName(const std::string& name, const fs::path& wallpaper) {
    const std::string stem = wallpaper.stem().string() + "-";
    if (name.compare(0, stem.size(), stem) != 0)
        return false;
    const size_t digits = name.find('-', stem.size());
    if (digits == std::string::npos || digits == stem.size() ||
        digits - stem.size() > size_t(MaxMonitorDigits) || name[stem.size()] == '0')
        return false;
    const std::string number = name.substr(stem.size(), digits - stem.size());
    if (number.find_first_not_of("0123456789") != std::string::npos || number == "1")
        return false;
    return isFreshName(name, stem + number + wallpaper.extension().string());
}

// Removes every file in the folders of `files` that `owned` takes for one of
// the program's fresh names, but those in `keep`: the previous ones, any
// left behind by a run that ended early, and the new ones when the desktop
// did not take them. Only regular files go: a link or a folder of such a name is not the
// program's.
void removeFreshNamesBut(const std::vector<fs::path>& files,
                         const std::function<bool(const fs::path&)>& owned,
                         const std::vector<fs::path>& keep) {
    std::set<fs::path> kept;
    for (const fs::path& k : keep)
        if (!k.empty())
            kept.insert(comparable(k));
    std::set<fs::path> folders;
    for (const fs::path& f : files)
        folders.insert(f.parent_path());
    for (const fs::path& folder : folders) {
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const fs::path& p = it->path();
            std::error_code kind;
            if (!owned(p) || !fs::is_regular_file(it->symlink_status(kind)) ||
                kept.count(comparable(p)))
                continue;
            std::error_code ignored;
            fs::remove(p, ignored);
        }
    }
}

fs::path absolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec).lexically_normal();
    return ec ? fs::path() : p;
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

bool isFreshNameOfFamily(const std::string& candidate, const std::string& wallpaperPath) {
    const fs::path wallpaper(wallpaperPath);
    const fs::path composed =
        wallpaper.parent_path() / (std::string(ComposedName) + wallpaper.extension().string());
    const std::string name = fs::path(candidate).filename().string();
    return isFreshName(name, wallpaperPath) || isFreshName(name, composed.string()) ||
           isMonitorFileFreshName(name, wallpaper);
}

std::optional<std::vector<std::string>> shownWallpaperFiles(const DesktopBackend& backend) {
    if (backend.shownWallpapers)
        return backend.shownWallpapers();
    std::optional<std::string> name = backend.wallpaperName();
    if (!name)
        return std::nullopt;
    return std::vector<std::string>{std::move(*name)};
}

void removeLeftoverNames(const DesktopBackend& backend, const std::string& bmpPath) {
    if (!backend.cachesByName || bmpPath.empty())
        return;
    const fs::path wallpaper = absolutePath(bmpPath);
    if (wallpaper.empty())
        return;
    // A desktop that cannot tell what it shows may show any of them.
    const std::optional<std::vector<std::string>> shown = shownWallpaperFiles(backend);
    if (!shown)
        return;
    removeFreshNamesBut(
        {wallpaper},
        [&](const fs::path& p) { return isFreshNameOfFamily(p.string(), wallpaper.string()); },
        std::vector<fs::path>(shown->begin(), shown->end()));
}

std::optional<bool> applyUnderFreshNames(
    const DesktopBackend& backend, const std::vector<std::string>& files,
    const std::function<std::optional<bool>(const std::vector<std::string>&)>& apply,
    const std::string& wallpaperPath) {
    if (files.empty())
        return false;
    std::vector<fs::path> originals;
    for (const std::string& f : files) {
        std::error_code ec;
        originals.push_back(absolutePath(f));
        if (originals.back().empty() || !fs::is_regular_file(originals.back(), ec))
            return false;
    }
    const fs::path wallpaper =
        wallpaperPath.empty() ? originals.front() : absolutePath(wallpaperPath);

    // One new name per file, however many monitors show it; failing a fresh
    // name, the file's own name is better than nothing.
    std::map<fs::path, fs::path> fresh;
    std::vector<std::string> handed;
    std::vector<fs::path> made;
    for (const fs::path& original : originals) {
        auto [it, added] = fresh.try_emplace(original);
        if (added) {
            it->second = makeFreshName(original);
            if (!it->second.empty())
                made.push_back(it->second);
        }
        handed.push_back((it->second.empty() ? original : it->second).string());
    }
    const std::optional<bool> taken = apply(handed);
    if (!taken) {
        // Nothing reached a desktop: only the new names go.
        for (const fs::path& p : made) {
            std::error_code ec;
            fs::remove(p, ec);
        }
        return taken;
    }
    // The desktop's own answer decides which older names it may still show
    // (a desktop that stores its setting late names the previous ones).
    std::vector<fs::path> keep;
    if (*taken)
        keep = made;
    if (const std::optional<std::vector<std::string>> shown = shownWallpaperFiles(backend))
        keep.insert(keep.end(), shown->begin(), shown->end());
    std::vector<fs::path> folders = originals;
    folders.push_back(wallpaper);
    removeFreshNamesBut(
        folders,
        [&](const fs::path& p) {
            if (!wallpaper.empty() && p.parent_path() == wallpaper.parent_path() &&
                isFreshNameOfFamily(p.string(), wallpaper.string()))
                return true;
            return std::any_of(originals.begin(), originals.end(), [&](const fs::path& o) {
                return o.parent_path() == p.parent_path() && isFreshName(p.string(), o.string());
            });
        },
        keep);
    return taken;
}

std::optional<bool> applyUnderFreshName(const DesktopBackend& backend, const std::string& bmpPath,
                                        const Placement& placement) {
    return applyUnderFreshNames(
        backend, {bmpPath},
        [&](const std::vector<std::string>& names) {
            return backend.setWallpaper(names.front(), placement);
        },
        bmpPath);
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
