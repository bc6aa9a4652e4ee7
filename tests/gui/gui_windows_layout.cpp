// The table window's layout: tables that take the room the window gives them, columns the user can
// widen, narrow and fit with a double click, and sizes remembered for the next window.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "gui_support.h"
#include "support/dump_builder.h"
#include "ui/app.h"
#include "ui/ctable.h"
#include "ui/table_window.h"

namespace {

// A type 2 device with a full system block (more letters than named rows) and `programs` programs.
std::string FullDump(int programs) {
    kdmtest::DumpBuilder dump("I1P");
    const std::string systemLetters = "dehvkijnmyqpKabcfrstuwxzABC";
    for (std::size_t i = 0; i < systemLetters.size(); ++i)
        dump.Add(systemLetters[i], kdmtest::Value(static_cast<int>(1000 + i)));
    const std::string programLetters = "JNuoVWEGXRYrabcdef";
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (std::size_t i = 0; i < programLetters.size(); ++i)
            dump.Add(programLetters[i], kdmtest::Value(static_cast<int>(2000 + i)));
    }
    return dump.Text();
}

QSize DialogUnits(const QWidget& widget, int x, int y) {
    const QFontMetrics metrics(widget.font());
    return QSize(x * metrics.averageCharWidth() / 4, y * metrics.height() / 8);
}

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("full.KDM")).toStdString();
        std::ofstream(path, std::ios::binary) << FullDump(40);
        document.Open(path);
    }
    // A window over the file, shown at `size`, its layout settled.
    std::unique_ptr<CKDM_XPDlg> Show(CKDM_XPApp& application, QSize size = QSize()) {
        auto window = std::make_unique<CKDM_XPDlg>(application, document, nullptr);
        window->OnInitDialog();
        if (size.isValid()) window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::processEvents();
        return window;
    }

    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv{"KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings"))};
    CKDM_XPApp app;
    std::string path;
    DataDocument document;
};

TEST_F(LayoutTest, ATallWindowShowsEverySystemRowAndGivesTheRestToThePrograms) {
    auto window = Show(app, QSize(1280, 800));
    CTable* system = window->SystemTable();
    CTable* program = window->ProgramTable();
    ASSERT_EQ(system->Rows(), 25);
    // Every row and every column in sight: no scrolling.
    EXPECT_EQ(system->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(system->horizontalScrollBar()->maximum(), 0);
    const QRect lastRow = system->visualRect(system->Cell(24, 0));
    EXPECT_LE(lastRow.bottom(), system->viewport()->height());
    // The program table reaches down to the OK row and across the window.
    auto* ok = window->findChild<QPushButton*>(QStringLiteral("id1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_GT(program->height(), 800 - system->height() - 2 * ok->height() - 60);
    EXPECT_GT(program->width(), 1280 - 40);
    EXPECT_GT(program->geometry().top(), system->geometry().bottom());
    EXPECT_LT(program->geometry().bottom(), ok->geometry().top());
    // The OK button sits at the bottom right, not beside the system table.
    EXPECT_GT(ok->geometry().left(), 1280 / 2);
    EXPECT_GT(ok->geometry().top(), program->geometry().bottom());
}

TEST_F(LayoutTest, AShortWindowScrollsTheSystemTableDownToItsOldSizeOnly) {
    auto window = Show(app, QSize(700, 420));
    CTable* system = window->SystemTable();
    EXPECT_GT(system->verticalScrollBar()->maximum(), 0);  // not every row fits now
    EXPECT_GE(system->height(), DialogUnits(*window, 215, 143).height());
    EXPECT_GE(window->ProgramTable()->height(), DialogUnits(*window, 300, 80).height());
    // The columns stay whole beside the scroll bar.
    EXPECT_EQ(system->horizontalScrollBar()->maximum(), 0);
}

TEST_F(LayoutTest, TheFirstWindowOpensAtItsOldSize) {
    DataDocument none;
    CKDM_XPDlg window(app, none, nullptr);
    EXPECT_EQ(window.size(), DialogUnits(window, 608, 398));
}

// Column borders are grabbed in the header rows: dragged they set the width, double-clicked they fit
// the header text (the whole name, which the narrow columns cut).
TEST_F(LayoutTest, ColumnsResizeByDragAndFitTheirHeaderOnADoubleClick) {
    auto window = Show(app, QSize(1100, 700));
    CTable* program = window->ProgramTable();
    // The header rows stand in the headings view above the scrolling rows.
    QTableView* headings = program->HeadingsView();
    QWidget* viewport = headings->viewport();
    const int col = 3;
    const int before = program->columnWidth(col);
    const int y = headings->rowViewportPosition(0) + headings->rowHeight(0) / 2;
    const QPoint border(headings->columnViewportPosition(col) + before, y);
    ASSERT_EQ(program->HeaderBorderAt(border), col);
    // Not in a value row: those select cells.
    EXPECT_EQ(program->HeaderBorderAt(QPoint(border.x(), headings->rowViewportPosition(5) + 2)), -1);

    int changed = 0;
    QObject::connect(program, &CTable::columnWidthChangedByUser, [&changed](int) { ++changed; });
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, border);
    QTest::mouseMove(viewport, border + QPoint(40, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, border + QPoint(40, 0));
    EXPECT_EQ(program->columnWidth(col), before + 40);
    EXPECT_EQ(changed, 1);

    // The header text of this column is wider than its old width ("Lower l..." on screen).
    ASSERT_TRUE(program->Written(0, col));
    const QModelIndex header = program->Cell(0, col);
    const QString name = header.data().toString();
    const int textWidth = QFontMetrics(header.data(Qt::FontRole).value<QFont>()).horizontalAdvance(name);
    ASSERT_GT(textWidth, before) << name.toStdString();
    const QPoint moved(headings->columnViewportPosition(col) + program->columnWidth(col), y);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, moved);
    EXPECT_GE(program->columnWidth(col), textWidth);
    EXPECT_LT(program->columnWidth(col), textWidth + 30);
    EXPECT_EQ(changed, 2);
    // The full name stays in the tooltip.
    EXPECT_EQ(header.data(Qt::ToolTipRole).toString(), name);
}

TEST_F(LayoutTest, WindowSizeAndTheUsersColumnWidthsComeBackInTheNextWindow) {
    QList<int> widths;
    {
        auto window = Show(app, QSize(1000, 650));
        CTable* program = window->ProgramTable();
        program->FitColumnToHeader(2);
        program->FitColumnToHeader(5);
        widths = program->ColumnWidths();
        window->resize(1111, 666);
        QApplication::processEvents();
        window->accept();
    }
    CKDM_XPApp later;
    auto window = Show(later);
    EXPECT_EQ(window->size(), QSize(1111, 666));
    EXPECT_EQ(window->ProgramTable()->ColumnWidths(), widths);

    // Nothing changed by hand: the next window keeps the widths the file's layout gives.
    QTemporaryDir fresh;
    guitest::ScopedEnv other("KDMXP_SETTINGS_DIR", fresh.path());
    CKDM_XPApp untouched;
    {
        auto first = Show(untouched);
        first->accept();
    }
    auto second = Show(untouched);
    CTable* program = second->ProgramTable();
    for (int c = 0; c < program->Cols(); ++c)
        EXPECT_EQ(program->columnWidth(c), program->TwipsToPixels(1000)) << c;
}

}  // namespace
