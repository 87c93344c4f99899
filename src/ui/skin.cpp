#include "ui/skin.h"

#include "imaging/resources.h"
#include "ui/bitmapimage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The accent of the skin: the blue of everything lit or on.
const QColor Accent(70, 172, 240);

bool isPressKey(const QKeyEvent* event) {
    const int key = event->key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// What screen readers see of a skin button: a push button with a press action.
class SkinButtonAccessible : public QAccessibleWidget {
public:
    explicit SkinButtonAccessible(SkinButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<SkinButton*>(widget())->press();
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction())
            return {QStringLiteral("Space")};
        return {};
    }
};

// ... and of an on/off switch: a check box that toggles.
class SkinSwitchAccessible : public QAccessibleWidget {
public:
    explicit SkinSwitchAccessible(SkinSwitch* control)
        : QAccessibleWidget(control, QAccessible::CheckBox) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = static_cast<SkinSwitch*>(widget())->isOn();
        return s;
    }
    QStringList actionNames() const override { return {toggleAction(), pressAction()}; }
    void doAction(const QString& name) override {
        if (name == toggleAction() || name == pressAction())
            static_cast<SkinSwitch*>(widget())->press();
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == toggleAction() || name == pressAction())
            return {QStringLiteral("Space")};
        return {};
    }
};

QAccessibleInterface* skinAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("SkinButton"))
        return new SkinButtonAccessible(static_cast<SkinButton*>(object));
    if (className == QLatin1String("SkinSwitch"))
        return new SkinSwitchAccessible(static_cast<SkinSwitch*>(object));
    return nullptr;
}

void installSkinAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(&skinAccessible); });
}

// The mark around the control that has the keyboard focus, laid over the
// window's controls; the pointer goes through it.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

    // Around `control`: inside a skin control's rectangle (which leaves room
    // round its picture), just outside any other control.
    void follow(const QWidget* control) {
        QRect r(control->mapTo(parentWidget(), QPoint(0, 0)), control->size());
        if (!qobject_cast<const SkinPicture*>(control))
            r.adjust(-3, -3, 3, 3);
        setGeometry(r.intersected(parentWidget()->rect()));
        raise();
        show();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setBrush(Qt::NoBrush);
        // A thin accent line with a faint glow inside it, as the lit pictures glow.
        p.setPen(QPen(QColor(Accent.red(), Accent.green(), Accent.blue(), 80), 1));
        p.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 3, 3);
        p.setPen(QPen(Accent, 1));
        p.drawRoundedRect(outer, 4, 4);
    }
};

} // namespace

int skinScaleFor(qreal ratio) {
    return ratio > 1.0 ? 2 : 1;
}

namespace {

std::string g_skinLanguage;

// Lays the changed pixels of a language's picture (transparent where a pixel
// is as in English) over the English picture of the same size.
void overlayLanguage(QImage& picture, const std::string& twinName) {
    Bitmap twin;
    loadFromRes(twinName, twin);
    const QImage changes =
        bitmapToQImage(twin).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (changes.size() != picture.size())
        return;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(changes.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(from[x]) != 0)
                to[x] = from[x];
    }
}

} // namespace

void setSkinLanguage(const std::string& language) {
    g_skinLanguage = language;
}

QPixmap skinPixmap(std::string_view name, qreal ratio) {
    Bitmap b;
    int scale = 1;
    const std::string doubled = std::string(name) + "@2x";
    if (skinScaleFor(ratio) == 2 && !findResource(doubled).empty()) {
        loadFromRes(doubled, b);
        scale = 2;
    } else {
        loadFromRes(name, b);
    }
    // The image shares the bitmap's pixels: copy them before it goes.
    QImage picture = bitmapToQImage(b).copy();
    if (!g_skinLanguage.empty()) {
        const std::string twin =
            std::string(name) + "_" + g_skinLanguage + (scale == 2 ? "@2x" : "");
        if (!findResource(twin).empty()) {
            picture.convertTo(QImage::Format_ARGB32_Premultiplied);
            overlayLanguage(picture, twin);
        }
    }
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

// ------------------------------------------------------------ SkinPicture

SkinPicture::SkinPicture(const char* name, const QRect& rect, QWidget* parent,
                         std::string_view picture)
    : QWidget(parent) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAttribute(Qt::WA_TranslucentBackground);
    installSkinAccessibility();
    loadFromRes(picture.empty() ? std::string_view(name) : picture);
}

