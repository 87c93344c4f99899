// The backgrounds of the four skinned windows, with every caption and label on them.
//
// All share the body: a dark blue-grey ground with rounded corners (radius 10, the
// corners of the window's shape) and a title bar with the icon and the window's title.
// Captions stand above the controls they name, lined up with the controls' rectangles.
#include "skin.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace skin {

namespace {

constexpr int TitleHeight = 30;

// A band from top, height high, centred over a control's rectangle: a caption drawn
// centred in it stands centred over the control.
QRectF Above(const QRect& r, int top, int height) {
    return QRectF(r.left() - 20, top, r.width() + 40, height);
}

QRect RectOf(const WindowLayout& l, const char* name) {
    for (const Control& c : l.controls)
        if (QString::fromLatin1(c.name) == QString::fromLatin1(name))
            return c.rect;
    qFatal("no control %s", name);
}

// Ground and title bar; grain follows, then the rims (Finish).
QImage Body(const WindowLayout& l) {
    const int w = l.background.width();
    const int h = l.background.height();
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(QRectF(0, 0, w, h), 10, 10);
    QLinearGradient ground(0, 0, 0, h);
    ground.setColorAt(0, GroundTop);
    ground.setColorAt(0.45, GroundMiddle);
    ground.setColorAt(1, GroundBottom);
    p.fillPath(body, ground);
    p.setClipPath(body);
    // A cool light from above, as behind the strip's monitor.
    QRadialGradient glow(w / 2.0, TitleHeight, w * 0.6);
    glow.setColorAt(0, QColor(110, 140, 185, 34));
    glow.setColorAt(1, QColor(110, 140, 185, 0));
    p.fillRect(QRect(0, TitleHeight, w, h - TitleHeight), glow);

    QLinearGradient bar(0, 0, 0, TitleHeight);
    bar.setColorAt(0, QColor(66, 72, 84));
    bar.setColorAt(0.5, QColor(48, 53, 62));
    bar.setColorAt(1, QColor(38, 42, 50));
    p.fillRect(QRect(0, 0, w, TitleHeight), bar);
    p.fillRect(QRect(0, TitleHeight, w, 1), QColor(6, 7, 9));
    p.fillRect(QRect(0, TitleHeight + 1, w, 1), QColor(255, 255, 255, 14));
    return img;
}

// The title, the rims and the icon, drawn after the grain.
void Finish(QImage& img, const WindowLayout& l) {
    const int w = l.background.width();
    const int h = l.background.height();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(10, 7, DrawIcon(16));
    Caption(p, QRectF(33, 0, w - 140, TitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
            QString::fromLatin1(l.title), Font(13, true), TitleText);
    // A dark outer edge and a faint bright rim inside it.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 230), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 9.5, 9.5);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawRoundedRect(QRectF(1.5, 1.5, w - 3, h - 3), 8.5, 8.5);
}

// A black recess: what labels, fields and lists sit in.
void Well(QPainter& p, const QRectF& r, qreal radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 20)); // the lower lip catches the light
    p.drawRoundedRect(r.adjusted(0, 0, 0, 1), radius, radius);
    p.setBrush(QColor(0, 0, 0));
    p.drawRoundedRect(r, radius, radius);
}

// A raised plate a little lighter than the ground.
void Plate(QPainter& p, const QRectF& r, qreal radius) {
    SoftShadow(p, r.translated(0, 1), radius, 3, 50);
    QLinearGradient fill(0, r.top(), 0, r.bottom());
    fill.setColorAt(0, QColor(50, 55, 65));
    fill.setColorAt(1, QColor(30, 33, 40));
    p.setPen(QPen(QColor(6, 7, 9), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 24), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
}

// A thin groove across the window.
void Groove(QPainter& p, qreal x1, qreal x2, qreal y) {
    QLinearGradient dark(x1, 0, x2, 0);
    dark.setColorAt(0, QColor(0, 0, 0, 0));
    dark.setColorAt(0.5, QColor(0, 0, 0, 170));
    dark.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(x1, y, x2 - x1, 1), dark);
    QLinearGradient light(x1, 0, x2, 0);
    light.setColorAt(0, QColor(255, 255, 255, 0));
    light.setColorAt(0.5, QColor(255, 255, 255, 26));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(x1, y + 1, x2 - x1, 1), light);
}

