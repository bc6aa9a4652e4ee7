// The Help menu's documents: the help window showing the page found for the window it was asked from,
// the PDF opened through the desktop's launcher, and a message box whenever that cannot happen.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <fstream>

#include "gui_support.h"
#include "ui/app.h"
#include "ui/help.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"

namespace {

using guitest::ModalWatcher;
using guitest::ScopedEnv;

// Generous: only a broken program ever waits this long; a working one reports in milliseconds.
constexpr int kGuardMs = 60000;

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
}

// A stand-in for the desktop's launcher, first on PATH: `body` is the shell script's work.
void WriteLauncher(const QString& dir, const QByteArray& body) {
    const QString path = QDir(dir).filePath(QStringLiteral("xdg-open"));
    WriteText(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

// Runs the event loop until `done` holds or the guard runs out; true when it held.
bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer guard;
    guard.start();
    while (!done()) {
        if (guard.elapsed() > kGuardMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Ends a modal window that the test is waiting in, should the awaited event never come.
class ModalGuard {
  public:
    explicit ModalGuard(QDialog* dialog) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this, dialog] {
            expired = true;
            dialog->reject();
        });
        timer_.start(kGuardMs);
    }
    bool expired = false;

  private:
    QTimer timer_;
};

// Puts the process back in the directory it stood in, however the test ends: the directories a test
// moves into go away with it.
class ScopedCurrentDir {
  public:
    ScopedCurrentDir() : before_(QDir::currentPath()) {}
    ~ScopedCurrentDir() { QDir::setCurrent(before_); }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

  private:
    QString before_;
};

// What the help window showed when it came up.
struct SeenHelp {
    QString title;
    QString text;
    bool pdfEnabled = false;
    QString pdfTip;
    QWidget* parent = nullptr;
};

SeenHelp Inspect(QWidget* window) {
    SeenHelp seen;
    auto* help = qobject_cast<HelpWindow*>(window);
    if (help == nullptr) return seen;
    seen.title = help->windowTitle();
    seen.text = help->Browser()->toPlainText();
    seen.pdfEnabled = help->OpenPdfButton()->isEnabled();
    seen.pdfTip = help->OpenPdfButton()->toolTip();
    seen.parent = help->parentWidget();
    return seen;
}

std::string HelpDataFile() {
    return guitest::IdentificationRecord("I10") + guitest::TelegramRecord('A', "+00012300") +
           guitest::TelegramRecord('P', "+00000100");
}

class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pages.isValid());
        ASSERT_TRUE(elsewhere.isValid());
        WriteText(pages.filePath("KDM_Info_e.html"),
                  "<html><head><title>t</title></head><body><h1>English page 4711</h1></body></html>");
        WriteText(pages.filePath("KDM_Info_d.html"),
                  "<html><head><meta charset=\"utf-8\"></head><body><h1>Deutsche Seite \xc3\xa4 4712</h1>"
                  "</body></html>");
        WriteText(pages.filePath("KDM_Info_e.pdf"), "%PDF-1.4\n");
    }
    CKDM_XPApp app;
    QTemporaryDir pages;
    QTemporaryDir elsewhere;
};