SkinPicture::SkinPicture(const char* name, const QRect& rect, QWidget* parent,
                         const QPixmap& pixmap)
    : QWidget(parent), m_pixmap(pixmap) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAttribute(Qt::WA_TranslucentBackground);
    installSkinAccessibility();
}

void SkinPicture::loadFromRes(std::string_view name) {
    if (findResource(name).empty())
        throw ImageError("no embedded picture named " + std::string(name));
    m_pictureName = std::string(name);
    m_pixmap = QPixmap();
    update();
}

void SkinPicture::decodePicture() const {
    // The screen the window shows on decides between the 1x and 2x pictures.
    const qreal ratio = devicePixelRatioF();
    if (m_pictureName.empty() || (!m_pixmap.isNull() && skinScaleFor(ratio) == m_scale))
        return;
    m_scale = skinScaleFor(ratio);
    m_pixmap = skinPixmap(m_pictureName, ratio);
}

const QPixmap& SkinPicture::pixmap() const {
    decodePicture();
    return m_pixmap;
}

void SkinPicture::releasePicture() {
    if (!m_pictureName.empty())
        m_pixmap = QPixmap();
}

void SkinPicture::setPixmap(const QPixmap& pixmap) {
    m_pixmap = pixmap;
    m_pictureName.clear();
    update();
}

void SkinPicture::setStretched(bool on) {
    m_stretched = on;
    update();
}

void SkinPicture::paintEvent(QPaintEvent*) {
    // Decoded when first drawn, and again on a screen of another pixel ratio.
    decodePicture();
    if (m_pixmap.isNull())
        return;
    QPainter p(this);
    if (m_stretched) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), m_pixmap);
        return;
    }
    // Centred, halves rounded toward zero as the layout's positions assume.
    const QSize own = m_pixmap.deviceIndependentSize().toSize();
    p.drawPixmap((width() - own.width()) / 2, (height() - own.height()) / 2, m_pixmap);
}

// ------------------------------------------------------------- SkinButton

SkinButton::SkinButton(const char* name, const QRect& rect, QWidget* parent,
                       const QString& accessibleName, std::string_view pair)
    : SkinPicture(name, rect, parent, pair), m_pair(pair.empty() ? std::string(name) : pair) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(accessibleName);
}

void SkinButton::describe(const QString& toolTip, const QString& description) {
    setToolTip(toolTip);
    setAccessibleDescription(description);
}

void SkinButton::press() {
    emit pressed(Qt::LeftButton);
    emit released(Qt::LeftButton);
    emit clicked();
}

void SkinButton::keyPressEvent(QKeyEvent* event) {
    if (!isPressKey(event))
        return SkinPicture::keyPressEvent(event);
    // A held key presses once, as a held mouse button does.
    if (!event->isAutoRepeat() && m_keyDown == 0) {
        m_keyDown = event->key();
        emit pressed(Qt::LeftButton);
    }
}

void SkinButton::keyReleaseEvent(QKeyEvent* event) {
    if (!isPressKey(event))
        return SkinPicture::keyReleaseEvent(event);
    if (event->isAutoRepeat() || event->key() != m_keyDown)
        return;
    m_keyDown = 0;
    emit released(Qt::LeftButton);
    emit clicked();
}

void SkinButton::focusOutEvent(QFocusEvent* event) {
    SkinPicture::focusOutEvent(event);
    // The key that held the button down comes up elsewhere: let go, without a click.
    if (m_keyDown != 0) {
        m_keyDown = 0;
        emit released(Qt::LeftButton);
    }
}

