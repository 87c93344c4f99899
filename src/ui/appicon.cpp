#include "ui/appicon.h"

#include "ui/skin.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, 7> CarriedSizes = {16, 24, 32, 48, 64, 128, 256};

// The sizes' picture names: "icon16" ...
QString carriedName(int side) {
    return QStringLiteral("icon%1").arg(side);
}

// The carried pictures, each decoded when it is asked for and kept by nobody: the
// notification area asks for a small one now and then, and the large ones only a window
// switcher wants are not held (an icon of pictures would keep every size, and hand each
// picture it scales to the application's pixmap cache).
class CarriedIconEngine : public QIconEngine {
public:
    QIconEngine* clone() const override { return new CarriedIconEngine; }
    QString key() const override { return QStringLiteral("QuorvaneCarried"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : CarriedSizes)
            sizes.append(QSize(side, side));
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = pickedSide(size);
        return QSize(side, side).scaled(size.boundedTo(QSize(side, side)), Qt::KeepAspectRatio);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap picture = skinPixmap(carriedName(pickedSide(size)).toStdString());
        // Never larger than asked for, as an icon's pixmaps are.
        const QSize shown = actualSize(size, mode, state);
        if (picture.size() != shown)
            picture = picture.scaled(shown, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        return picture;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        const QSize drawn = picture.deviceIndependentSize().toSize();
        painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, drawn, rect),
                            picture);
    }

private:
    // The smallest carried side that covers `size`, else the largest.
    static int pickedSide(const QSize& size) {
        const int wanted = std::max(size.width(), size.height());
        for (const int side : CarriedSizes)
            if (side >= wanted)
                return side;
        return CarriedSizes.back();
    }
};

} // namespace

QString appId() {
    return QStringLiteral(QUORVANE_APP_ID);
}

QIcon appIcon() {
    // An installed copy puts the icon into the hicolor theme; the theme (or
    // the desktop's own theme overriding it) then has the final say.
    if (QIcon::hasThemeIcon(appId()))
        return QIcon::fromTheme(appId());
    return QIcon(new CarriedIconEngine);
}
