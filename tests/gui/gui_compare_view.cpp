// The table window's comparison: its menu, the cells marked in both tables with the other value in the
// tooltip, the count line, the list that jumps to a cell, clearing, and a comparison with the simulated
// device that leaves the start-up directory's KDM.tmp alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <fstream>
#include <string>
#include <vector>

#include "gui_support.h"
#include "gui_transfer_support.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/compare_view.h"
#include "ui/ctable.h"
#include "ui/table_window.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

// A type 1 device ("I10"): system d (Mode, row 1) and h (Language, row 4); programs 1 and 2 with
// J (column 1), N (column 2) and u (column 3). `changed` alters h, program 1's N and program 2's u;
// `extra` adds program 1's o (column 4) and drops system d.
std::string Dump(bool changed, bool extra) {
    std::string dump = IdentificationRecord("I10");
    if (!extra) dump += TelegramRecord('d', "+000001--");
    dump += TelegramRecord('h', changed ? "+000007--" : "+000002--");
    dump += TelegramRecord('P', "+000001--");
    dump += TelegramRecord('J', "+000011--");
    dump += TelegramRecord('N', changed ? "-000012--" : "+000012--");
    dump += TelegramRecord('u', "+000013--");
    if (extra) dump += TelegramRecord('o', "+000014--");
    dump += TelegramRecord('P', "+000002--");
    dump += TelegramRecord('J', "+000021--");
    dump += TelegramRecord('N', "+000022--");
    dump += TelegramRecord('u', changed ? "+000230--" : "+000023--");
    return dump;
}

