// The preview strip's pictures: background (800 x 180, RGB), a monitor on a dark ground
// whose screen is exactly (302, 16)-(499, 139), where the current wallpaper shows; and
// loadphoto (197 x 123, RGB), the dark plate shown while a thumbnail is made.
#include "skin.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace skin {

namespace {

constexpr QRect Screen(302, 16, 197, 123);
constexpr int SideTop = 40;
constexpr int SideLefts[4] = {18, 150, 536, 668};

void DrawGround(QPainter& p, const QRect& all) {
    QLinearGradient ground(0, 0, 0, all.height());
    ground.setColorAt(0.0, QColor(38, 42, 50));
    ground.setColorAt(0.55, QColor(24, 26, 31));
    ground.setColorAt(1.0, QColor(12, 13, 16));
    p.fillRect(all, ground);

    // A cool glow behind the monitor.
    QRadialGradient glow(400, 72, 330);
    glow.setColorAt(0.0, QColor(110, 140, 185, 70));
    glow.setColorAt(0.45, QColor(80, 100, 135, 28));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(all, glow);

    // The desk: a slightly lighter, glossy band with a thin edge.
    QLinearGradient desk(0, 150, 0, 180);
    desk.setColorAt(0.0, QColor(255, 255, 255, 16));
    desk.setColorAt(0.25, QColor(255, 255, 255, 6));
    desk.setColorAt(1.0, QColor(0, 0, 0, 40));
    p.fillRect(QRect(0, 150, all.width(), 30), desk);
    QLinearGradient edge(0, 0, all.width(), 0);
    edge.setColorAt(0.0, QColor(255, 255, 255, 0));
    edge.setColorAt(0.5, QColor(200, 220, 255, 46));
    edge.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 150, all.width(), 1), edge);

    // The vignette darkens the ends and the corners.
    QRadialGradient vignette(400, 90, 470);
    vignette.setColorAt(0.0, QColor(0, 0, 0, 0));
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 170));
    p.fillRect(all, vignette);
}

// Where the framed thumbnails stand: a drop shadow that shows below and
// right of each white frame, and a faint lit pad.
void DrawSideSlots(QPainter& p) {
    for (int left : SideLefts) {
        const QRectF frame(left, SideTop, 114, 74);
        SoftShadow(p, frame.translated(2, 3), 2, 5, 70);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 10));
        p.drawRoundedRect(frame.adjusted(-1, -1, 1, 1), 2, 2);
    }
}

