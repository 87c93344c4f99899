#include "ui/uParam.h"

TfParam::TfParam(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quorvane"));
    hide();
}
