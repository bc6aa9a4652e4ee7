// kdmxp: the desktop program. `kdmxp [FILE.kdm]` shows the start window (and the file in a table window
// over it); `kdmxp --print-pdf OUT.pdf FILE` prints a data file into a PDF and `kdmxp --export-report
// OUT.pdf FILE` makes its parameter report, both without showing anything.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/data_file_name.h"
#include "ui/app.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/printing.h"
#include "ui/report.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "Usage: kdmxp [--lang en|de] [FILE.kdm]\n"
        "       kdmxp --print-pdf OUT.pdf FILE.kdm\n"
        "       kdmxp [--lang en|de] --export-report OUT.pdf FILE.kdm\n"
        "\n"
        "Stores and restores the parameter sets of Q4400 devices over a serial line.\n"
        "With FILE, the data file is shown in a table window over the start window.\n"
        "\n"
        "Options:\n"
        "  --print-pdf OUT FILE  print FILE into the PDF file OUT and exit\n"
        "  --export-report OUT FILE\n"
        "                        write the parameter report of FILE into the PDF file OUT and exit\n"
        "  --lang en|de          the interface's language (default: from LANGUAGE, LC_ALL,\n"
        "                        LC_MESSAGES or LANG, German when it starts with de)\n"
        "  --help                show this text and exit\n"
        "  --version             show the version and exit\n"
        "\n"
        "Environment: KDMXP_PORT_DIR (directory of COMn entries), KDMXP_SETTINGS_DIR (settings root).\n",
        out);
}

int PrintToPdf(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("kdmxp: --print-pdf needs OUT.pdf and FILE\n", stderr);
        return 2;
    }
    // No window is shown, so no display is needed either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string reason;
    // The data file is named as in the Open dialog: "r1" finds r1.KDM.
    if (PrintDataFileToPdf(kdm::ResolveDataFileName(argv[3], "kdm"), argv[2], reason) == 0) {
        std::fprintf(stderr, "kdmxp: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}

// Without its translation the interface shows the texts as written, which is still a whole program.
void InstallLanguage(const QString& language) {
    if (!ui_language::Install(language))
        std::fprintf(
            stderr, "kdmxp: no translation for %s found in %s\n", language.toLocal8Bit().constData(),
            ui_language::TranslationDirectories().join(QStringLiteral(", ")).toLocal8Bit().constData());
}

// The report is in the interface's language, chosen as for the windows: by --lang, else by the locale.
int ExportReport(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    QString languageError;
    const QString language = ui_language::TakeLanguageOption(arguments, languageError);
    if (language.isEmpty()) {
        std::fprintf(stderr, "kdmxp: %s\n", languageError.toLocal8Bit().constData());
        return 2;
    }
    arguments.removeOne(QStringLiteral("--export-report"));
    if (arguments.size() != 3) {
        std::fputs("kdmxp: --export-report needs OUT.pdf and FILE\n", stderr);
        return 2;
    }
    InstallLanguage(language);
    std::string reason;
    if (ExportParameterReport(kdm::ResolveDataFileName(arguments[2].toLocal8Bit().toStdString(), "kdm"),
                              arguments[1].toLocal8Bit().toStdString(), reason) == 0) {
        std::fprintf(stderr, "kdmxp: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kdmxp %s\n", KDMXP_VERSION);
            return 0;
        }
    }
    if (argc > 1 && std::strcmp(argv[1], "--print-pdf") == 0) return PrintToPdf(argc, argv);
    // --lang may come before --export-report, as before the file in the usual command line.
    int first = 1;
    while (first < argc &&
           (std::strcmp(argv[first], "--lang") == 0 || std::strncmp(argv[first], "--lang=", 7) == 0))
        first += std::strcmp(argv[first], "--lang") == 0 ? 2 : 1;
    if (first < argc && std::strcmp(argv[first], "--export-report") == 0) return ExportReport(argc, argv);

    QApplication application(argc, argv);  // takes Qt's own options (-platform ...) out of argv
    QApplication::setApplicationName(QStringLiteral("kdmxp"));
    QApplication::setApplicationVersion(QStringLiteral(KDMXP_VERSION));
    QApplication::setWindowIcon(AppIcon());
    QApplication::setDesktopFileName(QStringLiteral("kdmxp"));

    QStringList arguments = QApplication::arguments();
    QString languageError;
    const QString language = ui_language::TakeLanguageOption(arguments, languageError);
    if (language.isEmpty()) {
        std::fprintf(stderr, "kdmxp: %s\n", languageError.toLocal8Bit().constData());
        return 2;
    }
    QString file;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "kdmxp: unknown option %s\n", arguments[i].toLocal8Bit().constData());
            PrintUsage(stderr);
            return 2;
        }
        if (!file.isEmpty()) {
            std::fputs("kdmxp: only one file can be opened\n", stderr);
            return 2;
        }
        file =
            QString::fromLocal8Bit(kdm::ResolveDataFileName(arguments[i].toLocal8Bit().toStdString(), "kdm"));
    }

    InstallLanguage(language);

    CKDM_XPApp app;
    app.InitInstance();
    CKDMXPMain start(app);
    if (!file.isEmpty()) {
        // A file handed over by the desktop counts as chosen with "Open": Print then prints it.
        app.currentDataFile = QFileInfo(file).absoluteFilePath().toLocal8Bit().toStdString();
        QTimer::singleShot(0, &start,
                           [&app, &start] { app.ShowDataFileWindow(app.currentDataFile, &start); });
    }
    start.exec();
    // The program ends with its start window.
    return 0;
}
