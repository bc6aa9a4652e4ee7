// The help documents. Each language has an HTML page, shown in the program's own help window so that help
// opens on any machine, and a PDF made from the same page at build time, for printing, opened with the
// desktop's PDF viewer on request. When no viewer can open the PDF, a message box says so and where the
// PDF is: the desktop's launcher only tells its standard error, which a desktop user never sees.
#pragma once

#include <QDialog>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

class QPushButton;
class QTextBrowser;

inline constexpr const char* kHelpEnglish = "KDM_Info_e.pdf";
inline constexpr const char* kHelpGerman = "KDM_Info_d.pdf";

// One language's help: its page, its PDF, and the few words of the help window and its messages.
struct HelpDocument {
    const char* page;  // HTML, shown in the help window
    const char* pdf;   // the same text for printing
    bool german;       // the window's buttons and messages in German
};
inline constexpr HelpDocument kHelpDocumentEnglish{"KDM_Info_e.html", kHelpEnglish, false};
inline constexpr HelpDocument kHelpDocumentGerman{"KDM_Info_d.html", kHelpGerman, true};

// The directories searched for help documents, in order: `directory` (the start-up or current
// directory; skipped when empty), beside the executable (the build tree keeps them there), the installed
// share directory relative to the executable, the configured install directory, then kdmxp/ in the XDG
// data directories.
QStringList HelpSearchDirectories(const std::string& directory);

// The first readable regular file named `fileName` in HelpSearchDirectories(directory), as a clean
// absolute path; empty when it is nowhere.
std::string FindHelpDocument(const std::string& directory, const char* fileName);

// Shows `document` for a Help menu command: the help window (modal, over `parent`) when the page is
// found; otherwise the PDF in the desktop's viewer; otherwise a message box that names the document and
// the directories searched. Something visible happens in every case.
void ShowHelp(QWidget* parent, const std::string& directory, const HelpDocument& document);

// Asks the desktop's launcher (xdg-open) to open a PDF, and reports whether it could. The launcher may
// return at once or only when the viewer closes, so the answer comes as a signal; the process's output
// is drained so a chatty viewer never blocks on a full pipe. Owned by the application object, so it
// outlives the window it was started from; it deletes itself when it has reported.
class PdfLauncher final : public QObject {
    Q_OBJECT
  public:
    // Starts the launcher for `path`. A launcher that cannot be started reports failure from the event
    // loop, like every other outcome.
    static PdfLauncher* Start(const QString& path);

    const QString& Path() const { return path_; }

  signals:
    // `opened` false: no program opened the PDF; `reason` is the launcher's own last words, or why it
    // did not run.
    void Finished(bool opened, const QString& reason);

  private:
    explicit PdfLauncher(const QString& path);
    void Report(bool opened, const QString& reason);

    QString path_;
    QProcess process_;
    QByteArray errors_;
    bool reported_ = false;
};

// Opens `pdfPath` with the desktop's viewer; when that fails, a message box over `parent` (if it still
// exists then) says that no viewer could open it and where the PDF is.
void OpenPdfOrExplain(QWidget* parent, const QString& pdfPath, bool german);

// The text of that message box.
QString NoPdfViewerMessage(const QString& pdfPath, bool german);

// The in-program help window: the page in a browser that follows its links, "Open PDF..." for the
// printable copy (disabled when the PDF is missing), and "Close". Esc closes it.
class HelpWindow final : public QDialog {
    Q_OBJECT
  public:
    HelpWindow(const QString& pagePath, const QString& pdfPath, bool german, QWidget* parent);

    QTextBrowser* Browser() const { return browser_; }
    QPushButton* OpenPdfButton() const { return openPdf_; }
    void OpenPdf();

  private:
    QTextBrowser* browser_;
    QPushButton* openPdf_;
    QString pdfPath_;
    bool german_;
};