// A small heading with fading lines to either side.
void Heading(QPainter& p, qreal x1, qreal x2, qreal y, const QString& text) {
    const QFont f = Font(9, true);
    QFont spaced = f;
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    const QFontMetricsF m(spaced);
    const qreal tw = m.horizontalAdvance(text);
    const qreal cx = (x1 + x2) / 2;
    Caption(p, QRectF(cx - tw / 2 - 10, y, tw + 20, 12), Qt::AlignCenter, text, spaced, MutedText);
    auto line = [&](qreal a, qreal b, bool fadeLeft) {
        QLinearGradient g(a, 0, b, 0);
        g.setColorAt(fadeLeft ? 0 : 1,
                     QColor(MutedText.red(), MutedText.green(), MutedText.blue(), 0));
        g.setColorAt(fadeLeft ? 1 : 0,
                     QColor(MutedText.red(), MutedText.green(), MutedText.blue(), 90));
        p.fillRect(QRectF(a, y + 6, b - a, 1), g);
    };
    line(x1, cx - tw / 2 - 6, true);
    line(cx + tw / 2 + 6, x2, false);
}

} // namespace

QImage DrawMainBackground() {
    const WindowLayout& l = MainLayout();
    QImage img = Body(l);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        // Under the strip, which covers (0, 119)-(800, 299) at run time.
        p.fillRect(QRect(0, 119, 799, 180), QColor(12, 13, 16));
    }
    AddGrain(img, 2, 17);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // The information panel: a black display with the captions in front of the labels.
    Well(p, QRectF(8, 41, 698, 70), 6);
    const QFont label = Font(10, true);
    const char* rows[] = {"lbNum", "lbFile", "lbDir"};
    const char* captions[] = {"Number", "File", "Folder"};
    for (int i = 0; i < 3; ++i) {
        const QRect r = RectOf(l, rows[i]);
        Caption(p, QRectF(14, r.top(), r.left() - 14 - 6, r.height()),
                Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(captions[i]), label,
                MutedText);
    }

    // The manager's tile beside the panel.
    const QRect manager = RectOf(l, "iManager");
    Plate(p, QRectF(710.5, 41.5, 83, 69), 6);
    Caption(p, QRectF(manager.left(), 45, manager.width(), 14), Qt::AlignCenter,
            QStringLiteral("Manager"), Font(10, true));

    // Shadows above and below the strip.
    QLinearGradient over(0, 112, 0, 119);
    over.setColorAt(0, QColor(0, 0, 0, 0));
    over.setColorAt(1, QColor(0, 0, 0, 120));
    p.fillRect(QRect(0, 112, 799, 7), over);
    QLinearGradient under(0, 299, 0, 310);
    under.setColorAt(0, QColor(0, 0, 0, 150));
    under.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRect(0, 299, 799, 11), under);

    // Three groups of buttons below the strip.
    const QFont caption = Font(10, true);
    Heading(p, 16, 311, 340, QStringLiteral("BROWSE"));
    Heading(p, 322, 480, 340, QStringLiteral("WALLPAPER"));
    Heading(p, 490, 787, 340, QStringLiteral("AUTOMATIC CHANGE"));
    const struct {
        const char* control;
        const char* text;
        int top;
    } buttonCaptions[] = {
        {"iBegin", "First", 386},
        {"iBack", "Back", 386},
        {"iRandom", "Random", 386},
        {"iNext", "Next", 386},
        {"iEnd", "Last", 386},
        {"iParam", "Param.", 376},
        {"iApply", "Apply", 376},
        {"iHelp", "Help", 376},
        {"lbHour", "h", 366},
        {"lbMin", "min", 366},
        {"iAutomaticallyChange", "On/Off", 364},
        {"iRandomSelect", "Random", 364},
    };
    for (const auto& c : buttonCaptions)
        Caption(p, Above(RectOf(l, c.control), c.top, 12), Qt::AlignCenter,
                QString::fromLatin1(c.text), caption);
    // The counters' displays.
    for (const char* counter : {"lbHour", "lbMin"})
        Well(p, QRectF(RectOf(l, counter)).adjusted(-3, -2, 3, 2), 2);

    p.end();
    Finish(img, l);
    return img;
}

