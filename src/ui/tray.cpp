#include "ui/tray.h"

#include "ui/appicon.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    m_tray = new QSystemTrayIcon(appIcon(), this);
    m_tray->setToolTip(QStringLiteral("Quorvane"));
    m_popup = std::make_unique<QMenu>();
    m_popup->addAction(tr("Next Wallpaper"), this, &TrayIcon::nextRequested);
    m_popup->addAction(tr("Prev Wallpaper"), this, &TrayIcon::previousRequested);
    m_popup->addAction(tr("Random Wallpaper"), this, &TrayIcon::randomRequested);
    m_popup->addSeparator();
    QAction* show = m_popup->addAction(QStringLiteral("Quorvane"), this, &TrayIcon::showRequested);
    m_popup->setDefaultAction(show);
    m_popup->addAction(tr("About"), this, &TrayIcon::aboutRequested);
    m_popup->addSeparator();
    m_popup->addAction(tr("Exit"), this, &TrayIcon::exitRequested);
    m_tray->setContextMenu(m_popup.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick)
            emit showRequested();
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show() {
    m_tray->show();
}
