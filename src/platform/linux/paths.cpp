#include "platform/paths.h"

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

} // namespace platform
