#include "imaging/uprightthumbs.h"

#include "imaging/codecs.h"
#include "storage/atomicfile.h"

namespace fs = std::filesystem;

namespace {

// The marker's time, the marker written first when it is missing. When it cannot be
// written the present time serves: every older thumbnail is then looked at.
fs::file_time_type uprightSince(const fs::path& thumbnailFolder) {
    const fs::path marker = thumbnailFolder / UprightMarkerName;
    std::error_code ec;
    auto since = fs::last_write_time(marker, ec);
    if (!ec)
        return since;
    try {
        writeFileAtomically(marker, "Thumbnails older than this file were made before "
                                    "pictures were turned upright.\n");
    } catch (const std::exception&) {
        return fs::file_time_type::clock::now();
    }
    since = fs::last_write_time(marker, ec);
    return ec ? fs::file_time_type::clock::now() : since;
}

} // namespace

bool thumbnailPredatesOrientation(const fs::path& thumbnailFolder, const fs::path& thumbnail,
                                  const fs::path& picture) noexcept {
    try {
        const fs::file_time_type since = uprightSince(thumbnailFolder);
        std::error_code ec;
        const auto made = fs::last_write_time(thumbnail, ec);
        if (ec || made >= since)
            return false;
        if (pictureOrientation(picture) != 1)
            return true;
        fs::last_write_time(thumbnail, fs::file_time_type::clock::now(), ec);
        return false;
    } catch (...) {
        return false;
    }
}

bool thumbnailPredatesOrientationReadOnly(const fs::path& thumbnailFolder,
                                          const fs::path& thumbnail,
                                          const fs::path& picture) noexcept {
    try {
        std::error_code ec;
        const auto since = fs::last_write_time(thumbnailFolder / UprightMarkerName, ec);
        if (ec)
            return false;
        const auto made = fs::last_write_time(thumbnail, ec);
        return !ec && made < since && pictureOrientation(picture) != 1;
    } catch (...) {
        return false;
    }
}
