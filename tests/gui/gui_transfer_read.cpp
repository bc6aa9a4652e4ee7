// The read window against the simulator: from the search to the saved data file and the table window,
// the status line at the end, the question after a cancelled save, and Esc during a search.
#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gui_support.h"
#include "gui_transfer_support.h"
#include "link/telegram.h"
#include "platform/posix_serial_port.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/upload_dialog.h"

namespace {

bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

// Records of a data file (each ends with CR LF CR).
std::vector<std::string> Records(const std::string& text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n\r"); end != std::string::npos; end = text.find("\r\n\r", start)) {
        records.push_back(text.substr(start, end - start));
        start = end + 3;
    }
    return records;
}

// A simulator on a port of its own, the application pointed at it, everything in temporary places.
class ReadFixture : public ::testing::Test {
  protected:
    void StartSim(const std::vector<std::string>& args, int com = 3) {
        std::string error;
        ASSERT_TRUE(sim_.Start(ports_.Path(), com, args, &error)) << error;
    }
    // The application is made after the environment points at the temporary places.
    CKDM_XPApp& App() {
        if (!app_) {
            app_ = std::make_unique<CKDM_XPApp>();
            app_->tempFilePath = work_.File("KDM.tmp");
        }
        return *app_;
    }

    kdmtest::TempDir ports_;
    kdmtest::TempDir settings_;
    kdmtest::TempDir work_;
    guitest::ScopedEnv portEnv_{"KDMXP_PORT_DIR", QString::fromStdString(ports_.Path())};
    guitest::ScopedEnv settingsEnv_{"KDMXP_SETTINGS_DIR", QString::fromStdString(settings_.Path())};
    kdmtest::SimProcess sim_;
    std::unique_ptr<CKDM_XPApp> app_;
};

TEST_F(ReadFixture, ReadSavesTheFileAndThenShowsItInATableWindow) {
    StartSim({"--no-pacing", "--type", "2", "--programs", "5"});
    const std::string saved = work_.File("device.KDM");
    TransferDialogHooks hooks;
    int saveAsked = 0;
    hooks.chooseSavePath = [&](QWidget* parent, QString& path) {
        ++saveAsked;
        EXPECT_NE(parent, nullptr);
        path = QString::fromStdString(saved);
        return true;
    };
    std::string tableFile;
    bool readWindowStillShown = false;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* table = qobject_cast<CKDM_XPDlg*>(window)) {
            tableFile = table->FileName();
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (qobject_cast<CUpload*>(w) && w->isVisible()) readWindowStillShown = true;
            }
        }
        guitest::Reject(window);
    });

    RunReadDialog(App(), nullptr, hooks);

    ASSERT_EQ(watcher.seen.size(), 1u) << "unexpected window: " << watcher.seen.back().title.toStdString()
                                       << " / " << watcher.seen.back().text.toStdString();
    EXPECT_EQ(watcher.seen[0].className, "CKDM_XPDlg");
    EXPECT_EQ(watcher.seen[0].title.toStdString(), "KDM XP  V 1.6 " + saved);
    EXPECT_EQ(tableFile, saved);
    EXPECT_FALSE(readWindowStillShown);
    EXPECT_EQ(saveAsked, 1);
    EXPECT_FALSE(App().link.IsPortOpen());

    // The data file is the temporary file, byte for byte: identification, system block, programs.
    const std::string text = kdmtest::Slurp(saved);
    EXPECT_EQ(text, kdmtest::Slurp(App().tempFilePath));
    const std::vector<std::string> records = Records(text);
    ASSERT_GT(records.size(), 6u);
    EXPECT_EQ(records[0].size(), 15u);
    EXPECT_EQ(records[0][0], kdm::STX);
    EXPECT_EQ(records[0][2], 'g');
    int programRecords = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i].substr(0, 1), std::string(1, kdm::STX));
        EXPECT_EQ(records[i].find('g'), std::string::npos) << "a 'g' telegram was stored";
        EXPECT_EQ(records[i].find("!!!"), std::string::npos);
        if (records[i][2] == 'P') ++programRecords;
    }
    EXPECT_EQ(programRecords, 5);
}

// The read window alone: what its controls show at the end.
struct EndCase {
    const char* name;
    std::vector<std::string> simArgs;
    const char* status;
    int mismatches;
};