void SkinButton::enterEvent(QEnterEvent*) {
    if (m_lighting)
        loadFromRes(litPicture());
}

void SkinButton::leaveEvent(QEvent*) {
    if (m_lighting)
        loadFromRes(normalPicture());
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button());
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt turns the second press of a quick double click into this event: it
    // is a press like any other.
    emit pressed(event->button());
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event) {
    emit released(event->button());
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// ------------------------------------------------------------- SkinSwitch

SkinSwitch::SkinSwitch(const char* name, const QRect& rect, QWidget* parent,
                       const QString& accessibleName)
    : SkinPicture(name, rect, parent, "iOff") {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(accessibleName);
}

void SkinSwitch::describe(const QString& toolTip, const QString& description) {
    setToolTip(toolTip);
    setAccessibleDescription(description);
}

void SkinSwitch::press() {
    emit pressed(Qt::LeftButton);
}

void SkinSwitch::setOn(bool on) {
    const bool changed = on != m_on;
    m_on = on;
    loadFromRes(on ? "iOn" : "iOff");
    if (changed && QAccessible::isActive()) {
        QAccessible::State s;
        s.checked = true;
        QAccessibleStateChangeEvent e(this, s);
        QAccessible::updateAccessibility(&e);
    }
}

void SkinSwitch::keyPressEvent(QKeyEvent* event) {
    if (!isPressKey(event))
        return SkinPicture::keyPressEvent(event);
    if (!event->isAutoRepeat())
        emit pressed(Qt::LeftButton);
}

void SkinSwitch::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button());
}

void SkinSwitch::mouseDoubleClickEvent(QMouseEvent* event) {
    emit pressed(event->button());
}

// ------------------------------------------------------------- SkinWindow

QRegion roundedWindowRegion(const QSize& size) {
    // The rectangle 0 .. width - 1 by 0 .. height - 1, each corner cut by an
    // ellipse of 20 x 20 pixels: a row keeps the pixels whose centres lie
    // inside the ellipse.
    constexpr double Radius = 10.0;
    const int w = size.width() - 1;
    const int h = size.height() - 1;
    if (w <= 0 || h <= 0)
        return {};
    QRegion region;
    for (int y = 0; y < h; ++y) {
        const double fromEdge = std::min(y + 0.5, h - y - 0.5);
        int inset = 0;
        if (fromEdge < Radius) {
            const double dy = Radius - fromEdge;
            inset = static_cast<int>(std::lround(Radius - std::sqrt(Radius * Radius - dy * dy)));
        }
        if (inset == 0) {
            // The straight middle part in one rectangle.
            int y2 = y;
            while (y2 + 1 < h && std::min(y2 + 1.5, h - y2 - 1.5) >= Radius)
                ++y2;
            region += QRect(0, y, w, y2 - y + 1);
            y = y2;
            continue;
        }
        region += QRect(inset, y, w - 2 * inset, 1);
    }
    return region;
}

SkinWindow::SkinWindow(const QSize& size, const char* backgroundName, std::string_view background,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(size);
    setMask(roundedWindowRegion(size));
    setAttribute(Qt::WA_TranslucentBackground);
    m_background = new SkinPicture(backgroundName, QRect(QPoint(0, 0), size), this, background);
    m_background->installEventFilter(this);
    m_focusMark = new FocusMark(this);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { onFocusChanged(now); });
}

void SkinWindow::orderTabStops() {
    std::vector<QWidget*> stops;
    std::vector<QWidget*> holders;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w == m_focusMark)
            continue;
        if (w->width() <= 0 || w->height() <= 0) {
            // It keeps the focus it is given, but Tab passes it by.
            w->setFocusPolicy(Qt::ClickFocus);
            holders.push_back(w);
            continue;
        }
        stops.push_back(w);
    }
    // Rows from the top: a control belongs to the row of the first control
    // (the highest) whose height it reaches into; each row from the left.
    std::stable_sort(stops.begin(), stops.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    std::vector<std::pair<int, QWidget*>> keyed; // row, control
    int row = -1;
    int rowBottom = 0;
    for (QWidget* w : stops) {
        if (row < 0 || w->y() >= rowBottom) {
            ++row;
            rowBottom = w->y() + w->height();
        }
        keyed.emplace_back(row, w);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second->x() < b.second->x();
    });
    // The holders first: Tab from one of them reaches the first control,
    // Shift+Tab the last.
    QWidget* previous = nullptr;
    for (QWidget* w : holders) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    for (const auto& [r, w] : keyed) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

