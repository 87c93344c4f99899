#include "ui/uHelp.h"

#include <QDesktopServices>

TfHelp::TfHelp(QWidget* parent)
    : SkinWindow(QSize(397, 174), "imgInterfaceHelp", "imgInterfaceHelp", parent) {
    setObjectName(QStringLiteral("fHelp"));
    setWindowTitle(QStringLiteral("Quorvane"));
    iClose = new SkinButton("iClose", {146, 144, 103, 30}, this, tr("Close"));
    iUpdate = new SkinButton("iUpdate", {9, 98, 72, 16}, this, tr("Check for an update"));
    connect(iClose, &SkinButton::clicked, this, &SkinWindow::closeWindow);
    connect(iUpdate, &SkinButton::clicked, this, &TfHelp::openHomePage);
}

QUrl TfHelp::homePage() {
    return QUrl(QStringLiteral(QUORVANE_HOMEPAGE));
}

void TfHelp::openHomePage() {
    QDesktopServices::openUrl(homePage());
}
