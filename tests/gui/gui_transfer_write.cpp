// The write window against the simulator: its boxes for each way a write ends, the window that stays
// open (with the port) after a refused start, and the controls during the transfer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <string>
#include <vector>

#include "gui_support.h"
#include "gui_transfer_support.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/download_dialog.h"
#include "ui/language.h"
#include "ui/transfer_dialogs.h"

namespace {

using guitest::IdentificationRecord;
using guitest::TelegramRecord;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A data file of the given device code with a small system block and two programs.
std::string DataFile(const std::string& code) {
    std::string text = IdentificationRecord(code);
    text += TelegramRecord('A', "+001000--");
    text += TelegramRecord('B', "-000120--");
    for (int p = 1; p <= 2; ++p) {
        text += TelegramRecord('P', "+00000" + std::to_string(p) + "--");
        text += TelegramRecord('a', "+000" + std::to_string(300 + p) + "--");
    }
    return text;
}

class WriteFixture : public ::testing::Test {
  protected:
    void StartSim(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--no-pacing", "--code", "I1P", "--programs", "2"};
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
    TransferDialogHooks Choose(const std::string& path) {
        TransferDialogHooks hooks;
        hooks.confirmWrite = guitest::AnswerYes;
        hooks.chooseFileToWrite = [path](QWidget*, QString& chosen) {
            chosen = QString::fromStdString(path);
            return true;
        };
        return hooks;
    }

    kdmtest::TempDir ports_;
    kdmtest::TempDir settings_;
    kdmtest::TempDir work_;
    guitest::ScopedEnv portEnv_{"KDMXP_PORT_DIR", QString::fromStdString(ports_.Path())};
    guitest::ScopedEnv settingsEnv_{"KDMXP_SETTINGS_DIR", QString::fromStdString(settings_.Path())};
    kdmtest::SimProcess sim_;
    std::unique_ptr<CKDM_XPApp> app_;
};

struct BoxCase {
    const char* name;
    std::vector<std::string> simArgs;
    const char* fileCode;
    const char* title;
    const char* text;
    QMessageBox::Icon icon;
    QDialog::DialogCode result;
    const char* informative = nullptr;  // checked when given
    // 10 for an end that waits out the device's time-outs: the application's clock runs ten times faster.
    int clockSpeedUp = 1;
};

class WriteBoxes : public WriteFixture, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(WriteBoxes, EachEndOfAWriteShowsItsBoxAndClosesTheWindowAndThePort) {
    const BoxCase& c = GetParam();
    const kdmtest::FastProgramClock fast(c.clockSpeedUp);
    StartSim(c.simArgs);
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile(c.fileCode));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString informative;
    QString statusWhenBoxCame;
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            icon = box->icon();
            informative = box->informativeText();
        }
        statusWhenBoxCame = dialog.StatusText();
        guitest::Reject(window);
    });
    dialog.Worker().SetOpenChooser([&](QWidget* parent, QString& chosen) {
        EXPECT_EQ(parent, &dialog);
        chosen = QString::fromStdString(file);
        return true;
    });

    EXPECT_EQ(dialog.exec(), c.result);

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].title.toStdString(), c.title);
    EXPECT_EQ(watcher.seen[0].text.toStdString(), c.text);
    EXPECT_EQ(watcher.seen[0].parent, &dialog);
    EXPECT_EQ(icon, c.icon);
    if (c.informative != nullptr) {
        EXPECT_EQ(informative.toStdString(), c.informative);
    }
    EXPECT_FALSE(App().link.IsPortOpen());
    if (std::string(c.name) == "WrongDeviceType") {
        EXPECT_EQ(statusWhenBoxCame.toStdString(), "Checking file and device type");
        EXPECT_EQ(dialog.Worker().ChecksumMismatches(), 0);
    }
}