// From the start window the pages come from the start-up directory; from a table window, from the
// directory current at the moment of the command. The window is modal over the window it came from
// and closes with Esc.
TEST_F(HelpTest, MenuCommandsShowThePageOfTheirDirectoryInTheHelpWindow) {
    app.startupDirectory = pages.path().toStdString();
    CKDMXPMain start(app);
    const QString data = elsewhere.filePath(QStringLiteral("help.kdm"));
    WriteText(data, QByteArray::fromStdString(HelpDataFile()));
    DataDocument document;
    document.Open(data.toStdString());
    CKDM_XPDlg table(app, document, &start);
    table.OnInitDialog();

    const ScopedCurrentDir back;
    struct Case {
        QWidget* window;
        int id;
        const char* title;
        const char* text;
        bool pdf;
    };
    const Case cases[] = {
        {&start, menu_id::kHelpEnglish, "KDM XP - Help (english)", "English page 4711", true},
        {&start, menu_id::kHelpGerman, "KDM XP - Hilfe (deutsch)", "Deutsche Seite \xc3\xa4 4712", false},
        {&table, menu_id::kHelpEnglish, "KDM XP - Help (english)", "English page 4711", true},
        {&table, menu_id::kHelpGerman, "KDM XP - Hilfe (deutsch)", "Deutsche Seite \xc3\xa4 4712", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " from " + c.window->metaObject()->className());
        // The table window looks where the process stands now, the start window where it started.
        QDir::setCurrent(c.window == &table ? pages.path() : elsewhere.path());
        SeenHelp seen;
        ModalWatcher watcher([&seen](QWidget* shown, int) {
            seen = Inspect(shown);
            guitest::PressKey(shown, Qt::Key_Escape);
        });
        FindMenuAction(c.window, c.id)->trigger();
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].className, QStringLiteral("HelpWindow"));
        EXPECT_EQ(seen.title, QString::fromUtf8(c.title));
        EXPECT_TRUE(seen.text.contains(QString::fromUtf8(c.text))) << seen.text.toStdString();
        EXPECT_EQ(seen.parent, c.window);
        // Only the English PDF is there: the German window's button is off and says why.
        EXPECT_EQ(seen.pdfEnabled, c.pdf);
        if (c.pdf) {
            EXPECT_EQ(seen.pdfTip, pages.filePath(QStringLiteral("KDM_Info_e.pdf")));
        }
    }
}

// The pages the build puts beside the program (and installs with it) are complete documents with their
// PDFs, in both languages.
TEST(HelpPages, BesideTheProgramRenderWithTheirPdfs) {
    const QString programDir = QFileInfo(QStringLiteral(KDMXP_GUI_PATH)).absolutePath();
    for (const HelpDocument& document : {kHelpDocumentEnglish, kHelpDocumentGerman}) {
        SCOPED_TRACE(document.page);
        const std::string page = FindHelpDocument(programDir.toStdString(), document.page);
        const std::string pdf = FindHelpDocument(programDir.toStdString(), document.pdf);
        ASSERT_EQ(QFileInfo(QString::fromStdString(page)).absolutePath(), programDir);
        ASSERT_EQ(QFileInfo(QString::fromStdString(pdf)).absolutePath(), programDir);
        HelpWindow window(QString::fromStdString(page), QString::fromStdString(pdf), document.german,
                          nullptr);
        const QString text = window.Browser()->toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("KDM XP"))) << text.left(200).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("dialout")));
        EXPECT_TRUE(text.contains(QStringLiteral("kdmxp-cli ports --map")));
        EXPECT_GT(text.size(), 5000);  // the whole page, not a fallback
        EXPECT_TRUE(window.OpenPdfButton()->isEnabled());
    }
}

// The case: no PDF viewer. The launcher says so on its standard error only; the user gets a
// message box that names the PDF's place, over the help window, with the launcher's words in the
// details.
TEST_F(HelpTest, OpenPdfWithoutAViewerSaysSoAndWhereThePdfIs) {
    QTemporaryDir bin;
    WriteLauncher(bin.path(), "echo \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n");
    const ScopedEnv path("PATH", bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH"));
    const QString pdf = pages.filePath(QStringLiteral("KDM_Info_e.pdf"));

    HelpWindow window(pages.filePath(QStringLiteral("KDM_Info_e.html")), pdf, false, nullptr);
    ModalGuard guard(&window);
    QString details;
    ModalWatcher watcher([&](QWidget* shown, int index) {
        if (index == 0) {  // the help window: ask for the PDF
            window.OpenPdfButton()->click();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(shown)) details = box->detailedText();
        guitest::Reject(shown);
        QTimer::singleShot(0, &window, &QDialog::reject);
    });
    window.exec();
    ASSERT_FALSE(guard.expired) << "no message box came up";
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1].objectName, QStringLiteral("noPdfViewer"));
    EXPECT_EQ(watcher.seen[1].parent, &window);
    EXPECT_TRUE(watcher.seen[1].text.contains(pdf)) << watcher.seen[1].text.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("no method available"))) << details.toStdString();
}

