// The German interface is German throughout: the boxes of a failed search and of a refused write, the
// write check's findings, Qt's own buttons, the guide that F1 opens and the menus it names, and the
// place of the compare menu. Each case runs in both languages, so that English stays as it was.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <string>
#include <vector>

#include "data/strings.h"
#include "gui_support.h"
#include "gui_transfer_support.h"
#include "link/telegram.h"
#include "ui/app.h"
#include "ui/core_text.h"
#include "ui/download_dialog.h"
#include "ui/info_dialogs.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/upload_dialog.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

const char* const kLanguages[] = {"en", "de"};

class GermanTest : public ::testing::Test {
  protected:
    void TearDown() override { ui_language::Install(QStringLiteral("en")); }
    void Use(const char* language) { ASSERT_TRUE(ui_language::Install(QString::fromLatin1(language))); }
    std::string Write(const char* name, const std::string& text) {
        const std::string path = work_.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    QTemporaryDir ports_;
    QTemporaryDir work_;
    guitest::ScopedEnv portEnv_{"KDMXP_PORT_DIR", ports_.path()};
    guitest::ScopedEnv settingsEnv_{"KDMXP_SETTINGS_DIR", work_.filePath(QStringLiteral("settings"))};
};

// No port opens at all: the box and each port's line below it speak the interface's language.
TEST_F(GermanTest, AFailedSearchSaysSoInTheInterfacesLanguage) {
    const struct {
        const char* language;
        const char* text;
        const char* reason;  // what each of the nine ports says, none of them existing
    } kCases[] = {
        {"en", "No COM-IO found", "missing (the device does not exist)"},
        {"de", "Kein COM-Anschluss gefunden", "fehlt (das Gerät existiert nicht)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.language);
        Use(c.language);
        QString details;
        guitest::BoxWatcher watcher([&](QWidget* window) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) details = box->informativeText();
            guitest::Reject(window);
        });
        CKDM_XPApp app;
        app.tempFilePath = work_.filePath(QStringLiteral("KDM.tmp")).toStdString();
        CUpload dialog(app, nullptr);
        dialog.exec();
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text, QString::fromUtf8(c.text));
        const QStringList lines = details.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 9) << details.toStdString();
        for (const QString& line : lines)
            EXPECT_TRUE(line.endsWith(QStringLiteral(": ") + QString::fromUtf8(c.reason)))
                << line.toStdString();
    }
}

// A file with bytes after its last record is refused before any port is opened; the box lists why.
TEST_F(GermanTest, ARefusedWriteListsItsFindingsInTheInterfacesLanguage) {
    const struct {
        const char* language;
        const char* summary;
        const char* finding;
    } kCases[] = {
        {"en", "Nothing was sent: the file cannot be written as it stands (1 fault):",
         "record 4: 3 bytes after the last record are no record"},
        {"de", "Nichts wurde gesendet: die Datei kann so nicht geschrieben werden (1 Fehler):",
         "Datensatz 4: 3 Bytes nach dem letzten Datensatz sind kein Datensatz"},
    };
    const std::string file =
        Write("trailing.KDM", IdentificationRecord("I1P") + TelegramRecord('A', "+001000--") +
                                  TelegramRecord('B', "-000120--") + "xyz");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.language);
        Use(c.language);
        guitest::BoxWatcher watcher;
        CKDM_XPApp app;
        CDownload dialog(app, nullptr);
        guitest::ChooseWhenAsked(dialog.Worker(), file);
        dialog.exec();
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text.toStdString(), std::string(c.summary) + "\n" + c.finding);
        EXPECT_FALSE(app.link.IsPortOpen());
    }
}

// Every kind of finding and place has German words, and the plural follows the count.
TEST_F(GermanTest, WriteFindingsAreWordedInGerman) {
    const auto finding = [](int record, const char* program, const char* letter, kdm::WriteProblem problem,
                            std::size_t bytes = 0) {
        kdm::WriteFinding f;
        f.record = record;
        f.program = program;
        f.letter = letter;
        f.problem = problem;
        f.bytes = bytes;
        f.annotation = "QS 123";
        f.programs = 256;
        return f;
    };
    const struct {
        kdm::WriteFinding finding;
        const char* german;
    } kCases[] = {
        {finding(7, "000012", "A", kdm::WriteProblem::kNoEtx),
         "Datensatz 7, Programm 000012, Buchstabe A: das Telegramm endet nicht mit ETX"},
        {finding(3, "system", "d", kdm::WriteProblem::kMarked),
         "Datensatz 3, System, Buchstabe d: mit \" !!!\" markiert: seine Prüfsumme stimmte beim Lesen nicht"},
        {finding(5, "", "", kdm::WriteProblem::kCutShort, 9),
         "Datensatz 5: das Telegramm ist abgeschnitten (9 seiner 16 Bytes)"},
        {finding(4, "", "", kdm::WriteProblem::kAfterAnnotation, 1),
         "Datensatz 4: 1 Byte nach seiner Anmerkung \"QS 123\": ein Lesen speichert dort nichts"},
        {finding(4, "", "", kdm::WriteProblem::kAfterAnnotation, 2),
         "Datensatz 4: 2 Bytes nach seiner Anmerkung \"QS 123\": ein Lesen speichert dort nichts"},
        {finding(0, "", "", kdm::WriteProblem::kNoParameters),
         "Datei: die Datei enthält keinen Parameter zum Schreiben"},
        {finding(300, "000256", "P", kdm::WriteProblem::kTooManyPrograms),
         "Datensatz 300, Programm 000256, Buchstabe P: die Datei enthält 256 Programme; ein Gerät fasst "
         "höchstens "
         "255, und dies ist das erste darüber"},
    };
    Use("de");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.german);
        EXPECT_EQ(WriteFindingWords(c.finding), QString::fromUtf8(c.german));
    }
    // The English words are those of the command line, word for word.
    Use("en");
    for (const auto& c : kCases)
        EXPECT_EQ(WriteFindingWords(c.finding).toStdString(), kdm::DescribeWriteFinding(c.finding));
}

