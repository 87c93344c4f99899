#include "ui/uMain.h"

#include "collection/navigation.h"
#include "collection/settings.h"
#include "collection/state.h"
#include "collection/walls.h"
#include "imaging/strip.h"
#include "imaging/thumbcache.h"
#include "platform/paths.h"
#include "platform/store.h"
#include "platform/wallpaper.h"
#include "ui/dialogs.h"
#include "ui/uPicManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWheelEvent>

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

TfMain* fMain = nullptr;

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(platform::toFsPath(path), ec);
}

// The program's icon: a small monitor with a landscape on its screen.
QIcon makeAppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 256}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 44, 52));
        p.drawRoundedRect(QRectF(0.5 * u, 1.5 * u, 15 * u, 10.5 * u), 1.5 * u, 1.5 * u);
        QLinearGradient sky(0, 2.5 * u, 0, 10.5 * u);
        sky.setColorAt(0, QColor(90, 170, 235));
        sky.setColorAt(1, QColor(200, 230, 250));
        p.setBrush(sky);
        p.drawRect(QRectF(1.5 * u, 2.5 * u, 13 * u, 8.5 * u));
        p.setBrush(QColor(70, 150, 80));
        QPolygonF hills;
        hills << QPointF(1.5 * u, 11 * u) << QPointF(1.5 * u, 8 * u) << QPointF(5 * u, 5.5 * u)
              << QPointF(8 * u, 8.5 * u) << QPointF(11 * u, 6 * u) << QPointF(14.5 * u, 9 * u)
              << QPointF(14.5 * u, 11 * u);
        p.drawPolygon(hills);
        p.setBrush(QColor(40, 44, 52));
        p.drawRect(QRectF(6.5 * u, 12 * u, 3 * u, 1.5 * u));
        p.drawRoundedRect(QRectF(4 * u, 13.5 * u, 8 * u, 1.5 * u), 0.5 * u, 0.5 * u);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// The Windows virtual-key code of a Qt key, for the keys the window acts on.
std::uint16_t virtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN_;
    case Qt::Key_Escape:
        return VK_ESCAPE_;
    case Qt::Key_Space:
        return VK_SPACE_;
    case Qt::Key_PageUp:
        return VK_PRIOR_;
    case Qt::Key_PageDown:
        return VK_NEXT_;
    case Qt::Key_End:
        return VK_END_;
    case Qt::Key_Home:
        return VK_HOME_;
    case Qt::Key_Left:
        return VK_LEFT_;
    case Qt::Key_Up:
        return VK_UP_;
    case Qt::Key_Right:
        return VK_RIGHT_;
    case Qt::Key_Down:
        return VK_DOWN_;
    case Qt::Key_Delete:
        return VK_DELETE_;
    case Qt::Key_F1:
        return VK_F1_;
    default:
        return 0;
    }
}

QString toQString(const std::string& s) {
    return QString::fromUtf8(s);
}

// The strip's paint box: shows the strip buffer 1:1.
class StripBox : public QWidget {
public:
    explicit StripBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!BufBitmap || BufBitmap->empty() || BufBitmap->bitsPerPixel() != 32)
            return;
        const Bitmap& b = *BufBitmap;
        // The buffer's rows are blue, green, red, unused: Qt's RGB32 on
        // little-endian machines.
        const QImage strip(b.scanLine(0), b.width(), b.height(), static_cast<qsizetype>(b.stride()),
                           QImage::Format_RGB32);
        QPainter(this).drawImage(0, 0, strip);
    }
};

// The application-wide hook: it sees every event before it is delivered.
// A wheel event reaches its window object once, before it travels through
// the widgets under the pointer, so each one counts once there.
class WheelHook : public QObject {
public:
    explicit WheelHook(TfMain* w) : QObject(w), main(w) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && watched->isWindowType())
            main->AppMessage(*static_cast<QWheelEvent*>(event));
        return false; // delivered as usual afterwards
    }

