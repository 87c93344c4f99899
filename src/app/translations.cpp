#include "app/translations.h"

#include "ui/skin.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QString loadProgramTranslation(QTranslator& translator, const QLocale& locale) {
    // The user's languages in order of preference (LANGUAGE first): the first
    // that is English or that the program carries wins. English is the
    // language the texts are written in, and then Qt's dialogs stay English
    // too, so that a window does not mix two languages.
    for (const QString& name : locale.uiLanguages()) {
        const QLocale wanted(name);
        if (wanted.language() == QLocale::English || wanted.language() == QLocale::C)
            return {};
        if (translator.load(wanted, QStringLiteral("quorvane"), QStringLiteral("_"),
                            QStringLiteral(":/i18n")))
            return translator.language();
    }
    return {};
}

QString installTranslations(QCoreApplication& app, const QLocale& locale) {
    auto* own = new QTranslator(&app);
    const QString language = loadProgramTranslation(*own, locale);
    setSkinLanguage(language.toStdString());
    if (language.isEmpty()) {
        delete own;
        return {};
    }
    QCoreApplication::installTranslator(own);
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}
