// The table window and CTable: for data files of several device types the cells shown equal the cells
// the core writes into its in-memory grid from the same file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "data/grid.h"
#include "data/tables.h"
#include "gui_support.h"
#include "ui/app.h"
#include "ui/ctable.h"
#include "ui/display_text.h"
#include "ui/table_window.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

// A dump for one device code: system records over a range of letters, then `programs` programs,
// each a 'P' record and parameter records. `spoilEvery` > 0 spoils the checksum of every n-th record.
std::string MakeDump(const std::string& code, int programs, int spoilEvery = 0) {
    std::string dump = IdentificationRecord(code);
    int n = 0;
    auto record = [&](char letter, const std::string& value) {
        ++n;
        dump += TelegramRecord(letter, value, spoilEvery > 0 && n % spoilEvery == 0);
    };
    const std::string systemLetters = "ABCDEFHIJKLMNOQRSTUVWXYZabcdef";
    for (std::size_t i = 0; i < systemLetters.size(); ++i) {
        record(systemLetters[i], "+00" + std::to_string(1000 + i) + "--");
    }
    const std::string programLetters = "abcdefhijklmnopqrstuv";
    for (int p = 1; p <= programs; ++p) {
        record('P', std::string("+").append(std::to_string(100000 + p)).append("--"));
        for (std::size_t i = 0; i < programLetters.size(); ++i) {
            record(programLetters[i], "-00" + std::to_string(2000 + i) + "+-");
        }
    }
    return dump;
}

struct FileCase {
    const char* name;
    const char* code;
    int programs;
    int spoilEvery;
};

const FileCase kFileCases[] = {
    {"type1_I10", "I10", 3, 0},       {"type3_I1K", "I1K", 1, 0},  {"type5_IKV", "IKV", 2, 0},
    {"type11_E2P", "E2P", 4, 0},      {"type12_E10", "E10", 1, 0}, {"type21_U1C", "U1C", 2, 0},
    {"type22_U10", "U10", 1, 0},      {"type20_U20", "U20", 2, 7}, {"unknown_XYZ", "XYZ", 1, 0},
    {"many_programs", "I1I", 260, 0},
};

int NonEmptyCells(const kdm::MemoryGrid& grid) {
    int count = 0;
    for (int r = 0; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c)
            count += grid.Cell(r, c).empty() ? 0 : 1;
    }
    return count;
}