private:
    TfMain* main;
};

} // namespace

TfMain::TfMain(QWidget* parent) : QWidget(parent, Qt::Window) {
    fMain = this;
    setWindowTitle(QStringLiteral("Quorvane"));
    setFixedSize(800, 435);
    setWindowIcon(makeAppIcon());
    createControls();
    createTray();
    TimerClose.onTimer = [this] { TimerCloseTimer(); };
    installUiHooks();
    FormCreate();
}

TfMain::~TfMain() {
    FormDestroy();
    if (fMain == this)
        fMain = nullptr;
}

void TfMain::createControls() {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(24, 26, 30));
    pal.setColor(QPalette::WindowText, QColor(244, 245, 214));
    setPalette(pal);

    auto label = [this](int x, int y, int w, int h) {
        auto* l = new QLabel(this);
        l->setGeometry(x, y, w, h);
        QFont f(QStringLiteral("Verdana"));
        // Qt sizes a font by its full cell; 11 px gives letters 9 px high.
        f.setPixelSize(11);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lbNum = label(97, 50, 604, 16);
    lbFile = label(97, 70, 604, 16);
    lbDir = label(97, 90, 604, 16);

    pb = new StripBox(this);
    pb->setGeometry(0, 119, StripWidth, StripHeight);

    iMinimize = new QPushButton(QStringLiteral("_"), this);
    iMinimize->setGeometry(711, 0, 36, 29);
    iMinimize->setFocusPolicy(Qt::NoFocus);
    connect(iMinimize, &QPushButton::clicked, this, &TfMain::iMinimizeClick);
    iClose = new QPushButton(QStringLiteral("X"), this);
    iClose->setGeometry(747, 0, 31, 29);
    iClose->setFocusPolicy(Qt::NoFocus);
    connect(iClose, &QPushButton::clicked, this, &TfMain::iCloseClick);

    iBegin = commandButton(QStringLiteral("|<"), 22, 386, 57, 49);
    iBack = commandButton(QStringLiteral("<"), 76, 386, 60, 49);
    iRandom = commandButton(QStringLiteral("?"), 134, 386, 60, 49);
    iNext = commandButton(QStringLiteral(">"), 192, 386, 57, 49);
    iEnd = commandButton(QStringLiteral(">|"), 248, 386, 57, 49);
    iApply = commandButton(QStringLiteral("Apply"), 366, 381, 71, 53);
    iDecHour = commandButton(QStringLiteral("-"), 496, 378, 18, 21);
    iIncHour = commandButton(QStringLiteral("+"), 542, 378, 18, 21);
    iDecMin = commandButton(QStringLiteral("-"), 717, 378, 18, 21);
    iIncMin = commandButton(QStringLiteral("+"), 763, 378, 18, 21);
    iAutomaticallyChange = commandButton(QStringLiteral("Off"), 566, 378, 71, 23);
    iRandomSelect = commandButton(QStringLiteral("Order"), 640, 378, 71, 23);

    auto counter = [this](int x) {
        auto* l = new QLabel(QStringLiteral("0"), this);
        l->setGeometry(x, 382, 16, 13);
        l->setAlignment(Qt::AlignCenter);
        QFont f(QStringLiteral("Verdana"));
        f.setPixelSize(11);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lbHour = counter(520);
    lbMin = counter(741);

    // A zero-width edit holds the keyboard focus; every key of the window
    // reaches its key handler.
    edtInput = new QLineEdit(this);
    edtInput->setGeometry(316, 8, 0, 21);
    edtInput->setReadOnly(true);
    edtInput->installEventFilter(this);
    edtInput->setFocus();
}

QPushButton* TfMain::commandButton(const QString& text, int x, int y, int w, int h) {
    auto* b = new QPushButton(text, this);
    b->setGeometry(x, y, w, h);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::PointingHandCursor);
    b->installEventFilter(this);
    return b;
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtInput && event->type() == QEvent::KeyPress) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        if (const std::uint16_t vk = virtualKeyOf(ke->key())) {
            edtInputKeyDown(vk, ke->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const bool right = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        if (watched == iBegin)
            RunWallCommand(WallCommand::First, right);
        else if (watched == iBack)
            RunWallCommand(WallCommand::Previous, right);
        else if (watched == iRandom)
            RunWallCommand(WallCommand::Random, right);
        else if (watched == iNext)
            RunWallCommand(WallCommand::Next, right);
        else if (watched == iEnd)
            RunWallCommand(WallCommand::Last, right);
        else if (watched == iApply)
            SetWall(CurrentWall);
        else if (watched == iDecHour)
            CounterButtonDown(0);
        else if (watched == iIncHour)
            CounterButtonDown(1);
        else if (watched == iDecMin)
            CounterButtonDown(2);
        else if (watched == iIncMin)
            CounterButtonDown(3);
        else if (watched == iAutomaticallyChange)
            ToggleAutomaticallyChange();
        else if (watched == iRandomSelect)
            ToggleRandomSelect();
        else
            return false;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == iDecHour || watched == iIncHour || watched == iDecMin || watched == iIncMin)) {
        CounterButtonUp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfMain::installUiHooks() {
    Ui.showCurrent = [this] {
        InfoWall();
        DrawWallSlots();
        pb->update();
    };
    Ui.clearInfo = [this] { ClearInfo(); };
    Ui.managerShowing = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TfPicManager*>(w) && w->isVisible())
                return true;
        return false;
    };
    Ui.hideMain = [this] { iMinimizeClick(); };
    Ui.confirmDelete = [this](const std::string& text) { return AskDeleteFile(this, text); };
    Ui.reportError = [this](const std::string& text) { ShowErrorBox(this, text); };
    Ui.showScheduler = [this] { ShowScheduler(); };
}

