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

// One folder being listed: its path with the trailing separator, and where
// the listing stands.
struct Listing {
    std::string prefix;
    fs::directory_iterator next;
};

} // namespace

void ScanDir(const std::string& dir, bool useSubFolders, std::vector<std::string>& rows,
             const std::function<void()>& afterFolder) {
    if (dir.empty())
        return;
    const char sep = platform::pathSeparator();
    std::set<platform::FileIdentity> entered;
    // Folders being listed, the innermost last: an explicit stack, so that no
    // depth of folders can exhaust the call stack.
    std::vector<Listing> open;

    auto enter = [&](std::string folder) {
        // A folder that cannot be identified cannot be listed either.
        const auto id = platform::fileIdentity(folder);
        if (!id || !entered.insert(*id).second)
            return;
        if (folder.back() != sep)
            folder += sep;
        std::error_code ec;
        fs::directory_iterator it(platform::toFsPath(folder), ec);
        if (ec)
            return;
        open.push_back({std::move(folder), std::move(it)});
    };

    enter(dir);
    while (!open.empty()) {
        Listing& top = open.back();
        if (top.next == fs::directory_iterator()) {
            open.pop_back();
            if (afterFolder)
                afterFolder();
            continue;
        }
        std::error_code ec;
        // A link counts as what it points to: a link to a folder is a folder.
        const bool isFolder = top.next->is_directory(ec);
        std::string path = top.prefix + platform::fromFsPath(top.next->path().filename());
        top.next.increment(ec);
        if (ec)
            top.next = fs::directory_iterator();
        if (isFolder) {
            if (useSubFolders)
                enter(std::move(path)); // invalidates `top`
        } else if (HasPictureExt(std::string_view(path).substr(path.rfind(sep) + 1))) {
            rows.push_back(std::move(path));
        }
    }
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
