// The interface language: English or German, chosen by the user's locale or by --lang, and the Qt
// translator that turns the program's texts into it.
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace ui_language {

// "de" when the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set starts with "de", else "en".
// LANGUAGE may hold a list ("de:en"): its first entry counts.
QString FromEnvironment();

// "en" or "de" for a --lang value (case ignored, "de_DE" counts as "de"); empty for anything else.
QString FromOption(const QString& value);

// Takes every --lang VALUE and --lang=VALUE out of the command line `arguments` and returns the language
// the last one chooses, or the environment's without any. Empty, with `error` set, for a missing or
// unknown value.
QString TakeLanguageOption(QStringList& arguments, QString& error);

// Loads and installs the translation of `language` into the application. Returns false when its file
// was not found in the build tree nor in the installed data directory; the interface then shows the
// texts as written in the source.
bool Install(const QString& language);

// Loads and installs Qt's own translation of `language` (qtbase_<language>.qm, for the file dialogs
// and the standard buttons) from QtTranslationDirectory(), replacing the one installed before. True
// for English, which needs none; false when the file is missing, and Qt's texts then stay English.
// Install calls it.
bool InstallQtTranslation(const QString& language);

// Where Qt's translations are: KDMXP_QT_TRANSLATIONS_DIR when set, else the directory Qt was built
// to look in.
QString QtTranslationDirectory();

// The directories searched for kdmxp_<language>.qm, in order.
QStringList TranslationDirectories();

// String `id` of the program's string table in the interface's language (the table's own text when
// the translation has none).
QString Text(int id);

// The language installed last ("en" before any Install).
QString Current();

}  // namespace ui_language
