#include "ui/uMain.h"

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

namespace {

QString toQString(const std::string& s) {
    return QString::fromUtf8(s);
}

// The application-wide hook: it sees every event before it is delivered.
// A wheel event reaches its window object once, before it travels through
// the widgets under the pointer, so each one counts once there.
class WheelHook : public QObject {
public:
    explicit WheelHook(TfMain* w) : QObject(w), m_main(w) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && watched->isWindowType())
            m_main->onWheel(*static_cast<QWheelEvent*>(event));
        return false; // delivered as usual afterwards
    }

private:
    TfMain* m_main;
};

} // namespace

TfMain::TfMain(ProgramState& state, Collection& collection, ChangeScheduler& scheduler,
               Strip& strip, QWidget* parent)
    : SkinWindow(QSize(800, 435), "imgInterface", "imgInterface", parent), m_state(state),
      m_collection(collection), m_scheduler(scheduler), m_strip(strip) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setWindowIcon(AppIcon());
    createControls();
    connect(&SelectDirTimer, &ProgramTimer::fired, this, &TfMain::onManagerBlink);
    QCoreApplication::instance()->installEventFilter(new WheelHook(this));
}

TfMain::~TfMain() = default;

QLabel* TfMain::createLabel(const char* name, const QRect& rect, int pixelSize, QColor colour,
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

SkinButton* TfMain::createButton(const char* name, const QRect& rect, const QString& accessibleName,
                                 std::string_view pair) {
    return new SkinButton(name, rect, this, accessibleName, pair);
}

void TfMain::createControls() {
    // In painting order: each control is drawn over the ones before it.
    pb = new StripView(m_strip, this);
    pb->setObjectName(QStringLiteral("pb"));
    // Qt sizes a font by its full cell: 11 px gives letters 9 px high, 13 px 11.
    const QColor info(244, 245, 214);
    lbNum = createLabel("lbNum", {97, 50, 604, 16}, 11, info, Qt::AlignLeft);
    iParam = createButton("iParam", {326, 382, 41, 53}, tr("Settings"));
    iClose = createButton("iClose", {747, 0, 31, 29}, tr("Exit"));
    iMinimize = createButton("iMinimize", {711, 0, 36, 29}, tr("Hide"));
    iNext = createButton("iNext", {192, 386, 57, 49}, tr("Next"));
    iBack = createButton("iBack", {76, 386, 60, 49}, tr("Back"));
    iRandom = createButton("iRandom", {134, 386, 60, 49}, tr("Random"));
    iApply = createButton("iApply", {366, 381, 71, 53}, tr("Apply"));
    lbFile = createLabel("lbFile", {97, 70, 604, 16}, 11, info, Qt::AlignLeft);
    lbDir = createLabel("lbDir", {97, 90, 604, 16}, 11, info, Qt::AlignLeft);
    imgBlick = new SkinPicture("imgBlick", {91, 42, 370, 50}, this);
    imgBlick->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QColor counter(248, 252, 243);
    lbHour = createLabel("lbHour", {520, 382, 16, 13}, 13, counter, Qt::AlignHCenter);
    lbMin = createLabel("lbMin", {741, 382, 16, 13}, 13, counter, Qt::AlignHCenter);
    lbHour->setText(QStringLiteral("0"));
    lbMin->setText(QStringLiteral("0"));
    iEnd = createButton("iEnd", {248, 386, 57, 49}, tr("Last"));
    iBegin = createButton("iBegin", {22, 386, 57, 49}, tr("First"));
    iHelp = createButton("iHelp", {435, 382, 41, 53}, tr("Help"));
    iRandomSelect = new SkinSwitch("iRandomSelect", {640, 378, 71, 23}, this, tr("Random order"));
    iAutomaticallyChange =
        new SkinSwitch("iAutomaticallyChange", {566, 378, 71, 23}, this, tr("Automatic change"));
    iDecHour = createButton("iDecHour", {496, 378, 18, 21}, tr("Fewer hours"), "iMinus");
    iDecMin = createButton("iDecMin", {717, 378, 18, 21}, tr("Fewer minutes"), "iMinus");
    iIncHour = createButton("iIncHour", {542, 378, 18, 21}, tr("More hours"), "iPlus");
    iIncMin = createButton("iIncMin", {763, 378, 18, 21}, tr("More minutes"), "iPlus");
    iManager = createButton("iManager", {714, 67, 78, 32}, tr("Manager"));

    // A zero-width edit holds the keyboard focus; every key of the window
    // reaches its key handler.
    edtInput = new QLineEdit(this);
    edtInput->setObjectName(QStringLiteral("edtInput"));
    edtInput->setGeometry(316, 8, 0, 21);
    edtInput->setReadOnly(true);
    edtInput->installEventFilter(this);
    edtInput->setFocus();

    // The wallpaper group acts on the press; a right press also applies.
    const std::pair<SkinButton*, WallCommand> navigation[] = {{iBegin, WallCommand::First},
                                                              {iBack, WallCommand::Previous},
                                                              {iRandom, WallCommand::Random},
                                                              {iNext, WallCommand::Next},
                                                              {iEnd, WallCommand::Last}};
    for (const auto& [button, command] : navigation)
        connect(button, &SkinButton::pressed, this, [this, c = command](Qt::MouseButton b) {
            m_collection.RunWallCommand(c, b == Qt::RightButton);
        });
    connect(iApply, &SkinButton::pressed, this,
            [this] { m_collection.SetWall(m_state.CurrentWall); });

    const std::pair<SkinButton*, ChangeScheduler::Step> counters[] = {
        {iDecHour, ChangeScheduler::HoursDown},
        {iIncHour, ChangeScheduler::HoursUp},
        {iDecMin, ChangeScheduler::MinutesDown},
        {iIncMin, ChangeScheduler::MinutesUp}};
    for (const auto& [button, step] : counters) {
        connect(button, &SkinButton::pressed, this,
                [this, s = step] { m_scheduler.counterButtonDown(s); });
        connect(button, &SkinButton::released, this, [this] { m_scheduler.counterButtonUp(); });
    }
    connect(iAutomaticallyChange, &SkinSwitch::pressed, this,
            [this] { m_scheduler.ToggleAutomaticallyChange(); });
    connect(iRandomSelect, &SkinSwitch::pressed, this,
            [this] { m_scheduler.ToggleRandomSelect(); });

    connect(iParam, &SkinButton::clicked, this, &TfMain::settingsRequested);
    connect(iHelp, &SkinButton::clicked, this, &TfMain::aboutRequested);
    connect(iMinimize, &SkinButton::clicked, this, &TfMain::hideToTray);
    connect(iClose, &SkinButton::clicked, this, &TfMain::requestExit);
    connect(iManager, &SkinButton::clicked, this, &TfMain::onManagerClicked);
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtInput && event->type() == QEvent::KeyPress) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (!MainKeyFor(ke->key()))
            return false;
        onKeyPressed(ke->key(), ke->modifiers());
        return true;
    }
    return SkinWindow::eventFilter(watched, event);
}

