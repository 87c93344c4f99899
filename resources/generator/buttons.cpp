// The button pictures, the on/off switches and the glare over the information panel.
//
// Every glyph is drawn light on transparent ground with a one-pixel shadow below it. A
// glowing lit picture is the same glyph, brighter, on a larger picture with a blue halo
// round it; the others light up by turning blue at the same size.
#include "skin.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

namespace skin {

namespace {

// The colours a glyph is drawn in.
struct Tone {
    QColor top;       // glyph fill at its top
    QColor bottom;    // and at its bottom
    QColor accentTop; // the blue parts (disc of Apply, sky of the manager's picture)
    QColor accentBottom;
    QColor rim; // outline of the blue parts
    bool lit;
};

const Tone NormalTone{QColor(226, 231, 239), QColor(158, 167, 183), QColor(84, 176, 238),
                      QColor(26, 98, 178),   QColor(10, 40, 80),    false};
const Tone LitTone{QColor(255, 255, 255), QColor(206, 232, 255), QColor(128, 206, 255),
                   QColor(42, 136, 226),  QColor(14, 62, 120),   true};

QLinearGradient Fill(const Tone& t, qreal top, qreal bottom) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, t.top);
    g.setColorAt(1, t.bottom);
    return g;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath Stroke(const QPainterPath& line, qreal width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker s;
    s.setWidth(width);
    s.setCapStyle(cap);
    s.setJoinStyle(Qt::RoundJoin);
    return s.createStroke(line).simplified();
}

QPainterPath Mirrored(const QPainterPath& path, qreal width) {
    return QTransform(-1, 0, 0, 1, width, 0).map(path);
}

// A plus sign of the given arm length and thickness, centred on c.
QPainterPath Plus(QPointF c, qreal length, qreal thickness) {
    QPainterPath across;
    across.addRect(QRectF(c.x() - length / 2, c.y() - thickness / 2, length, thickness));
    QPainterPath down;
    down.addRect(QRectF(c.x() - thickness / 2, c.y() - length / 2, thickness, length));
    return across.united(down);
}

// ---- Glyphs, each in its normal picture's size -------------------------------------

QPainterPath BackShape() {
    QPainterPath head = Polygon({{0.5, 6.5}, {9.5, 0.5}, {9.5, 12.5}});
    QPainterPath shaft;
    shaft.addRoundedRect(QRectF(8.5, 4.2, 11, 4.6), 1.2, 1.2);
    return head.united(shaft);
}

QPainterPath BeginShape() {
    QPainterPath bar;
    bar.addRoundedRect(QRectF(0.5, 0.5, 3.2, 15), 1, 1);
    return bar.united(Polygon({{5, 8}, {17.5, 0.5}, {17.5, 15.5}}));
}

QPainterPath MinusShape() {
    return Polygon({{0.5, 4.5}, {6.5, 0.3}, {6.5, 8.7}});
}

QPainterPath CloseShape() {
    QPainterPath x;
    x.moveTo(2.6, 1.6);
    x.lineTo(14.4, 12.4);
    x.moveTo(14.4, 1.6);
    x.lineTo(2.6, 12.4);
    return Stroke(x, 2.7);
}

QPainterPath MinimizeShape() {
    QPainterPath bar;
    bar.addRoundedRect(QRectF(0.5, 0.8, 22, 3.4), 1.6, 1.6);
    return bar;
}

QPainterPath ClearminiShape() {
    QPainterPath x;
    x.moveTo(1.6, 1.2);
    x.lineTo(7.4, 5.8);
    x.moveTo(7.4, 1.2);
    x.lineTo(1.6, 5.8);
    return Stroke(x, 1.8);
}

QPainterPath DelShape() {
    QPainterPath disc;
    disc.addEllipse(QPointF(9.5, 9), 8.6, 8.6);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(4.8, 7.8, 9.4, 2.4), 0.8, 0.8);
    return disc.subtracted(bar);
}

