// The main window: the collection view with its labels and strip, the
// navigation buttons, the automatic-change controls, the manager button and
// the keyboard.
#pragma once

#include "collection/timer.h"
#include "ui/skin.h"

class ChangeScheduler;
class Collection;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QWheelEvent;
class Strip;
class StripView;
struct ProgramState;
struct StripLabels;

class TfMain : public SkinWindow {
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
    /// The exit request: asks for confirmation, then closes. Asks nothing
    /// while a close is under way or the question is already open.
    void requestExit();

    /// The labels and the strip for CurrentWall.
    void showCurrent();
    /// The empty-collection view: labels, strip, desktop wallpaper, and the
    /// manager button's blink.
    void ClearInfo();
    /// The counters and switches of the automatic change.
    void ShowScheduler();

    /// The manager button's blink (every 400 ms while the collection is
    /// empty, until the button is clicked).
    void startManagerBlink();
    void stopManagerBlink();
    bool managerBlinking() const { return SelectDirTimer.enabled(); }

    /// The mouse wheel while this window is active: one entry per wheel
    /// event, towards the user the next, away the previous.
    void onWheel(const QWheelEvent& event);

    ProgramTimer SelectDirTimer{400};

signals:
    /// Every close request of the window, save one from the window manager
    /// while no close is under way (that one asks first); the receiver
    /// accepts or ignores the event.
    void closeQuery(QCloseEvent* event);
    void managerRequested();
    void settingsRequested();
    void aboutRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QLabel* createLabel(const char* name, const QRect& rect, int pixelSize, QColor colour,
                        Qt::Alignment alignment);
    SkinButton* createButton(const char* name, const QRect& rect, const QString& accessibleName,
                             std::string_view pair = {});
    void showLabels(const StripLabels& labels);
    void onKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers);
    void onManagerBlink();
    void onManagerClicked();
    void deleteCurrent(bool withFile);

    ProgramState& m_state;
    Collection& m_collection;
    ChangeScheduler& m_scheduler;
    Strip& m_strip;
    int m_blinkPhase = 1; // 1 while the plain picture shows, 2 while the lit one
    bool m_askingExit = false;

    // The controls carry the names of the window's layout, which are also
    // their object names and their skin pictures.
    StripView* pb = nullptr;
    QLabel* lbNum = nullptr;
    QLabel* lbFile = nullptr;
    QLabel* lbDir = nullptr;
    QLabel* lbHour = nullptr;
    QLabel* lbMin = nullptr;
    SkinButton* iParam = nullptr;
    SkinButton* iClose = nullptr;
    SkinButton* iMinimize = nullptr;
    SkinButton* iNext = nullptr;
    SkinButton* iBack = nullptr;
    SkinButton* iRandom = nullptr;
    SkinButton* iApply = nullptr;
    SkinPicture* imgBlick = nullptr;
    SkinButton* iEnd = nullptr;
    SkinButton* iBegin = nullptr;
    SkinButton* iHelp = nullptr;
    SkinSwitch* iRandomSelect = nullptr;
    SkinSwitch* iAutomaticallyChange = nullptr;
    SkinButton* iDecHour = nullptr;
    SkinButton* iDecMin = nullptr;
    SkinButton* iIncHour = nullptr;
    SkinButton* iIncMin = nullptr;
    SkinButton* iManager = nullptr;
    QLineEdit* edtInput = nullptr;
};
