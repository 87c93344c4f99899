#include "ui/uPicManager.h"

TfPicManager::TfPicManager(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quorvane"));
    hide();
}