void TfMain::showLabels(const StripLabels& labels) {
    lbNum->setText(toQString(labels.num));
    lbFile->setText(toQString(labels.file));
    lbDir->setText(toQString(labels.dir));
}

void TfMain::InfoWall() {
    if (CurrentWall >= 0 && CurrentWall < WallCount())
        showLabels(::InfoWall());
}

void TfMain::ClearInfo() {
    showLabels(::ClearInfo());
    pb->update();
    // The manager button's blink starts here once the skin brings it.
}

void TfMain::AppMessage(const QWheelEvent& event) {
    if (!isActiveWindow())
        return;
    // Sideways scrolling and the end of a touchpad gesture carry no vertical
    // turn: they move nothing.
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return;
    RunWallCommand(delta < 0 ? WallCommand::Next : WallCommand::Previous, false);
}

void TfMain::ShowScheduler() {
    lbHour->setText(QString::number(HourCounter));
    lbMin->setText(QString::number(MinuteCounter));
    iAutomaticallyChange->setText(AutomaticallyChange ? QStringLiteral("On")
                                                      : QStringLiteral("Off"));
    iRandomSelect->setText(RandomSelect ? QStringLiteral("Random") : QStringLiteral("Order"));
}

void TfMain::N1Click() {
    RunWallCommand(WallCommand::Next, true);
}

void TfMain::N2Click() {
    RunWallCommand(WallCommand::Previous, true);
}

void TfMain::N3Click() {
    RunWallCommand(WallCommand::Random, true);
}

void TfMain::saveSettings() {
    try {
        SaveSetting(WindowPosition{x(), y()});
    } catch (const std::exception& e) {
        // The close must still complete; the reason goes where it can be seen.
        std::fprintf(stderr, "Quorvane: the settings could not be saved: %s\n", e.what());
    }
}

