#include "ui/appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

// The program's icon: a small monitor with a landscape on its screen.
QIcon AppIcon() {
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
