// The parameter report: one data file as a sheet a customer can read. Page 1 (A4 upright) names the
// device type and identification, the file, its date and SHA-256, the report's date and how many values
// cannot be trusted, then lists the system parameters as name / letter / value rows. The program table
// follows on A4 landscape pages, one row per program, split into several pages when it is too long or
// too wide (the program number repeats on each). Suspect values are marked; every page carries its
// number. "Print" is a different thing: it prints the file's records as they are stored.
//
// Everything here needs a QGuiApplication (any platform, offscreen included).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

class QWidget;

// The report of the data file at `path` as PDF bytes, dated `created`. 1 with `pdf` set; 0 with
// `reason` when the file cannot be read or is no data file, or the PDF cannot be made.
int RenderParameterReport(const std::string& path, const QDateTime& created, QByteArray& pdf,
                          std::string& reason);

// Renders the report, dated now, and saves it as `pdfPath` atomically: `pdfPath` holds either what it
// held before or the whole report, and a destination that is not a regular file is refused.
// 1 when saved; 0 with `reason`. kdmxp --export-report.
int ExportParameterReport(const std::string& path, const std::string& pdfPath, std::string& reason);

// The destination the export proposes: beside the data file, its name with "-report.pdf"
// ("/data/r1.KDM" gives "/data/r1-report.pdf").
QString ReportNameFor(const QString& dataFile);

// "Export report...": asks for the destination with a save dialog (or `chooseDestination`, which
// returns false for "cancelled" and may change the proposed path), exports the report of `path`, and
// shows why in a message box when it fails. Returns true when a report was saved.
bool ExportReportInteractive(const std::string& path, QWidget* parent,
                             const std::function<bool(QString& destination)>& chooseDestination = {});
