// Print-to-file from the print dialog: the file it proposes (the data file's own name with ".pdf",
// beside it), and a save as safe as --print-pdf's: a disk that fills up leaves the previous PDF.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "gui_files.h"
#include "gui_support.h"
#include "ui/printing.h"

namespace {

using guitest::ModalWatcher;

TEST(PrintToFile, ProposesTheDataFilesNameWithPdfBesideItAndKeepsTheJobName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::ofstream(dir.filePath(QStringLiteral("r1.KDM")).toStdString(), std::ios::binary)
        << guitest::IdentificationRecord("I10");
    QString proposed;
    QString docName;
    bool sawPrintDialog = false;
    ModalWatcher watcher([&](QWidget* window, int) {
        if (auto* dialog = qobject_cast<QPrintDialog*>(window)) {
            sawPrintDialog = true;
            docName = dialog->printer()->docName();
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                proposed = edit->text();
        }
        guitest::Reject(window);
    });
    PrintDataFile(dir.filePath(QStringLiteral("r1.KDM")).toStdString(), nullptr);
    ASSERT_TRUE(sawPrintDialog);
    EXPECT_EQ(proposed, dir.filePath(QStringLiteral("r1.pdf")));
    EXPECT_EQ(docName.toStdString(), kPrintDocumentName);
}

using guitest::Contents;

// Caps the size of any file this process writes, as a disk full beyond that point would (the write
// then fails with EFBIG instead of the signal ending the process); lifted again when it goes.
class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        // The soft limit alone: a hard limit once lowered cannot be raised again by an ordinary user.
        const rlimit cap{bytes, old_.rlim_max};
        applied_ = ::setrlimit(RLIMIT_FSIZE, &cap) == 0;
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;
    bool Applied() const { return applied_; }

  private:
    rlimit old_{};
    sighandler_t oldSignal_ = SIG_DFL;
    bool applied_ = false;
};

TEST(PrintToFile, AFullDiskLeavesThePreviousPdfAndSaysSo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString data = dir.filePath(QStringLiteral("r1.KDM"));
    std::ofstream(data.toStdString(), std::ios::binary)
        << guitest::IdentificationRecord("I10") + guitest::TelegramRecord('A', "+00012300");
    const QString pdf = dir.filePath(QStringLiteral("r1.pdf"));
    // The print dialog with its PDF printer chosen and the proposed name kept.
    const auto toFile = [](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        return !printer.outputFileName().isEmpty();
    };

    {
        guitest::ModalWatcher watcher;
        PrintDataFile(data.toStdString(), nullptr, toFile);
        EXPECT_TRUE(watcher.seen.empty());
    }
    const QByteArray good = Contents(pdf);
    ASSERT_TRUE(good.startsWith("%PDF-"));
    ASSERT_GT(good.size(), 1024);

    // Room for a kilobyte: the new PDF cannot be written whole.
    guitest::ModalWatcher watcher;
    {
        FileSizeCap cap(1024);
        ASSERT_TRUE(cap.Applied());
        PrintDataFile(data.toStdString(), nullptr, toFile);
    }
    EXPECT_EQ(Contents(pdf), good);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        (QStringList{QStringLiteral("r1.KDM"), QStringLiteral("r1.pdf")}));
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("printToFileFailureBox"));
    EXPECT_TRUE(watcher.seen[0].text.startsWith(QStringLiteral("The PDF could not be saved.\n")))
        << watcher.seen[0].text.toStdString();
    EXPECT_TRUE(watcher.seen[0].text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << watcher.seen[0].text.toStdString();
}

}  // namespace
