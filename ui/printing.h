// Printing a data file: its stored text, page by page, laid out by kdm::LayOutPrintText and drawn here.
#pragma once

#include <functional>
#include <string>

class QPrinter;
class QWidget;

// Reads the file and prints it through the print dialog. Silent for the printer: a file that cannot be
// read, a cancelled dialog or a document that cannot be started print nothing and show nothing.
// Printing into a file (the dialog's PDF printer) saves the PDF as PrintDataFileToPdf does, through
// kdm::SaveBytesAtomically, and says so in an error box when that fails: the previous file stays.
void PrintDataFile(const std::string& path, QWidget* parent);

// The same with the print dialog replaced (tests): `choosePrinter` sets the printer up and returns
// false for "cancelled". A null function shows the real dialog.
void PrintDataFile(const std::string& path, QWidget* parent,
                   const std::function<bool(QPrinter& printer, QWidget* parent)>& choosePrinter);

// Prints the file into a PDF without any window (kdmxp --print-pdf). The PDF is made in memory and saved
// through kdm::SaveBytesAtomically: a name taken by anything but a regular file (a FIFO, a device, a
// symbolic link) is refused, a failure leaves the previous file as it was, and an existing file keeps
// its mode. Returns 1 when the PDF was saved, 0 with `reason` otherwise. Needs a QGuiApplication (any
// platform, offscreen included).
int PrintDataFileToPdf(const std::string& path, const std::string& pdfPath, std::string& reason);

// Draws the printout of `text` under the name `path` on `printer`, whose painting has not begun yet.
// Returns the number of pages, 0 when the document could not be started.
int PrintText(QPrinter& printer, const std::string& text, const std::string& path);

// The name print queues show for the job.
inline constexpr const char* kPrintDocumentName = "CDC::StartDoc() Code Fragment";
