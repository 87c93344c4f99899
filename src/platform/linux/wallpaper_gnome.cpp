// The wallpaper of GNOME-family desktops: org.gnome.desktop.background through
// GSettings. Only the picture is set; the user's placement (picture-options)
// stays as it is.
#include "platform/linux/wallpaper_backends.h"

#include <gio/gio.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace platform::wallpaper {

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";
constexpr const char* kPictureUri = "picture-uri";
constexpr const char* kPictureUriDark = "picture-uri-dark";

struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
struct GFree {
    void operator()(gpointer p) const { g_free(p); }
};
using SettingsPtr = std::unique_ptr<GSettings, GObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;

bool isStringKey(GSettingsSchema* schema, const char* key) {
    if (!g_settings_schema_has_key(schema, key))
        return false;
    GSettingsSchemaKey* k = g_settings_schema_get_key(schema, key);
    const bool ok =
        g_variant_type_equal(g_settings_schema_key_get_value_type(k), G_VARIANT_TYPE_STRING);
    g_settings_schema_key_unref(k);
    return ok;
}

// GSettings aborts the process when asked for a schema or a key that is not
// installed, so both are looked up first. Older GNOME has no dark variant.
struct BackgroundSettings {
    SettingsPtr settings;
    bool hasDark = false;
};

std::optional<BackgroundSettings> openBackgroundSettings() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return std::nullopt;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kSchema, TRUE);
    if (!schema)
        return std::nullopt;
    std::optional<BackgroundSettings> result;
    if (isStringKey(schema, kPictureUri)) {
        result.emplace();
        result->hasDark = isStringKey(schema, kPictureUriDark);
        result->settings.reset(g_settings_new_full(schema, nullptr, nullptr));
    }
    g_settings_schema_unref(schema);
    if (result && !result->settings)
        return std::nullopt;
    return result;
}

// The fresh names are the wallpaper file's name with "-<number>" before the
// extension: Wallpaper.bmp gives Wallpaper-1765270000123.bmp.
bool isFreshName(const fs::path& candidate, const fs::path& wallpaper) {
    const std::string name = candidate.filename().string();
    const std::string stem = wallpaper.stem().string() + "-";
    const std::string ext = wallpaper.extension().string();
    if (name.size() <= stem.size() + ext.size() || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    for (size_t i = stem.size(); i < name.size() - ext.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

// A new name for the same picture beside the wallpaper file: a hard link, or
// a copy where the file system has none. Empty when neither can be made.
fs::path makeFreshName(const fs::path& wallpaper) {
    auto stamp = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
    for (int attempt = 0; attempt < 100; ++attempt, ++stamp) {
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

// Every fresh name that neither key names any more goes, once the keys have
// been written: the previous one, any left behind by a run that ended early,
// and the new one when the desktop could not be given it.
void removeUnusedNames(const fs::path& wallpaper, GSettings* s, bool hasDark) {
    std::vector<fs::path> used;
    for (const char* key : {kPictureUri, kPictureUriDark}) {
        if (key == kPictureUriDark && !hasDark)
            continue;
        GCharPtr uri(g_settings_get_string(s, key));
        if (uri)
            used.push_back(fs::path(FileUri2Path(uri.get())).lexically_normal());
    }
    std::error_code ec;
    fs::directory_iterator it(wallpaper.parent_path(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        if (isFreshName(p, wallpaper) &&
            std::find(used.begin(), used.end(), p.lexically_normal()) == used.end()) {
            std::error_code ignored;
            fs::remove(p, ignored);
        }
    }
}

} // namespace

std::string Path2FileUri(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return {};
    GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

std::string FileUri2Path(const std::string& uri) {
    if (uri.empty())
        return {};
    gchar* host = nullptr;
    GCharPtr path(g_filename_from_uri(uri.c_str(), &host, nullptr));
    GCharPtr hostOwner(host);
    if (!path || (host && std::strcmp(host, "localhost") != 0))
        return {};
    return path.get();
}

std::optional<bool> gnomeSetWallpaper(const std::string& bmpPath) {
    std::optional<BackgroundSettings> bg = openBackgroundSettings();
    if (!bg)
        return std::nullopt;

    std::error_code ec;
    const fs::path wallpaper = fs::absolute(bmpPath, ec).lexically_normal();
    if (ec || !fs::is_regular_file(wallpaper, ec))
        return false;

    // GNOME does not reload a picture whose name it already shows, and the
    // wallpaper file keeps its name at every apply; so the desktop is given a
    // new name for it each time. Failing that, the file's own name is better
    // than nothing.
    const fs::path fresh = makeFreshName(wallpaper);
    const fs::path shown = fresh.empty() ? wallpaper : fresh;
    const std::string uri = Path2FileUri(shown.string());

    GSettings* s = bg->settings.get();
    bool written = !uri.empty() && g_settings_set_string(s, kPictureUri, uri.c_str());
    if (!uri.empty() && bg->hasDark)
        written = g_settings_set_string(s, kPictureUriDark, uri.c_str()) || written;
    // The keys must have reached the settings store before the old picture
    // goes, or the desktop could be left pointing at a removed file.
    g_settings_sync();
    removeUnusedNames(wallpaper, s, bg->hasDark);
    return written;
}

std::optional<std::string> gnomeWallpaperName() {
    std::optional<BackgroundSettings> bg = openBackgroundSettings();
    if (!bg)
        return std::nullopt;
    GCharPtr uri(g_settings_get_string(bg->settings.get(), kPictureUri));
    return FileUri2Path(uri ? uri.get() : "");
}

} // namespace platform::wallpaper
