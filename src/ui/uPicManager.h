#pragma once

#include <QWidget>

/// The PicManager window; created once at start-up and shown modally from the main window.
class TfPicManager : public QWidget {
    Q_OBJECT
public:
    explicit TfPicManager(QWidget* parent = nullptr);
};
