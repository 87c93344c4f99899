#include "app/apptitle.h"

#include <QFileInfo>
#include <QString>

namespace {
QString fileNameOf(const std::string& path) {
    return QFileInfo(QString::fromUtf8(path)).fileName();
}
} // namespace

std::string titleFromExecutable(const std::string& path) {
    QString name = fileNameOf(path);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return {};
    return (name.left(1) + name.mid(1).toLower()).toStdString();
}

std::string runValueNameFromExecutable(const std::string& path) {
    return QFileInfo(QString::fromUtf8(path)).completeBaseName().toStdString();
}
