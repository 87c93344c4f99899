// The language of the program's texts, of Qt's own dialogs and of the
// captions painted into the skin.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

/// Loads into `translator` the program's translation for the first of
/// `locale`'s interface languages that is English or that the program
/// carries. Gives its language name ("de", "ru", ...), or an empty string
/// when the texts stay in English (`translator` then holds nothing). Needs no
/// application object: the command line's texts are translated before there
/// is one.
QString loadProgramTranslation(QTranslator& translator, const QLocale& locale);

/// Installs in `app` the program's translation for `locale` (as
/// loadProgramTranslation chooses it) and, in the same language, Qt's own
/// (from Qt's translations folder); the skin shows its captions in that
/// language from then on. Gives the language name ("de", "ru", ...) or an
/// empty string when the texts stay in English.
QString installTranslations(QCoreApplication& app, const QLocale& locale);
