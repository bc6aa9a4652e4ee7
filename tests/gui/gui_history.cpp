// The device history in the desktop application, against the simulator: reads and writes add entries
// the history window lists and opens, the backup before a write (and what happens when it fails), the
// remembered menu switch, a history that cannot be written, and synchronising with another laptop.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gui_support.h"
#include "gui_transfer_support.h"
#include "platform/history_git.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/compare_view.h"
#include "ui/ctable.h"
#include "ui/download_dialog.h"
#include "ui/history_record.h"
#include "ui/history_window.h"
#include "ui/machine_name_field.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/ui_state.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

// A data file of device code `code`: two system parameters and two programs, values set by `seed`.
std::string DataFile(const std::string& code, int seed) {
    std::string text = IdentificationRecord(code);
    text += TelegramRecord('A', "+00" + std::to_string(1000 + seed) + "--");
    text += TelegramRecord('B', "-000120--");
    for (int p = 1; p <= 2; ++p) {
        text += TelegramRecord('P', "+00000" + std::to_string(p) + "--");
        text += TelegramRecord('a', "+000" + std::to_string(300 + p) + "--");
    }
    return text;
}

int RunGit(const std::string& arguments) {
    return std::system(("git " + arguments + " >/dev/null 2>&1").c_str());
}

// The simulator, the settings and the history all in temporary places; the application is made once
// the environment points there.
class HistoryFixture : public ::testing::Test {
  protected:
    void StartSim(const std::vector<std::string>& extra) {
        // --save: the simulator logs "(after a write)" when it keeps what a write brought.
        std::vector<std::string> args = {"--no-pacing", "--code", "I1P",
                                         "--programs",  "3",      "--log",
                                         simLog_,       "--save", work_.File("sim-saved.KDM")};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string error;
        ASSERT_TRUE(sim_.Start(ports_.Path(), 3, args, &error)) << error;
    }
    CKDM_XPApp& App() {
        if (!app_) {
            app_ = std::make_unique<CKDM_XPApp>();
            app_->tempFilePath = work_.File("KDM.tmp");
        }
        return *app_;
    }
    std::vector<kdm::HistoryEntry> Entries() {
        std::vector<kdm::HistoryEntry> entries;
        EXPECT_TRUE(App().history.List(entries).ok);
        return entries;
    }
    // Whether the simulator took a write (it says so in its log when the port closes after one).
    bool SimWasWritten() {
        EXPECT_EQ(sim_.Stop(), 0);
        return kdmtest::Slurp(simLog_).find("(after a write)") != std::string::npos;
    }
    // How often the simulator's port was opened (after SimWasWritten).
    int PortOpenings() {
        const std::string log = kdmtest::Slurp(simLog_);
        int count = 0;
        for (std::size_t at = log.find("port opened"); at != std::string::npos;
             at = log.find("port opened", at + 1))
            ++count;
        return count;
    }
    TransferDialogHooks WriteHooks(const std::string& file) {
        TransferDialogHooks hooks;
        hooks.confirmWrite = guitest::AnswerYes;
        hooks.chooseFileToWrite = [file](QWidget*, QString& chosen) {
            chosen = QString::fromStdString(file);
            return true;
        };
        return hooks;
    }

    kdmtest::TempDir ports_;
    kdmtest::TempDir settings_;
    kdmtest::TempDir data_;
    kdmtest::TempDir work_;
    std::string simLog_ = work_.File("sim.log");
    guitest::ScopedEnv portEnv_{"KDMXP_PORT_DIR", QString::fromStdString(ports_.Path())};
    guitest::ScopedEnv settingsEnv_{"KDMXP_SETTINGS_DIR", QString::fromStdString(settings_.Path())};
    guitest::ScopedEnv dataEnv_{"XDG_DATA_HOME", QString::fromStdString(data_.Path())};
    kdmtest::SimProcess sim_;
    std::unique_ptr<CKDM_XPApp> app_;
};