bool SkinWindow::focusMarkShown() const {
    return m_focusMark->isVisible();
}

bool SkinWindow::focusNextPrevChild(bool next) {
    m_keyboardCues = true;
    const bool moved = QWidget::focusNextPrevChild(next);
    onFocusChanged(focusWidget());
    return moved;
}

void SkinWindow::onFocusChanged(QWidget* now) {
    const bool mine = now && now != this && now->window() == this && now->width() > 0 &&
                      now->height() > 0 && now->isVisible();
    if (m_keyboardCues && mine)
        static_cast<FocusMark*>(m_focusMark)->follow(now);
    else if (!mine || !m_keyboardCues)
        m_focusMark->hide();
}

void SkinWindow::showEvent(QShowEvent* event) {
    orderTabStops();
    QWidget::showEvent(event);
    emit shown();
}

SkinWindow::~SkinWindow() {
    // The controls lose their focus while the base class deletes them: too late to follow.
    disconnect(m_focusWatch);
}

QPoint SkinWindow::centredOver(const QRect& anchor, const QSize& own,
                               const QPoint& desktopTopLeft) {
    // Halves rounded toward zero, then kept off the desktop's left and top.
    const int left = anchor.x() + (anchor.width() - own.width()) / 2;
    const int top = anchor.y() + (anchor.height() - own.height()) / 2;
    return {std::max(left, desktopTopLeft.x()), std::max(top, desktopTopLeft.y())};
}

void SkinWindow::placeForFirstShowing() {
    if (m_placed)
        return;
    m_placed = true;
    if (!m_anchor)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint desktop = screen ? screen->virtualGeometry().topLeft() : QPoint();
    // The anchor's place counts even while it is hidden.
    move(centredOver(QRect(m_anchor->pos(), m_anchor->size()), size(), desktop));
}

void SkinWindow::showModal() {
    if (m_modal)
        return;
    placeForFirstShowing();
    setWindowModality(Qt::ApplicationModal);
    m_modal = true;
    show();
    raise();
    activateWindow();
}

void SkinWindow::closeWindow() {
    hide();
}

void SkinWindow::closeEvent(QCloseEvent* event) {
    // Closing a skinned window only hides it; it lives for the whole run.
    event->ignore();
    hide();
}

void SkinWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The program spends most of its life with its windows hidden: their
    // pictures are decoded again when they next show.
    for (SkinPicture* picture : findChildren<SkinPicture*>())
        picture->releasePicture();
    // Nor does it keep the pixels it was drawn into: the next showing paints
    // the whole window afresh into a store of its size.
    if (QBackingStore* store = backingStore())
        store->resize(QSize(1, 1));
    m_dragging = false;
    // The next showing starts without the mark, until the keyboard moves the focus.
    m_keyboardCues = false;
    m_focusMark->hide();
    emit hidden();
    if (m_modal) {
        m_modal = false;
        setWindowModality(Qt::NonModal);
        emit finished();
    }
}

bool SkinWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_background)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        if (QGuiApplication::platformName() == QLatin1String("wayland") && windowHandle()) {
            // No client places its window under Wayland: the compositor moves it.
            windowHandle()->startSystemMove();
            return true;
        }
        m_dragging = true;
        m_drag = e->position().toPoint();
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            // The window follows the pointer, which keeps its place in it.
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            move(x() + at.x() - m_drag.x(), y() + at.y() - m_drag.y());
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return false;
    default:
        return false;
    }
}
