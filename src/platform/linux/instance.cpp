#include "platform/instance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

// The lock file lives in the per-user runtime folder and is named after the
// title and the display, so each desktop of a user has its own instance.
QString lockFilePath(const std::string& title) {
    QString dir = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QString display = QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY"));
    if (display.isEmpty())
        display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString user = QString::number(getuid());
    return dir + QLatin1Char('/') + QString::fromUtf8(title) + QLatin1Char('-') + user +
           QLatin1Char('-') + display + QStringLiteral(".lock");
}

} // namespace

bool acquireInstanceLock(const std::string& title) {
    const QByteArray path = QFile::encodeName(lockFilePath(title));
    // The descriptor stays open for the life of the process; the kernel
    // releases the lock when the process ends, however it ends.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return !taken;
}

} // namespace platform
