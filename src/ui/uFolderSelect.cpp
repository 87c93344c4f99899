#include "ui/uFolderSelect.h"

TfFolderSelect::TfFolderSelect(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quorvane"));
    hide();
}
