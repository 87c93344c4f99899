// The main window: the collection view with its labels and strip, the
// navigation buttons, the automatic-change controls, the manager button and
// the keyboard.
#pragma once

#include "collection/timer.h"
#include "ui/skin.h"

#include <QPointer>

class ChangeScheduler;
class Collection;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMessageBox;
class QWheelEvent;
class Strip;
class StripView;
struct ProgramState;
struct StripLabels;

class MainWindow : public SkinWindow {
    Q_OBJECT
public:
    MainWindow(ProgramState& state, Collection& collection, ChangeScheduler& scheduler,
               Strip& strip, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Shows the window and brings it to the front (the tray icon's click).
    void trayClick();
    /// Hides the window to the notification area (minimises it where there
    /// is none, so it stays reachable).
    void hideToTray();
    /// The exit request: asks for confirmation, then closes. Asks nothing
    /// while a close is under way or the question is already open.
    void requestExit();

    /// The labels and the strip for the current entry.
    void showCurrent();
    /// Entry `index` got its thumbnail: the strip again when it shows there.
    void showPreview(std::int32_t index);
    /// The empty-collection view: labels, strip, desktop wallpaper, and the
    /// manager button's blink.
    void clearInfo();
    /// The counters and switches of the automatic change.
    void showScheduler();

    /// The manager button's blink (every 400 ms while the collection is
    /// empty, until the button is clicked).
    void startManagerBlink();
    void stopManagerBlink();
    bool managerBlinking() const { return managerBlinkTimer.enabled(); }

    /// The mouse wheel while this window is active: one entry per wheel
    /// event, towards the user the next, away the previous.
    void onWheel(const QWheelEvent& event);

    ProgramTimer managerBlinkTimer{400};

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
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void describeControls();
    /// The edit that holds the keyboard focus, made when the window first shows.
    void createKeyHolder();
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
    bool m_blinkLit = false;              // the lit picture shows
    QPointer<QMessageBox> m_exitQuestion; ///< while the exit question waits for its answer

    // The controls carry the names of the window's layout, which are also
    // their object names and their skin pictures.
    StripView* m_pb = nullptr;
    QLabel* m_lbNum = nullptr;
    QLabel* m_lbFile = nullptr;
    QLabel* m_lbDir = nullptr;
    QLabel* m_lbHour = nullptr;
    QLabel* m_lbMin = nullptr;
    SkinButton* m_iParam = nullptr;
    SkinButton* m_iClose = nullptr;
    SkinButton* m_iMinimize = nullptr;
    SkinButton* m_iNext = nullptr;
    SkinButton* m_iBack = nullptr;
    SkinButton* m_iRandom = nullptr;
    SkinButton* m_iApply = nullptr;
    SkinPicture* m_imgBlick = nullptr;
    SkinButton* m_iEnd = nullptr;
    SkinButton* m_iBegin = nullptr;
    SkinButton* m_iHelp = nullptr;
    SkinSwitch* m_iRandomSelect = nullptr;
    SkinSwitch* m_iAutomaticallyChange = nullptr;
    SkinButton* m_iDecHour = nullptr;
    SkinButton* m_iDecMin = nullptr;
    SkinButton* m_iIncHour = nullptr;
    SkinButton* m_iIncMin = nullptr;
    SkinButton* m_iManager = nullptr;
    QLineEdit* m_edtInput = nullptr;
};