// With the page gone, the menu command falls back on the PDF; when that cannot open either, the same
// message comes up over the window the command came from, in the document's language.
TEST_F(HelpTest, WithoutThePageThePdfIsOpenedOrExplained) {
    QFile::remove(pages.filePath("KDM_Info_e.html"));
    if (!FindHelpDocument(std::string(), kHelpDocumentEnglish.page).empty())
        GTEST_SKIP() << "a help page is installed on this machine";
    QTemporaryDir bin;
    WriteLauncher(bin.path(), "exit 4\n");
    const ScopedEnv path("PATH", bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH"));
    app.startupDirectory = pages.path().toStdString();
    CKDMXPMain start(app);
    ModalWatcher watcher;  // closes whatever comes up
    FindMenuAction(&start, menu_id::kHelpEnglish)->trigger();
    ASSERT_TRUE(ProcessUntil([&] { return !watcher.seen.empty(); }));
    EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("noPdfViewer"));
    EXPECT_EQ(watcher.seen[0].parent, &start);
    EXPECT_TRUE(watcher.seen[0].text.contains(pages.filePath(QStringLiteral("KDM_Info_e.pdf"))));
}

// A launcher that opens the PDF is handed its path and nothing is said; a machine without any launcher
// is reported like one without a viewer.
TEST(PdfLauncherTest, ReportsWhatTheLauncherDid) {
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("opened"));
    WriteLauncher(bin.path(), "printf '%s' \"$1\" > '" + record.toLocal8Bit() + "'\necho chatty\nexit 0\n");
    {
        const ScopedEnv path("PATH", bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH"));
        ModalWatcher watcher;
        PdfLauncher* launcher = PdfLauncher::Start(QStringLiteral("/some where/KDM_Info_e.pdf"));
        QSignalSpy finished(launcher, &PdfLauncher::Finished);
        ASSERT_TRUE(finished.wait(kGuardMs));
        EXPECT_TRUE(finished[0][0].toBool()) << finished[0][1].toString().toStdString();
        QFile opened(record);
        ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
        EXPECT_EQ(opened.readAll(), QByteArray("/some where/KDM_Info_e.pdf"));
        EXPECT_TRUE(watcher.seen.empty());
    }
    {
        QTemporaryDir empty;
        const ScopedEnv path("PATH", empty.path());
        PdfLauncher* launcher = PdfLauncher::Start(QStringLiteral("/x.pdf"));
        QSignalSpy finished(launcher, &PdfLauncher::Finished);
        ASSERT_TRUE(finished.wait(kGuardMs));
        EXPECT_FALSE(finished[0][0].toBool());
        EXPECT_TRUE(finished[0][1].toString().contains(QStringLiteral("xdg-utils")))
            << finished[0][1].toString().toStdString();
    }
}

// Neither page nor PDF anywhere: a message names the document and every directory searched.
TEST_F(HelpTest, NothingFoundIsReportedWithTheDirectoriesSearched) {
    const ScopedEnv dataHome("XDG_DATA_HOME", elsewhere.filePath(QStringLiteral("data")));
    const ScopedEnv dataDirs("XDG_DATA_DIRS", elsewhere.filePath(QStringLiteral("shared")));
    if (!FindHelpDocument(std::string(), kHelpDocumentGerman.page).empty() ||
        !FindHelpDocument(std::string(), kHelpDocumentGerman.pdf).empty())
        GTEST_SKIP() << "help documents are installed on this machine";
    app.startupDirectory = elsewhere.path().toStdString();
    CKDMXPMain start(app);
    ModalWatcher watcher;
    FindMenuAction(&start, menu_id::kHelpGerman)->trigger();
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("helpNotFound"));
    EXPECT_EQ(watcher.seen[0].parent, &start);
    const QString text = watcher.seen[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral("KDM_Info_d.html"))) << text.toStdString();
    for (const QString& dir : HelpSearchDirectories(app.startupDirectory))
        EXPECT_TRUE(text.contains(dir)) << dir.toStdString();
    EXPECT_TRUE(text.contains(elsewhere.path()));
}

}  // namespace
