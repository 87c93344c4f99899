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

// The room a caption centred in band may take: width wide in its middle.
QRectF Middle(const QRectF& band, qreal width) {
    return QRectF(band.center().x() - width / 2, band.top(), width, band.height());
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
    const QRectF title(33, 0, w - 140, TitleHeight);
    FittedCaption(p, title, title, Qt::AlignLeft | Qt::AlignVCenter, Tr(l.title), Font(13, true),
                  TitleText);
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

// A small heading with fading lines to either side, each at least 10 pixels long.
void Heading(QPainter& p, qreal x1, qreal x2, qreal y, const QString& text) {
    QFont spaced = Font(9, true);
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    constexpr qreal Lines = 2 * (10 + 6); // the shortest lines and their gaps
    spaced = FitFont(spaced, text, x2 - x1 - Lines);
    NoteCaption(QRectF(x1, y, x2 - x1, 12), text, spaced, 9, Lines);
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
    const char* captions[] = {QT_TRANSLATE_NOOP("Skin", "Number"),
                              QT_TRANSLATE_NOOP("Skin", "File"),
                              QT_TRANSLATE_NOOP("Skin", "Folder")};
    for (int i = 0; i < 3; ++i) {
        const QRect r = RectOf(l, rows[i]);
        const QRectF room(14, r.top(), r.left() - 14 - 6, r.height());
        FittedCaption(p, room, room, Qt::AlignRight | Qt::AlignVCenter, Tr(captions[i]), label,
                      MutedText);
    }

    // The manager's tile beside the panel.
    const QRect manager = RectOf(l, "iManager");
    Plate(p, QRectF(710.5, 41.5, 83, 69), 6);
    const QRectF tile(manager.left(), 45, manager.width(), 14);
    FittedCaption(p, tile, tile.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Manager")), Font(10, true));

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
    Heading(p, 16, 311, 340, Tr(QT_TRANSLATE_NOOP("Skin", "BROWSE")));
    Heading(p, 322, 480, 340, Tr(QT_TRANSLATE_NOOP("Skin", "WALLPAPER")));
    Heading(p, 490, 787, 340, Tr(QT_TRANSLATE_NOOP("Skin", "AUTOMATIC CHANGE")));
    // Each caption may take the width its neighbours leave it (room), a few pixels apart.
    const struct {
        const char* control;
        Text text;
        int top;
        int room;
    } buttonCaptions[] = {
        {"iBegin", {QT_TRANSLATE_NOOP("Skin", "First")}, 386, 52},
        {"iBack", {QT_TRANSLATE_NOOP("Skin", "Back")}, 386, 52},
        {"iRandom", {QT_TRANSLATE_NOOP("Skin", "Random")}, 386, 52},
        {"iNext", {QT_TRANSLATE_NOOP("Skin", "Next")}, 386, 52},
        {"iEnd", {QT_TRANSLATE_NOOP("Skin", "Last")}, 386, 52},
        //: Short for the settings (parameters).
        {"iParam", {QT_TRANSLATE_NOOP("Skin", "Param.")}, 376, 50},
        {"iApply", QT_TRANSLATE_NOOP3("Skin", "Apply", "the picture as the wallpaper"), 376, 52},
        {"iHelp", {QT_TRANSLATE_NOOP("Skin", "Help")}, 376, 50},
        //: Short for hours, over the hours of the change interval.
        {"lbHour", {QT_TRANSLATE_NOOP("Skin", "h")}, 366, 40},
        //: Short for minutes, over the minutes of the change interval.
        {"lbMin", {QT_TRANSLATE_NOOP("Skin", "min")}, 366, 40},
        //: Over the switch that turns the automatic change on and off.
        {"iAutomaticallyChange", {QT_TRANSLATE_NOOP("Skin", "On/Off")}, 364, 70},
        {"iRandomSelect", QT_TRANSLATE_NOOP3("Skin", "Random", "the order of the automatic change"),
         364, 70},
    };
    for (const auto& c : buttonCaptions) {
        const QRectF band = Above(RectOf(l, c.control), c.top, 12);
        FittedCaption(p, band, Middle(band, c.room), Qt::AlignCenter,
                      Tr(c.text.source, c.text.comment), caption);
    }
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
    } buttons[] = {{"iFile", QT_TRANSLATE_NOOP("Skin", "Add images")},
                   {"iDir", QT_TRANSLATE_NOOP("Skin", "Add folders")},
                   {"iDel", QT_TRANSLATE_NOOP("Skin", "Delete")},
                   {"iClear", QT_TRANSLATE_NOOP("Skin", "Clear")}};
    for (const auto& b : buttons) {
        const QRectF band = Above(RectOf(l, b.control), 277, 12);
        FittedCaption(p, band, Middle(band, 96), Qt::AlignCenter, Tr(b.text), caption);
    }
    Groove(p, 20, 549, 343);
    const QRectF close = Above(RectOf(l, "iClose"), 348, 12);
    FittedCaption(p, close, Middle(close, 120), Qt::AlignCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Close")), caption);
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
    // The first row shares its line with the placement's label and list, from x = 196.
    const struct {
        const char* control;
        const char* text;
        int roomRight;
    } switches[] = {{"iLoadWithWindows", QT_TRANSLATE_NOOP("Skin", "Start when I log on"), 196},
                    {"iChangeWithStart",
                     QT_TRANSLATE_NOOP("Skin", "Change the image at application start-up"), 383},
                    {"iUseGlobalKey",
                     QT_TRANSLATE_NOOP("Skin", "Change the wallpaper by global hotkeys"), 383}};
    for (const auto& s : switches) {
        const QRect r = RectOf(l, s.control);
        const qreal left = r.right() + 8;
        FittedCaption(p, QRectF(left, r.top(), 300, r.height()),
                      QRectF(left, r.top(), s.roomRight - left, r.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, Tr(s.text), text);
    }
    Groove(p, 14, 383, 157);
    const struct {
        const char* field;
        const char* text;
    } keys[] = {{"edt1", QT_TRANSLATE_NOOP("Skin", "Random wallpaper")},
                {"edt2", QT_TRANSLATE_NOOP("Skin", "Next wallpaper")},
                {"edt3", QT_TRANSLATE_NOOP("Skin", "Previous wallpaper")}};
    for (const auto& k : keys) {
        const QRect r = RectOf(l, k.field);
        Well(p, QRectF(r).adjusted(-2, -2, 2, 2), 2);
        const QRectF room(14, r.top() - 2, r.left() - 14 - 10, r.height() + 4);
        FittedCaption(p, room, room, Qt::AlignRight | Qt::AlignVCenter, Tr(k.text), text);
    }
    Groove(p, 14, 383, 250);
    const QFont caption = Font(10, true);
    const QRectF apply = Above(RectOf(l, "iApplySmall"), 257, 12);
    FittedCaption(p, apply, Middle(apply, 110), Qt::AlignCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Apply")), caption);
    const QRectF cancel = Above(RectOf(l, "iClose"), 257, 12);
    FittedCaption(p, cancel, Middle(cancel, 110), Qt::AlignCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Cancel")), caption);
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
    const QRectF versionRow(88, 68, 300, 16);
    FittedCaption(p, versionRow, QRectF(88, 68, 383 - 88, 16), Qt::AlignLeft | Qt::AlignVCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Version %1")).arg(version), Font(11), CaptionText);
    const QRect update = RectOf(l, "iUpdate");
    const QRectF updateRow(update.right() + 4, update.top() - 2, 300, update.height() + 4);
    FittedCaption(
        p, updateRow,
        QRectF(updateRow.left(), updateRow.top(), 383 - updateRow.left(), updateRow.height()),
        Qt::AlignLeft | Qt::AlignVCenter, Tr(QT_TRANSLATE_NOOP("Skin", "Check for an update")),
        Font(11), QColor(120, 196, 246));
    Groove(p, 14, 383, 124);
    const QRectF close = Above(RectOf(l, "iClose"), 129, 12);
    FittedCaption(p, close, Middle(close, 120), Qt::AlignCenter,
                  Tr(QT_TRANSLATE_NOOP("Skin", "Close")), Font(10, true));
    p.end();
    Finish(img, l);
    return img;
}

} // namespace skin
