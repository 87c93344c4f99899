#include "ui/uHelp.h"

TfHelp::TfHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quorvane"));
    hide();
}
