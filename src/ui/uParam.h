#pragma once

#include <QWidget>

/// The Param window; created once at start-up and shown modally from the main window.
class TfParam : public QWidget {
    Q_OBJECT
public:
    explicit TfParam(QWidget* parent = nullptr);
};
