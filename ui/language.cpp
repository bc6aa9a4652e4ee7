#include "ui/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>
#include <string>

#include "data/strings.h"

namespace ui_language {
namespace {

QTranslator* g_translator = nullptr;
QTranslator* g_qtTranslator = nullptr;
QString g_current = QStringLiteral("en");

}  // namespace

QString FromEnvironment() {
    // The order gettext uses: LANGUAGE wins when set, then the locale categories for messages.
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty()) continue;
        const QString first = value.section(QLatin1Char(':'), 0, 0);
        return first.startsWith(QLatin1String("de"), Qt::CaseInsensitive) ? QStringLiteral("de")
                                                                          : QStringLiteral("en");
    }
    return QStringLiteral("en");
}

QString FromOption(const QString& value) {
    const QString lower = value.toLower();
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        if (lower == language || lower.startsWith(language + QLatin1Char('_')) ||
            lower.startsWith(language + QLatin1Char('-')))
            return language;
    }
    return {};
}

QString TakeLanguageOption(QStringList& arguments, QString& error) {
    QString language = FromEnvironment();
    for (qsizetype i = 1; i < arguments.size();) {
        const bool joined = arguments[i].startsWith(QLatin1String("--lang="));
        if (!joined && arguments[i] != QLatin1String("--lang")) {
            ++i;
            continue;
        }
        if (!joined && i + 1 >= arguments.size()) {
            error = QStringLiteral("--lang needs en or de");
            return {};
        }
        const QString value = joined ? arguments[i].mid(7) : arguments[i + 1];
        arguments.remove(i, joined ? 1 : 2);
        language = FromOption(value);
        if (language.isEmpty()) {
            error = QStringLiteral("unknown language %1 (en or de)").arg(value);
            return {};
        }
    }
    return language;
}

QStringList TranslationDirectories() {
    QStringList directories;
    const QString overridden = qEnvironmentVariable("KDMXP_TRANSLATIONS_DIR");
    if (!overridden.isEmpty()) directories << overridden;
    // Beside the program when installed under any prefix, then where this build installs, then the
    // build tree, so that the program and its tests run in either language before installing.
    if (QCoreApplication::instance() != nullptr)
        directories << QDir(QCoreApplication::applicationDirPath())
                           .absoluteFilePath(QStringLiteral("../share/kdmxp/translations"));
    directories << QStringLiteral(KDMXP_INSTALLED_TRANSLATIONS_DIR)
                << QStringLiteral(KDMXP_BUILD_TRANSLATIONS_DIR);
    return directories;
}

QString QtTranslationDirectory() {
    const QString overridden = qEnvironmentVariable("KDMXP_QT_TRANSLATIONS_DIR");
    return overridden.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : overridden;
}

bool InstallQtTranslation(const QString& language) {
    if (g_qtTranslator != nullptr) {
        QCoreApplication::removeTranslator(g_qtTranslator);
        delete g_qtTranslator;
        g_qtTranslator = nullptr;
    }
    // Qt speaks English by itself.
    if (language == QLatin1String("en")) return true;
    auto translator = new QTranslator;
    if (!translator->load(QStringLiteral("qtbase_") + language, QtTranslationDirectory())) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    g_qtTranslator = translator;
    return true;
}

bool Install(const QString& language) {
    // Qt's own words are a comfort, not a need: without them its buttons stay English.
    InstallQtTranslation(language);
    if (g_translator != nullptr) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator;
        g_translator = nullptr;
    }
    g_current = language;
    auto translator = new QTranslator;
    const QString file = QStringLiteral("kdmxp_") + language;
    for (const QString& directory : TranslationDirectories()) {
        if (translator->load(file, directory)) {
            QCoreApplication::installTranslator(translator);
            g_translator = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

QString Text(int id) {
    const std::string text(kdm::LoadString(id));
    return QCoreApplication::translate("Strings", text.c_str());
}

QString Current() {
    return g_current;
}

}  // namespace ui_language
