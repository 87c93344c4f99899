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
#include <QMouseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
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
    : QWidget(parent, Qt::Window), m_state(state), m_collection(collection), m_scheduler(scheduler),
      m_strip(strip) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setFixedSize(800, 435);
    setWindowIcon(AppIcon());
    createControls();
    QCoreApplication::instance()->installEventFilter(new WheelHook(this));
}

TfMain::~TfMain() = default;

void TfMain::createControls() {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(24, 26, 30));
    pal.setColor(QPalette::WindowText, QColor(244, 245, 214));
    setPalette(pal);

    auto label = [this](const char* name, int x, int y, int w, int h) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        // File and folder names are shown as they are, never as markup.
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(x, y, w, h);
        QFont f(QStringLiteral("Verdana"));
        // Qt sizes a font by its full cell; 11 px gives letters 9 px high.
        f.setPixelSize(11);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lbNum = label("lbNum", 97, 50, 604, 16);
    lbFile = label("lbFile", 97, 70, 604, 16);
    lbDir = label("lbDir", 97, 90, 604, 16);

    pb = new StripView(m_strip, this);
    pb->setObjectName(QStringLiteral("pb"));

    iMinimize = new QPushButton(QStringLiteral("_"), this);
    iMinimize->setObjectName(QStringLiteral("iMinimize"));
    iMinimize->setGeometry(711, 0, 36, 29);
    iMinimize->setFocusPolicy(Qt::NoFocus);
    connect(iMinimize, &QPushButton::clicked, this, &TfMain::hideToTray);
    iClose = new QPushButton(QStringLiteral("X"), this);
    iClose->setObjectName(QStringLiteral("iClose"));
    iClose->setGeometry(747, 0, 31, 29);
    iClose->setFocusPolicy(Qt::NoFocus);
    connect(iClose, &QPushButton::clicked, this, &TfMain::requestExit);

    iBegin = commandButton("iBegin", QStringLiteral("|<"), 22, 386, 57, 49);
    iBack = commandButton("iBack", QStringLiteral("<"), 76, 386, 60, 49);
    iRandom = commandButton("iRandom", QStringLiteral("?"), 134, 386, 60, 49);
    iNext = commandButton("iNext", QStringLiteral(">"), 192, 386, 57, 49);
    iEnd = commandButton("iEnd", QStringLiteral(">|"), 248, 386, 57, 49);
    iApply = commandButton("iApply", QStringLiteral("Apply"), 366, 381, 71, 53);
    iDecHour = commandButton("iDecHour", QStringLiteral("-"), 496, 378, 18, 21);
    iIncHour = commandButton("iIncHour", QStringLiteral("+"), 542, 378, 18, 21);
    iDecMin = commandButton("iDecMin", QStringLiteral("-"), 717, 378, 18, 21);
    iIncMin = commandButton("iIncMin", QStringLiteral("+"), 763, 378, 18, 21);
    iAutomaticallyChange =
        commandButton("iAutomaticallyChange", QStringLiteral("Off"), 566, 378, 71, 23);
    iRandomSelect = commandButton("iRandomSelect", QStringLiteral("Order"), 640, 378, 71, 23);

    auto counter = [this](const char* name, int x) {
        auto* l = new QLabel(QStringLiteral("0"), this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, 382, 16, 13);
        l->setAlignment(Qt::AlignCenter);
        QFont f(QStringLiteral("Verdana"));
        f.setPixelSize(11);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lbHour = counter("lbHour", 520);
    lbMin = counter("lbMin", 741);

    // A zero-width edit holds the keyboard focus; every key of the window
    // reaches its key handler.
    edtInput = new QLineEdit(this);
    edtInput->setObjectName(QStringLiteral("edtInput"));
    edtInput->setGeometry(316, 8, 0, 21);
    edtInput->setReadOnly(true);
    edtInput->installEventFilter(this);
    edtInput->setFocus();
}

QPushButton* TfMain::commandButton(const char* name, const QString& text, int x, int y, int w,
                                   int h) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, w, h);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::PointingHandCursor);
    b->installEventFilter(this);
    return b;
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtInput && event->type() == QEvent::KeyPress) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (!MainKeyFor(ke->key()))
            return false;
        onKeyPressed(ke->key(), ke->modifiers());
        return true;
    }
    // Qt turns the second press of a quick double click into a double-click
    // event: it is a press like any other.
    if ((event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        onButtonPressed(watched, static_cast<QMouseEvent*>(event)->button()))
        return true;
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == iDecHour || watched == iIncHour || watched == iDecMin || watched == iIncMin)) {
        m_scheduler.counterButtonUp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TfMain::onButtonPressed(QObject* button, Qt::MouseButton mouseButton) {
    const bool apply = mouseButton == Qt::RightButton;
    if (button == iBegin)
        m_collection.RunWallCommand(WallCommand::First, apply);
    else if (button == iBack)
        m_collection.RunWallCommand(WallCommand::Previous, apply);
    else if (button == iRandom)
        m_collection.RunWallCommand(WallCommand::Random, apply);
    else if (button == iNext)
        m_collection.RunWallCommand(WallCommand::Next, apply);
    else if (button == iEnd)
        m_collection.RunWallCommand(WallCommand::Last, apply);
    else if (button == iApply)
        m_collection.SetWall(m_state.CurrentWall);
    else if (button == iDecHour)
        m_scheduler.counterButtonDown(ChangeScheduler::HoursDown);
    else if (button == iIncHour)
        m_scheduler.counterButtonDown(ChangeScheduler::HoursUp);
    else if (button == iDecMin)
        m_scheduler.counterButtonDown(ChangeScheduler::MinutesDown);
    else if (button == iIncMin)
        m_scheduler.counterButtonDown(ChangeScheduler::MinutesUp);
    else if (button == iAutomaticallyChange)
        m_scheduler.ToggleAutomaticallyChange();
    else if (button == iRandomSelect)
        m_scheduler.ToggleRandomSelect();
    else
        return false;
    return true;
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
    // The manager button's blink starts here once the skin brings it.
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
    iAutomaticallyChange->setText(m_state.AutomaticallyChange ? QStringLiteral("On")
                                                              : QStringLiteral("Off"));
    iRandomSelect->setText(m_state.RandomSelect ? QStringLiteral("Random")
                                                : QStringLiteral("Order"));
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
    if (AskExit(this))
        close();
}

void TfMain::closeEvent(QCloseEvent* event) {
    emit closeQuery(event);
}