// In English the desktop says word for word what the command line says, for every kind of failure, of
// port and of difference a verify finds; in German none of them stays as the English.
TEST_F(GermanTest, TransferFailuresPortsAndVerifyDifferencesAreWordedLikeTheCommandLineInEnglishOnly) {
    std::vector<kdm::TransferFailure> failures;
    for (int t = 0; t <= static_cast<int>(kdm::TransferTrouble::kFileTooLarge); ++t) {
        for (const char* program : {"", "000007"}) {
            kdm::TransferFailure failure;
            failure.trouble = static_cast<kdm::TransferTrouble>(t);
            failure.limit = 42;
            failure.program = program;
            failure.path = "/tmp/KDM.tmp";
            failure.reason = "No space left on device";
            failures.push_back(failure);
        }
    }
    std::vector<kdm::SearchAttemptReport> ports;
    for (int o = 0; o < static_cast<int>(kdm::PortOutcome::kFound); ++o) {
        for (int p = 0; p <= static_cast<int>(kdm::PortProblem::kOther); ++p) {
            for (const int error : {kdm::kNoDeviceResponse, 7}) {
                kdm::SearchAttemptReport report;
                report.portName = "COM2";
                report.devicePath = "/dev/ttyUSB0";
                report.outcome = static_cast<kdm::PortOutcome>(o);
                report.problem = static_cast<kdm::PortProblem>(p);
                report.errorNumber = error;
                report.silentSeconds = 10;
                report.groupName = "dialout";
                report.holders = p == 4 ? "pid 4711 cupsd" : "";
                report.systemError = 5;
                ports.push_back(report);
            }
        }
    }
    // What the read-back after a write found: each side present or missing, trusted or not.
    std::vector<kdm::RecordDifference> differences;
    for (const kdm::Suspect file : {kdm::Suspect::kNone, kdm::Suspect::kMismatch, kdm::Suspect::kDamaged}) {
        for (const char* device : {"",
                                   "\x02"
                                   "0C+100555--552\x03"}) {
            kdm::RecordDifference difference;
            difference.record = 12;
            difference.fileTelegram =
                "\x02"
                "0C+100556--553\x03";
            difference.deviceTelegram = device;
            difference.fileSuspect = file;
            difference.deviceSuspect = *device == '\0' ? kdm::Suspect::kNone : kdm::Suspect::kDamaged;
            differences.push_back(difference);
        }
    }
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        Use(language);
        const bool english = std::string(language) == "en";
        for (const kdm::RecordDifference& difference : differences) {
            const std::string core = kdm::DescribeDifference(difference);
            EXPECT_EQ(VerifyDifferenceWords(difference).toStdString() == core, english) << core;
        }
        for (const kdm::TransferFailure& failure : failures) {
            const std::string core = kdm::DescribeTransferFailure(failure);
            EXPECT_EQ(TransferFailureWords(failure).toStdString() == core, english) << core;
        }
        for (const kdm::SearchAttemptReport& report : ports) {
            const std::string core = kdm::DescribeSearchAttempt(report);
            EXPECT_EQ(SearchAttemptWords(report).toStdString() == core, english) << core;
        }
    }
}

// Qt's own buttons come from Qt's translation when it is there; without it the program still starts.
TEST_F(GermanTest, QtsOwnButtonsSpeakTheInterfacesLanguageWhenQtHasTheTranslation) {
    const struct {
        const char* language;
        bool qtTranslations;
        const char* cancel;
    } kCases[] = {
        {"en", true, "Cancel"},
        {"de", true, "Abbrechen"},
        {"de", false, "Cancel"},
    };
    if (!QFile::exists(ui_language::QtTranslationDirectory() + QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's German translation is not installed (qt6-translations-l10n)";
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.language) + (c.qtTranslations ? "" : " without Qt's translation"));
        const guitest::ScopedEnv qtDir("KDMXP_QT_TRANSLATIONS_DIR",
                                       c.qtTranslations ? QString() : work_.filePath(QStringLiteral("none")));
        Use(c.language);
        EXPECT_EQ(ui_language::Text(kdm::sid::kNoDevice) == QStringLiteral("No Dorvik-device found"),
                  std::string(c.language) == "en");
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(MenuTextOf(box.button(QMessageBox::Cancel)->text()), QString::fromUtf8(c.cancel));
    }
}

