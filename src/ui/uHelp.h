#pragma once

#include <QWidget>

/// The Help window; created once at start-up and shown modally from the main window.
class TfHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfHelp(QWidget* parent = nullptr);
};