void TfMain::onKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers) {
    const auto key = MainKeyFor(qtKey);
    if (!key)
        return;
    switch (*key) {
    case MainKey::Apply:
        return m_collection.SetWall(m_state.CurrentWall);
    case MainKey::Hide:
        return hideToTray();
    case MainKey::RandomApply:
        return m_collection.RunWallCommand(WallCommand::Random, true);
    case MainKey::PreviousApply:
        return m_collection.RunWallCommand(WallCommand::Previous, true);
    case MainKey::NextApply:
        return m_collection.RunWallCommand(WallCommand::Next, true);
    case MainKey::Last:
        return m_collection.RunWallCommand(WallCommand::Last, false);
    case MainKey::First:
        return m_collection.RunWallCommand(WallCommand::First, false);
    case MainKey::Previous:
        return m_collection.RunWallCommand(WallCommand::Previous, false);
    case MainKey::Next:
        return m_collection.RunWallCommand(WallCommand::Next, false);
    case MainKey::Delete:
        return deleteCurrent(modifiers.testFlag(Qt::ShiftModifier));
    case MainKey::About:
        emit aboutRequested();
        return;
    }
}

void TfMain::deleteCurrent(bool withFile) {
    if (!m_state.IsWallIndex(m_state.CurrentWall))
        return;
    if (!withFile)
        return m_collection.DeleteCurrentWall();
    // The question may stay open while timers, hotkeys and the tray move
    // through the collection: what was asked about is kept by identity.
    const WallTicket ticket = m_collection.CurrentWallTicket();
    if (AskDeleteFile(this, ticket.path))
        m_collection.DeleteWallWithFile(ticket);
}

