#include "ui/notices.h"

#include "collection/gather.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Notices", text);
}

} // namespace

QString firstNames(const std::vector<std::string>& paths) {
    QStringList names;
    for (std::size_t i = 0; i < paths.size() && i < NoticeNames; ++i)
        names << QString::fromStdString(fileNameOf(paths[i]));
    QString text = names.join(QStringLiteral(", "));
    if (paths.size() > NoticeNames)
        text +=
            QCoreApplication::translate("Notices", " and %L1 more").arg(paths.size() - NoticeNames);
    return text;
}

namespace {

// One text for one thing, another for several; the names go in last, so
// that nothing in them is taken for a place marker.
QString counted(std::size_t count, const char* one, const char* several,
                const std::vector<std::string>& paths) {
    const QString text = count == 1 ? tr(one) : tr(several).arg(count);
    return text.arg(firstNames(paths));
}

} // namespace

QString skippedNotice(const std::vector<std::string>& skipped) {
    return counted(
        skipped.size(),
        QT_TRANSLATE_NOOP(
            "Notices",
            "1 item was not added because it is neither a picture (JPEG, PNG, BMP) nor a "
            "folder: %1."),
        QT_TRANSLATE_NOOP(
            "Notices",
            "%L1 items were not added because they are neither pictures (JPEG, PNG, BMP) "
            "nor folders: %2."),
        skipped);
}

QString unreadableNotice(const std::vector<std::string>& removed) {
    return counted(
        removed.size(),
        QT_TRANSLATE_NOOP("Notices",
                          "1 picture left the collection because it cannot be read: %1."),
        QT_TRANSLATE_NOOP("Notices",
                          "%L1 pictures left the collection because they cannot be read: %2."),
        removed);
}

QString applyFailedNotice(const std::vector<std::string>& failed) {
    return counted(
        failed.size(),
        QT_TRANSLATE_NOOP("Notices", "The wallpaper could not be set from this picture: %1."),
        QT_TRANSLATE_NOOP("Notices", "The wallpaper could not be set from %L1 pictures: %2."),
        failed);
}

QString unlistableNotice(std::size_t count) {
    // The list file holds one path per line: such a name would come back as
    // two paths naming other files.
    return count == 1
               ? QCoreApplication::translate(
                     "Notices",
                     "One picture was not added because its file name contains a line break.")
               : QCoreApplication::translate("Notices", "%L1 pictures were not added because their "
                                                        "file names contain line breaks.")
                     .arg(count);
}
