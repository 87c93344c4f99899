// The main window: the collection view with its labels and strip, the
// navigation buttons, the automatic-change controls and the keyboard.
#pragma once

#include <QWidget>

class ChangeScheduler;
class Collection;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWheelEvent;
class Strip;
class StripView;
struct ProgramState;
struct StripLabels;

class TfMain : public QWidget {
    Q_OBJECT
public:
    TfMain(ProgramState& state, Collection& collection, ChangeScheduler& scheduler, Strip& strip,
           QWidget* parent = nullptr);
    ~TfMain() override;

    /// Shows the window and brings it to the front (the tray icon's click).
    void TrayClick();
    /// Hides the window to the notification area (minimises it where there
    /// is none, so it stays reachable).
    void hideToTray();
    /// The exit request: asks for confirmation, then closes.
    void requestExit();

    /// The labels and the strip for CurrentWall.
    void showCurrent();
    /// The empty-collection view: labels, strip, desktop wallpaper.
    void ClearInfo();
    /// The counters and toggles of the automatic change.
    void ShowScheduler();

    /// The mouse wheel while this window is active: one entry per wheel
    /// event, towards the user the next, away the previous.
    void onWheel(const QWheelEvent& event);

signals:
    /// Every close request of the window, whatever its source; the receiver
    /// accepts or ignores the event.
    void closeQuery(QCloseEvent* event);
    void aboutRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void showLabels(const StripLabels& labels);
    void onKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers);
    bool onButtonPressed(QObject* button, Qt::MouseButton mouseButton);
    void deleteCurrent(bool withFile);
    QPushButton* commandButton(const char* name, const QString& text, int x, int y, int w, int h);

    ProgramState& m_state;
    Collection& m_collection;
    ChangeScheduler& m_scheduler;
    Strip& m_strip;

    // The controls carry the names of the window's layout, which are also
    // their object names.
    QLabel* lbNum = nullptr;
    QLabel* lbFile = nullptr;
    QLabel* lbDir = nullptr;
    StripView* pb = nullptr;
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
};