void TfMain::showLabels(const StripLabels& labels) {
    lbNum->setText(toQString(labels.num));
    lbFile->setText(toQString(labels.file));
    lbDir->setText(toQString(labels.dir));
}

void TfMain::showCurrent() {
    if (m_state.IsWallIndex(m_state.CurrentWall))
        showLabels(m_strip.InfoWall());
    m_strip.DrawWallSlots();
    pb->update();
}

void TfMain::ClearInfo() {
    showLabels(m_strip.ClearInfo());
    pb->update();
    startManagerBlink();
}

void TfMain::startManagerBlink() {
    SelectDirTimer.setEnabled(true);
    iManager->setLighting(false);
}

void TfMain::stopManagerBlink() {
    // The button keeps whichever picture it shows until the pointer leaves.
    SelectDirTimer.setEnabled(false);
    iManager->setLighting(true);
}

void TfMain::onManagerBlink() {
    if (m_blinkPhase == 1) {
        iManager->LoadFromRes("iManager_light");
        m_blinkPhase = 2;
    } else {
        iManager->LoadFromRes("iManager");
        m_blinkPhase = 1;
    }
}

void TfMain::onManagerClicked() {
    stopManagerBlink();
    emit managerRequested();
}

void TfMain::onWheel(const QWheelEvent& event) {
    if (!isActiveWindow())
        return;
    // Sideways scrolling and the end of a touchpad gesture carry no vertical
    // turn: they move nothing.
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return;
    m_collection.RunWallCommand(delta < 0 ? WallCommand::Next : WallCommand::Previous, false);
}

void TfMain::ShowScheduler() {
    lbHour->setText(QString::number(m_scheduler.HourCounter()));
    lbMin->setText(QString::number(m_scheduler.MinuteCounter()));
    iAutomaticallyChange->setOn(m_state.AutomaticallyChange);
    iRandomSelect->setOn(m_state.RandomSelect);
}

void TfMain::TrayClick() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    edtInput->setFocus();
}

void TfMain::hideToTray() {
    // Hidden, the window comes back through the tray icon; without a tray
    // host it is only minimised, so the taskbar can still bring it back.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void TfMain::requestExit() {
    // Once the exit is under way nothing is asked again, and one question
    // at a time (the tray's Exit can come while one is open).
    if (m_state.CloseStage != 0 || m_askingExit)
        return;
    m_askingExit = true;
    const bool ok = AskExit(this);
    m_askingExit = false;
    if (ok)
        close();
}

void TfMain::closeEvent(QCloseEvent* event) {
    // A close the window manager asks for (Alt+F4, a taskbar's Close) is the
    // user's: it asks first, as the close button does, once the handler has
    // returned. The program's own closes and the system's (logout, signals)
    // are not spontaneous, and one that comes while the window is hidden is
    // no user's either: they go to the close protocol, which accepts or
    // holds them, as does any close once the exit is under way. The main
    // window is not hidden by a close as the other windows are.
    if (event->spontaneous() && isVisible() && m_state.CloseStage == 0) {
        event->ignore();
        QTimer::singleShot(0, this, &TfMain::requestExit);
        return;
    }
    emit closeQuery(event);
}
