#include "ui/skin.h"

#include "imaging/resources.h"
#include "ui/bitmapimage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <cmath>

QPixmap skinPixmap(std::string_view name) {
    Bitmap b;
    loadFromRes(name, b);
    // The image shares the bitmap's pixels: copy them before it goes.
    return QPixmap::fromImage(bitmapToQImage(b).copy());
}

// ------------------------------------------------------------ SkinPicture

SkinPicture::SkinPicture(const char* name, const QRect& rect, QWidget* parent,
                         std::string_view picture)
    : QWidget(parent) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAttribute(Qt::WA_TranslucentBackground);
    loadFromRes(picture.empty() ? std::string_view(name) : picture);
}

SkinPicture::SkinPicture(const char* name, const QRect& rect, QWidget* parent,
                         const QPixmap& pixmap)
    : QWidget(parent), m_pixmap(pixmap) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAttribute(Qt::WA_TranslucentBackground);
}

void SkinPicture::loadFromRes(std::string_view name) {
    m_pixmap = skinPixmap(name);
    m_pictureName = std::string(name);
    update();
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
    setAccessibleName(accessibleName);
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
    setAccessibleName(accessibleName);
}

void SkinSwitch::setOn(bool on) {
    m_on = on;
    loadFromRes(on ? "iOn" : "iOff");
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
}

SkinWindow::~SkinWindow() = default;

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
    m_dragging = false;
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