// The simulator numbers the frames it receives: 1 and 2 are the two status requests, 3 on the records.
INSTANTIATE_TEST_SUITE_P(Ends, WriteBoxes,
                         ::testing::Values(BoxCase{"WrongDeviceType",
                                                   {},
                                                   "E2P",
                                                   "KDM XP Error",
                                                   "file type is not device typ",
                                                   QMessageBox::Warning,
                                                   QDialog::Rejected},
                                           // The box of a failed acknowledgement says, below the
                                           // device's error, how much of the file the device holds.
                                           BoxCase{"NoAcknowledgement",
                                                   {"--no-ack", "4"},
                                                   "I1P",
                                                   "KDM XP Error",
                                                   "Device error no:No device response",
                                                   QMessageBox::Warning,
                                                   QDialog::Rejected,
                                                   "The device now holds an incomplete parameter set (2 of 6 "
                                                   "frames): write the file again or restore a backup.",
                                                   10},
                                           BoxCase{"AcknowledgementError",
                                                   {"--ack-error", "12"},
                                                   "I1P",
                                                   "KDM XP Error",
                                                   "Device error no:  12",
                                                   QMessageBox::Warning,
                                                   QDialog::Rejected,
                                                   "The device now holds an incomplete parameter set (1 of 6 "
                                                   "frames): write the file again or restore a backup."},
                                           BoxCase{"StatusRefusedInTheSearch",
                                                   {"--status-error", "7"},
                                                   "I1P",
                                                   "KDM XP Error",
                                                   "RS232-cable defect",
                                                   QMessageBox::Warning,
                                                   QDialog::Rejected},
                                           BoxCase{"Complete",
                                                   {},
                                                   "I1P",
                                                   "KDM XP ",
                                                   "communication terminated",
                                                   QMessageBox::Information,
                                                   QDialog::Accepted}),
                         [](const ::testing::TestParamInfo<BoxCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(WriteFixture, CompleteWriteSendsEveryRecordAndShowsWhereItGot) {
    const std::string saved = work_.File("sim-saved.KDM");
    StartSim({"--save", saved});
    const std::string file = work_.File("file.KDM");
    const std::string text = DataFile("I1P");
    kdmtest::Spit(file, text);
    guitest::BoxWatcher watcher;  // the information box is answered with Esc (reject)
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
    guitest::ChooseWhenAsked(dialog.Worker(), file);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    // The last frame sent is the last record's: program 2's parameter, shown with STX and ETX by name.
    const std::string lastTelegram = guitest::Telegram14('a', "+000302--");
    EXPECT_EQ(dialog.StatusText().toStdString(), "<STX>" + lastTelegram + "<ETX>");
    EXPECT_EQ(dialog.ControlText(kdm::kCtlWriteProgramNo).toStdString(), "002");
    EXPECT_EQ(dialog.ProgressMaximum(), static_cast<int>(text.size()) + 200);
    // The bar stands at its end; data to transfer: length - 35 - the last frame's position, not below 0.
    const int lastFrameAt = static_cast<int>(text.rfind(kdm::STX));
    EXPECT_EQ(dialog.ProgressValue(), dialog.ProgressMaximum());
    EXPECT_EQ(dialog.ControlText(kdm::kCtlProgramNo).toInt(),
              std::max(0, static_cast<int>(text.size()) - 35 - lastFrameAt));
    // Every telegram record reached the device, the last one included.
    ASSERT_EQ(sim_.Stop(), 0);
    const std::string stored = [&] {
        std::ifstream in(saved, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    EXPECT_NE(stored.find(lastTelegram), std::string::npos) << "the last record was not written";
}

// A record stored with the mismatch mark goes into a device only when the user says Yes to the
// question, whose default is No; Esc answers No.
TEST_F(WriteFixture, MarkedRecordsAreWrittenOnlyAfterYes) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        const std::string saved = work_.File(yes ? "saved-yes.KDM" : "saved-no.KDM");
        StartSim({"--save", saved});
        const std::string file = work_.File("marked.KDM");
        std::string text = IdentificationRecord("I1P");
        text += TelegramRecord('A', "+001000--");
        text += TelegramRecord('B', "-000120--", true);
        text += TelegramRecord('P', "+000001--");
        text += TelegramRecord('a', "+000301--");
        ASSERT_NE(text.find(" !!!"), std::string::npos);
        kdmtest::Spit(file, text);
        int asked = 0;
        QMessageBox::StandardButton defaultAnswer = QMessageBox::NoButton;
        guitest::BoxWatcher watcher([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (box == nullptr || box->objectName() != QStringLiteral("KdmMarkedRecordsQuestion")) {
                guitest::Reject(window);
                return;
            }
            ++asked;
            defaultAnswer = box->standardButton(box->defaultButton());
            if (yes) {
                box->button(QMessageBox::Yes)->click();
            } else {
                guitest::PressKey(box, Qt::Key_Escape);
            }
        });
        CDownload dialog(App(), nullptr);
        dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
        guitest::ChooseWhenAsked(dialog.Worker(), file);
        dialog.exec();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(defaultAnswer, QMessageBox::No);
        EXPECT_FALSE(App().link.IsPortOpen());
        ASSERT_EQ(sim_.Stop(), 0);
        std::ifstream in(saved, std::ios::binary);
        const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string program = guitest::Telegram14('a', "+000301--");
        if (yes) {
            EXPECT_NE(stored.find(program), std::string::npos) << "Yes wrote nothing";
        } else {
            EXPECT_EQ(stored.find(program), std::string::npos) << "No still wrote the file";
        }
    }
}

// Esc while the write waits for an acknowledgement: the window says what the device now holds before it
// closes, and the device history keeps the write, marked incomplete.
TEST_F(WriteFixture, AWriteStoppedPartWaySaysWhatTheDeviceHoldsAndIsKeptInTheHistory) {
    kdmtest::TempDir dataHome;
    guitest::ScopedEnv home("XDG_DATA_HOME", QString::fromStdString(dataHome.Path()));
    StartSim({"--no-ack", "4"});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P"));
    QString informative;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) informative = box->informativeText();
        guitest::Reject(window);
    });
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
    dialog.Worker().SetRecordInHistory(true);
    guitest::ChooseWhenAsked(dialog.Worker(), file);
    bool pressed = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pressed ||
            !dialog.StatusText().startsWith(QStringLiteral("Waiting for the device to acknowledge")))
            return;
        pressed = true;
        guitest::PressKey(&dialog, Qt::Key_Escape);
    });
    poll.start();
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    poll.stop();

    ASSERT_TRUE(pressed);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName.toStdString(), "KdmIncompleteWriteBox");
    EXPECT_EQ(watcher.seen[0].text.toStdString(), "The write was stopped.");
    EXPECT_EQ(informative.toStdString(),
              "The device now holds an incomplete parameter set (2 of 6 frames): write the file again or "
              "restore a backup.");
    std::vector<kdm::HistoryEntry> entries;
    ASSERT_TRUE(App().history.List(entries).ok);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, kdm::HistoryKind::kWrite);
    EXPECT_EQ(entries[0].ending, kdm::WriteEnding::kStopped);
    EXPECT_EQ(entries[0].framesSent, 2);
    EXPECT_EQ(entries[0].framesInFile, 6);
}