TEST_F(HistoryFixture, AReadAddsAnEntryTheWindowListsAndOpens) {
    StartSim({});
    const std::string saved = work_.File("device.KDM");
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString& path) {
        path = QString::fromStdString(saved);
        return true;
    };
    {
        guitest::BoxWatcher watcher;  // the table window after the read is closed at once
        RunReadDialog(App(), nullptr, hooks);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].className, QStringLiteral("CKDM_XPDlg"));
    }

    const std::vector<kdm::HistoryEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, kdm::HistoryKind::kRead);
    EXPECT_EQ(entries[0].port, "COM3");
    EXPECT_EQ(entries[0].source, saved);
    EXPECT_EQ(App().history.Location(), data_.File("kdmxp/history"));

    HistoryWindow window(App(), App().history, nullptr);
    QTableWidget* table = window.Table();
    ASSERT_EQ(table->rowCount(), 1);
    const kdm::HistoryIdentity me = kdm::LocalHistoryIdentity();
    EXPECT_EQ(table->item(0, HistoryWindow::kKind)->text(), QStringLiteral("read"));
    EXPECT_EQ(table->item(0, HistoryWindow::kDevice)->text().toStdString(), entries[0].device);
    EXPECT_EQ(table->item(0, HistoryWindow::kType)->text().toInt(), entries[0].deviceType);
    EXPECT_EQ(table->item(0, HistoryWindow::kHost)->text().toStdString(), me.host);
    EXPECT_EQ(table->item(0, HistoryWindow::kUser)->text().toStdString(), me.user);
    EXPECT_EQ(table->item(0, HistoryWindow::kPort)->text(), QStringLiteral("COM3"));
    EXPECT_EQ(table->item(0, HistoryWindow::kEntry)->text().toStdString(), entries[0].ShortId());
    EXPECT_EQ(table->item(0, HistoryWindow::kTime)->text(), HistoryWindow::TimeText(entries[0].time));
    EXPECT_TRUE(window.RemoteText().startsWith(QStringLiteral("Not shared")));

    // Open shows the entry's data, byte for byte what the read saved, in a table window.
    std::string shown;
    int systemRows = -1;
    window.onTableWindow = [&](CKDM_XPDlg& tableWindow) {
        shown = kdmtest::Slurp(tableWindow.FileName());
        QTimer::singleShot(0, &tableWindow, [&tableWindow, &systemRows] {
            systemRows = tableWindow.SystemTable()->Rows();
            tableWindow.reject();
        });
    };
    ASSERT_TRUE(window.OnOpen());
    EXPECT_EQ(shown, kdmtest::Slurp(saved));
    EXPECT_GT(systemRows, 0);

    // With only one entry of the device there is nothing before it to compare with.
    guitest::BoxWatcher none;
    EXPECT_FALSE(window.OnCompareWithPrevious());
    ASSERT_EQ(none.seen.size(), 1u);
    EXPECT_EQ(none.seen[0].objectName, QStringLiteral("historyNoPreviousBox"));
}

