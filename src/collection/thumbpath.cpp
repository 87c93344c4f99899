#include "collection/thumbpath.h"

#include "platform/paths.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string thumbnailRelativePath(const std::string& fname) {
    std::error_code ec;
    fs::path p = platform::toFsPath(fname);
    fs::path abs = fs::absolute(p, ec);
    if (ec)
        abs = p;
    std::string rel = platform::thumbnailRelativeName(platform::fromFsPath(abs.lexically_normal()));
    // A name that still climbs out (only possible for odd relative input)
    // keeps its dots out of the folder structure.
    if (rel.starts_with(".."))
        rel.insert(rel.begin(), '_');
    return rel;
}

std::string thumbnailFolder(const std::string& dataFolder) {
    return dataFolder + "Thumbnail" + platform::pathSeparator();
}

std::string thumbnailFileName(const std::string& dataFolder, const std::string& fname) {
    return thumbnailFolder(dataFolder) + thumbnailRelativePath(fname) + ".jpg";
}

std::string findThumbnailOnDisk(const std::string& dataFolder, const std::string& fname) {
    std::string p = thumbnailFileName(dataFolder, fname);
    return platform::isRegularFile(p) ? p : std::string();
}
