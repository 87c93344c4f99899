// Takes files and folders dropped on a window (from a file manager): the
// window accepts a drag that carries local files, and the drop hands their
// paths on. Installed on a window from outside, so that the window's own
// code needs no part in it.
#pragma once

#include <QObject>

#include <string>
#include <vector>

class QMimeData;
class QWidget;

class DropTarget : public QObject {
    Q_OBJECT
public:
    /// Makes `window` take drops; the target belongs to the window.
    explicit DropTarget(QWidget* window);

    /// The local paths that `data` carries, in order (links to other places
    /// than files are left out).
    static std::vector<std::string> localPaths(const QMimeData* data);

signals:
    /// Files or folders were dropped on the window.
    void pathsDropped(const std::vector<std::string>& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
