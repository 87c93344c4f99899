#include "collection/thumbpath.h"

#include "collection/state.h"
#include "platform/paths.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string DelDoublePoint(const std::string& fname) {
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

std::string ThumbnailFileName(const std::string& fname) {
    return DataFolder + "Thumbnail" + platform::pathSeparator() + DelDoublePoint(fname) + ".jpg";
}

std::string FindThumbnailHDD(const std::string& fname) {
    std::string p = ThumbnailFileName(fname);
    std::error_code ec;
    return fs::is_regular_file(platform::toFsPath(p), ec) ? p : std::string();
}
