// Draws every skin picture of the program.
//
//   quorvane_draw_skin --version VERSION [--translations FOLDER] [--out FOLDER]
//                      [--preview FOLDER]
//
// --out writes the pictures into FOLDER (the source folder resources/, by the build
// target quorvane_skin_pictures); the About background carries VERSION, also stored in
// its PNG text "Version". --preview writes each window's background with its controls
// on it, once plain and once lit, for looking at the result.
//
// The pictures with captions are drawn once more in each language the program carries,
// the captions translated by the program's quorvane_LANGUAGE.qm files in the
// --translations FOLDER: --out writes them into FOLDER/languages as NAME_LANGUAGE.png
// (and NAME_LANGUAGE@2x.png), each holding only the pixels that differ from the English
// picture; --preview adds each window in each language.
//
// Needs DejaVu Sans; runs without a window system. The output is the same on every run.
#include "skin.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>
#include <utility>
#include <vector>

namespace skin {
QImage DrawPreview(const WindowLayout& l, const QString& version, bool lit);
QImage DrawButtonSheet();
void ReportCentring();
} // namespace skin

namespace {

using namespace skin;

bool Write(const QImage& img, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "PNG");
    writer.setQuality(0); // the strongest compression
    if (!writer.write(img)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Every picture of the skin, under its name, drawn at the scale set (SetScale). At
// scale 2 the icons (made at every size already) are left out.
std::vector<std::pair<QString, QImage>> Pictures(const QString& version) {
    std::vector<std::pair<QString, QImage>> all;
    const bool doubled = Scale() == 2;
    all.emplace_back(QStringLiteral("background"), DrawStripBackground());
    all.emplace_back(QStringLiteral("loadphoto"), DrawLoadPhoto());
    for (const ButtonPicture& b : Buttons()) {
        QPoint offset;
        if (!LitOffset(b, offset))
            qFatal("the controls showing %s would need the lit glyph at different places", b.name);
        const QString name = QString::fromLatin1(b.name);
        all.emplace_back(name, DrawButton(b, false, offset));
        all.emplace_back(name + QStringLiteral("_light"), DrawButton(b, true, offset));
    }
    all.emplace_back(QStringLiteral("iOn"), DrawSwitchOn());
    all.emplace_back(QStringLiteral("iOff"), DrawSwitchOff());
    all.emplace_back(QStringLiteral("imgInterface"), DrawMainBackground());
    all.emplace_back(QStringLiteral("imgInterfacePicManager"), DrawManagerBackground());
    all.emplace_back(QStringLiteral("imgInterfaceParam"), DrawSettingsBackground());
    QImage about = DrawAboutBackground(version);
    about.setText(QStringLiteral("Version"), version);
    all.emplace_back(QStringLiteral("imgInterfaceHelp"), about);
    all.emplace_back(QStringLiteral("imgBlick"), DrawGlare());
    if (!doubled)
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            all.emplace_back(QStringLiteral("icon%1").arg(size), DrawIcon(size));
    return all;
}

// True when every caption of the pictures has room; English ones also at the size the
// design gives them, so that the English pictures never change with the rooms.
bool CaptionsFit(const std::vector<CaptionedPicture>& pictures, const QString& language) {
    bool ok = true;
    for (const CaptionedPicture& picture : pictures)
        for (const DrawnCaption& c : picture.captions) {
            if (c.fits() && (!language.isEmpty() || c.pixelSize == c.designSize))
                continue;
            std::fprintf(stderr, "%s, %s: \"%s\" is %.1f pixels wide at %d pixels, its room %.1f\n",
                         qPrintable(picture.name), language.isEmpty() ? "en" : qPrintable(language),
                         qPrintable(c.text), c.width, c.pixelSize, c.room.width());
            ok = false;
        }
    return ok;
}

// The pictures of every language at the scale set, under the names the program looks
// them up by; false when the translations cannot be loaded or a caption has no room.
bool LanguagePictures(const QString& version, const QString& translations,
                      std::vector<std::pair<QString, QImage>>& out) {
    const std::vector<CaptionedPicture> english = CaptionedPictures(version);
    bool ok = CaptionsFit(english, {});
    for (const QString& language : Languages()) {
        if (!SetLanguage(language, translations)) {
            std::fprintf(stderr, "no translation quorvane_%s.qm in %s\n", qPrintable(language),
                         qPrintable(translations));
            ok = false;
            continue;
        }
        const std::vector<CaptionedPicture> translated = CaptionedPictures(version);
        ok = CaptionsFit(translated, language) && ok;
        for (size_t i = 0; i < english.size(); ++i) {
            const QImage delta = LanguageDelta(english[i].image, translated[i].image);
            if (delta.isNull()) {
                std::fprintf(stderr, "%s in %s: a changed pixel is transparent\n",
                             qPrintable(english[i].name), qPrintable(language));
                ok = false;
                continue;
            }
            out.emplace_back(english[i].name + QLatin1Char('_') + language, delta);
        }
    }
    SetLanguage({});
    return ok;
}

int Usage() {
    std::fprintf(stderr, "usage: quorvane_draw_skin --version VERSION [--translations FOLDER] "
                         "[--out FOLDER] [--preview FOLDER]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Drawing needs no window system.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString version, out, preview, translations;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size())
            return Usage();
        if (args[i] == QStringLiteral("--version"))
            version = args[++i];
        else if (args[i] == QStringLiteral("--out"))
            out = args[++i];
        else if (args[i] == QStringLiteral("--preview"))
            preview = args[++i];
        else if (args[i] == QStringLiteral("--translations"))
            translations = args[++i];
        else
            return Usage();
    }
    if (version.isEmpty() || translations.isEmpty() || (out.isEmpty() && preview.isEmpty()))
        return Usage();
    if (!LoadFonts()) {
        std::fprintf(stderr, "DejaVu Sans is not installed (Debian package fonts-dejavu-core)\n");
        return 1;
    }

    bool ok = true;
    if (!out.isEmpty()) {
        // Each picture at scale 1 under its name, and at scale 2 under its name + "@2x"
        // for screens of twice the density; the languages' in a folder of their own.
        const QDir languages(QDir(out).filePath(QStringLiteral("languages")));
        if (!languages.exists() && !QDir().mkpath(languages.path())) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(languages.path()));
            return 1;
        }
        // English first at both scales, then the languages: the English pictures come
        // out the same as before there were languages (the fonts' caches fill alike).
        for (bool english : {true, false})
            for (int scale : {1, 2}) {
                SetScale(scale);
                const QString suffix = scale == 2 ? QStringLiteral("@2x") : QString();
                std::vector<std::pair<QString, QImage>> pictures;
                if (english)
                    pictures = Pictures(version);
                else
                    ok = LanguagePictures(version, translations, pictures) && ok;
                const QDir folder = english ? QDir(out) : languages;
                for (const auto& [name, img] : pictures) {
                    const QString path = folder.filePath(name + suffix + QStringLiteral(".png"));
                    if (!Write(img, path)) {
                        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                        ok = false;
                    }
                }
            }
        SetScale(1);
    }
    if (!preview.isEmpty()) {
        if (!QDir().mkpath(preview)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(preview));
            return 1;
        }
        const char* names[] = {"main", "manager", "settings", "about"};
        for (size_t i = 0; i < Layouts().size(); ++i)
            for (bool lit : {false, true}) {
                const QString path = QDir(preview).filePath(
                    QString::fromLatin1(names[i]) +
                    (lit ? QStringLiteral("_lit.png") : QStringLiteral(".png")));
                ok = Write(DrawPreview(*Layouts()[i], version, lit), path) && ok;
            }
        for (const QString& language : Languages()) {
            if (!SetLanguage(language, translations)) {
                ok = false;
                continue;
            }
            for (size_t i = 0; i < Layouts().size(); ++i) {
                const QString path =
                    QDir(preview).filePath(QString::fromLatin1(names[i]) + QLatin1Char('_') +
                                           language + QStringLiteral(".png"));
                ok = Write(DrawPreview(*Layouts()[i], version, false), path) && ok;
            }
        }
        SetLanguage({});
        TakeDrawnCaptions();
        ok = Write(DrawButtonSheet(), QDir(preview).filePath(QStringLiteral("buttons.png"))) && ok;
        ReportCentring();
    }
    return ok ? 0 : 1;
}
