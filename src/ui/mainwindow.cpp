#include "ui/mainwindow.h"

#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/state.h"
#include "thumbs/strip.h"
#include "ui/appicon.h"
#include "ui/dialogs.h"
#include "ui/mainkeys.h"
#include "ui/stripview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWheelEvent>

#include <cstdlib>

namespace {

QString toQString(const std::string& s) {
    return QString::fromUtf8(s);
}

// The application-wide hook: it sees every event before it is delivered.
// A wheel event reaches its window object once, before it travels through
// the widgets under the pointer, so each one counts once there.
class WheelHook : public QObject {
public:
    explicit WheelHook(MainWindow* w) : QObject(w), m_main(w) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && watched->isWindowType())
            m_main->onWheel(*static_cast<QWheelEvent*>(event));
        return false; // delivered as usual afterwards
    }

private:
    MainWindow* m_main;
};

} // namespace

MainWindow::MainWindow(ProgramState& state, Collection& collection, ChangeScheduler& scheduler,
                       Strip& strip, QWidget* parent)
    : SkinWindow(QSize(800, 435), "imgInterface", "imgInterface", parent), m_state(state),
      m_collection(collection), m_scheduler(scheduler), m_strip(strip) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setWindowIcon(appIcon());
    createControls();
    connect(&managerBlinkTimer, &ProgramTimer::fired, this, &MainWindow::onManagerBlink);
    QCoreApplication::instance()->installEventFilter(new WheelHook(this));
}

MainWindow::~MainWindow() = default;

QLabel* MainWindow::createLabel(const char* name, const QRect& rect, int pixelSize, QColor colour,
                                Qt::Alignment alignment) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    // File and folder names are shown as they are, never as markup.
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(alignment | Qt::AlignVCenter);
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    l->setFont(f);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

SkinButton* MainWindow::createButton(const char* name, const QRect& rect,
                                     const QString& accessibleName, std::string_view pair) {
    return new SkinButton(name, rect, this, accessibleName, pair);
}