QPainterPath ClearShape() {
    QPainterPath handle;
    handle.addRoundedRect(QRectF(7.5, 0.5, 8, 4.5), 1.8, 1.8);
    QPainterPath handleHole;
    handleHole.addRect(QRectF(9.5, 2.2, 4, 3));
    QPainterPath lid;
    lid.addRoundedRect(QRectF(1, 3.5, 21, 3), 1.2, 1.2);
    QPainterPath body = Polygon({{3.6, 7.8}, {19.4, 7.8}, {18, 21.5}, {5, 21.5}});
    QPainterPath slits;
    for (qreal x : {7.7, 11.5, 15.3})
        slits.addRoundedRect(QRectF(x - 0.75, 10.5, 1.5, 8.2), 0.7, 0.7);
    return handle.subtracted(handleHole).united(lid).united(body.subtracted(slits));
}

QPainterPath DirShape() {
    QPainterPath tab;
    tab.addRoundedRect(QRectF(0.5, 0.5, 11.5, 5), 1.5, 1.5);
    QPainterPath folder;
    folder.addRoundedRect(QRectF(0.5, 3, 29, 16.5), 1.8, 1.8);
    return tab.united(folder).subtracted(Plus({15, 11.5}, 10, 2.6));
}

QPainterPath FileShape() {
    QPainterPath page = Polygon({{0.5, 0.5}, {11.6, 0.5}, {17.5, 6.4}, {17.5, 22.5}, {0.5, 22.5}});
    page = page.subtracted(Polygon({{10.8, -1}, {19, 7.2}, {10.8, 7.2}}));
    page = page.united(Polygon({{12, 1.6}, {16.4, 6}, {12, 6}}));
    return page.subtracted(Plus({9, 14.5}, 9, 2.4));
}

QPainterPath HelpShape() {
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 11.8), 11.3, 11.3);
    QPainterPath mark;
    mark.addText(0, 0, Font(17, true), QStringLiteral("?"));
    const QRectF b = mark.boundingRect();
    mark.translate(12 - b.center().x(), 11.8 - b.center().y());
    return disc.subtracted(mark);
}

QPainterPath ParamShape() {
    const QPointF c(12.5, 11.5);
    QPainterPath gear;
    gear.addEllipse(c, 8.4, 8.4);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-2.3, -11.3, 4.6, 6), 1.1, 1.1);
        gear = gear.united(QTransform().translate(c.x(), c.y()).rotate(45.0 * i + 22.5).map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(c, 3.6, 3.6);
    return gear.subtracted(hole);
}

QPainterPath UpdateShape() {
    QPainterPath arrow;
    arrow.addRoundedRect(QRectF(3.9, 0.5, 3.2, 6), 0.8, 0.8);
    arrow = arrow.united(Polygon({{0.5, 5.2}, {10.5, 5.2}, {5.5, 10.2}}));
    QPainterPath base;
    base.addRoundedRect(QRectF(0.5, 11, 10, 1.9), 0.8, 0.8);
    return arrow.united(base);
}

// Two crossing arrows; the one drawn second is cut free of the first by a gap.
void DrawRandom(QPainter& p, const Tone& t) {
    auto lane = [](qreal from, qreal to) {
        QPainterPath line;
        line.moveTo(0.5, from);
        line.lineTo(5, from);
        line.cubicTo(11, from, 12, to, 18, to);
        line.lineTo(20, to);
        return line;
    };
    auto head = [](qreal y) { return Polygon({{18.5, y - 4.3}, {25.5, y}, {18.5, y + 4.3}}); };
    const QPainterPath down = Stroke(lane(4.8, 14.2), 2.4, Qt::FlatCap).united(head(14.2));
    const QPainterPath up = Stroke(lane(14.2, 4.8), 2.4, Qt::FlatCap).united(head(4.8));
    p.fillPath(down, Fill(t, 0, 19));
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillPath(Stroke(lane(14.2, 4.8), 5.2, Qt::FlatCap), Qt::black);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillPath(up, Fill(t, 0, 19));
}