TEST_F(HistoryFixture, AWriteBacksUpFirstThenRecordsTheWriteWhichComparesWithTheBackup) {
    StartSim({});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P", 7));
    QStringList headings;
    bool barBusyWhileBackingUp = false;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* write = qobject_cast<CDownload*>(QApplication::activeModalWidget());
        if (write == nullptr) return;
        const QString heading = write->HeadingText();
        if (headings.isEmpty() || headings.back() != heading) headings << heading;
        if (write->Worker().BackingUp() && write->ProgressMaximum() == 0) barBusyWhileBackingUp = true;
    });
    poll.start();
    guitest::BoxWatcher watcher;  // "communication terminated"
    RunWriteDialog(App(), nullptr, WriteHooks(file));
    poll.stop();

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, QStringLiteral("communication terminated"));
    EXPECT_TRUE(headings.contains(QStringLiteral("Backing up the device...")));
    EXPECT_EQ(headings.back(), QStringLiteral("Data transfer active"));
    EXPECT_TRUE(barBusyWhileBackingUp);

    // Newest first: the write, then the backup of what the device held before it.
    const std::vector<kdm::HistoryEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, kdm::HistoryKind::kWrite);
    EXPECT_EQ(entries[0].source, file);
    EXPECT_EQ(entries[0].verify, kdm::VerifyOutcome::kNotAsked);
    EXPECT_EQ(entries[1].kind, kdm::HistoryKind::kBackup);
    EXPECT_EQ(entries[0].device, entries[1].device);
    EXPECT_EQ(entries[1].port, "COM3");
    std::string written;
    ASSERT_TRUE(App().history.ReadContents(entries[0], written).ok);
    EXPECT_EQ(written, kdmtest::Slurp(file));
    EXPECT_TRUE(SimWasWritten());
    // The backup read and the write: each opened the port once.
    EXPECT_EQ(PortOpenings(), 2);

    // Compare with previous: the write's entry in a table window, compared with the backup. The
    // simulated device held other values (three programs, its own system values) than the file.
    HistoryWindow window(App(), App().history, nullptr);
    ASSERT_EQ(window.Table()->rowCount(), 2);
    EXPECT_EQ(window.Table()->item(1, HistoryWindow::kKind)->text(), QStringLiteral("backup"));
    window.Table()->selectRow(0);
    bool compared = false;
    bool same = true;
    QString count;
    window.onTableWindow = [&](CKDM_XPDlg& tableWindow) {
        compared = true;
        same = tableWindow.Compare()->Diff().Same();
        count = tableWindow.Compare()->CountText();
        EXPECT_EQ(kdmtest::Slurp(tableWindow.FileName()), kdmtest::Slurp(file));
        QTimer::singleShot(0, &tableWindow, &QDialog::reject);
    };
    ASSERT_TRUE(window.OnCompareWithPrevious());
    EXPECT_TRUE(compared);
    EXPECT_FALSE(same) << count.toStdString();
}

TEST_F(HistoryFixture, FailingBackupReadWritesNothing) {
    // The device's answer to the system-parameter request never ends: the read gives up, though a write
    // into this device would go through.
    StartSim({"--endless"});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P", 1));
    guitest::BoxWatcher watcher;
    RunWriteDialog(App(), nullptr, WriteHooks(file));

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("KdmErrorBox"));
    EXPECT_TRUE(watcher.seen[0].text.startsWith(QStringLiteral("The device sent more than a parameter set")))
        << watcher.seen[0].text.toStdString();
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(App().link.IsPortOpen());
    EXPECT_FALSE(SimWasWritten());
}

TEST_F(HistoryFixture, BackupOfADeviceOfAnotherTypeIsNeitherKeptNorFollowedByAWrite) {
    StartSim({});
    const std::string file = work_.File("other.KDM");
    kdmtest::Spit(file, DataFile("E2P", 1));
    QString informative;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) informative = box->informativeText();
        guitest::Reject(window);
    });
    RunWriteDialog(App(), nullptr, WriteHooks(file));

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, QStringLiteral("file type is not device typ"));
    // The type is known before anything is read: no backup was made, so none failed.
    EXPECT_FALSE(informative.contains(QStringLiteral("backup"))) << informative.toStdString();
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(SimWasWritten());
    EXPECT_EQ(PortOpenings(), 1);
    EXPECT_EQ(kdmtest::Slurp(simLog_).find("0s+000000--584"), std::string::npos) << kdmtest::Slurp(simLog_);
}

