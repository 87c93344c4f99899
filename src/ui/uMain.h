// The main window: the collection view, its commands, the notification-area
// icon and the close protocol.
#pragma once

#include "collection/scheduler.h"
#include "collection/timer.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QWheelEvent;
struct StripLabels;

class TfMain : public QWidget {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    /// Shows the window and brings it to the front (the tray icon's click).
    void TrayClick();
    /// Hides the window to the notification area.
    void iMinimizeClick();
    /// The exit request: asks for confirmation, then closes.
    void iCloseClick();
    /// A close that asks nothing (system shutdown, signals): the deferred close.
    void SystemClose();
    /// The 200 ms poll that issues the final close once no worker runs.
    void TimerCloseTimer();

    /// Tray menu: next, previous and random wallpaper, each applied.
    void N1Click();
    void N2Click();
    void N3Click();

    /// The three information labels for CurrentWall.
    void InfoWall();
    /// The empty-collection view: labels, strip, desktop wallpaper.
    void ClearInfo();
    /// The mouse wheel while this window is active: one entry per wheel
    /// event, towards the user the next, away the previous.
    void AppMessage(const QWheelEvent& event);
    /// The counters and toggles of the automatic change.
    void ShowScheduler();

    QLabel* lbNum = nullptr;
    QLabel* lbFile = nullptr;
    QLabel* lbDir = nullptr;
    /// The preview strip, 800 x 180 at (0, 119): paints the strip buffer 1:1.
    QWidget* pb = nullptr;
    QLineEdit* edtInput = nullptr;
    QLabel* lbHour = nullptr;
    QLabel* lbMin = nullptr;
    QPushButton* iClose = nullptr;
    QPushButton* iMinimize = nullptr;
    QPushButton* iBegin = nullptr;
    QPushButton* iBack = nullptr;
    QPushButton* iRandom = nullptr;
    QPushButton* iNext = nullptr;
    QPushButton* iEnd = nullptr;
    QPushButton* iApply = nullptr;
    QPushButton* iDecHour = nullptr;
    QPushButton* iIncHour = nullptr;
    QPushButton* iDecMin = nullptr;
    QPushButton* iIncMin = nullptr;
    QPushButton* iAutomaticallyChange = nullptr;
    QPushButton* iRandomSelect = nullptr;
    QSystemTrayIcon* Tray = nullptr;
    QMenu* TrayPopup = nullptr;

    ProgramTimer TimerClose{200};
    SchedulerTimers Timers;

signals:
    /// The final close went through: the program ends now.
    void finallyClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// FormCloseQuery: every close request comes through here.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createControls();
    void createTray();
    void setUpDataFolder();
    void startupChange();
    void saveSettings();
    void installUiHooks();
    void showLabels(const StripLabels& labels);
    QPushButton* commandButton(const QString& text, int x, int y, int w, int h);
};

/// The one main window (null before it is created and after it is destroyed).
extern TfMain* fMain;
