#include "ui/report.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "data/catalogue.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "platform/atomic_save.h"
#include "ui/display_text.h"

namespace {

// ---------------------------------------------------------------------------------------------------
// What the report says, gathered before anything is drawn.

struct Value {
    QString text;
    kdm::Suspect suspect = kdm::Suspect::kNone;
};

struct SystemRow {
    QString name;
    QString letter;
    Value value;
    bool inFile = true;  // false: the type names this parameter but the file does not hold it
};

struct ProgramColumn {
    QString name;
    QString letter;
};

struct ReportContent {
    QString fileName;
    QString folder;
    QDateTime fileDate;
    QString sha256;
    qint64 size = 0;
    int records = 0;
    int type = 0;
    bool known = false;  // the type has layouts, so its parameters have names
    QString identification;
    std::vector<SystemRow> system;
    std::vector<ProgramColumn> columns;
    std::vector<std::vector<Value>> programs;  // one row per program, one value per column
    int programsLeftOut = 0;
    int mismatches = 0;
    int damaged = 0;

    int Suspects() const { return mismatches + damaged; }
};

// A cell's bytes as the report shows them: without the blanks the table pads with, control bytes named.
QString Shown(const std::string& bytes) {
    return DisplayText(bytes).trimmed();
}

QString NameOf(int stringId) {
    const std::string_view text = kdm::LoadString(stringId);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

const kdm::LayoutEntry* EntryAt(const kdm::Layout* layout, int position) {
    if (layout == nullptr) return nullptr;
    for (const kdm::LayoutEntry& entry : layout->entries) {
        if (entry.position == position) return &entry;
    }
    return nullptr;
}

void CountSuspects(const kdm::TableContents& table, ReportContent& content) {
    for (const std::vector<kdm::TableCell>& row : table.cells) {
        for (const kdm::TableCell& cell : row) {
            content.mismatches += cell.suspect == kdm::Suspect::kMismatch ? 1 : 0;
            content.damaged += cell.suspect == kdm::Suspect::kDamaged ? 1 : 0;
        }
    }
}

bool RowWritten(const kdm::TableContents& table, int row) {
    for (int col = 0; col < table.cols; ++col) {
        if (table.Cell(row, col).written) return true;
    }
    return false;
}

// Rows and columns are those of the table window, so the sheet and the window never disagree; the
// names the type's layouts give but the file lacks are added, so that the sheet always lists every
// parameter of the device.
int GatherContent(const std::string& path, ReportContent& content, std::string& reason) {
    std::string text;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason)) return 0;
    const kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text);
    if (!parsed.ok) {
        reason = path + ": " + parsed.reason;
        return 0;
    }
    if (!kdm::HasIdentificationTelegram(parsed.set)) {
        // A sheet of nothing but "device type 0" would read like an empty device.
        reason = path + ": not a data file (it does not begin with an identification telegram)";
        return 0;
    }
    // The checksum covers every byte on disk, also any after a NUL where the readers stop.
    const QString qpath = QString::fromLocal8Bit(path.c_str());
    QFile file(qpath);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = path + ": " + file.errorString().toStdString();
        return 0;
    }
    const QByteArray bytes = file.readAll();
    const QFileInfo info(qpath);
    content.fileName = info.fileName();
    content.folder = info.absolutePath();
    content.fileDate = info.lastModified();
    content.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    content.size = bytes.size();

    const kdm::ParameterSet& set = parsed.set;
    content.records = static_cast<int>(set.Records().size());
    content.type = set.DeviceType();
    content.identification = Shown(set.Heading());
    const kdm::Layout* systemLayout = kdm::SystemLayout(content.type);
    const kdm::Layout* programLayout = kdm::ProgramLayout(content.type);
    content.known = systemLayout != nullptr && programLayout != nullptr;
    if (!content.known) {
        content.mismatches = set.SuspectRecords(kdm::Suspect::kMismatch);
        content.damaged = set.SuspectRecords(kdm::Suspect::kDamaged);
        return 1;
    }

    const kdm::FilledTables tables = kdm::FillTables(set);
    CountSuspects(tables.system, content);
    CountSuspects(tables.program, content);

    for (int row = 1; row < tables.system.rows; ++row) {
        if (RowWritten(tables.system, row)) {
            const kdm::TableCell& value = tables.system.Cell(row, 2);
            content.system.push_back({Shown(tables.system.Cell(row, 0).text),
                                      Shown(tables.system.Cell(row, 1).text),
                                      {Shown(value.text), value.suspect},
                                      true});
        } else if (const kdm::LayoutEntry* entry = EntryAt(systemLayout, row)) {
            content.system.push_back({NameOf(entry->nameId), QString(QLatin1Char(entry->letter)), {}, false});
        }
    }

    const kdm::TableContents& program = tables.program;
    std::vector<int> programRows;
    for (int row = 2; row < static_cast<int>(program.cells.size()); ++row) {
        if (RowWritten(program, row)) programRows.push_back(row);
    }
    std::vector<int> columns;
    for (int col = 0; col < program.cols; ++col) {
        const kdm::LayoutEntry* entry = EntryAt(programLayout, col);
        bool used = program.Cell(0, col).written;
        for (const int row : programRows)
            used = used || program.Cell(row, col).written;
        if (entry == nullptr && !used) continue;
        columns.push_back(col);
        ProgramColumn column;
        column.name = program.Cell(0, col).written ? Shown(program.Cell(0, col).text)
                                                   : (entry != nullptr ? NameOf(entry->nameId) : QString());
        column.letter = program.Cell(1, col).written
                            ? Shown(program.Cell(1, col).text)
                            : (entry != nullptr ? QString(QLatin1Char(entry->letter)) : QString());
        content.columns.push_back(column);
    }
    for (const int row : programRows) {
        std::vector<Value> values;
        for (const int col : columns) {
            const kdm::TableCell& cell = program.Cell(row, col);
            values.push_back({Shown(cell.text), cell.suspect});
        }
        content.programs.push_back(std::move(values));
    }
    content.programsLeftOut = program.programsLeftOut;
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Drawing. The painter works in tenths of a millimetre on every page, upright or landscape.