// A disc in blue with a check mark: the apply buttons.
void DrawCheckDisc(QPainter& p, QPointF c, qreal r, qreal check, const Tone& t, bool blue) {
    QRadialGradient disc(c.x(), c.y() - r * 0.55, r * 1.6);
    const QColor top = blue ? t.accentTop : QColor(96, 114, 140);
    const QColor bottom = blue ? t.accentBottom : QColor(44, 56, 74);
    disc.setColorAt(0, top);
    disc.setColorAt(1, bottom);
    p.setPen(QPen(blue ? t.rim : QColor(14, 18, 24), 1));
    p.setBrush(disc);
    p.drawEllipse(c, r, r);
    // Gloss over the upper half.
    QLinearGradient gloss(0, c.y() - r, 0, c.y());
    gloss.setColorAt(0, QColor(255, 255, 255, blue ? 90 : 60));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QPointF(c.x(), c.y() - r * 0.42), r * 0.78, r * 0.52);
    QPainterPath mark;
    const qreal s = check;
    mark.moveTo(c.x() - 0.45 * s, c.y() + 0.02 * s);
    mark.lineTo(c.x() - 0.12 * s, c.y() + 0.34 * s);
    mark.lineTo(c.x() + 0.48 * s, c.y() - 0.32 * s);
    const QPainterPath stroke = Stroke(mark, s * 0.2);
    p.fillPath(stroke.translated(0, 0.8), QColor(0, 20, 50, 110));
    p.fillPath(stroke, blue || t.lit ? QColor(255, 255, 255) : QColor(220, 228, 238));
}

// Two picture cards, the front one with a landscape: the picture manager.
void DrawManager(QPainter& p, const Tone& t) {
    const QRectF back(3, 3, 21, 15.5);
    const QRectF front(9.5, 10, 25.5, 21.5);
    p.save();
    p.translate(back.center());
    p.rotate(-9);
    p.translate(-back.center());
    p.setPen(QPen(QColor(10, 12, 16, 200), 1));
    p.setBrush(t.lit ? QColor(170, 205, 235) : QColor(118, 127, 143));
    p.drawRoundedRect(back, 2, 2);
    p.restore();
    // A gap between the cards.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(front.adjusted(-1.6, -1.6, 1.6, 1.6), 3, 3);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrush(Fill(t, front.top(), front.bottom()));
    p.drawRoundedRect(front, 2, 2);
    const QRectF screen = front.adjusted(2.5, 2.5, -2.5, -2.5);
    QLinearGradient sky(0, screen.top(), 0, screen.bottom());
    sky.setColorAt(0, t.lit ? t.accentTop : QColor(58, 70, 90));
    sky.setColorAt(1, t.lit ? t.accentBottom : QColor(30, 36, 46));
    p.setBrush(sky);
    p.drawRect(screen);
    p.setClipRect(screen);
    p.setBrush(t.lit ? QColor(255, 255, 255) : QColor(150, 160, 178));
    p.drawPath(Polygon({{screen.left(), screen.bottom()},
                        {screen.left() + 7, screen.top() + 6},
                        {screen.left() + 12, screen.top() + 11},
                        {screen.left() + 15, screen.top() + 8.5},
                        {screen.right(), screen.bottom()}}));
    p.setBrush(t.lit ? QColor(255, 236, 170) : QColor(176, 184, 198));
    p.drawEllipse(QPointF(screen.right() - 4.5, screen.top() + 4), 2.2, 2.2);
    p.setClipping(false);
}

using ShapeFn = QPainterPath (*)();

const std::map<std::string, ShapeFn>& Shapes() {
    static const std::map<std::string, ShapeFn> shapes{
        {"iBack", BackShape},     {"iBegin", BeginShape},       {"iMinus", MinusShape},
        {"iClose", CloseShape},   {"iMinimize", MinimizeShape}, {"iClearmini", ClearminiShape},
        {"iDel", DelShape},       {"iClear", ClearShape},       {"iDir", DirShape},
        {"iFile", FileShape},     {"iHelp", HelpShape},         {"iParam", ParamShape},
        {"iUpdate", UpdateShape},
    };
    return shapes;
}