void DrawMonitor(QPainter& p) {
    const QRectF bezel(289.5, 3.5, 222, 148);
    SoftShadow(p, bezel.translated(0, 3), 10, 7, 90);

    // Shadow of the stand on the desk.
    QRadialGradient shadow(QPointF(400, 173), 78);
    shadow.setColorAt(0.0, QColor(0, 0, 0, 150));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.save();
    p.translate(400, 173);
    p.scale(1.0, 0.08);
    p.translate(-400, -173);
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(400, 173), 78, 78);
    p.restore();

    // Stand: a tapered neck and a flat foot.
    QLinearGradient metal(383, 0, 417, 0);
    metal.setColorAt(0.0, QColor(30, 33, 39));
    metal.setColorAt(0.5, QColor(62, 67, 77));
    metal.setColorAt(1.0, QColor(26, 28, 33));
    QPainterPath neck;
    neck.moveTo(389, 150);
    neck.lineTo(411, 150);
    neck.lineTo(417, 166);
    neck.lineTo(383, 166);
    neck.closeSubpath();
    p.setPen(QPen(QColor(10, 11, 13), 1));
    p.setBrush(metal);
    p.drawPath(neck);
    QLinearGradient foot(0, 164, 0, 172);
    foot.setColorAt(0.0, QColor(84, 90, 102));
    foot.setColorAt(0.3, QColor(50, 54, 62));
    foot.setColorAt(1.0, QColor(20, 22, 26));
    p.setBrush(foot);
    p.drawRoundedRect(QRectF(344.5, 164.5, 111, 8), 4, 4);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(QPointF(349, 165.5), QPointF(451, 165.5));

    // Its faint mirror image on the glossy desk.
    QLinearGradient mirror(0, 173, 0, 180);
    mirror.setColorAt(0.0, QColor(90, 98, 112, 60));
    mirror.setColorAt(1.0, QColor(90, 98, 112, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(mirror);
    p.drawRoundedRect(QRectF(348, 173, 104, 7), 3, 3);

    // The bezel: dark metal, lighter at the top, a bright rim.
    QLinearGradient body(0, bezel.top(), 0, bezel.bottom());
    body.setColorAt(0.0, QColor(66, 71, 81));
    body.setColorAt(0.12, QColor(46, 50, 58));
    body.setColorAt(1.0, QColor(22, 24, 29));
    p.setPen(QPen(QColor(6, 7, 9), 1));
    p.setBrush(body);
    p.drawRoundedRect(bezel, 9, 9);
    p.setPen(QPen(QColor(255, 255, 255, 34), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(bezel.adjusted(1, 1, -1, -1), 8, 8);

    // A soft sheen across the upper bezel.
    QPainterPath sheen;
    sheen.addRoundedRect(bezel.adjusted(1.5, 1.5, -1.5, -1.5), 7.5, 7.5);
    QLinearGradient sheenFill(bezel.left(), bezel.top(), bezel.left() + 120, bezel.top() + 150);
    sheenFill.setColorAt(0.0, QColor(255, 255, 255, 26));
    sheenFill.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheenFill);
    p.drawPath(sheen);

    // The recess around the glass.
    p.setBrush(QColor(8, 9, 11));
    p.drawRect(QRect(Screen.left() - 2, Screen.top() - 2, Screen.width() + 4, Screen.height() + 4));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(
        QRectF(Screen.left() - 2.5, Screen.top() - 2.5, Screen.width() + 4, Screen.height() + 4));

    // The power light in the chin.
    QRadialGradient led(QPointF(400, 146), 4);
    led.setColorAt(0.0, QColor(140, 220, 255, 255));
    led.setColorAt(0.4, QColor(60, 170, 235, 200));
    led.setColorAt(1.0, QColor(60, 170, 235, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(led);
    p.drawEllipse(QPointF(400, 146), 4, 4);

    // The switched-off screen: deep blue-grey glass with a diagonal glare.
    QLinearGradient glass(Screen.topLeft(), Screen.bottomRight());
    glass.setColorAt(0.0, QColor(28, 36, 50));
    glass.setColorAt(1.0, QColor(9, 12, 18));
    p.fillRect(Screen, glass);
    QPainterPath glare;
    glare.moveTo(Screen.left(), Screen.top());
    glare.lineTo(Screen.left() + 120, Screen.top());
    glare.lineTo(Screen.left() + 50, Screen.top() + Screen.height());
    glare.lineTo(Screen.left(), Screen.top() + Screen.height());
    glare.closeSubpath();
    QLinearGradient glareFill(Screen.left(), Screen.top(), Screen.left() + 90, Screen.top() + 60);
    glareFill.setColorAt(0.0, QColor(255, 255, 255, 22));
    glareFill.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setClipRect(Screen);
    p.fillPath(glare, glareFill);
    p.setClipping(false);
}

} // namespace

QImage DrawStripBackground() {
    // At scale 2 every pixel of the strip becomes four: the monitor's screen
    // stays exactly the scaled rectangle.
    QImage img(800 * Scale(), 180 * Scale(), QImage::Format_RGB32);
    img.setDevicePixelRatio(Scale());
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        DrawGround(p, QRect(0, 0, 800, 180));
        DrawSideSlots(p);
    }
    AddGrain(img, 2, 7);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        DrawMonitor(p);
    }
    return img;
}

namespace {

// A picture symbol: a framed landscape with a sun.
void DrawGlyph(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 4, 4);
    QPainterPath hills;
    hills.moveTo(r.left() + 3, r.bottom() - 3);
    hills.lineTo(r.left() + r.width() * 0.36, r.top() + r.height() * 0.45);
    hills.lineTo(r.left() + r.width() * 0.56, r.top() + r.height() * 0.70);
    hills.lineTo(r.left() + r.width() * 0.72, r.top() + r.height() * 0.55);
    hills.lineTo(r.right() - 3, r.bottom() - 3);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(hills);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.24, r.top() + r.height() * 0.28),
                  r.height() * 0.11, r.height() * 0.11);
}

} // namespace

QImage DrawLoadPhoto() {
    QImage img(197 * Scale(), 123 * Scale(), QImage::Format_RGB32);
    img.setDevicePixelRatio(Scale());
    const QRect all(0, 0, 197, 123);
    {
        QPainter p(&img);
        QLinearGradient plate(0, 0, 197, 123);
        plate.setColorAt(0.0, QColor(47, 51, 60));
        plate.setColorAt(1.0, QColor(25, 27, 32));
        p.fillRect(all, plate);
        // Fine diagonal brushing.
        p.setPen(QPen(QColor(255, 255, 255, 9), 1));
        for (int x = -123; x < 197; x += 5)
            p.drawLine(x, 123, x + 123, 0);
    }
    AddGrain(img, 5, 11);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient vignette(98.5, 61.5, 120);
        vignette.setColorAt(0.0, QColor(0, 0, 0, 0));
        vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
        vignette.setColorAt(1.0, QColor(0, 0, 0, 120));
        p.fillRect(all, vignette);
        // A soft light behind the symbol.
        QRadialGradient halo(98.5, 55, 48);
        halo.setColorAt(0.0, QColor(120, 140, 170, 40));
        halo.setColorAt(1.0, QColor(120, 140, 170, 0));
        p.fillRect(all, halo);

        DrawGlyph(p, QRectF(76.5, 38.5, 44, 32), QColor(122, 131, 148));
        // Three dots: the picture is on its way.
        p.setPen(Qt::NoPen);
        const QColor dots[3] = {QColor(122, 131, 148), QColor(98, 106, 121), QColor(76, 82, 95)};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(dots[i]);
            p.drawEllipse(QPointF(90.5 + 8 * i, 84.5), 2.0, 2.0);
        }
        // Bevel: a light upper-left rim and a dark lower-right one.
        p.setPen(QPen(QColor(255, 255, 255, 30), 1));
        p.drawLine(QPointF(0.5, 0.5), QPointF(196.5, 0.5));
        p.drawLine(QPointF(0.5, 0.5), QPointF(0.5, 122.5));
        p.setPen(QPen(QColor(0, 0, 0, 110), 1));
        p.drawLine(QPointF(0.5, 122.5), QPointF(196.5, 122.5));
        p.drawLine(QPointF(196.5, 0.5), QPointF(196.5, 122.5));
    }
    return img;
}

} // namespace skin
