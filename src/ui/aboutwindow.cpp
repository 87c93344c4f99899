#include "ui/aboutwindow.h"

#include <QDesktopServices>

AboutWindow::AboutWindow(QWidget* parent)
    : SkinWindow(QSize(397, 174), "imgInterfaceHelp", "imgInterfaceHelp", parent) {
    setObjectName(QStringLiteral("fHelp"));
    setWindowTitle(QStringLiteral("Quorvane"));
    m_iClose = new SkinButton("iClose", {146, 144, 103, 30}, this, tr("Close"));
    m_iUpdate = new SkinButton("iUpdate", {9, 98, 72, 16}, this, tr("Check for an update"));
    m_iClose->describe(tr("Close"), tr("Closes the About window."));
    m_iUpdate->describe(tr("Check for an update"),
                        tr("Opens the program's web page in the web browser."));
    connect(m_iClose, &SkinButton::clicked, this, &SkinWindow::closeWindow);
    connect(m_iUpdate, &SkinButton::clicked, this, &AboutWindow::openHomePage);
}

QUrl AboutWindow::homePage() {
    return QUrl(QStringLiteral(QUORVANE_HOMEPAGE));
}

void AboutWindow::openHomePage() {
    QDesktopServices::openUrl(homePage());
}
