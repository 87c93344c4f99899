// Shared parts of the skin drawing program: the palette, the fonts, the drawing helpers,
// the pictures it makes and the window layouts they are made for.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace skin {

// ---- Palette -------------------------------------------------------------------------

// The dark blue-grey ground of every window, top to bottom.
inline const QColor GroundTop(40, 44, 53);
inline const QColor GroundMiddle(26, 28, 34);
inline const QColor GroundBottom(15, 16, 20);
// The cool blue of the monitor's power light, used for everything that is on or lit.
inline const QColor Accent(70, 172, 240);
inline const QColor AccentDeep(28, 104, 186);
// Captions drawn on the backgrounds.
inline const QColor CaptionText(186, 195, 210);
inline const QColor TitleText(226, 231, 239);
inline const QColor MutedText(128, 138, 156);

// ---- Fonts ---------------------------------------------------------------------------

// Loads DejaVu Sans; false when it is not installed.
bool LoadFonts();
// DejaVu Sans at a size in pixels, with fixed hinting so the output does not depend on
// the machine's font settings.
QFont Font(int pixels, bool bold = false);

// ---- Drawing helpers -----------------------------------------------------------------

// A small fixed pseudo-random sequence, so that textures are the same on every run.
struct Lcg {
    std::uint32_t state = 0x2545F491u;
    int next(int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
    }
};

// Adds a faint grain to every pixel that is not transparent (amplitude in grey levels).
void AddGrain(QImage& img, int amplitude, std::uint32_t seed);
// A soft shadow: nested rounded rectangles of growing size and falling alpha.
void SoftShadow(QPainter& p, const QRectF& r, qreal radius, int spread, int alpha);
// Blurs the alpha of a premultiplied picture into a soft halo of the given colour;
// strength scales the halo's alpha.
QImage Halo(const QImage& shape, int radius, const QColor& colour, qreal strength);
// Text with a one-pixel dark shadow below it.
void Caption(QPainter& p, const QRectF& r, int flags, const QString& text, const QFont& font,
             const QColor& colour = CaptionText);

// ---- Captions in the program's languages ---------------------------------------------

// The languages the program carries besides English; the pictures with captions are
// drawn once more in each.
const std::vector<QString>& Languages();
// Draws the captions from now on in `language` (empty: English), translated by the
// program's own quorvane_LANGUAGE.qm in `folder`. False when that cannot be loaded.
bool SetLanguage(const QString& language, const QString& folder = {});
// A caption in the language set: `english`, marked for translation in the context
// "Skin" (with `disambiguation` where the same English names two things), translated
// where the translation has it.
QString Tr(const char* english, const char* disambiguation = nullptr);
// A caption's English text and its disambiguation, as QT_TRANSLATE_NOOP3 gives them.
struct Text {
    const char* source;
    const char* comment = nullptr;
};

// font, or where text is wider than width, font made smaller by whole pixels until it
// fits, down to three quarters of its size (at least 7 pixels).
QFont FitFont(const QFont& font, const QString& text, qreal width);
// A caption as drawn: the room it may take, its text, the size of its font, the size
// the design gives it and its width at the size drawn, with what must stand beside it.
struct DrawnCaption {
    QRectF room;
    QString text;
    int pixelSize;
    int designSize;
    qreal width;
    bool fits() const { return width <= room.width(); }
};
// Notes a caption drawn (FittedCaption does it); beside is the width that must stand
// beside the text in its room.
void NoteCaption(const QRectF& room, const QString& text, const QFont& drawn, int designSize,
                 qreal beside = 0);
// The captions drawn since the last call.
std::vector<DrawnCaption> TakeDrawnCaptions();
// Caption with the font fitted to the room the caption may take (room, of which r is
// the rectangle it is aligned in). At the font's own size it draws exactly as Caption.
void FittedCaption(QPainter& p, const QRectF& r, const QRectF& room, int flags, const QString& text,
                   const QFont& font, const QColor& colour = CaptionText);
// A transparent picture of the given size, ready to draw on: at the scale set by
// SetScale, its pixels that many times as many in each direction, its device pixel
// ratio the scale, so that painting on it goes in the same coordinates at every scale.
QImage Canvas(int width, int height);
// A transparent picture of the same pixels and scale as img.
QImage CanvasLike(const QImage& img);
// The scale the pictures are drawn at: 1, or 2 for screens of twice the density.
int Scale();
void SetScale(int scale);

// ---- Pictures ------------------------------------------------------------------------

// How a button is lit: a glow round the glyph on a larger picture, or another colour
// at the same size.
enum class Lighting { Glow, Colour };

struct ButtonPicture {
    const char* name;
    QSize normal;
    QSize lit;
    Lighting lighting;
};

// Every button pair of the skin.
const std::vector<ButtonPicture>& Buttons();
// Draws a button's normal or lit picture. litOffset is where the glyph stands inside a
// glowing lit picture; it is worked out from the layouts (see LitOffset).
QImage DrawButton(const ButtonPicture& b, bool lit, QPoint litOffset);
QImage DrawSwitchOn();
QImage DrawSwitchOff();
QImage DrawGlare();
// The program icon at size x size pixels.
QImage DrawIcon(int size);
// The strip's background and placeholder (24-bit, no alpha).
QImage DrawStripBackground();
QImage DrawLoadPhoto();

// ---- Window layouts ------------------------------------------------------------------

// A control of a skinned window: its name, the picture it shows and its rectangle.
// Kind tells how the preview shows it.
enum class Kind { Button, Switch, Label, Field, Glare, Strip, Preview };

struct Control {
    const char* name;
    const char* picture; // the button pair's name; empty for other kinds
    QRect rect;
    Kind kind;
};

struct WindowLayout {
    const char* file;  // the background's picture name
    const char* title; // the title on the background
    QSize background;
    QSize client;
    std::vector<Control> controls;
};

const WindowLayout& MainLayout();
const WindowLayout& ManagerLayout();
const WindowLayout& SettingsLayout();
const WindowLayout& AboutLayout();
const std::vector<const WindowLayout*>& Layouts();

// A picture control draws its picture centred: left = rect.left + (rect.width - width) / 2
// in integer arithmetic, the same for the top.
QPoint CentredIn(const QRect& r, QSize picture);
// Where the glyph of a glowing lit picture stands, so that the lit picture lines up with
// the normal one in every control that shows it. Fails (returns false) when two controls
// would need different offsets.
bool LitOffset(const ButtonPicture& b, QPoint& offset);

QImage DrawMainBackground();
QImage DrawManagerBackground();
QImage DrawSettingsBackground();
QImage DrawAboutBackground(const QString& version);

// A picture that carries captions, under its name, with the captions drawn on it.
struct CaptionedPicture {
    QString name;
    QImage image;
    std::vector<DrawnCaption> captions;
};
// The pictures that carry captions, drawn in the language set: only these are drawn
// once more for each language.
std::vector<CaptionedPicture> CaptionedPictures(const QString& version);
// What is stored of a language's picture: its pixels where they differ from the English
// picture, transparent where they do not (the program lays it over the English one). A
// null image when the two differ in size or a pixel that differs is transparent, which
// the stored form could not tell from an unchanged one.
QImage LanguageDelta(const QImage& english, const QImage& translated);

} // namespace skin
