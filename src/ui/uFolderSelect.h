#pragma once

#include <QWidget>

/// The FolderSelect window; created once at start-up and shown modally from the main window.
class TfFolderSelect : public QWidget {
    Q_OBJECT
public:
    explicit TfFolderSelect(QWidget* parent = nullptr);
};
