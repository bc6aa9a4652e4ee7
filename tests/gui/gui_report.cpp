// The parameter report, made by `kdmxp --export-report` and read back with pdftotext: every parameter
// name of the device type, the file's SHA-256, suspect values marked and counted, pages numbered and
// the program table split over landscape pages; and the atomic save of the PDF.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "gui_files.h"
#include "gui_support.h"
#include "support/dump_builder.h"
#include "ui/language.h"
#include "ui/report.h"

namespace {

using guitest::HaveTool;
using guitest::WriteFile;

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` in a locale of its own: LANG=C.UTF-8, or `locale` ("NAME=value" entries) instead, so
// that the report's language depends on the case and not on the tester's desktop.
ProgramRun Program(const QString& program, const QStringList& arguments, const QStringList& locale = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& entry : locale.isEmpty() ? QStringList{QStringLiteral("LANG=C.UTF-8")} : locale)
        environment.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ProgramRun ExportReport(const QString& pdf, const QString& file) {
    return Program(QStringLiteral(KDMXP_GUI_PATH), {QStringLiteral("--export-report"), pdf, file});
}

// The PDF's text in drawing order, every run of white space made one blank: a name broken over two
// lines of a column header reads as one.
QString PdfText(const QString& pdf, int page = 0) {
    QStringList arguments = {QStringLiteral("-raw")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    return Program(QStringLiteral("pdftotext"), arguments).out.simplified();
}

int PdfPages(const QString& pdf) {
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                              .match(Program(QStringLiteral("pdfinfo"), {pdf}).out);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Width and height of a page in points.
QSizeF PageSize(const QString& pdf, int page) {
    const ProgramRun run = Program(
        QStringLiteral("pdfinfo"),
        {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(run.out);
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

QString Sha256Of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

QString NameText(int stringId) {
    const std::string_view name = kdm::LoadString(stringId);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())).simplified();
}

// A device code of each type with layouts.
struct TypeCase {
    int type;
    const char* code;
};
const TypeCase kTypes[] = {{1, "I10"},  {2, "I1P"},  {3, "I1K"},  {4, "IKP"},  {5, "IKV"},
                           {10, "E20"}, {11, "E2P"}, {12, "E10"}, {13, "E1P"}, {20, "U20"},
                           {21, "U2P"}, {22, "U10"}, {23, "U1P"}};

// Every parameter the type's layouts name, in `programs` programs; values count up from `first` so that
// each is distinct. The value of the system parameter at layout position 2 is stored with a wrong
// checksum when `spoil` is set.
std::string FileOfType(const TypeCase& type, int programs, bool spoil, int first = 500000) {
    kdmtest::DumpBuilder dump(type.code);
    int n = first;
    for (const kdm::LayoutEntry& entry : kdm::SystemLayout(type.type)->entries)
        dump.Add(entry.letter, kdmtest::Value(n++), spoil && entry.position == 2);
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (const kdm::LayoutEntry& entry : kdm::ProgramLayout(type.type)->entries) {
            if (entry.letter != 'P') dump.Add(entry.letter, kdmtest::Value(n++));
        }
    }
    return dump.Text();
}

class ReportOfType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ReportOfType, NamesEveryParameterAndCarriesTheFilesSha256) {
    if (!HaveTool("pdftotext") || !HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
    const TypeCase& type = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("device.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const std::string text = FileOfType(type, 3, false);
    ASSERT_EQ(kdm::ParseParameterSet(text).set.DeviceType(), type.type) << type.code;
    WriteFile(file, text);

    const ProgramRun run = ExportReport(pdf, file);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString report = PdfText(pdf);
    ASSERT_FALSE(report.isEmpty());
    EXPECT_TRUE(report.contains(QStringLiteral("SHA-256 ") + Sha256Of(file))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Device type %1 ").arg(type.type)));
    EXPECT_TRUE(report.contains(QStringLiteral("Data file device.KDM")));
    EXPECT_TRUE(report.contains(QStringLiteral("Suspect values none")));
    for (const kdm::Layout* layout : {kdm::SystemLayout(type.type), kdm::ProgramLayout(type.type)}) {
        for (const kdm::LayoutEntry& entry : layout->entries) {
            const QString name = NameText(entry.nameId);
            if (name.isEmpty()) continue;
            EXPECT_TRUE(report.contains(name)) << "'" << name.toStdString() << "' (" << entry.letter << ")";
        }
    }
    // Each system parameter as a row: name, letter, value.
    const kdm::LayoutEntry& first = kdm::SystemLayout(type.type)->entries[0];
    EXPECT_TRUE(report.contains(
        QStringLiteral("%1 %2 500000").arg(NameText(first.nameId)).arg(QLatin1Char(first.letter))))
        << report.toStdString();
    const int pages = PdfPages(pdf);
    ASSERT_EQ(pages, 2);
    EXPECT_TRUE(PdfText(pdf, 1).contains(QStringLiteral("Page 1 of 2")));
    EXPECT_TRUE(PdfText(pdf, 2).contains(QStringLiteral("Page 2 of 2")));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ReportOfType, ::testing::ValuesIn(kTypes),
                         [](const ::testing::TestParamInfo<TypeCase>& param) {
                             return "Type" + std::to_string(param.param.type);
                         });

TEST(Report, MarksAndCountsSuspectValues) {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("spoilt.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("spoilt.pdf"));
    // One system value with a wrong checksum, one program value cut short of its terminator.
    std::string text = FileOfType(kTypes[1], 1, true);
    text += std::string(1, kdm::STX) + kdmtest::TelegramChars('E', "+777777--");
    WriteFile(file, text);
    const ProgramRun run = ExportReport(pdf, file);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString report = PdfText(pdf);
    EXPECT_TRUE(report.contains(QStringLiteral("Suspect values 2 (1 checksum mismatch, 1 damaged)")))
        << report.toStdString();
    const kdm::LayoutEntry* spoilt = nullptr;
    for (const kdm::LayoutEntry& entry : kdm::SystemLayout(2)->entries) {
        if (entry.position == 2) spoilt = &entry;
    }
    ASSERT_NE(spoilt, nullptr);
    EXPECT_TRUE(report.contains(QStringLiteral("%1 %2 500001 ! checksum mismatch")
                                    .arg(NameText(spoilt->nameId))
                                    .arg(QLatin1Char(spoilt->letter))))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("777777 !"))) << report.toStdString();
    // Values that can be trusted carry no mark.
    EXPECT_EQ(report.count(QRegularExpression(QStringLiteral("\\d !"))), 2) << report.toStdString();
}

// The report made from the desktop speaks the interface's language.
TEST(Report, SpeaksTheInterfacesLanguage) {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils is not installed";
    const struct {
        const char* language;
        std::vector<const char*> phrases;
    } kCases[] = {
        {"en",
         {"Parameter report", "Suspect values 2 (1 checksum mismatch, 1 damaged)", "Page 1 of 2",
          "System parameters"}},
        {"de",
         {"Parameterbericht", "Zweifelhafte Werte 2 (1 Prüfsumme falsch, 1 beschädigt)", "Seite 1 von 2",
          "Systemparameter"}},
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("spoilt.KDM"));
    std::string text = FileOfType(kTypes[1], 1, true);
    text += std::string(1, kdm::STX) + kdmtest::TelegramChars('E', "+777777--");
    WriteFile(file, text);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.language);
        ASSERT_TRUE(ui_language::Install(QString::fromLatin1(c.language)));
        const QString pdf = dir.filePath(QString::fromLatin1(c.language) + QStringLiteral(".pdf"));
        std::string reason;
        const int made = ExportParameterReport(file.toStdString(), pdf.toStdString(), reason);
        ui_language::Install(QStringLiteral("en"));
        ASSERT_EQ(made, 1) << reason;
        const QString report = PdfText(pdf);
        for (const char* phrase : c.phrases)
            EXPECT_TRUE(report.contains(QString::fromUtf8(phrase))) << phrase << "\n" << report.toStdString();
    }
}

TEST(Report, SplitsALongAndWideProgramTableOverLandscapePages) {
    if (!HaveTool("pdftotext") || !HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("wide.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("wide.pdf"));
    // Type 2 with four letters its layout does not name: 19 columns of eight-digit values, far wider
    // than a page; 40 programs, more than a page holds.
    kdmtest::DumpBuilder dump("I1P");
    dump.Add('h', "+000001--");
    const int programs = 40;
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (const kdm::LayoutEntry& entry : kdm::ProgramLayout(2)->entries) {
            if (entry.letter != 'P') dump.Add(entry.letter, "+88888888");
        }
        for (const char letter : {'a', 'b', 'c', 'e'})
            dump.Add(letter, "+88888888");
    }
    WriteFile(file, dump.Text());
    const ProgramRun run = ExportReport(pdf, file);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 5);  // the first page, then at least two rows of pages, each in two parts
    const QSizeF first = PageSize(pdf, 1);
    EXPECT_LT(first.width(), first.height()) << "page 1 stands upright";
    int parts = 0;
    QString programText;
    for (int page = 2; page <= pages; ++page) {
        SCOPED_TRACE(page);
        const QSizeF size = PageSize(pdf, page);
        EXPECT_GT(size.width(), size.height()) << "program pages lie on their side";
        const QString text = PdfText(pdf, page);
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)));
        EXPECT_TRUE(text.contains(QStringLiteral("Program no.")));
        parts += text.contains(QStringLiteral("columns part")) ? 1 : 0;
        programText += text + QLatin1Char(' ');
    }
    EXPECT_EQ(parts, pages - 1) << "every program page says which part of the columns it holds";
    // Each program number stands on each part of the columns, once.
    for (int p = 1; p <= programs; ++p) {
        const QString number = QStringLiteral(" %1 ").arg(p, 6, 10, QLatin1Char('0'));
        EXPECT_EQ(programText.count(number), 2) << number.toStdString();
    }
    // Every value is on some page: 18 per program.
    EXPECT_EQ(programText.count(QStringLiteral("88888888")), programs * 18);
}

TEST(Report, ReplacesAFileWholeAndRefusesWhatIsNotARegularFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r1.KDM"));
    WriteFile(file, FileOfType(kTypes[0], 2, false));

    // An existing file is replaced by the whole report.
    const QString pdf = dir.filePath(QStringLiteral("r1-report.pdf"));
    WriteFile(pdf, "old contents");
    ASSERT_EQ(ExportReport(pdf, file).exitCode, 0);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));

    // A symbolic link, a directory: refused, and what is there stays as it was.
    const QString target = dir.filePath(QStringLiteral("target.txt"));
    WriteFile(target, "keep me");
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.pdf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& destination : {link, folder}) {
        SCOPED_TRACE(destination.toStdString());
        const ProgramRun run = ExportReport(destination, file);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(destination)) << run.err.toStdString();
    }
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // A data file that cannot be read makes no PDF.
    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    const ProgramRun missing = ExportReport(none, dir.filePath(QStringLiteral("missing.KDM")));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.isEmpty());
    EXPECT_FALSE(QFile::exists(none));
    // Nor does a file that is no data file.
    const QString text = dir.filePath(QStringLiteral("notes.KDM"));
    WriteFile(text, "shopping list\n");
    const ProgramRun notData = ExportReport(none, text);
    EXPECT_EQ(notData.exitCode, 1);
    EXPECT_TRUE(notData.err.contains(QStringLiteral("not a data file"))) << notData.err.toStdString();
    EXPECT_FALSE(QFile::exists(none));
    // A wrong command line.
    EXPECT_EQ(Program(QStringLiteral(KDMXP_GUI_PATH), {QStringLiteral("--export-report"), none}).exitCode, 2);
}

// The report's language is chosen as the windows' is: --lang (before or after the files) over the locale.
TEST(ReportExport, SpeaksTheLanguageTheOptionOrTheLocaleChooses) {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r1.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("r1.pdf"));
    WriteFile(file, FileOfType(kTypes[0], 2, false));
    const QString report = QStringLiteral("--export-report");
    const struct {
        const char* name;
        QStringList arguments;
        QStringList locale;
        bool german;
    } cases[] = {
        {"plain", {report, pdf, file}, {}, false},
        {"German locale", {report, pdf, file}, {QStringLiteral("LC_ALL=de_DE.UTF-8")}, true},
        {"LANGUAGE list",
         {report, pdf, file},
         {QStringLiteral("LANGUAGE=de:en"), QStringLiteral("LANG=C")},
         true},
        {"option first", {QStringLiteral("--lang"), QStringLiteral("de"), report, pdf, file}, {}, true},
        {"option last", {report, pdf, file, QStringLiteral("--lang=de")}, {}, true},
        {"option over locale",
         {QStringLiteral("--lang=en"), report, pdf, file},
         {QStringLiteral("LANG=de_AT.UTF-8")},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(pdf);
        const ProgramRun run = Program(QStringLiteral(KDMXP_GUI_PATH), c.arguments, c.locale);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString text = PdfText(pdf);
        EXPECT_EQ(text.contains(QStringLiteral("KDM XP Parameterbericht")), c.german) << text.toStdString();
        EXPECT_EQ(text.contains(QStringLiteral("KDM XP parameter report")), !c.german) << text.toStdString();
    }
    // An unknown language, or one without a value, is refused and makes no report.
    QFile::remove(pdf);
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--lang"), QStringLiteral("fr"), report, pdf, file},
          QStringList{report, pdf, file, QStringLiteral("--lang")}}) {
        EXPECT_EQ(Program(QStringLiteral(KDMXP_GUI_PATH), wrong).exitCode, 2)
            << wrong.join(u' ').toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST(ReportExport, ProposesANameBesideTheFileAndReportsAFailureInABox) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line 3.KDM"));
    WriteFile(file, FileOfType(kTypes[1], 1, false));
    EXPECT_EQ(ReportNameFor(file), dir.filePath(QStringLiteral("line 3-report.pdf")));

    QString proposed;
    EXPECT_TRUE(ExportReportInteractive(file.toStdString(), nullptr, [&](QString& destination) {
        proposed = destination;
        return true;
    }));
    EXPECT_EQ(proposed, ReportNameFor(file));
    EXPECT_TRUE(QFile::exists(proposed));

    // Cancelled: nothing is written.
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    EXPECT_FALSE(ExportReportInteractive(file.toStdString(), nullptr, [&](QString& destination) {
        destination = other;
        return false;
    }));
    EXPECT_FALSE(QFile::exists(other));

    // A destination that cannot be written: the reason in a box.
    guitest::ModalWatcher watcher;
    EXPECT_FALSE(ExportReportInteractive(file.toStdString(), nullptr, [&](QString& destination) {
        destination = dir.path();
        return true;
    }));
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].title, QStringLiteral("KDM XP Error"));
    EXPECT_TRUE(watcher.seen[0].text.contains(dir.path())) << watcher.seen[0].text.toStdString();
}

}  // namespace