class ReadEnd : public ReadFixture, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ReadEnd, StatusLineNamesTheChecksumMismatchesOnlyWhenThereAreAny) {
    std::vector<std::string> args = {"--no-pacing", "--type", "2", "--programs", "3"};
    args.insert(args.end(), GetParam().simArgs.begin(), GetParam().simArgs.end());
    StartSim(args);
    const std::string saved = work_.File("end.KDM");
    guitest::BoxWatcher watcher;  // nothing may come up: a box would be rejected and counted
    CUpload dialog(App(), nullptr);
    dialog.Worker().SetSaveChooser([&](QWidget*, QString& path) {
        path = QString::fromStdString(saved);
        return true;
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(dialog.SavedPath(), saved);
    EXPECT_EQ(dialog.StatusText().toStdString(), GetParam().status);
    EXPECT_EQ(dialog.ChecksumMismatches(), GetParam().mismatches);
    // Program number: the five characters at positions 5 to 9 of the last program telegram.
    const std::vector<std::string> records = Records(kdmtest::Slurp(saved));
    std::string lastProgram;
    for (const std::string& record : records)
        if (record.size() > 2 && record[2] == 'P') lastProgram = record;
    ASSERT_FALSE(lastProgram.empty());
    EXPECT_EQ(dialog.ControlText(kdm::kCtlProgramNo).toStdString(), lastProgram.substr(5, 5));
    // The telegram field shows STX and ETX by name, never as raw control bytes.
    const QString raw = dialog.ControlText(kdm::kCtlReadingParameter);
    EXPECT_TRUE(raw.startsWith(QStringLiteral("<STX>"))) << raw.toStdString();
    EXPECT_TRUE(raw.endsWith(QStringLiteral("<ETX>"))) << raw.toStdString();
    for (QChar c : raw)
        EXPECT_GE(c.unicode(), 0x20) << raw.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Reads, ReadEnd,
    ::testing::Values(EndCase{"Clean", {}, "communication terminated", 0},
                      // Telegram 1 is the identification; 3 and 5 lie in the system block.
                      EndCase{"OneMismatch",
                              {"--bad-checksum", "3"},
                              "communication terminated (1 telegram with checksum mismatch)",
                              1},
                      EndCase{"TwoMismatches",
                              {"--bad-checksum", "3", "--bad-checksum", "5"},
                              "communication terminated (2 telegrams with checksum mismatch)",
                              2}),
    [](const ::testing::TestParamInfo<EndCase>& param) { return std::string(param.param.name); });

TEST_F(ReadFixture, CancelledSaveAsksOnceAndNoThenCancelEndsWithoutTableWindow) {
    StartSim({"--no-pacing", "--type", "2", "--programs", "1"});
    int saveAsked = 0;
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString&) {
        ++saveAsked;
        return false;
    };
    QMessageBox::Icon icon = QMessageBox::Critical;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            icon = box->icon();
            box->button(QMessageBox::No)->click();
            return;
        }
        guitest::Reject(window);
    });

    RunReadDialog(App(), nullptr, hooks);

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].title.toStdString(), "KDM XP  V 1.6 ");
    EXPECT_EQ(watcher.seen[0].text.toStdString(), "Actual data not stored! \nDo you realy want to break?");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(saveAsked, 2);
    // Everything received is still in the temporary file.
    EXPECT_GE(Records(kdmtest::Slurp(App().tempFilePath)).size(), 2u);
    EXPECT_FALSE(App().link.IsPortOpen());
}

TEST_F(ReadFixture, EscDuringTheSearchOfASilentPortStopsItAndFreesThePort) {
    // A device that never says anything on COM1, and a working one on COM2 that the search would find
    // next if it went on.
    kdmtest::SimProcess silent;
    const std::string silentLog = work_.File("silent.log");
    std::string error;
    ASSERT_TRUE(
        silent.Start(ports_.Path(), 1, {"--no-pacing", "--silent-after", "0", "--log", silentLog}, &error))
        << error;
    StartSim({"--no-pacing", "--type", "2", "--programs", "1"}, 2);

    guitest::BoxWatcher watcher;
    CUpload dialog(App(), nullptr);
    bool pressed = false;
    std::chrono::steady_clock::time_point pressedAt;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pressed || !dialog.Worker().Running()) return;
        // Press once the search waits on COM1: the window names the port and the device saw it opened.
        // The search would wait there for ten seconds.
        if (dialog.ControlText(kdm::kCtlReadingParameter) != QStringLiteral("COM1")) return;
        if (!kdmtest::WaitForText(silentLog, "port opened", 1, 0)) return;
        EXPECT_EQ(dialog.StatusText().toStdString(), "Searching for COM ...");
        pressed = true;
        pressedAt = std::chrono::steady_clock::now();
        guitest::PressKey(&dialog, Qt::Key_Escape);
    });
    poll.start();
    const int result = dialog.exec();
    const auto stopMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressedAt)
            .count();
    poll.stop();

    ASSERT_TRUE(pressed);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(watcher.seen.empty()) << "a box came up: " << watcher.seen.front().text.toStdString();
    EXPECT_FALSE(dialog.Worker().Running());
    EXPECT_FALSE(App().link.IsPortOpen());
    // The search did not go on to COM2's device, and nothing was written.
    EXPECT_FALSE(FileExists(App().tempFilePath));
    EXPECT_TRUE(dialog.SavedPath().empty());
    // Nobody holds COM1 any more: it can be opened exclusively again.
    kdm::PortMap map(nullptr);
    EXPECT_TRUE(kdm::PosixSerialPort::CanOpenPort(map, "COM1", nullptr));
    std::printf("[ info ] Esc to closed read window: %lld ms\n", static_cast<long long>(stopMs));
}

TEST_F(ReadFixture, NoPortAtAllGivesTheNoComIoBoxAndLeavesTheTemporaryFileAlone) {
    // The port directory is empty: not one port can be opened.
    {
        std::ofstream old(work_.File("KDM.tmp"), std::ios::binary);
        old << "left over";
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString details;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            icon = box->icon();
            details = box->informativeText();
        }
        guitest::Reject(window);
    });
    CUpload dialog(App(), nullptr);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].title.toStdString(), "KDM XP Error");
    EXPECT_EQ(watcher.seen[0].text.toStdString(), "No COM-IO found");
    // Below the message: one line for each of the nine ports tried, in the order tried.
    const QStringList lines = details.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9) << details.toStdString();
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("COM1"))) << details.toStdString();
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("COM9"))) << details.toStdString();
    EXPECT_EQ(watcher.seen[0].parent, &dialog);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(kdmtest::Slurp(App().tempFilePath), "left over");
}

}  // namespace
