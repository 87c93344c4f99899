// Previews: each window as it shows on screen, its background with every control's
// picture drawn centred in the control's rectangle, and sample texts in the labels,
// fields and list; a sheet of every button, plain and lit; and a check that every lit
// picture is centred where its normal picture is.
#include "skin.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace skin {

namespace {

constexpr int Margin = 24;

const ButtonPicture& ButtonNamed(const char* name) {
    for (const ButtonPicture& b : Buttons())
        if (std::strcmp(b.name, name) == 0)
            return b;
    qFatal("no button picture %s", name);
}

QImage ButtonImage(const char* name, bool lit) {
    const ButtonPicture& b = ButtonNamed(name);
    QPoint offset;
    LitOffset(b, offset);
    return DrawButton(b, lit, offset);
}

// The strip with the placeholder on the monitor and in three of the side slots.
QImage Strip() {
    QImage strip = DrawStripBackground().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage photo = DrawLoadPhoto();
    QPainter p(&strip);
    p.drawImage(302, 16, photo);
    for (int left : {150, 536, 668}) {
        p.fillRect(QRect(left, 40, 114, 74), Qt::white);
        p.drawImage(QRect(left + 5, 45, 104, 64), photo);
    }
    return strip;
}

void LabelText(QPainter& p, const QRect& r, const QString& text, const QFont& f,
               const QColor& colour, int flags) {
    p.fillRect(r, Qt::black);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, flags | Qt::AlignVCenter, text);
}

QString SampleText(const char* control) {
    const QString name = QString::fromLatin1(control);
    if (name == QStringLiteral("lbNum"))
        return QStringLiteral("3/27");
    if (name == QStringLiteral("lbFile"))
        return QStringLiteral("wave.jpg");
    if (name == QStringLiteral("lbDir"))
        return QStringLiteral("/home/anna/Pictures/Sea/");
    if (name == QStringLiteral("lbHour"))
        return QStringLiteral("1");
    if (name == QStringLiteral("lbMin"))
        return QStringLiteral("30");
    if (name == QStringLiteral("edt1"))
        return QStringLiteral("Ctrl + Alt + R");
    if (name == QStringLiteral("edt2"))
        return QStringLiteral("Ctrl + Alt + N");
    return QString();
}

// Centre of the box round a picture's opaque pixels, from its top-left corner: the glyph
// itself in a normal picture (its shadow is translucent), the glyph with the dense inner
// part of its halo, which spreads evenly round it, in a lit one.
QPointF OpaqueCentre(const QImage& img) {
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(row[x]) >= 250) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QPointF() : QPointF((left + right + 1) / 2.0, (top + bottom + 1) / 2.0);
}

} // namespace

