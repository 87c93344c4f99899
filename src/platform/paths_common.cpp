#include "platform/paths.h"

namespace platform {

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(toFsPath(path), ec);
}

} // namespace platform
