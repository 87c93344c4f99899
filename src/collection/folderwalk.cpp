#include "collection/folderwalk.h"

#include "imaging/ascii.h"
#include "imaging/codecs.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

bool HasPictureExt(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string ext = ToLowerAscii(name.substr(dot));
    return std::find(PictureExts.begin(), PictureExts.end(), ext) != PictureExts.end();
}

namespace {

// One folder being walked: its path with the trailing separator, its
// entries, and the next one to look at.
struct Listing {
    std::string prefix;
    std::vector<platform::FolderEntry> entries;
    std::size_t next = 0;
};

} // namespace

void ScanDir(const std::string& dir, bool useSubFolders, std::vector<std::string>& rows,
             const std::function<void()>& afterFolder) {
    if (dir.empty())
        return;
    const char sep = platform::pathSeparator();
    std::set<platform::FileIdentity> entered;
    // Folders being walked, the innermost last: an explicit stack, so that no
    // depth of folders can exhaust the call stack.
    std::vector<Listing> open;

    auto enter = [&](std::string folder) {
        // A folder that cannot be identified cannot be listed either.
        const auto id = platform::fileIdentity(folder);
        if (!id || !entered.insert(*id).second)
            return;
        if (folder.back() != sep)
            folder += sep;
        Listing listing{std::move(folder), {}, 0};
        if (platform::listFolder(listing.prefix, listing.entries))
            open.push_back(std::move(listing));
    };

    enter(dir);
    while (!open.empty()) {
        Listing& top = open.back();
        if (top.next == top.entries.size()) {
            open.pop_back();
            if (afterFolder)
                afterFolder();
            continue;
        }
        const platform::FolderEntry& e = top.entries[top.next++];
        if (e.isFolder) {
            if (useSubFolders)
                enter(top.prefix + e.name); // invalidates `top`
        } else if (HasPictureExt(e.name)) {
            rows.push_back(top.prefix + e.name);
        }
    }
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t slash = path.find_last_of(platform::pathSeparator() == '/' ? "/" : "/\\");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::unordered_set<std::string> RegularFileNames(const std::string& folder) {
    std::unordered_set<std::string> names;
    std::vector<platform::FolderEntry> entries;
    if (platform::listFolder(folder, entries))
        for (auto& e : entries)
            if (e.isRegular)
                names.insert(std::move(e.name));
    return names;
}

namespace {

void removeTree(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryEc;
        // The entry's own type: a link is never looked through.
        if (it->symlink_status(entryEc).type() == fs::file_type::directory)
            removeTree(it->path());
        else
            fs::remove(it->path(), entryEc);
    }
    fs::remove(folder, ec);
}

} // namespace

void RemoveAll(const std::string& path) {
    std::string p = path;
    // A trailing separator would make the system look through a link.
    while (p.size() > 1 && p.back() == platform::pathSeparator())
        p.pop_back();
    if (p.empty())
        return;
    const fs::path root = platform::toFsPath(p);
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(root, ec).type();
    if (ec || type == fs::file_type::not_found)
        return;
    if (type == fs::file_type::directory)
        removeTree(root);
    else
        fs::remove(root, ec);
}