void TfMain::createTray() {
    Tray = new QSystemTrayIcon(windowIcon(), this);
    Tray->setToolTip(QStringLiteral("Quorvane"));
    TrayPopup = new QMenu(this);
    TrayPopup->addAction(QStringLiteral("Next Wallpaper"), this, &TfMain::N1Click);
    TrayPopup->addAction(QStringLiteral("Prev Wallpaper"), this, &TfMain::N2Click);
    TrayPopup->addAction(QStringLiteral("Random Wallpaper"), this, &TfMain::N3Click);
    TrayPopup->addSeparator();
    QAction* show = TrayPopup->addAction(QStringLiteral("Quorvane"), this, &TfMain::TrayClick);
    TrayPopup->setDefaultAction(show);
    TrayPopup->addSeparator();
    TrayPopup->addAction(QStringLiteral("Exit"), this, &TfMain::iCloseClick);
    Tray->setContextMenu(TrayPopup);
    connect(Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick)
            TrayClick();
    });
    Tray->show();
}

void TfMain::setUpDataFolder() {
    std::string docs = platform::documentsFolder();
    if (docs.empty()) {
        docs = platform::homeFolder();
        std::fprintf(stderr,
                     "Quorvane: the documents folder cannot be determined; keeping the data "
                     "in %s\n",
                     docs.c_str());
    }
    const char sep = platform::pathSeparator();
    if (docs.empty() || docs.back() != sep)
        docs += sep;
    DataFolder = docs + "Quorvane" + sep;
    std::error_code ec;
    fs::create_directory(platform::toFsPath(DataFolder), ec);
    WallpaperFile = DataFolder + "Wallpaper.bmp";
    fs::create_directory(platform::toFsPath(DataFolder + "Thumbnail"), ec);
}

void TfMain::FormCreate() {
    QCoreApplication::instance()->installEventFilter(new WheelHook(this));
    setUpDataFolder();
    SeedRandom();
    // 7. the window shape comes with the skin
    CreateBufBitmap();
    CreateLoadPhoto();
    Get_aRectPreview();
    try {
        CurrentVersion(RunValueName);
    } catch (const platform::StoreError& e) {
        ShowErrorBox(this, e.what());
    }
    LoadWall();
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1920, 1080);
    const WindowPosition pos = LoadSetting(screen.width(), screen.height());
    move(pos.left, pos.top);
    startupChange();
    BrowseArray();
    // 14. the global hotkeys come later
}

void TfMain::startupChange() {
    // Without a tray host the window is the only way to reach the program.
    if (Walls.empty() || !QSystemTrayIcon::isSystemTrayAvailable())
        TrayClick();
    if (!Walls.empty() && ChangeWithStart) {
        CurrentWall = RandomIndex(WallCount());
        SetWall(CurrentWall);
        return;
    }
    if (fileExists(WallpaperFile))
        platform::setDesktopWallpaper(WallpaperFile);
}

void TfMain::FormDestroy() {
    // Normally the close protocol has waited for the worker; a window torn
    // down otherwise lets a running job end without its hand-over.
    AbandonThumbnailJob();
    FreeStripBitmaps();
    ClearPreview();
}

void TfMain::TrayClick() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    edtInput->setFocus();
}

void TfMain::iMinimizeClick() {
    // Hidden, the window comes back through the tray icon; without a tray
    // host it is only minimised, so the taskbar can still bring it back.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void TfMain::iCloseClick() {
    if (AskExit(this))
        close();
}

void TfMain::SystemClose() {
    close();
}

void TfMain::closeEvent(QCloseEvent* event) {
    AppClosing = true;
    if (CloseStage != 5) {
        CloseStage = 1;
        TimerClose.setEnabled(true);
        event->ignore();
    } else {
        event->accept();
    }
    saveSettings();
    if (event->isAccepted())
        emit finallyClosed();
}

void TfMain::TimerCloseTimer() {
    if (!CacheIdle)
        return;
    if (CloseStage != 5) {
        CloseStage = 5;
        close();
    }
}