QImage DrawPreview(const WindowLayout& l, const QString& version, bool lit) {
    QImage img(l.client.width() + 2 * Margin, l.client.height() + 2 * Margin,
               QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient desk(0, 0, img.width(), img.height());
    desk.setColorAt(0, QColor(92, 112, 140));
    desk.setColorAt(1, QColor(150, 160, 170));
    p.fillRect(img.rect(), desk);
    p.translate(Margin, Margin);
    // The window's shape: a rounded rectangle one pixel narrower and lower than the
    // window, with corners of radius 10.
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, l.client.width() - 1, l.client.height() - 1), 10, 10);
    p.setClipPath(shape);
    p.fillRect(QRect(QPoint(0, 0), l.client), Qt::black);

    QImage background;
    if (&l == &MainLayout())
        background = DrawMainBackground();
    else if (&l == &ManagerLayout())
        background = DrawManagerBackground();
    else if (&l == &SettingsLayout())
        background = DrawSettingsBackground();
    else
        background = DrawAboutBackground(version);
    p.drawImage(CentredIn(QRect(QPoint(0, 0), l.client), background.size()), background);

    const QFont labelFont = Font(9, true);
    const QFont counterFont = Font(11, true);
    int switches = 0;
    for (const Control& c : l.controls) {
        const QString name = QString::fromLatin1(c.name);
        switch (c.kind) {
        case Kind::Strip:
            p.drawImage(c.rect.topLeft(), Strip());
            break;
        case Kind::Label:
            if (c.rect.width() > 100)
                LabelText(p, c.rect, SampleText(c.name), labelFont, QColor(244, 245, 214),
                          Qt::AlignLeft);
            else
                LabelText(p, c.rect, SampleText(c.name), counterFont, QColor(248, 252, 243),
                          Qt::AlignHCenter);
            break;
        case Kind::Glare: {
            const QImage glare = DrawGlare();
            p.drawImage(CentredIn(c.rect, glare.size()), glare);
            break;
        }
        case Kind::Button: {
            const QImage picture = ButtonImage(c.picture, lit);
            p.save();
            p.setClipRect(c.rect, Qt::IntersectClip);
            p.drawImage(CentredIn(c.rect, picture.size()), picture);
            p.restore();
            break;
        }
        case Kind::Switch: {
            const QImage picture = (switches++ % 2 == 0) ? DrawSwitchOn() : DrawSwitchOff();
            p.drawImage(CentredIn(c.rect, picture.size()), picture);
            break;
        }
        case Kind::Field:
            if (name == QStringLiteral("lbPic")) {
                p.fillRect(c.rect, Qt::black);
                const char* rows[] = {"/home/anna/Pictures/Sea/wave.jpg",
                                      "/home/anna/Pictures/Sea/dunes at dusk.png",
                                      "/home/anna/Pictures/Mountains/ridge.jpg",
                                      "/home/anna/Pictures/Mountains/lake.bmp"};
                for (int i = 0; i < 4; ++i) {
                    const QRect row(c.rect.left(), c.rect.top() + 20 * i, c.rect.width(), 20);
                    p.fillRect(row, i == 1 ? QColor(119, 119, 119) : QColor(0, 0, 0));
                    p.setFont(labelFont);
                    p.setPen(i == 1 ? QColor(255, 255, 255) : QColor(229, 229, 229));
                    p.drawText(
                        row.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        QStringLiteral("%1. %2").arg(i + 1).arg(QString::fromLatin1(rows[i])));
                }
            } else {
                LabelText(p, c.rect, SampleText(c.name), Font(11), QColor(221, 248, 246),
                          Qt::AlignLeft);
            }
            break;
        case Kind::Preview:
            p.drawImage(c.rect, DrawLoadPhoto());
            break;
        }
    }
    return img;
}

QImage DrawButtonSheet() {
    // Every pair side by side, four pairs a row, on the window ground, enlarged three times.
    constexpr int Cell = 56;
    constexpr int Scale = 3;
    constexpr int Pairs = 4;
    const int count = static_cast<int>(Buttons().size()) + 2;
    const int rows = (count + Pairs - 1) / Pairs;
    QImage sheet(2 * Pairs * Cell, rows * Cell, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(GroundMiddle);
    QPainter p(&sheet);
    int index = 0;
    auto put = [&](const QImage& normal, const QImage& lit) {
        const int x = (index % Pairs) * 2 * Cell;
        const int y = (index / Pairs) * Cell;
        p.drawImage(x + (Cell - normal.width()) / 2, y + (Cell - normal.height()) / 2, normal);
        p.drawImage(x + Cell + (Cell - lit.width()) / 2, y + (Cell - lit.height()) / 2, lit);
        ++index;
    };
    for (const ButtonPicture& b : Buttons()) {
        QPoint offset;
        LitOffset(b, offset);
        put(DrawButton(b, false, offset), DrawButton(b, true, offset));
    }
    put(DrawSwitchOff(), DrawSwitchOn());
    put(DrawIcon(48), DrawIcon(32));
    p.end();
    return sheet.scaled(sheet.width() * Scale, sheet.height() * Scale);
}

void ReportCentring() {
    // For every control that shows a glowing pair: where the glyph's centre lands with
    // the normal picture and with the lit one, in window coordinates.
    double worst = 0;
    for (const WindowLayout* l : Layouts())
        for (const Control& c : l->controls) {
            if (c.kind != Kind::Button)
                continue;
            const ButtonPicture& b = ButtonNamed(c.picture);
            QPoint offset;
            LitOffset(b, offset);
            const QImage normal = DrawButton(b, false, offset);
            const QImage lit = DrawButton(b, true, offset);
            const QPointF n = OpaqueCentre(normal) + CentredIn(c.rect, normal.size());
            const QPointF g = OpaqueCentre(lit) + CentredIn(c.rect, lit.size());
            const double d = std::hypot(n.x() - g.x(), n.y() - g.y());
            worst = std::max(worst, d);
            std::printf(
                "%-24s %-14s normal centre (%6.2f, %6.2f)  lit centre (%6.2f, %6.2f)  %.2f px\n",
                l->file, c.name, n.x(), n.y(), g.x(), g.y(), d);
        }
    std::printf("largest distance between a normal and a lit centre: %.2f px\n", worst);
}

} // namespace skin