std::string Write(const kdmtest::TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool Marked(const CTable* table, int row, int col) {
    return table->Cell(row, col).data(Qt::BackgroundRole).value<QBrush>() == CompareView::MarkBrush();
}

QString ToolTip(const CTable* table, int row, int col) {
    return table->Cell(row, col).data(Qt::ToolTipRole).toString();
}

int MarkedCells(const CTable* table) {
    int count = 0;
    for (int r = 0; r < table->Rows(); ++r) {
        for (int c = 0; c < table->Cols(); ++c)
            count += Marked(table, r, c) ? 1 : 0;
    }
    return count;
}

TEST(CompareView, MarksEachDifferenceInTheTablesAndListsIt) {
    kdmtest::TempDir dir;
    const std::string a = Write(dir, "a.KDM", Dump(false, false));
    const std::string b = Write(dir, "b.KDM", Dump(true, true));
    CKDM_XPApp app;
    DataDocument document;
    document.Open(a);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    CompareView* compare = window.Compare();
    ASSERT_NE(compare, nullptr);

    // The menu sits in the window's menu bar with both commands.
    auto* bar = window.findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->actions().contains(compare->Menu()->menuAction()));
    ASSERT_NE(compare->Menu()->findChild<QAction*>(QStringLiteral("compareWithFile")), nullptr);
    ASSERT_NE(compare->Menu()->findChild<QAction*>(QStringLiteral("compareWithDevice")), nullptr);
    EXPECT_FALSE(compare->isVisibleTo(&window));

    // The menu command, with the file dialog answered by the hook.
    compare->chooseFile = [&b](QString& path) {
        path = QString::fromStdString(b);
        return true;
    };
    compare->Menu()->findChild<QAction*>(QStringLiteral("compareWithFile"))->trigger();
    ASSERT_TRUE(compare->Failure().isEmpty()) << compare->Failure().toStdString();
    EXPECT_TRUE(compare->isVisibleTo(&window));

    const CTable* system = window.SystemTable();
    const CTable* program = window.ProgramTable();
    // h changed, d only here; program 1 N changed and o only there; program 2 u changed.
    EXPECT_EQ(compare->CountText().toStdString(),
              "5 differences from b.KDM (3 changed, 1 only here, 1 only in b.KDM). Marked cells show the "
              "other value in their tooltip.");
    ASSERT_EQ(compare->List()->count(), 5);
    EXPECT_EQ(compare->List()->item(0)->text().toStdString(), "System, Mode (d): 000001 here, not in b.KDM");
    EXPECT_EQ(compare->List()->item(1)->text().toStdString(),
              "System, Language (h): 000002 here, 000007 in b.KDM");

    EXPECT_TRUE(Marked(system, 1, 2));
    EXPECT_EQ(ToolTip(system, 1, 2).toStdString(), "Not in b.KDM");
    EXPECT_TRUE(Marked(system, 4, 2));
    EXPECT_EQ(ToolTip(system, 4, 2).toStdString(), "In b.KDM: 000007");
    EXPECT_EQ(system->Cell(4, 2).data().toString().toStdString(), " 000002  ");
    EXPECT_TRUE(Marked(program, 2, 2));
    EXPECT_EQ(ToolTip(program, 2, 2).toStdString(), "In b.KDM: -000012");
    EXPECT_TRUE(Marked(program, 3, 3));
    EXPECT_EQ(ToolTip(program, 3, 3).toStdString(), "In b.KDM: 000230");
    // Only there: the empty cell where this window would show it.
    EXPECT_TRUE(Marked(program, 2, 4));
    EXPECT_FALSE(program->Written(2, 4));
    EXPECT_EQ(ToolTip(program, 2, 4).toStdString(), "In b.KDM: 000014");
    // Nothing else is marked.
    EXPECT_EQ(MarkedCells(system), 2);
    EXPECT_EQ(MarkedCells(program), 3);

    // Each entry of the list jumps to its cell.
    const std::vector<std::pair<const CTable*, std::pair<int, int>>> expected = {
        {system, {1, 2}}, {system, {4, 2}}, {program, {2, 2}}, {program, {2, 4}}, {program, {3, 3}}};
    for (int i = 0; i < compare->List()->count(); ++i) {
        compare->List()->setCurrentRow(i);
        const auto& [table, cell] = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(table->currentIndex().row(), cell.first) << "entry " << i;
        EXPECT_EQ(table->currentIndex().column(), cell.second) << "entry " << i;
    }

    // Clearing leaves the tables as they were filled.
    compare->Clear();
    EXPECT_EQ(MarkedCells(system), 0);
    EXPECT_EQ(MarkedCells(program), 0);
    EXPECT_FALSE(program->Written(2, 4));
    EXPECT_FALSE(program->Cell(2, 4).data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(ToolTip(system, 4, 2).toStdString(), "");
    EXPECT_EQ(system->Cell(4, 2).data().toString().toStdString(), " 000002  ");
    EXPECT_FALSE(compare->isVisibleTo(&window));
}

TEST(CompareView, SuspectValuesKeepTheirNoteAndAnotherTypeComesFirst) {
    kdmtest::TempDir dir;
    std::string marked = IdentificationRecord("I10");
    marked += TelegramRecord('d', "+000001--", true);
    marked += TelegramRecord('h', "+000002--");
    const std::string a = Write(dir, "a.KDM", marked);
    std::string other = IdentificationRecord("E20");
    other += TelegramRecord('d', "+000001--");
    other += TelegramRecord('h', "+000002--");
    const std::string b = Write(dir, "b.KDM", other);
    CKDM_XPApp app;
    DataDocument document;
    document.Open(a);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    CompareView* compare = window.Compare();
    ASSERT_TRUE(compare->CompareWithFile(b, QStringLiteral("b.KDM"))) << compare->Failure().toStdString();

    ASSERT_EQ(compare->List()->count(), 2);
    EXPECT_EQ(compare->List()->item(0)->text().toStdString(), "Device type 1 here, 10 in b.KDM");
    EXPECT_EQ(compare->List()->item(1)->text().toStdString(),
              "System, Mode (d): 000001 (checksum mismatch) here, 000001 in b.KDM - not to be trusted");
    EXPECT_NE(compare->CountText().indexOf(QStringLiteral("1 alike but not to be trusted")), -1);
    EXPECT_NE(compare->CountText().indexOf(QStringLiteral("the device type differs")), -1);
    EXPECT_EQ(ToolTip(window.SystemTable(), 1, 2).toStdString(),
              std::string(CTable::kSuspectToolTip) + "\nIn b.KDM: 000001");

    // A file that cannot be read compares nothing and says why.
    EXPECT_FALSE(compare->CompareWithFile(dir.File("missing.KDM"), QStringLiteral("missing.KDM")));
    EXPECT_NE(compare->Failure().indexOf(QStringLiteral("missing.KDM")), -1);
    EXPECT_EQ(MarkedCells(window.SystemTable()), 1);
}

TEST(CompareView, ComparesWithTheDeviceThroughTheReadWindow) {
    kdmtest::TempDir ports;
    kdmtest::TempDir work;
    guitest::ScopedEnv portEnv{"KDMXP_PORT_DIR", QString::fromStdString(ports.Path())};
    const std::string a = Write(work, "a.KDM", Dump(false, false));
    Write(work, "device.KDM", Dump(true, false));
    kdmtest::SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(ports.Path(), 1, {"--no-pacing", "--load", work.File("device.KDM")}, &error))
        << error;

    CKDM_XPApp app;
    app.tempFilePath = work.File("KDM.tmp");
    DataDocument document;
    document.Open(a);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    CompareView* compare = window.Compare();
    guitest::BoxWatcher boxes;  // the read window closes by itself; any box is a failure
    bool readWindowShown = false;
    compare->onReadWindow = [&readWindowShown](QWidget* read) { readWindowShown = read != nullptr; };

    ASSERT_TRUE(compare->OnCompareWithDevice());
    EXPECT_TRUE(readWindowShown);
    for (const guitest::SeenWindow& box : boxes.seen)
        ADD_FAILURE() << "unexpected box: " << box.title.toStdString() << " / " << box.text.toStdString();
    EXPECT_EQ(
        compare->CountText().toStdString(),
        "3 differences from the device (3 changed). Marked cells show the other value in their tooltip.");
    EXPECT_EQ(ToolTip(window.SystemTable(), 4, 2).toStdString(), "In the device: 000007");
    EXPECT_EQ(MarkedCells(window.ProgramTable()), 2);
    // The device's data went to a temporary directory; the start-up directory's KDM.tmp was not made.
    EXPECT_FALSE(std::ifstream(app.tempFilePath).good());
    EXPECT_EQ(app.tempFilePath, work.File("KDM.tmp"));
    EXPECT_FALSE(app.link.IsPortOpen());
}

}  // namespace
