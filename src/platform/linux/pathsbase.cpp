// The path functions that need no toolkit: the command a later start hands to
// the running instance is sent with nothing else loaded.
#include "platform/linux/exepath.h"
#include "platform/paths.h"

#include <sys/stat.h>

#include <string_view>

namespace platform {

std::filesystem::path toFsPath(const std::string& path) {
    return std::filesystem::path(path);
}

std::string fromFsPath(const std::filesystem::path& path) {
    return path.string();
}

std::string executableFromProcLink(const std::string& target) {
    static constexpr std::string_view Deleted = " (deleted)";
    if (target.size() <= Deleted.size() || !target.ends_with(Deleted))
        return target;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        return target; // a file that is really named so
    const std::string plain = target.substr(0, target.size() - Deleted.size());
    if (::stat(plain.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return plain;
    return target;
}

std::string executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : executableFromProcLink(p.string());
}

} // namespace platform