// The glyph alone, on a transparent picture of the normal size.
QImage Glyph(const ButtonPicture& b, const Tone& t) {
    QImage img = Canvas(b.normal.width(), b.normal.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const std::string name = b.name;
    const qreal h = b.normal.height() - 1;
    if (name == "iRandom") {
        DrawRandom(p, t);
    } else if (name == "iApply") {
        DrawCheckDisc(p, {18.5, 17}, 16.4, 24, t, true);
    } else if (name == "iApplySmall") {
        DrawCheckDisc(p, {12, 11.5}, 10.8, 16, t, t.lit);
    } else if (name == "iManager") {
        DrawManager(p, t);
    } else if (name == "iNext") {
        p.fillPath(Mirrored(BackShape(), b.normal.width()), Fill(t, 0, h));
    } else if (name == "iEnd") {
        p.fillPath(Mirrored(BeginShape(), b.normal.width()), Fill(t, 0, h));
    } else if (name == "iPlus") {
        p.fillPath(Mirrored(MinusShape(), b.normal.width()), Fill(t, 0, h));
    } else if (name == "iClearmini") {
        // Lights up by colour: grey, then blue.
        p.fillPath(ClearminiShape(), t.lit ? QColor(120, 205, 255) : QColor(150, 160, 176));
    } else {
        p.fillPath(Shapes().at(name)(), Fill(t, 0, h));
    }
    return img;
}

// The glyph over its shadow, one pixel lower.
QImage WithShadow(const QImage& glyph) {
    QImage shadow = glyph;
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), QColor(0, 0, 0, 170));
    }
    QImage out = CanvasLike(glyph);
    QPainter p(&out);
    p.drawImage(0, 1, shadow);
    p.drawImage(0, 0, glyph);
    return out;
}

} // namespace

const std::vector<ButtonPicture>& Buttons() {
    static const std::vector<ButtonPicture> buttons{
        {"iApply", {37, 35}, {44, 43}, Lighting::Glow},
        {"iApplySmall", {24, 24}, {24, 24}, Lighting::Colour},
        {"iBack", {20, 14}, {28, 22}, Lighting::Glow},
        {"iBegin", {18, 17}, {26, 25}, Lighting::Glow},
        {"iClear", {23, 23}, {31, 31}, Lighting::Glow},
        {"iClearmini", {9, 8}, {9, 8}, Lighting::Colour},
        {"iClose", {17, 15}, {31, 30}, Lighting::Glow},
        {"iDel", {19, 19}, {27, 27}, Lighting::Glow},
        {"iDir", {30, 21}, {38, 29}, Lighting::Glow},
        {"iEnd", {18, 17}, {26, 25}, Lighting::Glow},
        {"iFile", {18, 24}, {26, 32}, Lighting::Glow},
        {"iHelp", {24, 25}, {32, 33}, Lighting::Glow},
        {"iManager", {36, 34}, {36, 34}, Lighting::Colour},
        {"iMinimize", {23, 6}, {37, 22}, Lighting::Glow},
        {"iMinus", {7, 10}, {15, 18}, Lighting::Glow},
        {"iNext", {20, 14}, {28, 22}, Lighting::Glow},
        {"iParam", {25, 24}, {33, 32}, Lighting::Glow},
        {"iPlus", {7, 10}, {15, 18}, Lighting::Glow},
        {"iRandom", {26, 20}, {34, 28}, Lighting::Glow},
        {"iUpdate", {11, 14}, {19, 22}, Lighting::Glow},
    };
    return buttons;
}

QImage DrawButton(const ButtonPicture& b, bool lit, QPoint litOffset) {
    if (!lit)
        return WithShadow(Glyph(b, NormalTone));
    if (b.lighting == Lighting::Colour)
        return WithShadow(Glyph(b, LitTone));
    QImage glyph = Canvas(b.lit.width(), b.lit.height());
    {
        QPainter p(&glyph);
        p.drawImage(litOffset, Glyph(b, LitTone));
    }
    QImage out = Halo(glyph, 4, Accent, 2.4);
    QPainter p(&out);
    p.drawImage(0, 0, glyph);
    return out;
}