TEST_F(HistoryFixture, TheBackupSwitchIsInTheDataMenuOnByDefaultAndRemembered) {
    {
        CKDMXPMain start(App(), nullptr);
        QAction* history = FindMenuAction(&start, menu_id::kHistory);
        ASSERT_NE(history, nullptr);
        EXPECT_EQ(MenuTextOf(history->text()), QStringLiteral("History..."));
        QAction* backup = FindMenuAction(&start, menu_id::kBackupBeforeWrite);
        ASSERT_NE(backup, nullptr);
        EXPECT_EQ(MenuTextOf(backup->text()), QStringLiteral("Back up the device before writing"));
        EXPECT_TRUE(backup->isCheckable());
        EXPECT_TRUE(backup->isChecked());
        backup->trigger();
        EXPECT_FALSE(backup->isChecked());
        EXPECT_FALSE(BackupBeforeWriteEnabled(App().settings));
    }
    // A new process: another application object on the same settings store.
    app_.reset();
    CKDMXPMain start(App(), nullptr);
    QAction* backup = FindMenuAction(&start, menu_id::kBackupBeforeWrite);
    ASSERT_NE(backup, nullptr);
    EXPECT_FALSE(backup->isChecked());
    // Switched on again in a table window, the start window shows it when its menu opens.
    DataDocument none;
    CKDM_XPDlg table(App(), none, &start);
    FindMenuAction(&table, menu_id::kBackupBeforeWrite)->trigger();
    EXPECT_TRUE(BackupBeforeWriteEnabled(App().settings));
    auto* dataMenu = qobject_cast<QMenu*>(backup->parent());
    ASSERT_NE(dataMenu, nullptr);
    emit dataMenu->aboutToShow();
    EXPECT_TRUE(backup->isChecked());
}

TEST_F(HistoryFixture, WithTheSwitchOffAWriteReadsNothingBeforeIt) {
    ASSERT_TRUE(SetBackupBeforeWriteEnabled(App().settings, false));
    StartSim({});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P", 2));
    guitest::BoxWatcher watcher;
    RunWriteDialog(App(), nullptr, WriteHooks(file));
    const std::vector<kdm::HistoryEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, kdm::HistoryKind::kWrite);
    EXPECT_TRUE(SimWasWritten());
    // The write alone opened the port: no read came before it.
    EXPECT_EQ(PortOpenings(), 1);
}

TEST_F(HistoryFixture, AHistoryThatCannotBeWrittenNeverFailsTheRead) {
    // XDG_DATA_HOME names a file: no history folder can be made below it.
    const std::string blocker = work_.File("not-a-directory");
    kdmtest::Spit(blocker, "x");
    guitest::ScopedEnv blocked("XDG_DATA_HOME", QString::fromStdString(blocker));
    StartSim({});
    const std::string saved = work_.File("device.KDM");
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString& path) {
        path = QString::fromStdString(saved);
        return true;
    };
    QString why;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) why = box->informativeText();
        guitest::Reject(window);
    });
    RunReadDialog(App(), nullptr, hooks);

    // The box says so, and the read went on to its table window as always.
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("KdmHistoryFailureBox"));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(watcher.seen[1].className, QStringLiteral("CKDM_XPDlg"));
    EXPECT_GT(kdmtest::Slurp(saved).size(), 100u);
}

