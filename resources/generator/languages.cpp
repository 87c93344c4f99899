// The captions in the program's languages: their translations, taken from the program's
// own translation files, and the fitting of a longer translation into the room the
// English caption has.
#include "skin.h"

#include <QDir>
#include <QFontMetricsF>
#include <QTranslator>

#include <algorithm>
#include <memory>

namespace skin {

namespace {

std::unique_ptr<QTranslator> g_translator;
std::vector<DrawnCaption> g_drawn;

int SmallestSize(int designSize) {
    // Three quarters, rounded up: below that a caption stops reading as the same kind of
    // text as its neighbours.
    return std::max(7, (designSize * 3 + 3) / 4);
}

} // namespace

const std::vector<QString>& Languages() {
    static const std::vector<QString> languages{QStringLiteral("de"), QStringLiteral("es"),
                                                QStringLiteral("fr"), QStringLiteral("ru")};
    return languages;
}

bool SetLanguage(const QString& language, const QString& folder) {
    g_translator.reset();
    if (language.isEmpty())
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("quorvane_") + language, folder))
        return false;
    g_translator = std::move(translator);
    return true;
}

QString Tr(const char* english, const char* disambiguation) {
    if (g_translator) {
        const QString translated = g_translator->translate("Skin", english, disambiguation);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(english);
}

QFont FitFont(const QFont& font, const QString& text, qreal width) {
    QFont fitted = font;
    const int smallest = SmallestSize(font.pixelSize());
    while (fitted.pixelSize() > smallest && QFontMetricsF(fitted).horizontalAdvance(text) > width)
        fitted.setPixelSize(fitted.pixelSize() - 1);
    return fitted;
}

void NoteCaption(const QRectF& room, const QString& text, const QFont& drawn, int designSize,
                 qreal beside) {
    g_drawn.push_back({room, text, drawn.pixelSize(), designSize,
                       QFontMetricsF(drawn).horizontalAdvance(text) + beside});
}

std::vector<DrawnCaption> TakeDrawnCaptions() {
    return std::exchange(g_drawn, {});
}

void FittedCaption(QPainter& p, const QRectF& r, const QRectF& room, int flags, const QString& text,
                   const QFont& font, const QColor& colour) {
    const QFont fitted = FitFont(font, text, room.width());
    NoteCaption(room, text, fitted, font.pixelSize());
    Caption(p, r, flags, text, fitted, colour);
}

std::vector<CaptionedPicture> CaptionedPictures(const QString& version) {
    const struct {
        const char* name;
        QImage (*draw)(const QString& version);
    } pictures[] = {
        {"iOn", [](const QString&) { return DrawSwitchOn(); }},
        {"iOff", [](const QString&) { return DrawSwitchOff(); }},
        {"imgInterface", [](const QString&) { return DrawMainBackground(); }},
        {"imgInterfacePicManager", [](const QString&) { return DrawManagerBackground(); }},
        {"imgInterfaceParam", [](const QString&) { return DrawSettingsBackground(); }},
        {"imgInterfaceHelp", DrawAboutBackground},
    };
    std::vector<CaptionedPicture> all;
    TakeDrawnCaptions(); // from pictures drawn before
    for (const auto& p : pictures) {
        QImage image = p.draw(version);
        all.push_back({QString::fromLatin1(p.name), std::move(image), TakeDrawnCaptions()});
    }
    return all;
}

QImage LanguageDelta(const QImage& english, const QImage& translated) {
    if (english.size() != translated.size())
        return {};
    const QImage a = english.convertToFormat(QImage::Format_ARGB32);
    const QImage b = translated.convertToFormat(QImage::Format_ARGB32);
    QImage delta(b.size(), QImage::Format_ARGB32);
    delta.setDevicePixelRatio(translated.devicePixelRatio());
    for (int y = 0; y < b.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* to = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(delta.scanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            if (from[x] == to[x]) {
                out[x] = 0;
                continue;
            }
            if (qAlpha(to[x]) == 0)
                return {};
            out[x] = to[x];
        }
    }
    return delta;
}

} // namespace skin