constexpr double kUnitsPerMm = 10.0;
constexpr double kA4Short = 2100.0;
constexpr double kA4Long = 2970.0;
constexpr double kMarginSide = 170.0;
constexpr double kMarginTop = 150.0;
constexpr double kFooterHeight = 110.0;  // from the bottom edge of the page to the top of the footer

const QColor kAccent(0x1f, 0x4e, 0x79);
const QColor kHeaderFill(0xdc, 0xe6, 0xf1);
const QColor kStripe(0xf4, 0xf7, 0xfb);
const QColor kRule(0xb8, 0xc4, 0xd2);
const QColor kText(0x20, 0x20, 0x20);
const QColor kMuted(0x6b, 0x72, 0x80);
const QColor kSuspectText(0xb0, 0x00, 0x20);
const QColor kSuspectFill(0xfd, 0xe4, 0xe4);
const QColor kGood(0x1d, 0x6b, 0x2f);

// A font of `points` in painter units.
QFont Font(double points, bool bold = false, bool mono = false) {
    QFont font(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    font.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 25.4 / 72.0 * kUnitsPerMm)));
    font.setBold(bold);
    // Any letter spacing at all keeps the shaper from joining "fi" into one glyph, which would make
    // the names unsearchable in the PDF's text; this much is invisible.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    return font;
}

