// Progress a user can see: the time estimate and the read's bar as functions, and against the
// simulator the read window's bar and Cancel button (which stops a read exactly where Esc does) and the
// write window's bar at its end.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "gui_support.h"
#include "gui_transfer_support.h"
#include "platform/posix_serial_port.h"
#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/display_text.h"
#include "ui/download_dialog.h"
#include "ui/transfer_progress.h"
#include "ui/upload_dialog.h"

namespace {

TEST(TransferTimes, DurationsReadAsClockTimes) {
    const struct {
        qint64 ms;
        const char* text;
    } kCases[] = {{0, "0:00"},       {999, "0:00"},        {7000, "0:07"}, {61000, "1:01"},
                  {754000, "12:34"}, {3723000, "1:02:03"}, {-5, "0:00"}};
    for (const auto& c : kCases)
        EXPECT_EQ(FormatDuration(c.ms).toStdString(), c.text) << c.ms;
}

TEST(TransferTimes, RemainingTimeFollowsThePaceSinceTheFirstUnit) {
    TransferTimes times;
    times.Begin(0);
    // A long search first: it does not count towards the pace.
    times.Progress(10000, 0, 100);
    EXPECT_EQ(times.RemainingMs(10000), -1);
    times.Progress(30000, 10, 100);
    EXPECT_EQ(times.RemainingMs(30000), -1);  // one sample is no pace
    times.Progress(31000, 20, 100);
    // 10 units a second, 80 to go.
    EXPECT_EQ(times.RemainingMs(31000), 8000);
    EXPECT_EQ(times.RemainingMs(33000), 6000);  // the clock runs on between samples
    EXPECT_EQ(times.RemainingMs(50000), 0);
    EXPECT_EQ(times.ElapsedMs(31000), 31000);
    EXPECT_EQ(times.Text(31000).toStdString(), "Elapsed 0:31, about 0:08 left");

    times.Finish(40000);
    EXPECT_EQ(times.ElapsedMs(90000), 40000);
    EXPECT_EQ(times.RemainingMs(90000), 0);
    EXPECT_EQ(times.Text(90000).toStdString(), "Elapsed 0:40");
}

TEST(TransferTimes, NoEstimateWithoutAnEndOrWithTooLittleSeen) {
    const struct {
        const char* name;
        qint64 secondAt;
        qint64 secondDone;
        qint64 total;
    } kCases[] = {
        {"end unknown", 5000, 50, 0},
        {"too few units", 5000, 1 + TransferTimes::kMinimumUnits - 1, 100},
        {"too short a time", TransferTimes::kMinimumMs - 1, 50, 100},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TransferTimes times;
        times.Begin(0);
        times.Progress(0, 1, c.total);
        times.Progress(c.secondAt, c.secondDone, c.total);
        EXPECT_EQ(times.RemainingMs(c.secondAt), -1);
        EXPECT_FALSE(times.Text(c.secondAt).contains(QStringLiteral("left")));
    }
}

TEST(ReadBar, BusyUntilTheSizeIsKnownThenProportionalThenFull) {
    TransferCounts counts;
    const UiState::ReadSize last{12, 200};
    struct Case {
        const char* name;
        int stored;
        bool identified;
        bool complete;
        bool known;
        int maximum;
        int value;
    };
    const Case kCases[] = {
        {"searching", 0, false, false, true, 0, 0},
        {"device never read", 30, true, false, false, 0, 0},
        {"device read before", 50, true, false, true, 200, 50},
        {"more than last time", 200, true, false, true, 0, 0},
        {"program block ended", 150, true, true, true, 1, 1},
        {"ended, never read before", 150, true, true, false, 1, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        counts.stored = c.stored;
        counts.identification = c.identified ? QStringLiteral(
                                                   "\x02"
                                                   "0g+I1P000--630")
                                             : QString();
        const ReadBar bar = ReadBarFor(counts, c.complete, c.known, last);
        EXPECT_EQ(bar.maximum, c.maximum);
        EXPECT_EQ(bar.value, c.value);
    }
}

// The identification of the simulator's type 2 device, as the temporary file holds it.
QString SimIdentification() {
    const std::string record = guitest::IdentificationRecord("I1P");
    return QString::fromLatin1(record.substr(0, record.find('\r')).c_str());
}

class ProgressFixture : public ::testing::Test {
  protected:
    void StartSim(const std::vector<std::string>& args) {
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

    kdmtest::TempDir ports_;
    kdmtest::TempDir settings_;
    kdmtest::TempDir work_;
    guitest::ScopedEnv portEnv_{"KDMXP_PORT_DIR", QString::fromStdString(ports_.Path())};
    guitest::ScopedEnv settingsEnv_{"KDMXP_SETTINGS_DIR", QString::fromStdString(settings_.Path())};
    kdmtest::SimProcess sim_;
    std::unique_ptr<CKDM_XPApp> app_;
};

// A complete read of a device never read before: the bar is busy throughout, full at the end, and
// the read's size is remembered for the next read of this device.
TEST_F(ProgressFixture, AFirstReadEndsFullAndTeachesTheNextReadItsSize) {
    StartSim({"--no-pacing", "--type", "2", "--programs", "3"});
    guitest::BoxWatcher watcher;
    CUpload dialog(App(), nullptr);
    int maximumDuringRead = -1;
    dialog.Worker().SetSaveChooser([&](QWidget*, QString& path) {
        path = QString::fromStdString(work_.File("first.KDM"));
        return true;
    });
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (dialog.StatusText() == QStringLiteral("Receiving program parameters"))
            maximumDuringRead = std::max(maximumDuringRead, dialog.ProgressMaximum());
    });
    poll.start();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    poll.stop();
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(maximumDuringRead, 0);  // busy: nothing told how much was to come
    EXPECT_GT(dialog.ProgressMaximum(), 0);
    EXPECT_EQ(dialog.ProgressValue(), dialog.ProgressMaximum());
    EXPECT_TRUE(dialog.TimeText().startsWith(QStringLiteral("Elapsed "))) << dialog.TimeText().toStdString();

    UiState::ReadSize size;
    ASSERT_TRUE(App().uiState.LastReadSize(SimIdentification(), size));
    EXPECT_EQ(size.programs, 3);
    // Every telegram record of the saved file but the identification.
    const std::string saved = kdmtest::Slurp(work_.File("first.KDM"));
    int records = 0;
    for (std::size_t at = saved.find("\r\n\r"); at != std::string::npos; at = saved.find("\r\n\r", at + 3))
        ++records;
    EXPECT_EQ(size.telegrams, records - 1);
}

// Esc and the Cancel button are one command: pressed while the device has fallen silent in the middle
// of its programs (so the point is the same in both runs), each ends the read at once, without a
// question, with the port free and the same records in "KDM.tmp". Up to then the bar showed how much
// of the remembered size had come, and the time to go.
struct StopCase {
    const char* name;
    bool escape;
};

class ReadStop : public ProgressFixture, public ::testing::WithParamInterface<StopCase> {};

// Telegram 40 of the simulator's type 2 device with three programs lies in its second program;
// records stored by then: all telegrams but the identification, the status reply and the 'g' that
// ends the system block.
constexpr int kSilentAfter = 40;
constexpr int kStoredWhenSilent = kSilentAfter - 3;
constexpr int kRememberedTelegrams = 80;

TEST_P(ReadStop, EscAndCancelStopAReadAtTheSamePoint) {
    const std::string log = work_.File("sim.log");
    StartSim({"--no-pacing", "--type", "2", "--programs", "3", "--silent-after", std::to_string(kSilentAfter),
              "--log", log});
    App().uiState.SetLastReadSize(SimIdentification(), UiState::ReadSize{3, kRememberedTelegrams});
    guitest::BoxWatcher watcher;
    CUpload dialog(App(), nullptr);
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("id2"));
    ASSERT_NE(cancel, nullptr);
    bool pressed = false;
    int maximumWhenPressed = -1;
    int valueWhenPressed = -1;
    QString timeWhenPressed;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pressed) return;
        // The device has sent its last telegram, and the window shows it as stored: the read now waits
        // on a silent line (for a minute before it would give up).
        if (!kdmtest::WaitForText(log, "tx#" + std::to_string(kSilentAfter) + " ", 1, 0)) return;
        if (dialog.ProgressValue() != kStoredWhenSilent) return;
        pressed = true;
        maximumWhenPressed = dialog.ProgressMaximum();
        valueWhenPressed = dialog.ProgressValue();
        timeWhenPressed = dialog.TimeText();
        EXPECT_TRUE(cancel->isVisible());
        EXPECT_EQ(dialog.StatusText(), QStringLiteral("Receiving program parameters"));
        if (GetParam().escape) {
            guitest::PressKey(&dialog, Qt::Key_Escape);
        } else {
            cancel->click();
        }
    });
    poll.start();
    const int result = dialog.exec();
    poll.stop();

    ASSERT_TRUE(pressed) << kdmtest::ReadWhole(log);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(watcher.seen.empty()) << "a box came up: " << watcher.seen.front().text.toStdString();
    EXPECT_FALSE(dialog.Worker().Running());
    EXPECT_FALSE(App().link.IsPortOpen());
    EXPECT_TRUE(dialog.SavedPath().empty());
    kdm::PortMap map(nullptr);
    EXPECT_TRUE(kdm::PosixSerialPort::CanOpenPort(map, "COM3", nullptr));
    // The bar was proportional to the remembered size, with an estimate of the time to go.
    EXPECT_EQ(maximumWhenPressed, kRememberedTelegrams);
    EXPECT_EQ(valueWhenPressed, kStoredWhenSilent);
    EXPECT_TRUE(timeWhenPressed.contains(QStringLiteral("left"))) << timeWhenPressed.toStdString();
    // What had arrived is in "KDM.tmp": the identification and every stored record, nothing more.
    const std::string temp = kdmtest::Slurp(App().tempFilePath);
    int records = 0;
    for (std::size_t at = temp.find("\r\n\r"); at != std::string::npos; at = temp.find("\r\n\r", at + 3))
        ++records;
    EXPECT_EQ(records, 1 + kStoredWhenSilent);
    // A stopped read teaches nothing about the device's size.
    UiState::ReadSize size;
    ASSERT_TRUE(App().uiState.LastReadSize(SimIdentification(), size));
    EXPECT_EQ(size.telegrams, kRememberedTelegrams);
}