TEST_F(WriteFixture, FileTooShortKeepsTheWindowAndThePortOpenUntilCancel) {
    StartSim({});
    const std::string file = work_.File("short.KDM");
    kdmtest::Spit(file, IdentificationRecord("I1P"));
    guitest::BoxWatcher watcher;
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
    guitest::ChooseWhenAsked(dialog.Worker(), file);
    bool portOpenWhileShown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.Worker().Started() || dialog.Worker().Running()) return;
        if (dialog.StatusText() != QStringLiteral("Parameterfile has an error")) return;
        poll.stop();
        portOpenWhileShown = App().link.IsPortOpen();
        dialog.findChild<QPushButton*>(QStringLiteral("id2"))->click();
    });
    poll.start();
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);

    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_TRUE(portOpenWhileShown);
    EXPECT_FALSE(App().link.IsPortOpen());
}

// What reached the simulator, from its traffic log (once it has stopped): the frames it received are
// numbered, the search's status request being the first.
struct Traffic {
    bool secondFrame = false;    // anything after the search's status request
    bool systemRequest = false;  // a read asked for the system block
};

Traffic TrafficIn(const std::string& log) {
    Traffic traffic;
    traffic.secondFrame = log.find("rx#2") != std::string::npos;
    traffic.systemRequest = log.find("0s+000000--584") != std::string::npos;
    return traffic;
}

// A file meant for another type of device is refused once the device named its type: with or without
// the backup before writing, nothing is read from the device and nothing is sent after the search, no
// question is asked, and the box says the types differ, not that a backup failed.
TEST_F(WriteFixture, AFileOfAnotherTypeSendsNothingAndReadsNothing) {
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "backup" : "no backup");
        const std::string log = work_.File(backup ? "sim-backup.log" : "sim.log");
        StartSim({"--log", log});
        const std::string file = work_.File("other-type.KDM");
        kdmtest::Spit(file, DataFile("E2P"));
        QString informative;
        guitest::BoxWatcher watcher([&](QWidget* window) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) informative = box->informativeText();
            guitest::Reject(window);
        });
        int asked = 0;
        CDownload dialog(App(), nullptr);
        dialog.Worker().SetBackupBeforeWrite(backup);
        dialog.Worker().SetWriteConfirmer([&asked](QWidget*, const QString&) {
            ++asked;
            return true;
        });
        guitest::ChooseWhenAsked(dialog.Worker(), file);
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);

        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text.toStdString(), "file type is not device typ");
        EXPECT_EQ(informative.toStdString(), "");
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(dialog.Worker().ChecksumMismatches(), 0);
        EXPECT_FALSE(App().link.IsPortOpen());
        ASSERT_EQ(sim_.Stop(), 0);
        const Traffic traffic = TrafficIn(ReadWhole(log));
        EXPECT_FALSE(traffic.secondFrame) << ReadWhole(log);
        EXPECT_FALSE(traffic.systemRequest);
    }
}