void ExpectSameCells(const CTable& shown, const kdm::MemoryGrid& expected) {
    ASSERT_EQ(shown.Rows(), expected.Rows());
    ASSERT_EQ(shown.Cols(), expected.Cols());
    for (int c = 0; c < expected.Cols(); ++c) {
        EXPECT_EQ(shown.columnWidth(c), shown.TwipsToPixels(expected.ColWidth(c))) << "column " << c;
    }
    int mismatches = 0;
    for (int r = 0; r < expected.Rows(); ++r) {
        for (int c = 0; c < expected.Cols(); ++c) {
            const QModelIndex cell = shown.Cell(r, c);
            const QString text = cell.data().toString();
            const bool suspect =
                cell.data(Qt::ToolTipRole).toString() == QLatin1String(CTable::kSuspectToolTip);
            if (text != CellText(expected.Cell(r, c)) || suspect != expected.Suspect(r, c)) {
                if (++mismatches <= 5) {
                    ADD_FAILURE() << "cell " << r << "," << c << ": shown \"" << text.toStdString()
                                  << "\" expected \"" << expected.Cell(r, c) << "\"";
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

class TableWindowFiles : public ::testing::TestWithParam<FileCase> {};

TEST_P(TableWindowFiles, CellsEqualTheCoreGridFilledFromTheSameFile) {
    const FileCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string dump = MakeDump(c.code, c.programs, c.spoilEvery);
    const std::string path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".kdm")).toStdString();
    std::ofstream(path, std::ios::binary) << dump;

    kdm::MemoryGrid system;
    kdm::MemoryGrid program;
    kdm::ParameterTables tables(system, program);
    tables.ShowDump(dump);

    CKDM_XPApp app;
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    EXPECT_TRUE(window.ReadFailure().empty());
    ExpectSameCells(*window.SystemTable(), system);
    ExpectSameCells(*window.ProgramTable(), program);
    EXPECT_EQ(window.ProgramTable()->AcceptsInput(), program.Enabled());
    EXPECT_FALSE(window.SystemTable()->AcceptsInput());
    EXPECT_EQ(window.SuspectValues(), tables.SuspectValues());
    auto* status = window.findChild<QLabel*>(QStringLiteral("status"));
    ASSERT_NE(status, nullptr);
    // The status line speaks of values that cannot be trusted and of programs past the last row.
    EXPECT_EQ(status->isVisibleTo(&window), tables.SuspectValues() > 0 || tables.ProgramsLeftOut() > 0);
    if (tables.SuspectValues() > 0) {
        EXPECT_TRUE(status->text().contains(QString::number(tables.SuspectValues())));
    }
    if (tables.ProgramsLeftOut() > 0) {
        EXPECT_TRUE(status->text().contains(QString::number(tables.ProgramsLeftOut())))
            << status->text().toStdString();
    }
    // The comparison means something only if the core wrote a good part of the tables.
    const bool knownType = std::string(c.code) != "XYZ";
    EXPECT_GE(NonEmptyCells(system), knownType ? 10 : 1);  // an unknown type shows the heading alone
    if (knownType) {
        EXPECT_GT(NonEmptyCells(program), c.programs);
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceTypes, TableWindowFiles, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<FileCase>& tp) {
                             return std::string(tp.param.name);
                         });

TEST(TableWindow, SuspectCellsAreRedWithTheirReason) {
    QTemporaryDir dir;
    const std::string dump = MakeDump("I10", 2, 3);
    const std::string path = dir.filePath(QStringLiteral("suspect.kdm")).toStdString();
    std::ofstream(path, std::ios::binary) << dump;
    CKDM_XPApp app;
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    ASSERT_GT(window.SuspectValues(), 0);
    int red = 0;
    for (CTable* table : {window.SystemTable(), window.ProgramTable()}) {
        for (int r = 0; r < table->Rows(); ++r) {
            for (int c = 0; c < table->Cols(); ++c) {
                if (!table->Written(r, c)) continue;
                const QModelIndex cell = table->Cell(r, c);
                const bool marked =
                    cell.data(Qt::ToolTipRole).toString() == QLatin1String(CTable::kSuspectToolTip);
                const bool isRed = cell.data(Qt::ForegroundRole).value<QBrush>().color() == QColor(200, 0, 0);
                EXPECT_EQ(marked, isRed) << r << "," << c;
                red += isRed ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(red, window.SuspectValues());
}

TEST(TableWindow, UnreadableFileReportsWhyAndLeavesTheTablesEmpty) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("missing.kdm")).toStdString();
    CKDM_XPApp app;
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(app, document, nullptr);
    guitest::ModalWatcher watcher([&window](QWidget* shown, int) {
        if (qobject_cast<QMessageBox*>(shown) == nullptr) return;  // the table window itself
        guitest::Reject(shown);
        QTimer::singleShot(0, &window, [&window] { window.reject(); });
    });
    QTimer::singleShot(10000, &window, [&window] { window.reject(); });  // no hang if the box never comes
    window.exec();
    const auto box =
        std::find_if(watcher.seen.begin(), watcher.seen.end(),
                     [](const guitest::SeenWindow& seen) { return seen.className == "QMessageBox"; });
    ASSERT_NE(box, watcher.seen.end());
    EXPECT_EQ(box->title, QStringLiteral("KDM XP Error"));
    EXPECT_TRUE(box->text.contains(QStringLiteral("missing.kdm"))) << box->text.toStdString();
    EXPECT_EQ(box->parent, &window);
    EXPECT_FALSE(window.ReadFailure().empty());
    EXPECT_EQ(window.SystemTable()->Rows(), 0);
    EXPECT_EQ(window.ProgramTable()->Rows(), 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("KDM XP  V 1.6 ") + QString::fromStdString(path));
}

// A file that does not begin with an identification telegram (empty, text, another program's file)
// is refused as such instead of showing the empty tables of device type 0.
TEST(TableWindow, FileWithoutIdentificationIsNotADataFile) {
    QTemporaryDir dir;
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty.kdm", ""},
        {"notes.kdm", "hello\r\n\r"},
        {"zip.kdm", std::string("PK\x03\x04\x14\x00\x00\x00", 8)},
    };
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << content;
        CKDM_XPApp app;
        DataDocument document;
        document.Open(path);
        CKDM_XPDlg window(app, document, nullptr);
        window.OnInitDialog();
        EXPECT_NE(window.ReadFailure().find("not a data file"), std::string::npos) << window.ReadFailure();
        EXPECT_EQ(window.SystemTable()->Rows(), 0);
        EXPECT_EQ(window.ProgramTable()->Rows(), 0);
    }
}

// CTable on its own, through the grid interface.
TEST(CTableGrid, WritesInsideTheSizeLandAndOthersAreDropped) {
    CTable table(1, nullptr);
    table.SetCols(3);
    table.SetRows(25);
    table.SetTextMatrix(24, 2, "last");
    table.SetTextMatrix(25, 0, "beyond");
    table.SetTextMatrix(0, 3, "beyond");
    table.SetTextMatrix(-1, 0, "negative");
    table.SetTextMatrix(3, 1, "first");
    table.SetTextMatrix(3, 1, "second");
    EXPECT_EQ(table.Rows(), 25);
    ASSERT_TRUE(table.Written(24, 2));
    EXPECT_EQ(table.Cell(24, 2).data().toString(), QStringLiteral("last"));
    EXPECT_EQ(table.Cell(3, 1).data().toString(), QStringLiteral("second"));
    EXPECT_EQ(table.Cell(3, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_FALSE(table.Written(5, 0));  // never written: empty
    EXPECT_FALSE(table.Cell(5, 0).data().isValid());
    int written = 0;
    for (int r = 0; r < table.Rows(); ++r) {
        for (int c = 0; c < table.Cols(); ++c)
            written += table.Written(r, c) ? 1 : 0;
    }
    EXPECT_EQ(written, 2);
}

TEST(CTableGrid, WidthsInTwipsBecomePixelsAtTheWidgetResolution) {
    CTable table(1, nullptr);
    table.SetCols(3);
    const int dpi = table.logicalDpiX();
    const int twips[] = {2500, 500, 2000};
    for (int c = 0; c < 3; ++c)
        table.SetColWidth(c, twips[c]);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(table.columnWidth(c), twips[c] * dpi / 1440);
    EXPECT_EQ(table.TwipsToPixels(1440), dpi);
}

TEST(CTableGrid, HeaderRowsLookLikeHeaders) {
    CTable table(2, nullptr);
    table.SetCols(1);
    table.SetRows(3);
    for (int r = 0; r < 3; ++r)
        table.SetTextMatrix(r, 0, "x");
    const auto font = [&table](int row) { return table.Cell(row, 0).data(Qt::FontRole).value<QFont>(); };
    const auto background = [&table](int row) {
        return table.Cell(row, 0).data(Qt::BackgroundRole).value<QBrush>();
    };
    const auto tip = [&table](int row) { return table.Cell(row, 0).data(Qt::ToolTipRole).toString(); };
    EXPECT_TRUE(font(0).bold());
    EXPECT_EQ(tip(0), QStringLiteral("x"));  // names wider than their column
    EXPECT_TRUE(tip(2).isEmpty());
    EXPECT_TRUE(font(1).bold());
    EXPECT_FALSE(font(2).bold());
    EXPECT_NE(background(1), background(2));
}

TEST(CTableGrid, EightBitTextShowsAsLatin1WithVisibleControlBytes) {
    struct Case {
        std::string bytes;
        QString shown;
    };
    const Case cases[] = {
        {"+00123--", QStringLiteral("+00123--")},
        {std::string("\x02g\x03", 3), QString(QChar(0x2402)) + QLatin1Char('g') + QChar(0x2403)},
        {"\r\n", QString(QChar(0x240D)) + QChar(0x240A)},
        {"\x7f", QString(QChar(0x2421))},
        {"Ausf\xfchren \xb5", QString::fromUtf8("Ausführen µ")},
        {std::string("a\0b", 3), QString(QLatin1Char('a')) + QChar(0x2400) + QLatin1Char('b')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellText(c.bytes), c.shown);
}

TEST(CTableGrid, ProgramTableAcceptsInputAsSelectionAndCopyButStaysReadOnly) {
    CTable table(2, nullptr);
    table.SetEnabled(true);
    table.SetCols(3);
    table.SetRows(4);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            table.SetTextMatrix(r, c, std::to_string(r) + std::to_string(c));
    }
    EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(table.Cell(2, 1).flags().testFlag(Qt::ItemIsEditable));
    table.selectionModel()->select(QItemSelection(table.Cell(1, 1), table.Cell(2, 2)),
                                   QItemSelectionModel::Select);
    EXPECT_EQ(table.SelectionAsText(), QStringLiteral("11\t12\n21\t22\n"));

    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    QApplication::sendEvent(&table, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("11\t12\n21\t22\n"));

    CTable system(1, nullptr);  // never enabled: nothing can be selected
    EXPECT_EQ(system.selectionMode(), QAbstractItemView::NoSelection);
}

}  // namespace
