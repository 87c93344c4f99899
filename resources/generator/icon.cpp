// The program icon: the strip's monitor in small, a landscape with a sun on its screen.
#include "skin.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace skin {

QImage DrawIcon(int size) {
    QImage img = Canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Edges on whole pixels keep the small sizes sharp.
    const double unit = size / 16.0;
    auto at = [&](double u) { return std::round(u * unit); };
    const bool tiny = size < 32;

    const int rim = std::max(1, static_cast<int>(std::lround(size / 22.0)));
    const QRectF bezel(at(0.25), at(1.5), at(15.75) - at(0.25), at(12.25) - at(1.5));
    const int chin = tiny ? rim : std::max(rim + 1, static_cast<int>(std::lround(size / 14.0)));
    const QRectF screen = bezel.adjusted(rim, rim, -rim, -chin);
    const qreal radius = std::max(1.0, size / 18.0);

    if (!tiny) {
        // A soft shadow on the desk below the monitor.
        QRadialGradient shade(QPointF(size / 2.0, at(15.1)), size * 0.42);
        shade.setColorAt(0, QColor(0, 0, 0, 110));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.save();
        p.translate(size / 2.0, at(15.1));
        p.scale(1, 0.12);
        p.translate(-size / 2.0, -at(15.1));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawEllipse(QPointF(size / 2.0, at(15.1)), size * 0.42, size * 0.42);
        p.restore();
    }

    // The stand: neck and foot in dark metal.
    QLinearGradient metal(at(6), 0, at(10), 0);
    metal.setColorAt(0, QColor(44, 48, 56));
    metal.setColorAt(0.5, QColor(92, 99, 112));
    metal.setColorAt(1, QColor(40, 43, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    const qreal neckTop = bezel.bottom();
    const qreal footTop = at(13.6);
    p.drawRect(QRectF(at(6.75), neckTop, at(9.25) - at(6.75), footTop - neckTop));
    QLinearGradient foot(0, footTop, 0, at(15));
    foot.setColorAt(0, QColor(120, 128, 142));
    foot.setColorAt(1, QColor(38, 41, 48));
    p.setBrush(foot);
    p.drawRoundedRect(QRectF(at(4), footTop, at(12) - at(4), std::max(1.0, at(15) - footTop)),
                      radius / 2, radius / 2);

    // The bezel: dark metal, lighter at the top, with a bright rim.
    QLinearGradient body(0, bezel.top(), 0, bezel.bottom());
    body.setColorAt(0, QColor(84, 90, 102));
    body.setColorAt(0.15, QColor(56, 61, 71));
    body.setColorAt(1, QColor(24, 26, 31));
    p.setBrush(body);
    p.drawRoundedRect(bezel, radius, radius);
    if (!tiny) {
        p.setPen(QPen(QColor(255, 255, 255, 46), std::max(1.0, size / 64.0)));
        p.setBrush(Qt::NoBrush);
        const qreal in = std::max(1.0, size / 64.0) / 2;
        p.drawRoundedRect(bezel.adjusted(in, in, -in, -in), radius - in, radius - in);
        p.setPen(Qt::NoPen);
    }

    // The screen: a sky in the blue of the power light, a sun, two rows of hills.
    QLinearGradient sky(0, screen.top(), 0, screen.bottom());
    sky.setColorAt(0, QColor(36, 112, 196));
    sky.setColorAt(0.7, QColor(120, 196, 246));
    sky.setColorAt(1, QColor(178, 224, 250));
    p.setBrush(sky);
    p.drawRect(screen);
    p.save();
    p.setClipRect(screen);
    const qreal w = screen.width();
    const qreal h = screen.height();
    const QPointF sun(screen.left() + w * 0.72, screen.top() + h * 0.3);
    const qreal sunRadius = std::max(0.9, h * 0.13);
    QRadialGradient halo(sun, sunRadius * 3);
    halo.setColorAt(0, QColor(255, 246, 214, 150));
    halo.setColorAt(1, QColor(255, 246, 214, 0));
    p.setBrush(halo);
    p.drawEllipse(sun, sunRadius * 3, sunRadius * 3);
    p.setBrush(QColor(255, 242, 200));
    p.drawEllipse(sun, sunRadius, sunRadius);
    auto pt = [&](double x, double y) {
        return QPointF(screen.left() + w * x, screen.top() + h * y);
    };
    QPolygonF far;
    far << pt(0, 0.62) << pt(0.22, 0.38) << pt(0.4, 0.56) << pt(0.58, 0.44) << pt(0.8, 0.64)
        << pt(1, 0.5) << pt(1, 1) << pt(0, 1);
    QLinearGradient farFill(0, screen.top() + h * 0.4, 0, screen.bottom());
    farFill.setColorAt(0, QColor(58, 104, 160));
    farFill.setColorAt(1, QColor(34, 64, 110));
    p.setBrush(farFill);
    p.drawPolygon(far);
    QPolygonF near;
    near << pt(0, 0.86) << pt(0.3, 0.64) << pt(0.55, 0.8) << pt(0.78, 0.7) << pt(1, 0.84)
         << pt(1, 1) << pt(0, 1);
    QLinearGradient nearFill(0, screen.top() + h * 0.64, 0, screen.bottom());
    nearFill.setColorAt(0, QColor(30, 58, 96));
    nearFill.setColorAt(1, QColor(16, 30, 54));
    p.setBrush(nearFill);
    p.drawPolygon(near);
    // A faint diagonal glare on the glass, as on the strip's monitor.
    if (!tiny) {
        QLinearGradient glare(screen.topLeft(), screen.topLeft() + QPointF(w * 0.5, h * 0.8));
        glare.setColorAt(0, QColor(255, 255, 255, 50));
        glare.setColorAt(1, QColor(255, 255, 255, 0));
        QPolygonF band;
        band << pt(0, 0) << pt(0.55, 0) << pt(0.25, 1) << pt(0, 1);
        p.setBrush(glare);
        p.drawPolygon(band);
    }
    p.restore();

    if (!tiny) {
        // The recess round the glass and the power light in the chin.
        p.setPen(QPen(QColor(0, 0, 0, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(screen.adjusted(-0.5, -0.5, 0.5, 0.5));
        p.setPen(Qt::NoPen);
        const QPointF led(bezel.center().x(), screen.bottom() + chin / 2.0);
        const qreal ledRadius = std::max(0.8, size / 90.0);
        QRadialGradient light(led, ledRadius * 2.5);
        light.setColorAt(0, QColor(160, 226, 255, 255));
        light.setColorAt(0.4, QColor(70, 172, 240, 200));
        light.setColorAt(1, QColor(70, 172, 240, 0));
        p.setBrush(light);
        p.drawEllipse(led, ledRadius * 2.5, ledRadius * 2.5);
    }
    return img;
}

} // namespace skin
