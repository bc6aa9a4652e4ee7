// The windows through the application's services alone: each test hands the windows a fake that only
// records what they ask for, and no application object exists. A read's saved file goes to the
// application to open; the comparison with the device asks for a read into a scratch file; the table
// and start windows take their menu, port dialog, remembered sizes and temporary directory from it.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <string>
#include <vector>

#include "files/data_file.h"
#include "gui_support.h"
#include "link/link.h"
#include "platform/history_git.h"
#include "platform/port_map.h"
#include "support/fakes.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app_services.h"
#include "ui/compare_view.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/ui_state.h"

namespace {

class FakeServices final : public AppServices {
  public:
    explicit FakeServices(const kdmtest::TempDir& dir)
        : state(QString::fromStdString(dir.File("ui"))),
          link(port, settings),
          portMap(&settings, nullptr),
          history(dir.File("history"), kdm::HistoryIdentity{"host", "user"}) {}

    QMenuBar* CreateMenu(QWidget* window, std::initializer_list<int> ownCommands) override {
        menus.push_back(window);
        owned.assign(ownCommands.begin(), ownCommands.end());
        return CreateMainMenu(window);
    }
    void SelectPort(QWidget* parent) override { portDialogs.push_back(parent); }
    UiState& State() override { return state; }
    void OpenDataFile(const QString& path, QWidget*) override { opened.push_back(path.toStdString()); }
    void ShowDataFileWindow(const std::string& path, QWidget*) override { shown.push_back(path); }
    std::string RunRead(QWidget*, const ReadRequest& request) override {
        reads.push_back(request);
        return readSaves;
    }
    void RunWrite(QWidget*, const WriteRequest& request) override { writes.push_back(request); }
    TransferContext Transfers() override { return TransferContext{link, clock, portMap, history, "KDM.tmp"}; }
    void SetTempFileDirectory(const std::string& directory) override { tempDirectory = directory; }

    // What a read "saves".
    std::string readSaves;

    std::vector<QWidget*> menus;
    std::vector<int> owned;
    std::vector<QWidget*> portDialogs;
    std::vector<std::string> opened;
    std::vector<std::string> shown;
    std::vector<ReadRequest> reads;
    std::vector<WriteRequest> writes;
    std::string tempDirectory;

  private:
    UiState state;
    kdmtest::FakeClock clock;
    kdmtest::ScriptedPort port{clock};
    kdmtest::MemorySettingsStore settings;
    kdm::Link link;
    kdm::PortMap portMap;
    kdm::GitHistory history;
};

std::string DataFile(const std::string& hValue) {
    return guitest::IdentificationRecord("I10") + guitest::TelegramRecord('d', "+000001--") +
           guitest::TelegramRecord('h', hValue);
}

TEST(AppServices, AFinishedReadHandsItsFileToTheApplication) {
    kdmtest::TempDir dir;
    FakeServices services(dir);
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [](QWidget*, QString& path) {
        path = QStringLiteral("chosen.KDM");
        return true;
    };
    services.readSaves = dir.File("read.KDM");
    RunReadDialog(services, nullptr, hooks);
    ASSERT_EQ(services.reads.size(), 1u);
    EXPECT_TRUE(services.reads[0].recordInHistory);
    EXPECT_TRUE(services.reads[0].tempFilePath.empty());  // the application's own KDM.tmp
    ASSERT_TRUE(services.reads[0].chooseSavePath);
    QString chosen;
    EXPECT_TRUE(services.reads[0].chooseSavePath(nullptr, chosen));
    EXPECT_EQ(chosen, QStringLiteral("chosen.KDM"));
    EXPECT_EQ(services.shown, std::vector<std::string>{dir.File("read.KDM")});

    // A read that saved nothing opens nothing.
    services.readSaves.clear();
    RunReadDialog(services, nullptr);
    EXPECT_EQ(services.reads.size(), 2u);
    EXPECT_EQ(services.shown.size(), 1u);

    RunWriteDialog(services, nullptr);
    ASSERT_EQ(services.writes.size(), 1u);
    EXPECT_TRUE(services.writes[0].recordInHistory);
    EXPECT_TRUE(services.opened.empty());
}

// The device's side comes from a read into a scratch directory, asked of the application; nothing of
// it goes into the history, and the start-up directory's KDM.tmp is not the one used.
TEST(AppServices, ComparingWithTheDeviceAsksForAReadIntoAScratchFile) {
    kdmtest::TempDir dir;
    FakeServices services(dir);
    const std::string shown = dir.File("a.KDM");
    kdmtest::Spit(shown, DataFile("+000002--"));
    DataDocument document;
    ASSERT_TRUE(document.Open(shown));
    CKDM_XPDlg window(services, document, nullptr);
    window.OnInitDialog();
    CompareView* compare = window.Compare();

    services.readSaves = dir.File("device.KDM");
    kdmtest::Spit(services.readSaves, DataFile("+000007--"));
    ASSERT_TRUE(compare->OnCompareWithDevice());
    ASSERT_EQ(services.reads.size(), 1u);
    const ReadRequest& read = services.reads[0];
    EXPECT_FALSE(read.recordInHistory);
    EXPECT_FALSE(read.tempFilePath.empty());
    EXPECT_NE(read.tempFilePath, "KDM.tmp");
    EXPECT_NE(read.tempFilePath.find("KDM.tmp"), std::string::npos);
    QString savedTo;
    ASSERT_TRUE(read.chooseSavePath);
    EXPECT_TRUE(read.chooseSavePath(nullptr, savedTo));  // never a dialog
    EXPECT_FALSE(savedTo.isEmpty());
    EXPECT_EQ(compare->Diff().differences.size(), 1u);
    EXPECT_NE(compare->CountText().indexOf(QStringLiteral("the device")), -1);

    // A read that saved nothing compares nothing.
    services.readSaves.clear();
    EXPECT_FALSE(compare->OnCompareWithDevice());
    EXPECT_EQ(services.reads.size(), 2u);
}

TEST(AppServices, WindowsTakeTheirMenuPortDialogSizesAndTemporaryDirectoryFromTheServices) {
    kdmtest::TempDir dir;
    FakeServices services(dir);
    {
        CKDMXPMain start(services);
        EXPECT_EQ(services.tempDirectory, kdm::CurrentDirectory());
        ASSERT_EQ(services.menus.size(), 1u);
        EXPECT_EQ(services.menus[0], &start);
        EXPECT_TRUE(services.owned.empty());
        FindMenuAction(&start, menu_id::kPortSelect)->trigger();
        EXPECT_EQ(services.portDialogs, std::vector<QWidget*>{&start});
    }
    DataDocument none;
    {
        CKDM_XPDlg table(services, none, nullptr);
        ASSERT_EQ(services.menus.size(), 2u);
        EXPECT_EQ(services.menus[1], &table);
        // The table window's help looks in the current directory: it connects those itself.
        EXPECT_EQ(services.owned, (std::vector<int>{menu_id::kHelpEnglish, menu_id::kHelpGerman}));
        FindMenuAction(&table, menu_id::kPortSelect)->trigger();
        EXPECT_EQ(services.portDialogs.size(), 2u);
        table.resize(913, 517);
        table.accept();
    }
    EXPECT_EQ(services.State().WindowSize(QStringLiteral("CKDM_XPDlg")), QSize(913, 517));
    CKDM_XPDlg again(services, none, nullptr);
    EXPECT_EQ(again.size(), QSize(913, 517));
}

}  // namespace