QImage DrawManagerBackground() {
    const WindowLayout& l = ManagerLayout();
    QImage img = Body(l);
    AddGrain(img, 2, 19);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The list, and the wait panel that covers it (11, 42)-(558, 257).
    Well(p, QRectF(9, 40, 551, 219), 4);
    // The preview of the selected picture, empty until one is chosen.
    const QRect preview = RectOf(l, "iPreview");
    Well(p, QRectF(preview).adjusted(-3, -3, 3, 3), 3);
    p.setPen(QPen(QColor(70, 78, 92), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF frame(preview.center().x() - 13.5, preview.center().y() - 9.5, 28, 20);
    p.drawRoundedRect(frame, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 78, 92));
    QPolygonF hills;
    hills << QPointF(frame.left() + 3, frame.bottom() - 3)
          << QPointF(frame.left() + 10, frame.top() + 8)
          << QPointF(frame.left() + 15, frame.top() + 13)
          << QPointF(frame.left() + 19, frame.top() + 10)
          << QPointF(frame.right() - 3, frame.bottom() - 3);
    p.drawPolygon(hills);
    p.drawEllipse(QPointF(frame.right() - 6.5, frame.top() + 5.5), 2, 2);

    const QFont caption = Font(10, true);
    const struct {
        const char* control;
        const char* text;
    } buttons[] = {
        {"iFile", "Add images"}, {"iDir", "Add folders"}, {"iDel", "Delete"}, {"iClear", "Clear"}};
    for (const auto& b : buttons)
        Caption(p, Above(RectOf(l, b.control), 277, 12), Qt::AlignCenter,
                QString::fromLatin1(b.text), caption);
    Groove(p, 20, 549, 343);
    Caption(p, Above(RectOf(l, "iClose"), 348, 12), Qt::AlignCenter, QStringLiteral("Close"),
            caption);
    p.end();
    Finish(img, l);
    return img;
}

QImage DrawSettingsBackground() {
    const WindowLayout& l = SettingsLayout();
    QImage img = Body(l);
    AddGrain(img, 2, 23);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont text = Font(11);
    const struct {
        const char* control;
        const char* text;
    } switches[] = {{"iLoadWithWindows", "Start when I log on"},
                    {"iChangeWithStart", "Change the image at application start-up"},
                    {"iUseGlobalKey", "Change the wallpaper by global hotkeys"}};
    for (const auto& s : switches) {
        const QRect r = RectOf(l, s.control);
        Caption(p, QRectF(r.right() + 8, r.top(), 300, r.height()),
                Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(s.text), text);
    }
    Groove(p, 14, 383, 157);
    const struct {
        const char* field;
        const char* text;
    } keys[] = {
        {"edt1", "Random wallpaper"}, {"edt2", "Next wallpaper"}, {"edt3", "Previous wallpaper"}};
    for (const auto& k : keys) {
        const QRect r = RectOf(l, k.field);
        Well(p, QRectF(r).adjusted(-2, -2, 2, 2), 2);
        Caption(p, QRectF(14, r.top() - 2, r.left() - 14 - 10, r.height() + 4),
                Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(k.text), text);
    }
    Groove(p, 14, 383, 250);
    const QFont caption = Font(10, true);
    Caption(p, Above(RectOf(l, "iApplySmall"), 257, 12), Qt::AlignCenter, QStringLiteral("Apply"),
            caption);
    Caption(p, Above(RectOf(l, "iClose"), 257, 12), Qt::AlignCenter, QStringLiteral("Cancel"),
            caption);
    p.end();
    Finish(img, l);
    return img;
}

QImage DrawAboutBackground(const QString& version) {
    const WindowLayout& l = AboutLayout();
    QImage img = Body(l);
    AddGrain(img, 2, 29);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(22, 40, DrawIcon(48));
    Caption(p, QRectF(86, 38, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("Quorvane"), Font(24, true), TitleText);
    Caption(p, QRectF(88, 68, 300, 16), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("Version ") + version, Font(11), CaptionText);
    const QRect update = RectOf(l, "iUpdate");
    Caption(p, QRectF(update.right() + 4, update.top() - 2, 300, update.height() + 4),
            Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Check for an update"), Font(11),
            QColor(120, 196, 246));
    Groove(p, 14, 383, 124);
    Caption(p, Above(RectOf(l, "iClose"), 129, 12), Qt::AlignCenter, QStringLiteral("Close"),
            Font(10, true));
    p.end();
    Finish(img, l);
    return img;
}

} // namespace skin