QString Date(const QDateTime& when) {
    return QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString SuspectWords(kdm::Suspect suspect) {
    switch (suspect) {
        case kdm::Suspect::kMismatch:
            return QCoreApplication::translate("Report", "checksum mismatch");
        case kdm::Suspect::kDamaged:
            return QCoreApplication::translate("Report", "damaged telegram");
        case kdm::Suspect::kNone:
            break;
    }
    return {};
}

// The program table cut into pages: rows that fit a page and columns that fit its width.
struct Slice {
    std::size_t firstRow = 0;
    std::size_t rowCount = 0;
    std::vector<std::size_t> columns;  // always starting with column 0, the program number
    std::vector<double> widths;        // of each of `columns`
    int part = 0;                      // which of `parts` column groups
    int parts = 1;
};

constexpr double kRowHeight = 52.0;
constexpr double kProgramHeaderHeight = 112.0;
constexpr double kProgramTableTop = kMarginTop + 110.0;
constexpr double kCellPadding = 12.0;  // on each side of a cell's text

class ReportWriter {
  public:
    ReportWriter(const ReportContent& content, const QDateTime& created)
        : content_(content), created_(created) {}

    int Render(QByteArray& pdf, std::string& reason) {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("KDM XP " KDMXP_VERSION));
        writer.setTitle(QCoreApplication::translate("Report", "Parameter report %1").arg(content_.fileName));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            reason = "the report cannot be drawn";
            return 0;
        }
        painter_ = &painter;
        const double scale = writer.resolution() / (25.4 * kUnitsPerMm);
        painter.scale(scale, scale);
        painter.setRenderHint(QPainter::Antialiasing);

        const std::vector<Slice> slices = SliceProgramTable();
        pages_ = 1 + static_cast<int>(slices.size());

        DrawFirstPage();
        for (const Slice& slice : slices) {
            writer.setPageOrientation(QPageLayout::Landscape);
            if (!writer.newPage()) {
                painter.end();
                reason = "the report cannot be drawn";
                return 0;
            }
            ++page_;
            DrawProgramPage(slice);
        }
        painter.end();
        buffer.close();
        return 1;
    }

  private:
    double PageWidth() const { return page_ == 1 ? kA4Short : kA4Long; }
    double PageHeight() const { return page_ == 1 ? kA4Long : kA4Short; }
    double ContentWidth() const { return PageWidth() - 2 * kMarginSide; }
    double BodyBottom() const { return PageHeight() - kFooterHeight - 40.0; }

    double TextWidth(const QFont& font, const QString& text) const {
        // Fonts are sized in pixels of the painter's units, so no resolution enters.
        return QFontMetricsF(font, painter_->device()).horizontalAdvance(text);
    }

    void Text(const QRectF& rect, int flags, const QFont& font, const QColor& colour, const QString& text) {
        painter_->setFont(font);
        painter_->setPen(colour);
        const QFontMetricsF metrics(painter_->fontMetrics());
        const QString shown =
            (flags & Qt::TextWordWrap) != 0 ? text : metrics.elidedText(text, Qt::ElideMiddle, rect.width());
        painter_->drawText(rect, flags, shown);
    }

    void Fill(const QRectF& rect, const QColor& colour) { painter_->fillRect(rect, colour); }

    void Rule(double x1, double y, double x2, const QColor& colour, double width = 2.0) {
        painter_->setPen(QPen(colour, width));
        painter_->drawLine(QPointF(x1, y), QPointF(x2, y));
    }

    void DrawFooter() {
        const double top = PageHeight() - kFooterHeight;
        Rule(kMarginSide, top, PageWidth() - kMarginSide, kRule, 3.0);
        // Three fields side by side; a long file name is shortened in its middle rather than run
        // into the next one.
        const double third = ContentWidth() / 3;
        const QFont small = Font(7.5);
        Text(QRectF(kMarginSide, top + 20.0, third, 50.0), Qt::AlignLeft | Qt::AlignVCenter, small, kMuted,
             QStringLiteral("%1  \u00b7  SHA-256 %2\u2026").arg(content_.fileName, content_.sha256.left(16)));
        Text(QRectF(kMarginSide + third, top + 20.0, third, 50.0), Qt::AlignHCenter | Qt::AlignVCenter, small,
             kMuted, QCoreApplication::translate("Report", "KDM XP parameter report"));
        Text(QRectF(kMarginSide + 2 * third, top + 20.0, third, 50.0), Qt::AlignRight | Qt::AlignVCenter,
             Font(7.5, true), kText,
             QCoreApplication::translate("Report", "Page %1 of %2").arg(page_).arg(pages_));
    }

    void DrawFirstPage() {
        double y = kMarginTop;
        const double left = kMarginSide;
        const double width = ContentWidth();

        Text(QRectF(left, y, width, 45.0), Qt::AlignLeft | Qt::AlignVCenter, Font(8.5, true), kAccent,
             QStringLiteral("KDM XP"));
        Text(QRectF(left, y, width, 45.0), Qt::AlignRight | Qt::AlignVCenter, Font(8.5), kMuted,
             QCoreApplication::translate("Report", "Q4400 sheet-detection device"));
        y += 50.0;
        Text(QRectF(left, y, width, 100.0), Qt::AlignLeft | Qt::AlignVCenter, Font(20, true), kText,
             QCoreApplication::translate("Report", "Parameter report"));
        y += 110.0;
        Rule(left, y, left + width, kAccent, 8.0);
        y += 40.0;

        y = DrawDetails(y);
        y += 50.0;
        DrawSystemTable(y);
        DrawFooter();
    }

    // The key facts as label / value lines on a tinted panel.
    double DrawDetails(double top) {
        struct Line {
            QString label;
            QString value;
            QFont font;
            QColor colour;
        };
        const QFont body = Font(9.5);
        const QFont mono = Font(8.5, false, true);
        std::vector<Line> lines;
        lines.push_back(
            {QCoreApplication::translate("Report", "Device type"),
             content_.known
                 ? QString::number(content_.type)
                 : QCoreApplication::translate("Report", "%1 (unknown device code)").arg(content_.type),
             Font(9.5, true), kText});
        lines.push_back(
            {QCoreApplication::translate("Report", "Identification"), content_.identification, mono, kText});
        lines.push_back(
            {QCoreApplication::translate("Report", "Data file"), content_.fileName, Font(9.5, true), kText});
        lines.push_back({QCoreApplication::translate("Report", "Folder"), content_.folder, body, kText});
        lines.push_back(
            {QCoreApplication::translate("Report", "File date"), Date(content_.fileDate), body, kText});
        lines.push_back({QStringLiteral("SHA-256"), content_.sha256, mono, kText});
        lines.push_back({QCoreApplication::translate("Report", "Contents"),
                         QCoreApplication::translate("Report", "%1 bytes, %2 records, %3 programs")
                             .arg(content_.size)
                             .arg(content_.records)
                             .arg(content_.programs.size()),
                         body, kText});
        if (content_.Suspects() == 0) {
            lines.push_back({QCoreApplication::translate("Report", "Suspect values"),
                             QCoreApplication::translate(
                                 "Report", "none: every value comes from a telegram whose checksum matched"),
                             body, kGood});
        } else {
            QStringList kinds;
            if (content_.mismatches > 0)
                kinds
                    << QCoreApplication::translate("Report", "%1 checksum mismatch").arg(content_.mismatches);
            if (content_.damaged > 0)
                kinds << QCoreApplication::translate("Report", "%1 damaged").arg(content_.damaged);
            lines.push_back({QCoreApplication::translate("Report", "Suspect values"),
                             QCoreApplication::translate("Report", "%1 (%2), marked ! in the tables")
                                 .arg(content_.Suspects())
                                 .arg(kinds.join(QStringLiteral(", "))),
                             Font(9.5, true), kSuspectText});
            lines.push_back({QString(),
                             QCoreApplication::translate(
                                 "Report", "Check these values against the device before relying on them."),
                             Font(8.5), kSuspectText});
        }
        lines.push_back({QCoreApplication::translate("Report", "Report date"), Date(created_), body, kText});

        const double lineHeight = 58.0;
        const double labelWidth = 330.0;
        const double height = lineHeight * static_cast<double>(lines.size()) + 40.0;
        Fill(QRectF(kMarginSide, top, ContentWidth(), height), kStripe);
        Fill(QRectF(kMarginSide, top, 8.0, height), kAccent);
        double y = top + 20.0;
        for (const Line& line : lines) {
            Text(QRectF(kMarginSide + 40.0, y, labelWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                 Font(8.5), kMuted, line.label);
            Text(QRectF(kMarginSide + 40.0 + labelWidth, y, ContentWidth() - labelWidth - 60.0, lineHeight),
                 Qt::AlignLeft | Qt::AlignVCenter, line.font, line.colour, line.value);
            y += lineHeight;
        }
        return top + height;
    }

    void SectionTitle(double y, const QString& title, const QString& note) {
        Text(QRectF(kMarginSide, y, ContentWidth(), 70.0), Qt::AlignLeft | Qt::AlignVCenter, Font(13, true),
             kAccent, title);
        if (!note.isEmpty()) {
            Text(QRectF(kMarginSide, y, ContentWidth(), 70.0), Qt::AlignRight | Qt::AlignVCenter, Font(8.5),
                 kMuted, note);
        }
    }

    void DrawSystemTable(double top) {
        SectionTitle(top, QCoreApplication::translate("Report", "System parameters"), QString());
        double y = top + 90.0;
        const double left = kMarginSide;
        if (!content_.known) {
            Text(QRectF(left, y, ContentWidth(), 120.0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                 Font(9.5), kText,
                 QCoreApplication::translate(
                     "Report",
                     "The device code in the identification belongs to no known device type, so "
                     "the parameters of this file have no names and no tables."));
            return;
        }
        const double nameWidth = 760.0;
        const double letterWidth = 170.0;
        const double valueWidth = 380.0;
        const double noteWidth = ContentWidth() - nameWidth - letterWidth - valueWidth;
        const double row = 56.0;
        const QFont header = Font(8.5, true);
        Fill(QRectF(left, y, ContentWidth(), row), kHeaderFill);
        const double pad = 30.0;
        Text(QRectF(left + pad, y, nameWidth - pad, row), Qt::AlignLeft | Qt::AlignVCenter, header, kText,
             QCoreApplication::translate("Report", "Parameter"));
        Text(QRectF(left + nameWidth, y, letterWidth, row), Qt::AlignHCenter | Qt::AlignVCenter, header,
             kText, QCoreApplication::translate("Report", "Letter"));
        const double markWidth = TextWidth(Font(9.5, true, true), QStringLiteral(" !"));
        Text(QRectF(left + nameWidth + letterWidth, y, valueWidth - pad - markWidth, row),
             Qt::AlignRight | Qt::AlignVCenter, header, kText,
             QCoreApplication::translate("Report", "Value"));
        Text(QRectF(left + nameWidth + letterWidth + valueWidth + pad, y, noteWidth - pad, row),
             Qt::AlignLeft | Qt::AlignVCenter, header, kText, QCoreApplication::translate("Report", "Note"));
        y += row;
        Rule(left, y, left + ContentWidth(), kAccent, 4.0);

        const QFont body = Font(9.5);
        const QFont value = Font(9.5, false, true);
        bool stripe = false;
        for (const SystemRow& entry : content_.system) {
            if (y + row > BodyBottom()) break;  // 24 rows at most: they always fit
            const bool suspect = entry.value.suspect != kdm::Suspect::kNone;
            if (suspect) {
                Fill(QRectF(left, y, ContentWidth(), row), kSuspectFill);
            } else if (stripe) {
                Fill(QRectF(left, y, ContentWidth(), row), kStripe);
            }
            stripe = !stripe;
            Text(QRectF(left + pad, y, nameWidth - pad, row), Qt::AlignLeft | Qt::AlignVCenter, body, kText,
                 entry.name);
            Text(QRectF(left + nameWidth, y, letterWidth, row), Qt::AlignHCenter | Qt::AlignVCenter, value,
                 kMuted, entry.letter);
            // The mark stands beside the value, so that digits stay under digits.
            const QRectF valueCell(left + nameWidth + letterWidth, y, valueWidth - pad - markWidth, row);
            Text(valueCell, Qt::AlignRight | Qt::AlignVCenter, suspect ? Font(9.5, true, true) : value,
                 suspect ? kSuspectText : kText, entry.inFile ? entry.value.text : QStringLiteral("\u2013"));
            if (suspect) {
                Text(QRectF(valueCell.right(), y, markWidth + pad, row), Qt::AlignLeft | Qt::AlignVCenter,
                     Font(9.5, true, true), kSuspectText, QStringLiteral(" !"));
            }
            const QString note = entry.inFile ? SuspectWords(entry.value.suspect)
                                              : QCoreApplication::translate("Report", "not in the file");
            Text(QRectF(left + nameWidth + letterWidth + valueWidth + pad, y, noteWidth - pad, row),
                 Qt::AlignLeft | Qt::AlignVCenter, Font(8), suspect ? kSuspectText : kMuted, note);
            y += row;
            Rule(left, y, left + ContentWidth(), kRule, 1.5);
        }
    }

    // How each column of the program table is drawn, and the least width it needs.
    struct ColumnLook {
        QStringList nameLines;  // one line, or two when the name is much wider than the values
        double valueWidth = 0;  // the widest value, without a mark
        bool marked = false;    // some value carries the suspect mark
        double width = 0;
    };

    // `wrap`: a name wider than its values is broken into two lines at the blank that makes the wider
    // line shortest.
    std::vector<ColumnLook> ColumnLooks(bool wrap) const {
        std::vector<ColumnLook> looks;
        const QFont header = Font(7, true);
        const QFont value = Font(8, true, true);
        for (std::size_t c = 0; c < content_.columns.size(); ++c) {
            ColumnLook look;
            for (const std::vector<Value>& program : content_.programs) {
                look.valueWidth = std::max(look.valueWidth, TextWidth(value, program[c].text));
                look.marked = look.marked || program[c].suspect != kdm::Suspect::kNone;
            }
            const double values = std::max(look.valueWidth + (look.marked ? 2 * MarkWidth() : 0.0), 90.0);
            const QString& name = content_.columns[c].name;
            look.nameLines = {name};
            double nameWidth = TextWidth(header, name);
            if (wrap && nameWidth > values) {
                for (qsizetype at = name.indexOf(QLatin1Char(' ')); at > 0;
                     at = name.indexOf(QLatin1Char(' '), at + 1)) {
                    const QString first = name.left(at);
                    const QString second = name.mid(at + 1);
                    const double wider = std::max(TextWidth(header, first), TextWidth(header, second));
                    if (wider < nameWidth) {
                        nameWidth = wider;
                        look.nameLines = {first, second};
                    }
                }
            }
            look.width = std::max(values, nameWidth) + 2 * kCellPadding;
            looks.push_back(look);
        }
        return looks;
    }

    double MarkWidth() const { return TextWidth(Font(8, true, true), QStringLiteral(" !")); }

    std::vector<Slice> SliceProgramTable() {
        std::vector<Slice> slices;
        if (content_.programs.empty() || content_.columns.empty()) return slices;
        const double available = kA4Long - 2 * kMarginSide;
        // Names on one line when the whole table fits so; else on two lines, and the columns that still
        // do not fit go on further pages, each beginning with the program number.
        looks_ = ColumnLooks(false);
        double total = 0;
        for (const ColumnLook& look : looks_)
            total += look.width;
        if (total > available) looks_ = ColumnLooks(true);

        std::vector<std::vector<std::size_t>> groups;
        std::vector<std::size_t> group = {0};
        double used = looks_[0].width;
        for (std::size_t c = 1; c < looks_.size(); ++c) {
            if (used + looks_[c].width > available && group.size() > 1) {
                groups.push_back(group);
                group = {0};
                used = looks_[0].width;
            }
            group.push_back(c);
            used += looks_[c].width;
        }
        groups.push_back(group);

        const double bottom = kA4Short - kFooterHeight - 40.0 - (content_.Suspects() > 0 ? 70.0 : 0.0);
        const auto fitting = static_cast<std::size_t>(
            std::max(1.0, std::floor((bottom - kProgramTableTop - kProgramHeaderHeight) / kRowHeight)));
        // As many pages as needed, the programs shared out evenly among them (60 programs: 20 on
        // each of three pages rather than 29, 29 and 2).
        const std::size_t programs = content_.programs.size();
        const std::size_t pageRows = (programs + fitting - 1) / fitting;
        const std::size_t perPage = (programs + pageRows - 1) / pageRows;
        for (std::size_t first = 0; first < content_.programs.size(); first += perPage) {
            for (std::size_t g = 0; g < groups.size(); ++g) {
                Slice slice;
                slice.firstRow = first;
                slice.rowCount = std::min(perPage, content_.programs.size() - first);
                slice.columns = groups[g];
                // Room to spare is shared out among the columns, up to a limit, so that a narrow
                // table does not huddle at the left edge.
                double width = 0;
                for (const std::size_t c : slice.columns)
                    width += looks_[c].width;
                const double extra =
                    std::min(60.0, (available - width) / static_cast<double>(slice.columns.size()));
                for (const std::size_t c : slice.columns)
                    slice.widths.push_back(looks_[c].width + std::max(0.0, extra));
                slice.part = static_cast<int>(g) + 1;
                slice.parts = static_cast<int>(groups.size());
                slices.push_back(std::move(slice));
            }
        }
        return slices;
    }

    void DrawProgramPage(const Slice& slice) {
        QString note = QCoreApplication::translate("Report", "programs %1 to %2 of %3")
                           .arg(slice.firstRow + 1)
                           .arg(slice.firstRow + slice.rowCount)
                           .arg(content_.programs.size());
        if (slice.parts > 1)
            note += QCoreApplication::translate("Report", ", columns part %1 of %2")
                        .arg(slice.part)
                        .arg(slice.parts);
        if (content_.programsLeftOut > 0)
            note += QCoreApplication::translate("Report", "; %1 further programs not shown")
                        .arg(content_.programsLeftOut);
        SectionTitle(kMarginTop, QCoreApplication::translate("Report", "Program parameters"), note);

        double tableWidth = 0;
        for (const double width : slice.widths)
            tableWidth += width;
        const double left = kMarginSide;
        double y = kProgramTableTop;

        // Header: one or two lines of name, bottom-aligned so that the letters stand on one line.
        Fill(QRectF(left, y, tableWidth, kProgramHeaderHeight), kHeaderFill);
        const double lineHeight = 30.0;
        double x = left;
        for (std::size_t i = 0; i < slice.columns.size(); ++i) {
            const std::size_t c = slice.columns[i];
            const double width = slice.widths[i];
            const QStringList& lines = looks_[c].nameLines;
            double lineTop = y + 10.0 + (lines.size() == 1 ? lineHeight : 0.0);
            for (const QString& line : lines) {
                Text(QRectF(x + kCellPadding / 2, lineTop, width - kCellPadding, lineHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, Font(7, true), kText, line);
                lineTop += lineHeight;
            }
            Text(QRectF(x + kCellPadding / 2, y + 14.0 + 2 * lineHeight, width - kCellPadding, lineHeight),
                 Qt::AlignHCenter | Qt::AlignVCenter, Font(7, false, true), kMuted,
                 content_.columns[c].letter);
            x += width;
        }
        y += kProgramHeaderHeight;
        Rule(left, y, left + tableWidth, kAccent, 4.0);

        const double mark = MarkWidth();
        for (std::size_t r = slice.firstRow; r < slice.firstRow + slice.rowCount; ++r) {
            const std::vector<Value>& program = content_.programs[r];
            if ((r - slice.firstRow) % 2 == 1) Fill(QRectF(left, y, tableWidth, kRowHeight), kStripe);
            x = left;
            for (std::size_t i = 0; i < slice.columns.size(); ++i) {
                const std::size_t c = slice.columns[i];
                const double width = slice.widths[i];
                const ColumnLook& look = looks_[c];
                const Value& value = program[c];
                const bool suspect = value.suspect != kdm::Suspect::kNone;
                if (suspect) Fill(QRectF(x, y, width, kRowHeight), kSuspectFill);
                // Values right-aligned in a box centred in the column, so digits stand under digits;
                // the mark goes after the box.
                const double boxLeft = x + (width - look.valueWidth) / 2 - (look.marked ? mark / 2 : 0.0);
                const QRectF box(boxLeft, y, look.valueWidth, kRowHeight);
                Text(box, Qt::AlignRight | Qt::AlignVCenter, Font(8, c == 0 || suspect, true),
                     suspect ? kSuspectText : kText, value.text);
                if (suspect) {
                    Text(QRectF(box.right(), y, mark + 10.0, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         Font(8, true, true), kSuspectText, QStringLiteral(" !"));
                }
                x += width;
            }
            y += kRowHeight;
            Rule(left, y, left + tableWidth, kRule, 1.5);
        }
        // The program number column stands apart from the values.
        painter_->setPen(QPen(kRule, 3.0));
        const double split = left + slice.widths[0];
        painter_->drawLine(QPointF(split, kProgramTableTop), QPointF(split, y));

        if (content_.Suspects() > 0) {
            Text(QRectF(left, y + 20.0, ContentWidth(), 50.0), Qt::AlignLeft | Qt::AlignVCenter, Font(8),
                 kSuspectText,
                 QCoreApplication::translate(
                     "Report",
                     "Values marked ! come from a telegram whose checksum did not match or that "
                     "was damaged on "
                     "the line (shaded): check them against the device."));
        }
        DrawFooter();
    }

    const ReportContent& content_;
    const QDateTime created_;
    QPainter* painter_ = nullptr;
    std::vector<ColumnLook> looks_;
    int page_ = 1;
    int pages_ = 1;
};

}  // namespace

int RenderParameterReport(const std::string& path, const QDateTime& created, QByteArray& pdf,
                          std::string& reason) {
    ReportContent content;
    if (!GatherContent(path, content, reason)) return 0;
    pdf.clear();
    ReportWriter writer(content, created);
    return writer.Render(pdf, reason);
}

int ExportParameterReport(const std::string& path, const std::string& pdfPath, std::string& reason) {
    QByteArray pdf;
    if (!RenderParameterReport(path, QDateTime::currentDateTime(), pdf, reason)) return 0;
    return kdm::SaveBytesAtomically(
        pdfPath, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())), reason);
}

