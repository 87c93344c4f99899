// The notification-area icon and its menu.
#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    /// Shows the icon (when the desktop has a notification area).
    void show();

    QSystemTrayIcon* icon() const { return m_tray; }
    QMenu* menu() const { return m_popup.get(); }

signals:
    void nextRequested();
    void previousRequested();
    void randomRequested();
    /// The icon was clicked, or "Quorvane" chosen in the menu.
    void showRequested();
    void aboutRequested();
    void exitRequested();

private:
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QMenu> m_popup;
};
