#include "ui/appicon.h"

#include "ui/skin.h"

#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, 7> CarriedSizes = {16, 24, 32, 48, 64, 128, 256};

// The sizes' picture names: "icon16" ...
QString carriedName(int side) {
    return QStringLiteral("icon%1").arg(side);
}

// The carried pictures, each decoded when it is asked for and not kept: the
// notification area asks for a small one now and then, and nothing holds the
// large ones that only a window switcher wants.
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
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picked(size, 1.0).actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return picked(size, 1.0).pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return picked(size, scale).pixmap(size, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        picked(rect.size(), painter->device()->devicePixelRatio())
            .paint(painter, rect, Qt::AlignCenter, mode, state);
    }

private:
    // An icon of the one carried picture that serves `size` at `scale`: the
    // smallest that covers it, else the largest. It scales and greys that
    // picture as an icon of pictures does.
    static QIcon picked(const QSize& size, qreal scale) {
        const int wanted = qRound(std::max(size.width(), size.height()) * scale);
        int side = CarriedSizes.back();
        for (const int s : CarriedSizes)
            if (s >= wanted) {
                side = s;
                break;
            }
        return QIcon(skinPixmap(carriedName(side).toStdString()));
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