TEST_F(HistoryFixture, SynchroniseShowsItsStagesAndBringsInAnotherLaptopsEntries) {
    kdmtest::TempDir shared;
    const std::string remote = shared.File("history.git");
    ASSERT_EQ(RunGit("init --bare --quiet -b main " + remote), 0);
    // Another laptop records a write and shares it.
    kdmtest::TempDir otherHome;
    kdm::GitHistory other(otherHome.File("history"), kdm::HistoryIdentity{"laptop-b", "tech-b"});
    ASSERT_TRUE(other.SetRemote(remote).ok);
    kdm::HistoryEntry recorded;
    ASSERT_TRUE(RecordInHistory(other, kdm::HistoryKind::kWrite, DataFile("I1P", 3), "COM5", "/home/b/x.KDM",
                                recorded)
                    .ok);
    kdm::SyncReport report;
    ASSERT_TRUE(other.Sync(report, {}).ok);

    ASSERT_TRUE(App().history.SetRemote(remote).ok);
    HistoryWindow window(App(), App().history, nullptr);
    EXPECT_EQ(window.Table()->rowCount(), 0);
    EXPECT_EQ(window.RemoteText(), QStringLiteral("Shared through: ") + QString::fromStdString(remote));

    QStringList stages;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (stages.isEmpty() || stages.back() != window.StatusText()) stages << window.StatusText();
    });
    poll.start();
    bool done = false;
    QObject::connect(&window, &HistoryWindow::synchronised, [&] { done = true; });
    window.OnSynchronise();
    EXPECT_TRUE(window.Synchronising());
    EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("historyClose"))->isEnabled());
    window.reject();  // ignored until the sync is over
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    poll.stop();
    ASSERT_TRUE(done);
    EXPECT_FALSE(window.Synchronising());
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("Synchronised with")))
        << window.StatusText().toStdString();
    EXPECT_TRUE(window.StatusText().contains(QStringLiteral("1 entry received")))
        << window.StatusText().toStdString();
    EXPECT_TRUE(stages.contains(QStringLiteral("Asking the remote what it holds...")));

    ASSERT_EQ(window.Table()->rowCount(), 1);
    EXPECT_EQ(window.Table()->item(0, HistoryWindow::kHost)->text(), QStringLiteral("laptop-b"));
    EXPECT_EQ(window.Table()->item(0, HistoryWindow::kUser)->text(), QStringLiteral("tech-b"));
    EXPECT_EQ(window.Table()->item(0, HistoryWindow::kKind)->text(), QStringLiteral("write"));
    EXPECT_EQ(window.Table()->item(0, HistoryWindow::kPort)->text(), QStringLiteral("COM5"));
    EXPECT_EQ(window.Entries()[0].id, recorded.id);
}

TEST_F(HistoryFixture, TheReadWindowNamesTheMachineAndOffersTheNameAgainOnlyAsAProposal) {
    StartSim({});
    // Each read: what the field shows when the read ends, then what the test does with it.
    struct Step {
        QString typed;          // typed into the field
        bool takeProposal;      // the user takes the offered name
        QString proposalShown;  // the offer the field shows
        std::string recorded;   // the entry's machine
    };
    const Step steps[] = {
        {QStringLiteral("Press 7"), false, QString(), "Press 7"},
        {QString(), false, QStringLiteral("Press 7"), ""},  // never applied by itself
        {QString(), true, QStringLiteral("Press 7"), "Press 7"},
    };
    int read = 0;
    for (const Step& step : steps) {
        QString shownBefore;
        bool fieldShown = false;
        TransferDialogHooks hooks;
        hooks.chooseSavePath = [&](QWidget* window, QString& path) {
            auto* field = window->findChild<MachineNameField*>();
            if (field == nullptr) return false;
            fieldShown = field->isVisible();
            shownBefore = field->Proposal();
            if (!step.typed.isEmpty()) field->SetName(step.typed);
            if (step.takeProposal) field->TakeProposal();
            path = QString::fromStdString(work_.File("read" + std::to_string(++read) + ".KDM"));
            return true;
        };
        {
            guitest::BoxWatcher watcher;
            RunReadDialog(App(), nullptr, hooks);
        }
        EXPECT_TRUE(fieldShown) << read;
        EXPECT_EQ(shownBefore, step.proposalShown) << read;
        const std::vector<kdm::HistoryEntry> entries = Entries();
        ASSERT_EQ(entries.size(), static_cast<std::size_t>(read));
        EXPECT_EQ(entries[0].name, step.recorded) << read;
    }
    EXPECT_EQ(App().State().MachineNameOnPort(QStringLiteral("COM3")), QStringLiteral("Press 7"));
}

