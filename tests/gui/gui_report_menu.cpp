// "Export report..." in the File menu: the table window exports the file it shows, the start window
// asks for a file first.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>

#include "gui_support.h"
#include "ui/app.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/report.h"
#include "ui/table_window.h"

namespace {

std::string ReportDataFile() {
    return guitest::IdentificationRecord("I10") + guitest::TelegramRecord('d', "+00012300") +
           guitest::TelegramRecord('P', "+00000100") + guitest::TelegramRecord('J', "+00004500");
}

QString WriteDataFile(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << ReportDataFile();
    return path;
}

TEST(ReportMenu, TheTableWindowExportsTheFileItShows) {
    QTemporaryDir dir;
    const QString shown = WriteDataFile(dir, QStringLiteral("shown.KDM"));
    CKDM_XPApp app;
    // Another file is current (opened earlier, deeper in the stack of windows): not the one exported.
    app.currentDataFile = WriteDataFile(dir, QStringLiteral("current.KDM")).toStdString();
    DataDocument document;
    document.Open(shown.toStdString());
    CKDM_XPDlg table(app, document, nullptr);
    table.OnInitDialog();
    QString proposed;
    app.chooseReportDestination = [&](QString& destination) {
        proposed = destination;
        return true;
    };
    QAction* action = FindMenuAction(&table, menu_id::kExportReport);
    ASSERT_NE(action, nullptr);
    guitest::ModalWatcher watcher;
    action->trigger();
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(proposed, ReportNameFor(shown));
    EXPECT_TRUE(QFile::exists(proposed));
    EXPECT_FALSE(QFile::exists(ReportNameFor(QString::fromStdString(app.currentDataFile))));
}

TEST(ReportMenu, TheStartWindowAsksForAFileAndStopsWhenCancelled) {
    QTemporaryDir dir;
    const QString file = WriteDataFile(dir, QStringLiteral("asked.KDM"));
    CKDM_XPApp app;
    CKDMXPMain start(app);
    bool answer = false;
    int asked = 0;
    app.promptForDataFile = [&](QString& chosen) {
        ++asked;
        chosen = file;
        return answer;
    };
    int destinations = 0;
    app.chooseReportDestination = [&](QString&) {
        ++destinations;
        return true;
    };
    FindMenuAction(&start, menu_id::kExportReport)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(destinations, 0);
    EXPECT_FALSE(QFile::exists(ReportNameFor(file)));

    answer = true;
    FindMenuAction(&start, menu_id::kExportReport)->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(destinations, 1);
    EXPECT_TRUE(QFile::exists(ReportNameFor(file)));
}

}  // namespace
