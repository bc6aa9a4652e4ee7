#include "ui/printing.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <string_view>

#include "data/strings.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "files/print_layout.h"
#include "platform/atomic_save.h"
#include "ui/display_text.h"

namespace {

// The layout's units are those of a 600 dpi printer; at other resolutions they are scaled, and the
// whole page is shrunk further if the printable area is shorter than the layout (small paper, wide
// margins), so the 56th line of a page never falls off it.
double LayoutScale(const QPagedPaintDevice& device, int resolution) {
    const QRectF area = device.pageLayout().paintRectPixels(resolution);
    const double byResolution = resolution / static_cast<double>(kdm::kPrintUnitsPerInch);
    const double neededHeight = kdm::kPrintBodyLastY + kdm::kPrintLineStep;
    double scale = byResolution;
    if (area.height() > 0) scale = std::min(scale, area.height() / neededHeight);
    return scale;
}

// A monospaced font of 10 points (at 600 units per inch), made smaller when the widest line would
// run past the right edge of the printable area.
QFont PrintFont(const kdm::PrintLayout& layout, double availableWidth) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(10 * kdm::kPrintUnitsPerInch / 72);
    std::size_t widest = 1;
    for (const kdm::PrintItem& item : layout.items)
        widest = std::max(widest, item.text.size());
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(QString(static_cast<qsizetype>(widest), QChar('M')));
    if (availableWidth > 0 && width > availableWidth) {
        const double shrunk = font.pixelSize() * availableWidth / width;
        font.setPixelSize(std::max(1, static_cast<int>(shrunk)));
    }
    return font;
}

// Printing into a file proposes the data file's own name with ".pdf", beside it, rather than a name
// made from the job's document name in the home folder. Setting a ".pdf" name switches the printer to
// PDF; switching back keeps a print queue, when there is one, the dialog's first choice. The dialog
// clears the name again when a queue is chosen.
void ProposeOutputFile(QPrinter& printer, const std::string& path) {
    printer.setOutputFileName(QString::fromLocal8Bit(kdm::PdfNameFor(path).c_str()));
    printer.setOutputFormat(QPrinter::NativeFormat);
}

}  // namespace

namespace {

// The printout on a printer or a PDF writer; `resolution` is the device's, in dots per inch.
int DrawPrintout(QPagedPaintDevice& device, int resolution, const std::string& text,
                 const std::string& path) {
    const kdm::PrintLayout layout = kdm::LayOutPrintText(text, path);
    QPainter painter;
    if (!painter.begin(&device)) return 0;

    const double scale = LayoutScale(device, resolution);
    const QRectF area = device.pageLayout().paintRectPixels(resolution);
    const double availableWidth = area.width() / scale - kdm::kPrintX - 20;
    painter.scale(scale, scale);
    painter.setFont(PrintFont(layout, availableWidth));
    const double ascent = painter.fontMetrics().ascent();

    int page = 1;
    for (const kdm::PrintItem& item : layout.items) {
        while (page < item.page) {
            // A failed page change is not looked at: the rest still goes to the document.
            device.newPage();
            ++page;
        }
        if (item.text.empty()) continue;
        // The layout's y is the top of the line, as for a printer's text output.
        // The header shows a path (UTF-8); everything else is the file's own bytes.
        const QString shown = item.kind == kdm::PrintItemKind::kHeader ? QString::fromStdString(item.text)
                                                                       : DisplayText(item.text);
        painter.drawText(QPointF(item.x, item.y + ascent), shown);
    }
    // Pages at the end that hold nothing after their header still count: the layout asks for them.
    while (page < layout.pageCount) {
        device.newPage();
        ++page;
    }
    painter.end();
    return layout.pageCount;
}

}  // namespace

int PrintText(QPrinter& printer, const std::string& text, const std::string& path) {
    printer.setDocName(QString::fromLatin1(kPrintDocumentName));
    return DrawPrintout(printer, printer.resolution(), text, path);
}

namespace {

// The printout as a PDF document in memory, laid out for `layout` at `resolution` dots per inch: made
// whole before anything reaches the disk. Returns false when the document could not be started.
bool RenderPdf(const QPageLayout& layout, int resolution, const std::string& text, const std::string& path,
               QByteArray& pdf) {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(resolution);
    writer.setPageLayout(layout);
    writer.setTitle(QString::fromLatin1(kPrintDocumentName));
    return DrawPrintout(writer, writer.resolution(), text, path) != 0;
}

// Saves the printout into `pdfPath` through the atomic path, as --print-pdf does: the PDF printer
// would write its file in place, so a full disk or a kill left a torn PDF over the previous one.
int SavePdf(const QPageLayout& layout, int resolution, const std::string& text, const std::string& path,
            const std::string& pdfPath, std::string& reason) {
    // Refused before any work when the name is taken by something that is not a regular file.
    if (!kdm::CheckSaveDestination(pdfPath, reason)) return 0;
    QByteArray pdf;
    if (!RenderPdf(layout, resolution, text, path, pdf)) {
        reason = pdfPath + ": the document cannot be started";
        return 0;
    }
    return kdm::SaveBytesAtomically(
        pdfPath, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())), reason);
}

}  // namespace

void PrintDataFile(const std::string& path, QWidget* parent,
                   const std::function<bool(QPrinter& printer, QWidget* parent)>& choosePrinter) {
    std::string text;
    long length = 0;
    std::string reason;
    if (!kdm::ReadWholeFile(path, text, length, reason)) return;

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(kPrintDocumentName));
    ProposeOutputFile(printer, path);
    if (choosePrinter) {
        if (!choosePrinter(printer, parent)) return;
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        // Qt offers its PDF printer through this option; without it a machine with no print queue
        // would have nothing to print on.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        if (dialog.exec() != QDialog::Accepted) return;
    }
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) {
        PrintText(printer, text, path);
        return;
    }
    // Printing into a file: a file like any other this program saves, and a failure is said.
    const std::string pdfPath = printer.outputFileName().toLocal8Bit().toStdString();
    if (SavePdf(printer.pageLayout(), printer.resolution(), text, path, pdfPath, reason)) return;
    QMessageBox box(
        QMessageBox::Warning,
        QString::fromLatin1(kdm::kErrorTitle.data(), static_cast<qsizetype>(kdm::kErrorTitle.size())),
        QCoreApplication::translate("Print", "The PDF could not be saved.\n%1")
            .arg(QString::fromLocal8Bit(reason.c_str())),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("printToFileFailureBox"));
    box.exec();
}

void PrintDataFile(const std::string& path, QWidget* parent) {
    PrintDataFile(path, parent, nullptr);
}

int PrintDataFileToPdf(const std::string& path, const std::string& pdfPath, std::string& reason) {
    // Refused before any work when the name is taken by something that is not a regular file.
    if (!kdm::CheckSaveDestination(pdfPath, reason)) return 0;
    std::string text;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason)) return 0;

    // The document is made in memory, where nothing can fail halfway, and saved through the atomic
    // path: a full disk or a kill leaves the previous PDF, and every failure is reported. The page
    // set-up is the one the PDF printer of the print dialog uses.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return SavePdf(printer.pageLayout(), printer.resolution(), text, path, pdfPath, reason);
}
