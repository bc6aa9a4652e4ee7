// Printing into PDF files: the page count and the text of the printout, the silent failures, the print
// dialog's choices, and where the help documents are looked for.
#include <gtest/gtest.h>

#include <QAbstractPrintDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "gui_files.h"
#include "gui_support.h"
#include "ui/help.h"
#include "ui/printing.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

// A data file whose printed body has `bodyLines` lines (the identification record is the first).
std::string DataFile(int bodyLines) {
    std::string text = IdentificationRecord("I1P");
    for (int i = 1; i < bodyLines; ++i)
        text += TelegramRecord('A', std::string("+").append(std::to_string(100000 + i)).append("--"));
    return text;
}

using guitest::HaveTool;
using guitest::WriteFile;

// Output of a command line; empty when the tool is missing or failed.
std::string Run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        if (::pclose(pipe) != 0) out.clear();
    }
    return out;
}

std::string Squeeze(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

int PageCount(const QString& pdf) {
    const std::string info = Run("pdfinfo '" + pdf.toStdString() + "'");
    const std::size_t at = info.find("Pages:");
    if (at == std::string::npos) return -1;
    return std::atoi(info.c_str() + at + 6);
}

// The text of one page, with every run of blanks made one (text extraction does not keep them).
std::string LayoutText(const QString& pdf, int page) {
    return Squeeze(Run("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" +
                       pdf.toStdString() + "' -"));
}

struct PageCase {
    int bodyLines;
    int pages;
};

class PrintPdf : public ::testing::TestWithParam<PageCase> {};

TEST_P(PrintPdf, PageCountFollowsTheBodyLines) {
    if (!HaveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("print.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    WriteFile(file, DataFile(GetParam().bodyLines));
    std::string reason;
    ASSERT_EQ(PrintDataFileToPdf(file.toStdString(), pdf.toStdString(), reason), 1) << reason;
    EXPECT_EQ(PageCount(pdf), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Bodies, PrintPdf,
                         ::testing::Values(PageCase{1, 1}, PageCase{55, 1}, PageCase{56, 2}, PageCase{57, 2},
                                           PageCase{113, 3}));

TEST(PrintPdfText, SecondPageCarriesItsHeaderAndTheFiftySeventhLine) {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fifty-seven.KDM"));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    WriteFile(file, DataFile(57));
    std::string reason;
    ASSERT_EQ(PrintDataFileToPdf(file.toStdString(), pdf.toStdString(), reason), 1) << reason;

    const std::string first = LayoutText(pdf, 1);
    const std::string second = LayoutText(pdf, 2);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first.find("KDM_XP"), std::string::npos);
    EXPECT_NE(first.find("FileName: " + file.toStdString() + " Page: 1"), std::string::npos) << first;
    // Every character of a record is printed, the address right after STX included.
    const std::string line2 = guitest::Telegram14('A', "+100001--");
    EXPECT_NE(first.find(line2 + "<ETX> QS "), std::string::npos) << first;
    EXPECT_EQ(first.find("Page: 2"), std::string::npos);
    EXPECT_NE(second.find("FileName: " + file.toStdString() + " Page: 2"), std::string::npos) << second;
    EXPECT_NE(second.find(guitest::Telegram14('A', "+100056--")), std::string::npos) << second;
    EXPECT_EQ(second.find("KDM_XP"), std::string::npos) << "the heading belongs to page 1 only";
    EXPECT_EQ(second.find(line2), std::string::npos);
}

TEST(PrintPdfText, UnreadableFileGivesAReasonAndNoPdf) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    std::string reason;
    EXPECT_EQ(PrintDataFileToPdf(dir.filePath(QStringLiteral("missing.KDM")).toStdString(), pdf.toStdString(),
                                 reason),
              0);
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(PrintDialog, ChosenPrinterGetsTheDocumentAndACancelPrintsNothing) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.KDM"));
    WriteFile(file, DataFile(3));
    for (const bool confirm : {true, false}) {
        const QString pdf = dir.filePath(confirm ? QStringLiteral("yes.pdf") : QStringLiteral("no.pdf"));
        QString docName;
        int asked = 0;
        PrintDataFile(file.toStdString(), nullptr, [&](QPrinter& printer, QWidget*) {
            ++asked;
            docName = printer.docName();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return confirm;
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(docName.toStdString(), "CDC::StartDoc() Code Fragment");
        EXPECT_EQ(QFile::exists(pdf), confirm);
    }
    // A file that cannot be read never reaches the dialog.
    int asked = 0;
    PrintDataFile(dir.filePath(QStringLiteral("missing.KDM")).toStdString(), nullptr,
                  [&](QPrinter&, QWidget*) {
                      ++asked;
                      return true;
                  });
    EXPECT_EQ(asked, 0);
}

TEST(PrintDialog, OffersNoSelectionNorPageRangeButAlwaysThePdfPrinter) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.KDM"));
    WriteFile(file, DataFile(3));
    bool selection = true;
    bool pageRange = true;
    bool pdfOffered = false;
    guitest::ModalWatcher watcher([&](QWidget* window, int) {
        if (auto* dialog = qobject_cast<QPrintDialog*>(window)) {
            selection = dialog->testOption(QAbstractPrintDialog::PrintSelection);
            pageRange = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
            for (auto* combo : dialog->findChildren<QComboBox*>()) {
                for (int i = 0; i < combo->count(); ++i)
                    pdfOffered |= combo->itemText(i).contains("PDF");
            }
        }
        guitest::Reject(window);
    });
    PrintDataFile(file.toStdString(), nullptr);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].className, "QPrintDialog");
    EXPECT_FALSE(selection);
    EXPECT_FALSE(pageRange);
    EXPECT_TRUE(pdfOffered);
}

TEST(HelpDocuments, AreLookedForInTheGivenDirectoryFirst) {
    QTemporaryDir dir;
    const QString here = dir.filePath(QString::fromLatin1(kHelpGerman));
    WriteFile(here, "%PDF-1.4\n");
    EXPECT_EQ(FindHelpDocument(dir.path().toStdString(), kHelpGerman),
              QDir(here).absolutePath().toStdString());
    // Elsewhere the directory is passed over: the result, if any, is not a file in it.
    QTemporaryDir empty;
    const std::string found = FindHelpDocument(empty.path().toStdString(), kHelpGerman);
    EXPECT_EQ(found.find(empty.path().toStdString()), std::string::npos);
    // A directory of that name is not a document.
    QTemporaryDir tricky;
    QDir(tricky.path()).mkdir(QString::fromLatin1(kHelpEnglish));
    EXPECT_EQ(FindHelpDocument(tricky.path().toStdString(), kHelpEnglish).find(tricky.path().toStdString()),
              std::string::npos);
}

}  // namespace
