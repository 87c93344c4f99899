// Start at logon on Linux: a freedesktop autostart entry
// $XDG_CONFIG_HOME/autostart/<name>.desktop.
#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

QString entryPath(const std::string& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QString::fromUtf8(name) + QStringLiteral(".desktop");
}

// The Exec key takes the program quoted. Inside the quotes the Desktop Entry
// rules escape ", `, $ and \ with a backslash; then the value as a whole is
// a string value, whose own escaping doubles every backslash once more. So a
// backslash of the path becomes four, and the escaping backslash of the other
// three becomes two. A percent sign is doubled (field codes).
QByteArray quotedExec(const std::string& exePath) {
    QByteArray quoted = "\"";
    for (char c : exePath) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

} // namespace

bool autostartEnabled(const std::string& name) {
    const QFileInfo fi(entryPath(name));
    return fi.isFile() && fi.size() > 0;
}

void setAutostart(const std::string& name, const std::string& exePath, bool on) {
    const QString path = entryPath(name);
    if (!on) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            throw StoreError("Cannot remove " + path.toStdString());
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw StoreError("Cannot write " + path.toStdString() + ": " +
                         f.errorString().toStdString());
    QByteArray text = "[Desktop Entry]\nType=Application\nName=" + QByteArray(name.c_str()) +
                      "\nExec=" + quotedExec(exePath) + "\nX-GNOME-Autostart-enabled=true\n";
    f.write(text);
    if (!f.commit())
        throw StoreError("Cannot write " + path.toStdString() + ": " +
                         f.errorString().toStdString());
}

} // namespace platform
