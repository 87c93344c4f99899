#include "collection/datafolder.h"

#include "collection/state.h"
#include "collection/thumbpath.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "storage/atomicfile.h"

#include <filesystem>

namespace fs = std::filesystem;

void setUpDataFolder(ProgramState& state) {
    std::string docs = platform::documentsFolder();
    if (docs.empty()) {
        docs = platform::homeFolder();
        platform::warn("the documents folder cannot be determined; keeping the data in " + docs);
    }
    const char sep = platform::pathSeparator();
    if (docs.empty() || docs.back() != sep)
        docs += sep;
    state.dataFolder = docs + "Quorvane" + sep;
    state.wallpaperFile = state.dataFolder + "Wallpaper.bmp";
    ensureDataFolder(state);
    std::error_code ec;
    fs::create_directory(platform::toFsPath(thumbnailFolder(state.dataFolder)), ec);
}

void ensureDataFolder(const ProgramState& state) {
    std::error_code ec;
    fs::create_directory(platform::toFsPath(state.dataFolder), ec);
}

int removeStaleTemporaries(const std::string& folder, bool recursive, fs::file_time_type before) {
    int removed = 0;
    auto consider = [&](const fs::directory_entry& entry) {
        std::error_code ec;
        // The name first: it needs no look at the disk, and almost nothing
        // in the cache is a temporary. symlink_status: a link is never taken
        // for what it points to.
        if (!isAtomicTemporaryName(entry.path().filename().string()) ||
            !fs::is_regular_file(entry.symlink_status(ec)))
            return;
        const auto changed = entry.last_write_time(ec);
        if (ec || changed >= before)
            return; // this run's own writes are in progress
        if (fs::remove(entry.path(), ec))
            ++removed;
    };
    const fs::path root = platform::toFsPath(folder);
    std::error_code ec;
    if (recursive) {
        // The walk does not enter linked folders (no follow_directory_symlink).
        for (fs::recursive_directory_iterator it(root,
                                                 fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            consider(*it);
    } else {
        for (fs::directory_iterator it(root, ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            consider(*it);
    }
    return removed;
}
