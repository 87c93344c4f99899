#include "ui/uParam.h"

TfParam::TfParam(QWidget* parent)
    : SkinWindow(QSize(397, 300), "imgInterfaceParam", "imgInterfaceParam", parent) {
    setObjectName(QStringLiteral("fParam"));
    setWindowTitle(QStringLiteral("Параметры"));
    iClose = new SkinButton("iClose", {206, 272, 105, 27}, this, tr("Cancel"));
    connect(iClose, &SkinButton::pressed, this, &SkinWindow::closeWindow);
}