TEST_F(HistoryFixture, TheWriteWindowOffersTheNameLastUsedOnThePortAndUsesItOnlyWhenTaken) {
    ASSERT_TRUE(SetBackupBeforeWriteEnabled(App().settings, false));
    App().State().SetMachineNameOnPort(QStringLiteral("COM3"), QStringLiteral("Press 7"));
    StartSim({});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P", 2));
    const struct {
        bool take;
        std::string recorded;
    } cases[] = {{false, ""}, {true, "Press 7"}};
    std::size_t writes = 0;
    for (const auto& c : cases) {
        QString offered;
        // The write's last box: the device was found long before, and its entry is not kept yet.
        guitest::BoxWatcher watcher([&](QWidget* box) {
            if (auto* write = qobject_cast<CDownload*>(box->parentWidget()); write && write->MachineName()) {
                offered = write->MachineName()->Proposal();
                if (c.take) write->MachineName()->TakeProposal();
            }
            guitest::Reject(box);
        });
        RunWriteDialog(App(), nullptr, WriteHooks(file));
        EXPECT_EQ(offered, QStringLiteral("Press 7")) << c.take;
        const std::vector<kdm::HistoryEntry> entries = Entries();
        ASSERT_EQ(entries.size(), ++writes);
        EXPECT_EQ(entries[0].name, c.recorded) << c.take;
    }
}

TEST_F(HistoryFixture, TheWindowShowsFiltersAndRenamesMachinesAndTellsEachParametersStory) {
    kdm::HistoryEntry first, second, other, unnamed;
    const auto record = [this](const std::string& contents, const std::string& machine,
                               kdm::HistoryEntry& entry) {
        ASSERT_TRUE(RecordInHistory(App().history, kdm::HistoryKind::kRead, contents, "COM3", "", entry,
                                    nullptr, kdm::VerifyOutcome::kNotAsked, machine)
                        .ok);
    };
    record(DataFile("I1P", 1), "Press 7", first);
    record(DataFile("I1P", 2), "Press 7", second);  // parameter A changed
    record(DataFile("I1P", 3), "Press 8", other);
    record(DataFile("I1P", 4), "", unnamed);
    HistoryWindow window(App(), App().history, nullptr);
    QTableWidget* table = window.Table();
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_TRUE(table->horizontalHeaderItem(HistoryWindow::kTime)->text().contains(QStringLiteral("UTC")));
    const auto rowOf = [&window](const std::string& id) {
        for (int row = 0; row < static_cast<int>(window.Entries().size()); ++row)
            if (window.Entries()[static_cast<std::size_t>(row)].id == id) return row;
        return -1;
    };
    EXPECT_EQ(table->item(rowOf(second.id), HistoryWindow::kMachine)->text(), QStringLiteral("Press 7"));
    EXPECT_EQ(table->item(rowOf(unnamed.id), HistoryWindow::kMachine)->text(), QString());

    const struct {
        QString filter;
        int shown;
    } filters[] = {{QStringLiteral("press 7"), 2},
                   {QStringLiteral("Press"), 3},
                   {QStringLiteral("t2-"), 4},
                   {QString(), 4}};
    for (const auto& f : filters) {
        window.SetFilter(f.filter);
        int shown = 0;
        for (int row = 0; row < table->rowCount(); ++row)
            if (window.RowShown(row)) ++shown;
        EXPECT_EQ(shown, f.shown) << f.filter.toStdString();
    }

    // The story of Press 7: its newest entry, A marked as changed by it, every cell saying since when.
    table->selectRow(rowOf(first.id));
    int marked = 0, told = 0;
    QString title;
    window.onTableWindow = [&](CKDM_XPDlg& tableWindow) {
        title = tableWindow.windowTitle();
        for (CTable* t : {tableWindow.SystemTable(), tableWindow.ProgramTable()}) {
            for (int row = 0; row < t->Rows(); ++row) {
                for (int col = 0; col < t->Cols(); ++col) {
                    const QModelIndex cell = t->Cell(row, col);
                    if (t->Cells()->data(cell, Qt::ToolTipRole).toString().contains(QStringLiteral("since ")))
                        ++told;
                    if (t->Cells()->data(cell, Qt::BackgroundRole).value<QBrush>() ==
                        CompareView::MarkBrush())
                        ++marked;
                }
            }
        }
        QTimer::singleShot(0, &tableWindow, &CKDM_XPDlg::reject);
    };
    const QStringList recentBefore = App().State().RecentFiles();
    ASSERT_TRUE(window.OnParameterStory());
    EXPECT_EQ(marked, 1);
    EXPECT_GE(told, 6);  // A, B, and P and a of both programs
    EXPECT_TRUE(title.contains(QStringLiteral("Press 7"))) << title.toStdString();
    EXPECT_FALSE(title.contains(QStringLiteral(".KDM"))) << title.toStdString();
    // Opening an entry shows the machine and the time in the title, and keeps the copy out of Recent files.
    ASSERT_TRUE(window.OnOpen());
    EXPECT_TRUE(title.contains(HistoryWindow::TimeText(first.time))) << title.toStdString();
    EXPECT_FALSE(title.contains(QStringLiteral(".KDM"))) << title.toStdString();
    EXPECT_EQ(App().State().RecentFiles(), recentBefore);

    // Renaming the machine of one entry renames the machine; --only takes one entry out.
    window.askName = [](QString& name, bool& wholeMachine) {
        name = QStringLiteral("M\u00fcller / Press 7");
        wholeMachine = true;
        return true;
    };
    table->selectRow(rowOf(first.id));
    ASSERT_TRUE(window.OnNameMachine());
    EXPECT_EQ(table->item(rowOf(second.id), HistoryWindow::kMachine)->text(),
              QStringLiteral("M\u00fcller / Press 7"));
    EXPECT_EQ(window.Entries()[static_cast<std::size_t>(rowOf(first.id))].name, "M\xc3\xbcller / Press 7");
    table->selectRow(rowOf(unnamed.id));
    ASSERT_TRUE(window.NameSelected(QStringLiteral("Press 9"), false));
    EXPECT_EQ(table->item(rowOf(unnamed.id), HistoryWindow::kMachine)->text(), QStringLiteral("Press 9"));
    EXPECT_EQ(table->item(rowOf(other.id), HistoryWindow::kMachine)->text(), QStringLiteral("Press 8"));
    EXPECT_FALSE(window.NameSelected(QStringLiteral(" "), true));
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("Not named: ")))
        << window.StatusText().toStdString();
}

