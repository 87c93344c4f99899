// The program's language: the windows speak the language of the locale when
// the program carries it, with Qt's own texts and the captions painted into
// the skin in the same language, and stay English otherwise.
#include "app/appfixture.h"

#include "app/translations.h"
#include "imaging/resources.h"
#include "ui/bitmapimage.h"
#include "ui/settingswindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTranslator>

namespace {

struct LanguageCase {
    const char* locale;
    const char* language;      // what installTranslations gives
    const char* settingsTitle; // the settings window's title
    const char* settingsTip;   // the main window's settings button
    const char* placement;     // a label of the settings window
    bool qtTranslated;         // Qt's own buttons follow
};

// The skin picture `name` as carried, in English.
QImage englishPicture(const char* name) {
    Bitmap b;
    loadFromRes(name, b);
    // The image shares the bitmap's pixels: copied before the bitmap goes.
    return bitmapToQImage(b).copy().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The same colours everywhere (of a transparent pixel, only that it is).
bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

QImage shown(const SkinWindow& window) {
    return window.background()->pixmap().toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
}

void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.locale;
}

} // namespace

class Language : public AppTest, public ::testing::WithParamInterface<LanguageCase> {
protected:
    void TearDown() override {
        AppTest::TearDown();
        setSkinLanguage({});
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

TEST_P(Language, WindowsSpeakTheLocalesLanguage) {
    const LanguageCase& c = GetParam();
    EXPECT_EQ(installTranslations(*qApp, QLocale(QString::fromLatin1(c.locale))),
              QString::fromLatin1(c.language));
    startApp();
    SettingsWindow* settings = m_app->settingsWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windowTitle(), QString::fromUtf8(c.settingsTitle));
    QWidget* param = control("iParam");
    ASSERT_NE(param, nullptr);
    EXPECT_EQ(param->accessibleName(), QString::fromUtf8(c.settingsTip));
    auto* placement = settings->findChild<QLabel*>(QStringLiteral("lbPlacement"));
    ASSERT_NE(placement, nullptr);
    EXPECT_EQ(placement->text(), QString::fromUtf8(c.placement));
    const QString qtCancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    EXPECT_EQ(qtCancel != QLatin1String("Cancel"), c.qtTranslated) << qtCancel.toStdString();
    // The captions on the windows' backgrounds: the same size of picture,
    // English only where the language is.
    const bool translatedArt = *c.language != 0;
    for (const auto& [window, picture] :
         {std::pair<const SkinWindow*, const char*>(&mainWindow(), "imgInterface"),
          std::pair<const SkinWindow*, const char*>(settings, "imgInterfaceParam")}) {
        const QImage english = englishPicture(picture);
        const QImage onScreen = shown(*window);
        EXPECT_EQ(onScreen.size(), english.size()) << picture;
        EXPECT_EQ(!samePixels(onScreen, english), translatedArt) << picture;
    }
    // And the empty collection's hint on the information panel.
    EXPECT_EQ(label("lbDir") != QLatin1String("Please, add wallpapers in the manager >>>"),
              translatedArt)
        << label("lbDir").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Locales, Language,
    ::testing::Values(LanguageCase{"de_DE", "de", "Einstellungen", "Einstellungen", "Modus", true},
                      LanguageCase{"de_AT", "de", "Einstellungen", "Einstellungen", "Modus", true},
                      LanguageCase{"ru_RU", "ru", "Параметры", "Параметры", "Режим", true},
                      LanguageCase{"fr_FR", "fr", "Paramètres", "Paramètres", "Position", true},
                      LanguageCase{"es_ES", "es", "Ajustes", "Ajustes", "Posición", true},
                      // English is the source; a language the program does not carry keeps
                      // it, and then Qt's dialogs do not switch language either.
                      LanguageCase{"en_US", "", "Settings", "Settings", "Placement", false},
                      LanguageCase{"it_IT", "", "Settings", "Settings", "Placement", false}));
