#include "platform/paths.h"

#include "platform/linux/exepath.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

namespace platform {

char pathSeparator() {
    return '/';
}

std::string documentsFolder() {
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty()) {
        const QString home = QDir::homePath();
        if (home.isEmpty())
            return {};
        docs = home + QStringLiteral("/Documents");
    }
    QDir().mkpath(docs);
    if (!QFileInfo(docs).isDir())
        return {};
    std::string result = QFile::encodeName(QDir::cleanPath(docs)).toStdString();
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

std::string homeFolder() {
    std::string home = QFile::encodeName(QDir::homePath()).toStdString();
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

std::filesystem::path toFsPath(const std::string& path) {
    return std::filesystem::path(path);
}

std::string fromFsPath(const std::filesystem::path& path) {
    return path.string();
}

std::string thumbnailRelativeName(const std::string& picturePath) {
    std::size_t start = 0;
    while (start < picturePath.size() && picturePath[start] == '/')
        ++start;
    return picturePath.substr(start);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

bool listFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        bool isFolder = e->d_type == DT_DIR;
        bool isRegular = e->d_type == DT_REG;
        // The listing tells most types at once; a link, or a file system
        // that does not say, needs a look at what the name leads to.
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            const bool found = ::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0;
            isFolder = found && S_ISDIR(st.st_mode);
            isRegular = found && S_ISREG(st.st_mode);
        }
        entries.push_back({e->d_name, isFolder, isRegular});
    }
    ::closedir(dir);
    return true;
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