void MainWindow::createControls() {
    // In painting order: each control is drawn over the ones before it.
    m_pb = new StripView(m_strip, this);
    m_pb->setObjectName(QStringLiteral("pb"));
    // Qt sizes a font by its full cell: 11 px gives letters 9 px high, 13 px 11.
    const QColor info(244, 245, 214);
    m_lbNum = createLabel("lbNum", {97, 50, 604, 16}, 11, info, Qt::AlignLeft);
    m_iParam = createButton("iParam", {326, 382, 41, 53}, tr("Settings"));
    m_iClose = createButton("iClose", {747, 0, 31, 29}, tr("Exit"));
    m_iMinimize = createButton("iMinimize", {711, 0, 36, 29}, tr("Hide"));
    m_iNext = createButton("iNext", {192, 386, 57, 49}, tr("Next"));
    m_iBack = createButton("iBack", {76, 386, 60, 49}, tr("Back"));
    m_iRandom = createButton("iRandom", {134, 386, 60, 49}, tr("Random"));
    m_iApply = createButton("iApply", {366, 381, 71, 53}, tr("Apply"));
    m_lbFile = createLabel("lbFile", {97, 70, 604, 16}, 11, info, Qt::AlignLeft);
    m_lbDir = createLabel("lbDir", {97, 90, 604, 16}, 11, info, Qt::AlignLeft);
    m_imgBlick = new SkinPicture("imgBlick", {91, 42, 370, 50}, this);
    m_imgBlick->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QColor counter(248, 252, 243);
    m_lbHour = createLabel("lbHour", {520, 382, 16, 13}, 13, counter, Qt::AlignHCenter);
    m_lbMin = createLabel("lbMin", {741, 382, 16, 13}, 13, counter, Qt::AlignHCenter);
    m_lbHour->setText(QStringLiteral("0"));
    m_lbMin->setText(QStringLiteral("0"));
    m_iEnd = createButton("iEnd", {248, 386, 57, 49}, tr("Last"));
    m_iBegin = createButton("iBegin", {22, 386, 57, 49}, tr("First"));
    m_iHelp = createButton("iHelp", {435, 382, 41, 53}, tr("Help"));
    m_iRandomSelect = new SkinSwitch("iRandomSelect", {640, 378, 71, 23}, this, tr("Random order"));
    m_iAutomaticallyChange =
        new SkinSwitch("iAutomaticallyChange", {566, 378, 71, 23}, this, tr("Automatic change"));
    m_iDecHour = createButton("iDecHour", {496, 378, 18, 21}, tr("Fewer hours"), "iMinus");
    m_iDecMin = createButton("iDecMin", {717, 378, 18, 21}, tr("Fewer minutes"), "iMinus");
    m_iIncHour = createButton("iIncHour", {542, 378, 18, 21}, tr("More hours"), "iPlus");
    m_iIncMin = createButton("iIncMin", {763, 378, 18, 21}, tr("More minutes"), "iPlus");
    m_iManager = createButton("iManager", {714, 67, 78, 32}, tr("Manager"));

    describeControls();

    // The wallpaper group acts on the press; a right press also applies.
    const std::pair<SkinButton*, WallCommand> navigation[] = {{m_iBegin, WallCommand::First},
                                                              {m_iBack, WallCommand::Previous},
                                                              {m_iRandom, WallCommand::Random},
                                                              {m_iNext, WallCommand::Next},
                                                              {m_iEnd, WallCommand::Last}};
    for (const auto& [button, command] : navigation)
        connect(button, &SkinButton::pressed, this, [this, c = command](Qt::MouseButton b) {
            m_collection.runWallCommand(c, b == Qt::RightButton);
        });
    connect(m_iApply, &SkinButton::pressed, this,
            [this] { m_collection.setWallpaper(m_collection.current()); });

    const std::pair<SkinButton*, ChangeScheduler::Step> counters[] = {
        {m_iDecHour, ChangeScheduler::HoursDown},
        {m_iIncHour, ChangeScheduler::HoursUp},
        {m_iDecMin, ChangeScheduler::MinutesDown},
        {m_iIncMin, ChangeScheduler::MinutesUp}};
    for (const auto& [button, step] : counters) {
        // Up and Down step the counter whose button has the focus.
        button->installEventFilter(this);
        connect(button, &SkinButton::pressed, this,
                [this, s = step] { m_scheduler.counterButtonDown(s); });
        connect(button, &SkinButton::released, this, [this] { m_scheduler.counterButtonUp(); });
    }
    connect(m_iAutomaticallyChange, &SkinSwitch::pressed, this,
            [this] { m_scheduler.toggleAutomaticallyChange(); });
    connect(m_iRandomSelect, &SkinSwitch::pressed, this,
            [this] { m_scheduler.toggleRandomSelect(); });

    connect(m_iParam, &SkinButton::clicked, this, &MainWindow::settingsRequested);
    connect(m_iHelp, &SkinButton::clicked, this, &MainWindow::aboutRequested);
    connect(m_iMinimize, &SkinButton::clicked, this, &MainWindow::hideToTray);
    connect(m_iClose, &SkinButton::clicked, this, &MainWindow::requestExit);
    connect(m_iManager, &SkinButton::clicked, this, &MainWindow::onManagerClicked);
}

void MainWindow::describeControls() {
    // What each control does and the key that does the same from anywhere in
    // the window; the descriptions are what a screen reader reads on request.
    m_iBegin->describe(tr("First picture (Home)"),
                       tr("Shows the first picture. With the right mouse button it also becomes "
                          "the wallpaper."));
    m_iBack->describe(tr("Previous picture (Left)"),
                      tr("Shows the previous picture. With the right mouse button, Up or Page Up "
                         "it also becomes the wallpaper."));
    m_iRandom->describe(tr("Random picture (Space also sets it)"),
                        tr("Shows a picture chosen at random. With the right mouse button or "
                           "Space it also becomes the wallpaper."));
    m_iNext->describe(tr("Next picture (Right)"),
                      tr("Shows the next picture. With the right mouse button, Down or Page Down "
                         "it also becomes the wallpaper."));
    m_iEnd->describe(tr("Last picture (End)"),
                     tr("Shows the last picture. With the right mouse button it also becomes the "
                        "wallpaper."));
    m_iApply->describe(tr("Set as wallpaper (Enter)"),
                       tr("Makes the picture shown the desktop wallpaper."));
    m_iParam->describe(tr("Settings"),
                       tr("Opens the settings: start at logon, change at start-up, hotkeys."));
    m_iHelp->describe(tr("About Quorvane (F1)"), tr("Shows the version and the web page."));
    m_iManager->describe(tr("Picture manager"),
                         tr("Opens the picture manager, where pictures and folders are added "
                            "and removed."));
    m_iMinimize->describe(tr("Hide to the notification area (Esc)"),
                          tr("Hides the window; the notification-area icon brings it back."));
    m_iClose->describe(tr("Exit"), tr("Asks, then ends the program."));
    m_iDecHour->describe(tr("One hour less (Down)"),
                         tr("Shortens the interval of the automatic change by an hour. Up and "
                            "Down step the hours while this button has the focus."));
    m_iIncHour->describe(tr("One hour more (Up)"),
                         tr("Lengthens the interval of the automatic change by an hour. Up and "
                            "Down step the hours while this button has the focus."));
    m_iDecMin->describe(tr("One minute less (Down)"),
                        tr("Shortens the interval of the automatic change by a minute. Up and "
                           "Down step the minutes while this button has the focus."));
    m_iIncMin->describe(tr("One minute more (Up)"),
                        tr("Lengthens the interval of the automatic change by a minute. Up and "
                           "Down step the minutes while this button has the focus."));
    m_iAutomaticallyChange->describe(
        tr("Automatic change on or off (Space)"),
        tr("Changes the wallpaper by itself at the interval set with the hours and minutes."));
    m_iRandomSelect->describe(tr("Random order on or off (Space)"),
                              tr("The automatic change picks pictures at random instead of in "
                                 "list order."));
    // A screen reader reads a label's name: its text, the value, stays the
    // name, and what it means is the description.
    m_lbHour->setAccessibleDescription(tr("Hours of the change interval"));
    m_lbMin->setAccessibleDescription(tr("Minutes of the change interval"));
    m_lbNum->setAccessibleDescription(tr("Position in the collection"));
    m_lbFile->setAccessibleDescription(tr("File name"));
    m_lbDir->setAccessibleDescription(tr("Folder"));
    m_pb->setAccessibleName(tr("Preview strip"));
}