TEST_F(HistoryFixture, SynchroniseWaitsForARemoteAndOneOutOfReachSaysSoAndLosesNothing) {
    kdm::HistoryEntry entry;
    ASSERT_TRUE(
        RecordInHistory(App().history, kdm::HistoryKind::kRead, DataFile("I1P", 4), "COM3", "", entry).ok);
    HistoryWindow window(App(), App().history, nullptr);
    auto* sync = window.findChild<QPushButton*>(QStringLiteral("historySync"));
    ASSERT_NE(sync, nullptr);
    // No remote: nothing to synchronise with, and the button says so by being off.
    EXPECT_FALSE(sync->isEnabled());
    window.OnSynchronise();
    EXPECT_FALSE(window.Synchronising());

    // A remote that is not there: the window sets it, and the sync fails with the reason.
    window.askRemote = [this](QString& url) {
        url = QString::fromStdString(work_.File("no-such-remote.git"));
        return true;
    };
    ASSERT_TRUE(window.OnSetRemote());
    EXPECT_TRUE(sync->isEnabled());
    EXPECT_TRUE(window.RemoteText().contains(QStringLiteral("no-such-remote.git")))
        << window.RemoteText().toStdString();
    bool done = false;
    QObject::connect(&window, &HistoryWindow::synchronised, [&] { done = true; });
    window.OnSynchronise();
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(done);
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("Not synchronised: ")))
        << window.StatusText().toStdString();
    ASSERT_EQ(window.Table()->rowCount(), 1);
    EXPECT_EQ(window.Entries()[0].id, entry.id);
}

}  // namespace
