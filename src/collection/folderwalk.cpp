#include "collection/folderwalk.h"

#include "collection/walls.h"
#include "imaging/codecs.h"
#include "platform/paths.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <set>

namespace fs = std::filesystem;

bool hasPictureExt(std::string_view name) {
    return isPictureName(name);
}

namespace {

// A name as it is compared: case folded, one element per code point (bytes
// that are not UTF-8 each count as a replacement character).
std::u32string foldedName(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .toCaseFolded()
        .toStdU32String();
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

int sign(std::ptrdiff_t v) {
    return (v > 0) - (v < 0);
}

// The natural order of two folded names; a difference in leading zeros alone
// decides only when nothing else does.
int compareFolded(std::u32string_view a, std::u32string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    int zeros = 0;
    while (i < a.size() && j < b.size()) {
        if (!isDigit(a[i]) || !isDigit(b[j])) {
            if (a[i] != b[j])
                return a[i] < b[j] ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const std::size_t aRun = i;
        const std::size_t bRun = j;
        while (i < a.size() && a[i] == U'0')
            ++i;
        while (j < b.size() && b[j] == U'0')
            ++j;
        const std::size_t aDigits = i;
        const std::size_t bDigits = j;
        while (i < a.size() && isDigit(a[i]))
            ++i;
        while (j < b.size() && isDigit(b[j]))
            ++j;
        // Without leading zeros the longer run is the larger number, and runs
        // of one length compare digit by digit: no run is too long for this.
        if (i - aDigits != j - bDigits)
            return i - aDigits < j - bDigits ? -1 : 1;
        if (const int c = a.substr(aDigits, i - aDigits).compare(b.substr(bDigits, j - bDigits)))
            return sign(c);
        if (zeros == 0)
            zeros = sign(static_cast<std::ptrdiff_t>(aDigits - aRun) -
                         static_cast<std::ptrdiff_t>(bDigits - bRun));
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return zeros;
}

// The entries of one folder in name order; names are folded once each.
void sortByName(std::vector<platform::FolderEntry>& entries) {
    std::vector<std::u32string> keys;
    keys.reserve(entries.size());
    for (const auto& e : entries)
        keys.push_back(foldedName(e.name));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        if (const int c = compareFolded(keys[x], keys[y]))
            return c < 0;
        return entries[x].name < entries[y].name;
    });
    std::vector<platform::FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t k : order)
        sorted.push_back(std::move(entries[k]));
    entries = std::move(sorted);
}

} // namespace

int compareNames(std::string_view a, std::string_view b) {
    if (const int c = compareFolded(foldedName(a), foldedName(b)))
        return c;
    return sign(a.compare(b));
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

std::size_t scanDir(const std::string& dir, bool useSubFolders, std::vector<std::string>& rows,
                    const std::function<bool(int percent)>& afterFolder) {
    std::size_t unlistable = 0;
    if (dir.empty())
        return unlistable;
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
        if (platform::listFolder(listing.prefix, listing.entries)) {
            sortByName(listing.entries);
            open.push_back(std::move(listing));
        }
    };

    enter(dir);
    while (!open.empty()) {
        Listing& top = open.back();
        if (top.next == top.entries.size()) {
            open.pop_back();
            // The share of the first folder's entries passed: every entry
            // stands for its whole subtree.
            const int percent =
                open.empty()
                    ? 100
                    : static_cast<int>(open.front().next * 100 / open.front().entries.size());
            if (afterFolder && !afterFolder(percent))
                break;
            continue;
        }
        const platform::FolderEntry& e = top.entries[top.next++];
        if (e.isFolder) {
            if (useSubFolders)
                enter(top.prefix + e.name); // invalidates `top`
        } else if (hasPictureExt(e.name)) {
            std::string path = top.prefix + e.name;
            // The listing may not tell a link to a file from one that leads
            // nowhere: then the path is looked at itself. Pipes, sockets and
            // devices are never pictures, whatever their names.
            if (!e.isRegular && !platform::isRegularFile(path))
                continue;
            if (isListablePath(path))
                rows.push_back(std::move(path));
            else
                ++unlistable;
        }
    }
    return unlistable;
}

std::string_view folderOf(std::string_view path) {
    const std::size_t slash = path.find_last_of(platform::pathSeparator() == '/' ? "/" : "/\\");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::unordered_set<std::string> regularFileNames(const std::string& folder) {
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

void removeAll(const std::string& path) {
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