// F1 opens the guide in the language of the menus, in a help window of the same language.
TEST_F(GermanTest, F1OpensTheGuideInTheInterfacesLanguage) {
    const struct {
        const char* language;
        const char* title;
        int otherHelp;  // the help item without a key
    } kCases[] = {
        {"en", "KDM XP - Help (english)", menu_id::kHelpGerman},
        {"de", "KDM XP - Hilfe (deutsch)", menu_id::kHelpEnglish},
    };
    for (const char* page : {"KDM_Info_e.html", "KDM_Info_d.html"}) {
        QFile file(work_.filePath(QString::fromLatin1(page)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body>page</body></html>");
    }
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.language);
        Use(c.language);
        CKDM_XPApp app;
        app.startupDirectory = work_.path().toStdString();
        CKDMXPMain start(app);
        start.show();
        start.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&start));
        EXPECT_TRUE(FindMenuAction(&start, c.otherHelp)->shortcut().isEmpty());
        guitest::ModalWatcher watcher;
        QTest::keyClick(&start, Qt::Key_F1);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].title, QString::fromUtf8(c.title));
    }
}

// The German guide names the menu items as the German interface shows them, and not the English ones.
TEST_F(GermanTest, TheGermanGuideNamesTheGermanMenus) {
    QFile guide(QStringLiteral(KDMXP_SOURCE_DIR "/res/help/KDM_Info_d.html"));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(guide.readAll());
    const int kItems[] = {menu_id::kReadDevice, menu_id::kWriteDevice, menu_id::kFileOpen,
                          menu_id::kFilePrint, menu_id::kCableInfo};
    QStringList german;
    QStringList english;
    for (const char* language : kLanguages) {
        Use(language);
        CKDM_XPApp app;
        CKDMXPMain start(app);
        for (const int id : kItems) {
            QString item = MenuTextOf(FindMenuAction(&start, id)->text());
            item.remove(QStringLiteral("..."));
            (QString::fromLatin1(language) == QLatin1String("de") ? german : english) << item;
        }
    }
    for (qsizetype i = 0; i < german.size(); ++i) {
        SCOPED_TRACE(english[i].toStdString());
        EXPECT_TRUE(text.contains(german[i])) << german[i].toStdString();
        if (english[i] != german[i]) {
            // As a menu is named: in italics, or after an arrow.
            EXPECT_FALSE(text.contains(QStringLiteral("<i>") + english[i]));
            EXPECT_FALSE(text.contains(QString::fromUtf8("\u2192 ") + english[i]));
        }
    }
}

// The compare menu stands just before Help whatever Help is called.
TEST_F(GermanTest, TheCompareMenuStandsBeforeHelpInEveryLanguage) {
    const std::string file = Write("a.KDM", IdentificationRecord("I10") + TelegramRecord('d', "+000001--"));
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        Use(language);
        CKDM_XPApp app;
        DataDocument document;
        document.Open(file);
        CKDM_XPDlg window(app, document, nullptr);
        window.OnInitDialog();
        auto* bar = window.findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        QStringList names;
        for (const QAction* action : bar->actions())
            names << (action->menu() != nullptr ? action->menu()->objectName() : QString());
        const qsizetype help = names.indexOf(QLatin1String(kHelpMenuName));
        ASSERT_GT(help, 0) << names.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(names[help - 1], QStringLiteral("compareMenu"))
            << names.join(QLatin1Char(',')).toStdString();
    }
}

// The history's kinds, the wait notices and the contact lines follow the language.
TEST_F(GermanTest, SmallWordsFollowTheLanguage) {
    const struct {
        const char* language;
        QString (*word)();
        const char* expected;
    } kCases[] = {
        {"en", [] { return HistoryKindWords(kdm::HistoryKind::kBackup); }, "backup"},
        {"de", [] { return HistoryKindWords(kdm::HistoryKind::kBackup); }, "Sicherung"},
        {"de", [] { return HistoryKindWords(kdm::HistoryKind::kRead); }, "Lesen"},
        {"de", [] { return VerifyOutcomeWords(kdm::VerifyOutcome::kPassed); }, "bestanden"},
        {"de", [] { return ContactText("", "", "+1 2", ""); }, "Telefon +1 2"},
        {"en", [] { return ContactText("", "", "+1 2", ""); }, "Phone +1 2"},
        {"en",
         [] {
             return WaitWords({kdm::WaitKind::kIdentification, 4, "COM1"});
         },
         "Waiting for a device to identify itself on COM1 (4 s)"},
        {"de",
         [] {
             return WaitWords({kdm::WaitKind::kIdentification, 4, "COM1"});
         },
         "Warte, bis sich ein Gerät an COM1 meldet (4 s)"},
        {"de",
         [] {
             return WaitWords({kdm::WaitKind::kStatusReply, 3, ""});
         },
         "Warte auf die Statusantwort des Geräts (3 s)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.expected);
        Use(c.language);
        EXPECT_EQ(c.word(), QString::fromUtf8(c.expected));
    }
}

}  // namespace
