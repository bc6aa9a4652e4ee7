// The kdmxp command line: the options that end at once, and a headless printout.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <fstream>

#include "gui_support.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun RunProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KDMXP_GUI_PATH), arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(Program, VersionHelpAndBadArgumentsEndAtOnce) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* outContains;
        const char* errContains;
    };
    const Case cases[] = {
        {{"--version"}, 0, "kdmxp 1.6.0", ""},
        {{"--help"}, 0, "--print-pdf OUT FILE", ""},
        {{"--frobnicate"}, 2, "", "unknown option --frobnicate"},
        {{"a.kdm", "b.kdm"}, 2, "", "only one file"},
        {{"--print-pdf", "out.pdf"}, 2, "", "needs OUT.pdf and FILE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = RunProgram(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QString::fromLatin1(c.outContains))) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(c.errContains))) << run.err.toStdString();
    }
}

TEST(Program, PrintPdfWritesAPdfOfTheFileAndFailsForAMissingOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString data = dir.filePath(QStringLiteral("device.kdm"));
    std::ofstream(data.toStdString(), std::ios::binary)
        << guitest::IdentificationRecord("I10") + guitest::TelegramRecord('A', "+00012300");
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const ProgramRun printed = RunProgram({QStringLiteral("--print-pdf"), pdf, data});
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.read(5).startsWith("%PDF-"));

    const QString missingPdf = dir.filePath(QStringLiteral("missing.pdf"));
    const ProgramRun failed =
        RunProgram({QStringLiteral("--print-pdf"), missingPdf, dir.filePath(QStringLiteral("nope.kdm"))});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(failed.err.isEmpty());
}

}  // namespace