// Before anything goes into a device of the file's type the user is asked, with No as the default
// and Esc for an answer; with the backup on, the question comes before the backup read.
struct ConfirmCase {
    const char* name;
    bool backup;
    bool yes;
    bool written;        // the device took the file
    bool systemRequest;  // the device was read (the backup)
};

class WriteConfirm : public WriteFixture, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(WriteConfirm, NothingIsSentBeforeYes) {
    const ConfirmCase& c = GetParam();
    const std::string log = work_.File("sim.log");
    const std::string saved = work_.File("sim-saved.KDM");
    kdmtest::TempDir dataHome;
    guitest::ScopedEnv home("XDG_DATA_HOME", QString::fromStdString(dataHome.Path()));
    StartSim({"--log", log, "--save", saved});
    const std::string file = work_.File("file.KDM");
    kdmtest::Spit(file, DataFile("I1P"));
    int asked = 0;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::NoButton;
    QString question;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box == nullptr || box->objectName() != QStringLiteral("KdmConfirmWriteQuestion")) {
            guitest::Reject(window);
            return;
        }
        ++asked;
        question = box->text();
        defaultAnswer = box->standardButton(box->defaultButton());
        if (c.yes) {
            box->button(QMessageBox::Yes)->click();
        } else {
            guitest::PressKey(box, Qt::Key_Escape);
        }
    });
    CDownload dialog(App(), nullptr);
    dialog.Worker().SetBackupBeforeWrite(c.backup);
    guitest::ChooseWhenAsked(dialog.Worker(), file);
    EXPECT_EQ(dialog.exec(), c.yes ? QDialog::Accepted : QDialog::Rejected);

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(defaultAnswer, QMessageBox::No);
    EXPECT_EQ(question.toStdString(), "Write " + file + " (type 2, 2 programs) into the device on COM3?");
    EXPECT_FALSE(App().link.IsPortOpen());
    ASSERT_EQ(sim_.Stop(), 0);
    const std::string traffic = ReadWhole(log);
    EXPECT_EQ(TrafficIn(traffic).systemRequest, c.systemRequest) << traffic;
    const std::string program = guitest::Telegram14('a', "+000302--");
    EXPECT_EQ(ReadWhole(saved).find(program) != std::string::npos, c.written);
    if (!c.yes) {
        EXPECT_FALSE(TrafficIn(traffic).secondFrame) << traffic;
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, WriteConfirm,
                         ::testing::Values(ConfirmCase{"Escape", false, false, false, false},
                                           ConfirmCase{"EscapeBeforeTheBackup", true, false, false, false},
                                           ConfirmCase{"Yes", false, true, true, false},
                                           ConfirmCase{"YesBacksUpThenWrites", true, true, true, true}),
                         [](const ::testing::TestParamInfo<ConfirmCase>& param) {
                             return std::string(param.param.name);
                         });

// "Verify after writing" reads the device back and says what it found; the choice is remembered.
struct VerifyCase {
    const char* name;
    bool verify;
    bool markedRecord;  // the file holds a value the read marked " !!!" (written after Yes)
    TransferWorker::VerifyResult result;
    const char* box;  // the verification's box; null: none
    int differences;
    kdm::VerifyOutcome kept;  // what the device history notes for the write
};

