#include "collection/gather.h"

#include "collection/folderwalk.h"
#include "collection/walls.h"
#include "platform/paths.h"

#include <filesystem>

namespace fs = std::filesystem;

GatheredPictures gatherPictures(const std::vector<std::string>& paths, bool useSubFolders,
                                const std::function<bool(int percent)>& progress) {
    GatheredPictures found;
    const std::size_t count = paths.size();
    bool stopped = false;
    for (std::size_t i = 0; i < count && !stopped; ++i) {
        const std::string& path = paths[i];
        // Each path given takes an equal share of the bar.
        const auto overall = [&](int percent) {
            return static_cast<int>((i * 100 + static_cast<std::size_t>(percent)) / count);
        };
        std::error_code ec;
        const fs::file_status status = fs::status(platform::toFsPath(path), ec);
        if (!path.empty() && fs::is_directory(status)) {
            found.unlistable += scanDir(path, useSubFolders, found.rows, [&](int percent) {
                if (progress && !progress(overall(percent))) {
                    stopped = true;
                    return false;
                }
                return true;
            });
            continue;
        }
        if (fs::is_regular_file(status) && hasPictureExt(fileNameOf(path))) {
            if (isListablePath(path))
                found.rows.push_back(path);
            else
                ++found.unlistable;
        } else {
            found.skipped.push_back(path);
        }
        if (progress && !progress(overall(100)))
            stopped = true;
    }
    return found;
}

std::string fileNameOf(const std::string& path) {
    const std::string_view folder = folderOf(path);
    return folder.empty() && (path.empty() || path[0] != platform::pathSeparator())
               ? path
               : path.substr(folder.size() + 1);
}