void MainWindow::createKeyHolder() {
    if (m_edtInput)
        return;
    // A zero-width edit holds the keyboard focus; every key of the window
    // reaches its key handler. Made when the window first shows: an edit
    // loads the fonts, which a program that stays in the notification area
    // never needs.
    m_edtInput = new QLineEdit(this);
    m_edtInput->setObjectName(QStringLiteral("edtInput"));
    m_edtInput->setGeometry(316, 8, 0, 21);
    m_edtInput->setReadOnly(true);
    m_edtInput->installEventFilter(this);
    m_edtInput->setFocus();
    m_edtInput->setAccessibleName(tr("Quorvane"));
    m_edtInput->setAccessibleDescription(
        tr("Left and Right show the previous and next picture, Home and End the first and "
           "last; Up, Down, Page Up and Page Down also set it as the wallpaper; Space sets a "
           "random one, Enter the one shown; Delete removes it from the collection, "
           "Shift+Delete also deletes the file; F1 shows About; Esc hides the window; Tab "
           "moves through the buttons."));
    m_edtInput->show();
}

void MainWindow::showEvent(QShowEvent* event) {
    createKeyHolder();
    SkinWindow::showEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edtInput && event->type() == QEvent::KeyPress) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (!mainKeyFor(ke->key()))
            return false;
        onKeyPressed(ke->key(), ke->modifiers());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        // On a counter's button Up and Down step that counter instead of
        // moving through the collection.
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool hours = watched == m_iDecHour || watched == m_iIncHour;
        const bool minutes = watched == m_iDecMin || watched == m_iIncMin;
        if ((hours || minutes) && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            const bool up = key == Qt::Key_Up;
            if (hours)
                m_scheduler.incDecHour(up);
            else
                m_scheduler.incDecMin(up);
            return true;
        }
    }
    return SkinWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // The window's keys from whichever control has the focus: what a
    // control does not take itself comes here.
    if (!mainKeyFor(event->key()))
        return SkinWindow::keyPressEvent(event);
    onKeyPressed(event->key(), event->modifiers());
}

void MainWindow::onKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers) {
    const auto key = mainKeyFor(qtKey);
    if (!key)
        return;
    switch (*key) {
    case MainKey::Apply:
        return m_collection.setWallpaper(m_collection.current());
    case MainKey::Hide:
        return hideToTray();
    case MainKey::RandomApply:
        return m_collection.runWallCommand(WallCommand::Random, true);
    case MainKey::PreviousApply:
        return m_collection.runWallCommand(WallCommand::Previous, true);
    case MainKey::NextApply:
        return m_collection.runWallCommand(WallCommand::Next, true);
    case MainKey::Last:
        return m_collection.runWallCommand(WallCommand::Last, false);
    case MainKey::First:
        return m_collection.runWallCommand(WallCommand::First, false);
    case MainKey::Previous:
        return m_collection.runWallCommand(WallCommand::Previous, false);
    case MainKey::Next:
        return m_collection.runWallCommand(WallCommand::Next, false);
    case MainKey::Delete:
        return deleteCurrent(modifiers.testFlag(Qt::ShiftModifier));
    case MainKey::About:
        emit aboutRequested();
        return;
    }
}

