// The language of the program's texts and of Qt's own dialogs.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

/// Installs in `app` the program's translation for `locale` (its first
/// interface language that the program carries) and, in the same language,
/// Qt's own (from Qt's translations folder). Gives the language name
/// ("de", "ru", ...) or an empty string when the texts stay in English.
QString installTranslations(QCoreApplication& app, const QLocale& locale);