class WriteVerify : public WriteFixture, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(WriteVerify, TheReadBackSaysWhetherTheDeviceHoldsTheFile) {
    const VerifyCase& c = GetParam();
    kdmtest::TempDir dataHome;
    guitest::ScopedEnv home("XDG_DATA_HOME", QString::fromStdString(dataHome.Path()));
    StartSim({});
    const std::string file = work_.File("file.KDM");
    std::string text = IdentificationRecord("I1P");
    text += TelegramRecord('A', "+001000--");
    text += TelegramRecord('B', "-000120--", c.markedRecord);
    for (int p = 1; p <= 2; ++p) {
        text += TelegramRecord('P', "+00000" + std::to_string(p) + "--");
        text += TelegramRecord('a', "+000" + std::to_string(300 + p) + "--");
    }
    kdmtest::Spit(file, text);
    QString verifyText;
    QString verifyDetails;
    QMessageBox::Icon verifyIcon = QMessageBox::NoIcon;
    guitest::BoxWatcher watcher([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box != nullptr && box->objectName() == QStringLiteral("KdmMarkedRecordsQuestion")) {
            box->button(QMessageBox::Yes)->click();
            return;
        }
        if (box != nullptr && box->objectName() == QStringLiteral("KdmVerifyBox")) {
            verifyText = box->text();
            verifyDetails = box->detailedText();
            verifyIcon = box->icon();
        }
        guitest::Reject(window);
    });
    {
        CDownload dialog(App(), nullptr);
        dialog.Worker().SetWriteConfirmer(guitest::AnswerYes);
        dialog.Worker().SetRecordInHistory(true);
        guitest::ChooseWhenAsked(dialog.Worker(), file);
        ASSERT_NE(dialog.VerifyBox(), nullptr);
        dialog.VerifyBox()->setChecked(c.verify);
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_EQ(dialog.Worker().Verified(), c.result);
        EXPECT_EQ(dialog.Worker().VerifyDifferences(), c.differences);
        if (c.verify) {
            EXPECT_EQ(dialog.StatusText(), verifyText);
        }
    }
    EXPECT_FALSE(App().link.IsPortOpen());
    if (c.box == nullptr) {
        EXPECT_TRUE(verifyText.isEmpty()) << verifyText.toStdString();
    } else {
        EXPECT_EQ(verifyText.toStdString(), c.box);
        EXPECT_EQ(verifyIcon, c.differences == 0 ? QMessageBox::Information : QMessageBox::Warning);
        EXPECT_EQ(verifyDetails.isEmpty(), c.differences == 0) << verifyDetails.toStdString();
        if (c.differences > 0) {
            EXPECT_TRUE(verifyDetails.startsWith(QStringLiteral("record 3: ")));
        }
    }
    std::vector<kdm::HistoryEntry> entries;
    ASSERT_TRUE(App().history.List(entries).ok);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, kdm::HistoryKind::kWrite);
    EXPECT_EQ(entries[0].verify, c.kept);
    // The next write window starts as this one was left.
    CDownload next(App(), nullptr);
    EXPECT_EQ(next.VerifyBox()->isChecked(), c.verify);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, WriteVerify,
    ::testing::Values(VerifyCase{"Off", false, false, TransferWorker::VerifyResult::kNotRun, nullptr, 0,
                                 kdm::VerifyOutcome::kNotAsked},
                      VerifyCase{"Match", true, false, TransferWorker::VerifyResult::kPassed,
                                 "Verified: all 6 parameters in the device match the file.", 0,
                                 kdm::VerifyOutcome::kPassed},
                      VerifyCase{"Mismatch", true, true, TransferWorker::VerifyResult::kDiffered,
                                 "Verify: 1 of 6 parameters in the device differ from the file.", 1,
                                 kdm::VerifyOutcome::kFailed}),
    [](const ::testing::TestParamInfo<VerifyCase>& param) { return std::string(param.param.name); });

// The question in each language, one program or several.
TEST(WriteQuestion, NamesTheFileItsTypeItsProgramsAndThePort) {
    const struct {
        const char* language;
        int programs;
        const char* text;
    } kCases[] = {
        {"en", 1, "Write /d/r1.KDM (type 2, 1 program) into the device on COM3?"},
        {"en", 12, "Write /d/r1.KDM (type 2, 12 programs) into the device on COM3?"},
        {"de", 1, "/d/r1.KDM (Typ 2, 1 Programm) in das Gerät an COM3 schreiben?"},
        {"de", 12, "/d/r1.KDM (Typ 2, 12 Programme) in das Gerät an COM3 schreiben?"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.language) + " " + std::to_string(c.programs));
        ASSERT_TRUE(ui_language::Install(QString::fromLatin1(c.language)));
        EXPECT_EQ(ConfirmWriteText(QStringLiteral("/d/r1.KDM"), 2, c.programs, QStringLiteral("COM3")),
                  QString::fromUtf8(c.text));
    }
    ui_language::Install(QStringLiteral("en"));
}

TEST_F(WriteFixture, CancelledFileDialogClosesAtOnceWithoutTouchingAPort) {
    // No simulator: had the write gone on, the search would have reported "No COM-IO found".
    guitest::BoxWatcher watcher;
    TransferDialogHooks hooks;
    int asked = 0;
    hooks.chooseFileToWrite = [&](QWidget*, QString&) {
        ++asked;
        return false;
    };
    RunWriteDialog(App(), nullptr, hooks);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_FALSE(App().link.IsPortOpen());
}

}  // namespace