QString ReportNameFor(const QString& dataFile) {
    const QFileInfo info(dataFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-report.pdf"));
}

bool ExportReportInteractive(const std::string& path, QWidget* parent,
                             const std::function<bool(QString& destination)>& chooseDestination) {
    QString destination = ReportNameFor(QString::fromLocal8Bit(path.c_str()));
    bool chosen = false;
    if (chooseDestination) {
        chosen = chooseDestination(destination);
    } else {
        QFileDialog dialog(parent, QCoreApplication::translate("Report", "Export report"));
        dialog.setObjectName(QStringLiteral("exportReportDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.setNameFilter(QCoreApplication::translate("Report", "PDF documents (*.pdf)"));
        dialog.setDirectory(QFileInfo(destination).absolutePath());
        dialog.selectFile(QFileInfo(destination).fileName());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            destination = dialog.selectedFiles().constFirst();
            chosen = true;
        }
    }
    if (!chosen || destination.isEmpty()) return false;
    std::string reason;
    if (ExportParameterReport(path, destination.toLocal8Bit().toStdString(), reason)) return true;
    QMessageBox box(
        QMessageBox::Warning,
        QString::fromLatin1(kdm::kErrorTitle.data(), static_cast<qsizetype>(kdm::kErrorTitle.size())),
        QCoreApplication::translate("Report", "The report could not be exported.\n%1")
            .arg(QString::fromLocal8Bit(reason.c_str())),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("exportReportFailureBox"));
    box.exec();
    return false;
}