namespace {

// The pill both switches share, 55 x 15, at (x, y).
void DrawSwitch(QPainter& p, qreal x, qreal y, bool on) {
    const QRectF pill(x + 0.5, y + 0.5, 54, 14);
    QLinearGradient track(0, pill.top(), 0, pill.bottom());
    if (on) {
        track.setColorAt(0, QColor(40, 124, 206));
        track.setColorAt(1, QColor(92, 186, 246));
    } else {
        track.setColorAt(0, QColor(12, 13, 16));
        track.setColorAt(1, QColor(34, 37, 44));
    }
    p.setPen(QPen(on ? QColor(12, 52, 100) : QColor(4, 5, 7), 1));
    p.setBrush(track);
    p.drawRoundedRect(pill, 7, 7);
    // The lower lip catches the light.
    p.setPen(QPen(QColor(255, 255, 255, on ? 60 : 22), 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(pill.adjusted(0.5, 1, -0.5, 0), 200 * 16, 140 * 16);

    const qreal knobX = on ? pill.right() - 7 : pill.left() + 7;
    const QPointF knob(knobX, pill.center().y());
    QLinearGradient metal(0, knob.y() - 6, 0, knob.y() + 6);
    metal.setColorAt(0, on ? QColor(250, 252, 255) : QColor(170, 178, 192));
    metal.setColorAt(1, on ? QColor(196, 210, 226) : QColor(96, 104, 118));
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    p.setBrush(metal);
    p.drawEllipse(knob, 5.6, 5.6);

    const QRectF text = on ? QRectF(pill.left() + 4, pill.top(), 34, pill.height())
                           : QRectF(pill.left() + 16, pill.top(), 36, pill.height());
    //: On the switches, in capitals: the on and off states.
    const QString caption = on ? Tr(QT_TRANSLATE_NOOP("Skin", "ON"))
                               //: On the switches, in capitals: the on and off states.
                               : Tr(QT_TRANSLATE_NOOP("Skin", "OFF"));
    const QFont font = FitFont(Font(9, true), caption, text.width() - 2);
    NoteCaption(text.adjusted(1, 0, -1, 0), caption, font, 9);
    p.setFont(font);
    p.setPen(on ? QColor(255, 255, 255) : QColor(112, 121, 138));
    p.drawText(text, Qt::AlignCenter, caption);
}

} // namespace

QImage DrawSwitchOn() {
    QImage img = Canvas(55, 15);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSwitch(p, 0, 0, true);
    return img;
}

QImage DrawSwitchOff() {
    // The same pill as the on picture, standing in the middle of a larger picture so
    // that both show at the same place.
    QImage img = Canvas(61, 23);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSwitch(p, 3, 4, false);
    return img;
}

QImage DrawGlare() {
    // A sheen on the glass of the information panel: brightest along the top edge, gone
    // below a gently curved line, fading in at the left and out towards the right.
    constexpr int W = 370;
    constexpr int H = 50;
    constexpr int MaxAlpha = 40;
    // Worked out per pixel at the picture's scale, in the coordinates of scale 1.
    const int s = Scale();
    QImage img(W * s, H * s, QImage::Format_ARGB32);
    img.setDevicePixelRatio(s);
    for (int py = 0; py < H * s; ++py) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(py));
        const double y = (py + 0.5) / s - 0.5;
        for (int px = 0; px < W * s; ++px) {
            const double x = (px + 0.5) / s - 0.5;
            const double u = (x + 0.5) / W;
            const double edge = 20 + 22 * u - 9 * std::sin(u * 3.14159265);
            const double v = (y + 0.5) / edge;
            double a = v < 1 ? std::pow(1 - v, 1.3) * 0.8 + 0.2 : 0;
            // Soft lower edge: one pixel of blending.
            if (v >= 1 && (y + 0.5) - edge < 1)
                a = 0.2 * (1 - ((y + 0.5) - edge));
            const double fadeIn = std::min(1.0, (x + 0.5) / 40.0);
            const double fadeOut = std::min(1.0, (W - x - 0.5) / 150.0);
            a *= fadeIn * std::pow(fadeOut, 1.5);
            const int alpha = std::clamp(static_cast<int>(std::lround(a * MaxAlpha)), 0, MaxAlpha);
            row[px] = qRgba(255, 255, 255, alpha);
        }
    }
    return img;
}

} // namespace skin
