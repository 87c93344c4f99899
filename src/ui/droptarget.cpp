#include "ui/droptarget.h"

#include "ui/pathlist.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

bool takesInput(const QWidget* window) {
    const QWidget* modal = QApplication::activeModalWidget();
    return window->isEnabled() && (!modal || modal == window);
}

} // namespace

DropTarget::DropTarget(QWidget* window) : QObject(window) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

std::vector<std::string> DropTarget::localPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(textToPath(url.toLocalFile()));
    return paths;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        // Only a drag that carries files is taken, and only by a window
        // that takes input (none behind a modal window).
        const auto* window = qobject_cast<QWidget*>(watched);
        if (window && takesInput(window) && !localPaths(drag->mimeData()).empty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::string> paths = localPaths(drop->mimeData());
        const auto* window = qobject_cast<QWidget*>(watched);
        if (paths.empty() || !window || !takesInput(window)) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit pathsDropped(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
