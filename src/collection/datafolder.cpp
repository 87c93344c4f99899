#include "collection/datafolder.h"

#include "collection/state.h"
#include "collection/thumbpath.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <filesystem>

namespace fs = std::filesystem;

void SetUpDataFolder(ProgramState& state) {
    std::string docs = platform::documentsFolder();
    if (docs.empty()) {
        docs = platform::homeFolder();
        platform::Warn("the documents folder cannot be determined; keeping the data in " + docs);
    }
    const char sep = platform::pathSeparator();
    if (docs.empty() || docs.back() != sep)
        docs += sep;
    state.DataFolder = docs + "Quorvane" + sep;
    state.WallpaperFile = state.DataFolder + "Wallpaper.bmp";
    EnsureDataFolder(state);
    std::error_code ec;
    fs::create_directory(platform::toFsPath(ThumbnailFolder(state.DataFolder)), ec);
}

void EnsureDataFolder(const ProgramState& state) {
    std::error_code ec;
    fs::create_directory(platform::toFsPath(state.DataFolder), ec);
}
