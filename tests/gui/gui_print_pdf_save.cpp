// kdmxp --print-pdf when the output cannot or must not be written: the name of a FIFO, a device, a
// symbolic link; a disk that fills up while the PDF is written; a private file to replace.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "gui_files.h"
#include "gui_support.h"

namespace {

struct PrintRun {
    bool finished = false;
    int exitCode = -1;
    QString err;
};

// Runs `kdmxp --print-pdf pdf data`; `limit` (bytes) caps the size of any file the program writes, as
// a disk that is full beyond that point would.
PrintRun RunPrintPdf(const QString& pdf, const QString& data, rlim_t limit = RLIM_INFINITY) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    if (limit != RLIM_INFINITY) {
        process.setChildProcessModifier([limit] {
            // The write then fails with EFBIG instead of the signal ending the program.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit cap{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &cap);
        });
    }
    process.start(QStringLiteral(KDMXP_GUI_PATH), {QStringLiteral("--print-pdf"), pdf, data});
    PrintRun run;
    // A bound for a program that hangs (as it did on a FIFO); a working one ends within seconds.
    run.finished = process.waitForFinished(120000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

using guitest::Contents;

class PrintPdfSave : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath(QStringLiteral("device.kdm"));
        std::ofstream(data_.toStdString(), std::ios::binary)
            << guitest::IdentificationRecord("I10") + guitest::TelegramRecord('A', "+00012300");
    }
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QStringList Entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir_;
    QString data_;
};

TEST_F(PrintPdfSave, OutputsThatAreNotRegularFilesAreRefusedAndLeftAlone) {
    const QString target = Path("target.pdf");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_EQ(::mkfifo(Path("fifo.pdf").toLocal8Bit().constData(), 0600), 0);
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), Path("link.pdf").toLocal8Bit().constData()), 0);
    struct Case {
        QString path;
        mode_t type;
    };
    std::vector<Case> cases = {{Path("fifo.pdf"), S_IFIFO}, {Path("link.pdf"), S_IFLNK}};
    // /dev/full takes nothing and once made the printout report success.
    if (::access("/dev/full", W_OK) == 0) cases.push_back({QStringLiteral("/dev/full"), S_IFCHR});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const PrintRun run = RunPrintPdf(c.path, data_);
        ASSERT_TRUE(run.finished) << "the printout hung";
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("not a regular file"))) << run.err.toStdString();
        struct stat st {};
        ASSERT_EQ(::lstat(c.path.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    EXPECT_EQ(Contents(target), QByteArray("keep me"));
    EXPECT_EQ(Entries().size(), 4);  // device.kdm, target.pdf, fifo.pdf, link.pdf
}

TEST_F(PrintPdfSave, AFullDiskLeavesThePreviousPdfAndFails) {
    const QString pdf = Path("out.pdf");
    const PrintRun first = RunPrintPdf(pdf, data_);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QByteArray good = Contents(pdf);
    ASSERT_TRUE(good.startsWith("%PDF-"));
    ASSERT_GT(good.size(), 1024);

    // Room for a kilobyte: the new PDF cannot be written whole.
    const PrintRun full = RunPrintPdf(pdf, data_, 1024);
    ASSERT_TRUE(full.finished);
    EXPECT_EQ(full.exitCode, 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << full.err.toStdString();
    EXPECT_EQ(Contents(pdf), good);
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("device.kdm"), QStringLiteral("out.pdf")}));

    // A new name gets nothing at all.
    const PrintRun none = RunPrintPdf(Path("new.pdf"), data_, 1024);
    EXPECT_EQ(none.exitCode, 1) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("new.pdf")));
}

TEST_F(PrintPdfSave, AReplacedPdfKeepsItsMode) {
    const QString pdf = Path("private.pdf");
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    ASSERT_EQ(::chmod(pdf.toLocal8Bit().constData(), 0600), 0);
    const PrintRun run = RunPrintPdf(pdf, data_);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(Contents(pdf).startsWith("%PDF-"));
    struct stat st {};
    ASSERT_EQ(::stat(pdf.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// The data file named on the command line as in the Open dialog: without its extension, in whatever
// letter case the extension exists.
TEST_F(PrintPdfSave, ADataFileNamedWithoutItsExtensionIsFound) {
    const QString bare = Path("device");
    const PrintRun run = RunPrintPdf(Path("bare.pdf"), bare);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(Contents(Path("bare.pdf")).startsWith("%PDF-"));

    QProcess report;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    report.setProcessEnvironment(environment);
    report.start(QStringLiteral(KDMXP_GUI_PATH),
                 {QStringLiteral("--export-report"), Path("report.pdf"), bare});
    ASSERT_TRUE(report.waitForFinished(120000));
    EXPECT_EQ(report.exitCode(), 0) << report.readAllStandardError().toStdString();
    EXPECT_TRUE(Contents(Path("report.pdf")).startsWith("%PDF-"));
}

}  // namespace