INSTANTIATE_TEST_SUITE_P(Keys, ReadStop,
                         ::testing::Values(StopCase{"Escape", true}, StopCase{"CancelButton", false}),
                         [](const ::testing::TestParamInfo<StopCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ProgressFixture, ACompleteWriteEndsWithTheBarFullWhileItsBoxIsUp) {
    StartSim({"--no-pacing", "--code", "I1P", "--programs", "2"});
    const std::string file = work_.File("file.KDM");
    {
        kdmtest::DumpBuilder dump("I1P");
        dump.Add('A', kdmtest::Value(1)).Add('B', kdmtest::Value(2));
        for (int p = 1; p <= 3; ++p)
            dump.Program(p).Add('a', kdmtest::Value(300 + p)).Add('b', kdmtest::Value(400 + p));
        std::ofstream(file, std::ios::binary) << dump.Text();
    }
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
    int valueAtBox = -1;
    int maximumAtBox = -1;
    QString timeAtBox;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        valueAtBox = dialog.ProgressValue();
        maximumAtBox = dialog.ProgressMaximum();
        timeAtBox = dialog.TimeText();
        guitest::Reject(window);
    });
    guitest::ChooseWhenAsked(dialog.Worker(), file);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, QStringLiteral("communication terminated"));
    EXPECT_GT(maximumAtBox, 0);
    EXPECT_EQ(valueAtBox, maximumAtBox);
    EXPECT_TRUE(timeAtBox.startsWith(QStringLiteral("Elapsed "))) << timeAtBox.toStdString();
    EXPECT_FALSE(timeAtBox.contains(QStringLiteral("left")));
}

}  // namespace