void MainWindow::deleteCurrent(bool withFile) {
    if (!m_collection.isIndex(m_collection.current()))
        return;
    if (!withFile)
        return m_collection.deleteCurrentWall();
    // The question may stay open while timers, hotkeys and the tray move
    // through the collection: what was asked about is kept by identity.
    const WallTicket ticket = m_collection.currentWallTicket();
    askDeleteFile(this, ticket.path, [this, ticket](bool ok) {
        if (ok)
            m_collection.deleteWallWithFile(ticket);
    });
}

void MainWindow::showLabels(const StripLabels& labels) {
    QString num = toQString(labels.num);
    // Where each monitor shows a picture of its own: which one shows this.
    const int monitor = m_collection.monitorShowing(m_collection.current());
    if (!labels.num.empty() && monitor >= 0 && m_collection.monitorCount() > 1)
        num += QStringLiteral("   ") +
               tr("on monitor %1 of %2").arg(monitor + 1).arg(m_collection.monitorCount());
    m_lbNum->setText(num);
    m_lbFile->setText(toQString(labels.file));
    m_lbDir->setText(toQString(labels.dir));
}

void MainWindow::showCurrent() {
    if (m_collection.isIndex(m_collection.current()))
        showLabels(m_strip.infoWall());
    m_strip.drawWallSlots();
    m_pb->update();
}

void MainWindow::showPreview(std::int32_t index) {
    // Only a thumbnail that shows in the strip needs it drawn again.
    if (std::abs(std::int64_t(index) - m_collection.current()) <= 2)
        showCurrent();
}

void MainWindow::clearInfo() {
    StripLabels labels = m_strip.clearInfo();
    labels.dir = tr(labels.dir.c_str()).toStdString();
    showLabels(labels);
    m_pb->update();
    startManagerBlink();
}

void MainWindow::startManagerBlink() {
    managerBlinkTimer.setEnabled(true);
    m_iManager->setLighting(false);
}

void MainWindow::stopManagerBlink() {
    // The button keeps whichever picture it shows until the pointer leaves.
    managerBlinkTimer.setEnabled(false);
    m_iManager->setLighting(true);
}

void MainWindow::onManagerBlink() {
    m_blinkLit = !m_blinkLit;
    m_iManager->loadFromRes(m_blinkLit ? "iManager_light" : "iManager");
}

void MainWindow::onManagerClicked() {
    stopManagerBlink();
    emit managerRequested();
}

void MainWindow::onWheel(const QWheelEvent& event) {
    if (!isActiveWindow())
        return;
    // Sideways scrolling and the end of a touchpad gesture carry no vertical
    // turn: they move nothing.
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return;
    m_collection.runWallCommand(delta < 0 ? WallCommand::Next : WallCommand::Previous, false);
}

void MainWindow::showScheduler() {
    m_lbHour->setText(QString::number(m_scheduler.hourCounter()));
    m_lbMin->setText(QString::number(m_scheduler.minuteCounter()));
    m_iAutomaticallyChange->setOn(m_state.automaticallyChange);
    m_iRandomSelect->setOn(m_state.randomSelect);
}

void MainWindow::trayClick() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    m_edtInput->setFocus();
}

void MainWindow::hideToTray() {
    // Hidden, the window comes back through the tray icon; without a tray
    // host it is only minimised, so the taskbar can still bring it back.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void MainWindow::requestExit() {
    // Once the exit is under way nothing is asked again, and one question
    // at a time (the tray's Exit can come while one is open).
    if (m_state.closeStage != CloseStage::Running || m_exitQuestion)
        return;
    m_exitQuestion = askExit(this, [this](bool ok) {
        m_exitQuestion = nullptr;
        if (ok)
            close();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close the window manager asks for (Alt+F4, a taskbar's Close) is the
    // user's: it asks first, as the close button does, once the handler has
    // returned. The program's own closes and the system's (logout, signals)
    // are not spontaneous, and one that comes while the window is hidden is
    // no user's either: they go to the close protocol, which accepts or
    // holds them, as does any close once the exit is under way. The main
    // window is not hidden by a close as the other windows are.
    if (event->spontaneous() && isVisible() && m_state.closeStage == CloseStage::Running) {
        event->ignore();
        QTimer::singleShot(0, this, &MainWindow::requestExit);
        return;
    }
    emit closeQuery(event);
}
