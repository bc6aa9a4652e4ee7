// kdmxp-shots: screenshots of the program's windows for the documentation, taken against a simulated
// device. Run by scripts/screenshots under a virtual display; not installed.
//
//   kdmxp-shots OUTPUT_DIR [SIMULATOR]
//
// Saves start_window.png, read_dialog.png (a second read, mid-transfer), table_window.png (maximised),
// write_dialog.png (at its end), cable_information.png and port_dialog.png. Exit code 0 when every
// picture was saved.
// compare_view.png: a table window compared with an altered copy of the file it shows.
// help_window.png and faq_english.png: the English help window and FAQ.
// start_window_german.png: the start window of the German interface with its File menu open.
// history_window.png: the device history after the read, the backup before the write and the write,
// with a read another laptop shared, the machine named "Press 7".
// write_question.png: the question before a write sends anything.
// table_window_edited.png and table_window_german.png: a table window with two values changed and not
// saved yet, in the English and the German interface.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "data/parameter_model.h"
#include "files/data_file.h"
#include "link/telegram.h"
#include "tools/shots/simulator_process.h"
#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/compare_view.h"
#include "ui/document.h"
#include "ui/help.h"
#include "ui/history_record.h"
#include "ui/history_window.h"
#include "ui/info_dialogs.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/transfer_worker.h"
#include "ui/upload_dialog.h"

#if defined(KDMXP_SHOTS_FAKE_MACHINE)
#include "support/fake_sysfs.h"
#endif

namespace {

using kdmshots::StartSimulator;
using kdmshots::StopSimulator;

class Shooter {
  public:
    explicit Shooter(const QString& dir) : dir_(dir) {}

    void Save(QWidget* window, const QString& name) {
        QApplication::processEvents();
        const QString path = QDir(dir_).filePath(name);
        if (window->grab().save(path)) {
            saved_.insert(name);
            std::printf("saved %s\n", path.toLocal8Bit().constData());
        } else {
            std::fprintf(stderr, "kdmxp-shots: cannot save %s\n", path.toLocal8Bit().constData());
        }
    }
    // What the screen shows in `area`: a window together with the popup menu open over it.
    void SaveScreen(const QRect& area, const QString& name) {
        QApplication::processEvents();
        const QString path = QDir(dir_).filePath(name);
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr &&
            screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path)) {
            saved_.insert(name);
            std::printf("saved %s\n", path.toLocal8Bit().constData());
        } else {
            std::fprintf(stderr, "kdmxp-shots: cannot save %s\n", path.toLocal8Bit().constData());
        }
    }
    int Count() const { return static_cast<int>(saved_.size()); }

  private:
    QString dir_;
    std::set<QString> saved_;
};

// Calls `step` for every modal window as it comes up (and a few times a second while it stays).
class Poller {
  public:
    explicit Poller(std::function<void(QWidget*)> step) : step_(std::move(step)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* window = QApplication::activeModalWidget()) step_(window);
        });
        timer_.start();
    }

  private:
    std::function<void(QWidget*)> step_;
    QTimer timer_;
};

// For the comparison picture: a copy of the data file at `from` with three values changed (the third
// system parameter, the second of program 2, the fourth of program 5) and one parameter left out (the
// third of program 7).
bool WriteAlteredCopy(const std::string& from, const std::string& to) {
    std::string text;
    std::string reason;
    long length = 0;
    if (kdm::ReadWholeFile(from, text, length, reason) == 0) return false;
    const kdm::ParameterSet set = kdm::ParseParameterSet(text).set;
    const kdm::Record* identification = set.Identification();
    if (identification == nullptr) return false;
    std::vector<std::string> telegrams;
    int program = 0;
    int position = 0;
    for (const kdm::Record& record : set.Records()) {
        if (record.Form() != kdm::RecordForm::kTelegram) continue;
        std::string telegram = record.Telegram();
        if (record.Letter() == "P") {
            ++program;
            position = 0;
        } else {
            ++position;
        }
        if (program == 7 && position == 3) continue;
        const bool changed = (program == 0 && position == 3) || (program == 2 && position == 2) ||
                             (program == 5 && position == 4);
        if (changed) {
            // The last digit of the value, and the checksum to go with it.
            telegram[8] = telegram[8] == '9' ? '0' : static_cast<char>(telegram[8] + 1);
            const std::string front = telegram.substr(0, 11);
            telegram = front + kdm::ComputeChecksum(std::string(1, kdm::STX) + front);
        }
        telegrams.push_back(telegram);
    }
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << kdm::DataFileTextOf(kdm::ParameterSet::OfTelegrams(identification->Telegram(), telegrams));
    return static_cast<bool>(out.flush());
}

// A table window of the data file at `path` with two values changed and not saved: the third system
// parameter and the second of program 2, as the user would type them.
void ShootEditedTable(CKDM_XPApp& app, QWidget* parent, const std::string& path, const QString& name,
                      Shooter& shooter) {
    DataDocument document;
    document.Open(path);
    std::string text;
    std::string reason;
    long length = 0;
    if (kdm::ReadWholeFile(path, text, length, reason) == 0) return;
    const kdm::ParameterSet set = kdm::ParseParameterSet(text).set;
    std::vector<kdm::ParameterAddress> changed;
    int program = 0;
    int position = 0;
    for (const kdm::Record& record : set.Records()) {
        if (record.Form() != kdm::RecordForm::kTelegram) continue;
        if (record.Letter() == "P") {
            ++program;
            position = 0;
            continue;
        }
        ++position;
        if ((program == 0 && position == 3) || (program == 2 && position == 2)) {
            kdm::ParameterAddress where;
            if (program > 0) where.program = program;
            where.letter = record.Letter().empty() ? 0 : record.Letter()[0];
            changed.push_back(where);
        }
    }
    CKDM_XPDlg table(app, document, parent);
    table.OnInitDialog();
    const char* const values[] = {"+000150", "-000125"};
    for (std::size_t i = 0; i < changed.size() && i < 2; ++i)
        document.SetValue(changed[i], values[i]);
    table.resize(900, 720);
    table.show();
    shooter.Save(&table, name);
}

// A pseudo-terminal standing for a serial device; the master stays open so its slave can be opened.
class Terminal {
  public:
    Terminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            if (const char* name = ::ptsname(master_)) slave_ = name;
        }
    }
    ~Terminal() {
        if (master_ >= 0) ::close(master_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    const std::string& Slave() const { return slave_; }

  private:
    int master_;
    std::string slave_;
};

// The port dialog on a machine of its own: a built-in port on COM1, three ports the kernel lists without a
// chip, and an FTDI adapter, laid out as sysfs and /dev trees below `dir` with the device nodes leading to
// pseudo-terminals, so it looks the same on any machine it is taken on.
bool ShootPortDialog(CKDM_XPApp& app, QWidget* parent, const QString& dir, Shooter& shooter) {
#if defined(KDMXP_SHOTS_FAKE_MACHINE)
    QDir().mkpath(dir);
    kdmtest::FakeSerialSystem machine(dir.toStdString());
    machine.AddVirtualTerminals();
    machine.AddPnpUart(0, 4);
    for (int n = 1; n <= 3; ++n)
        machine.AddPlatformUart(n, 0);
    kdmtest::FakeUsbAdapter ftdi;
    ftdi.manufacturer = "FTDI";
    ftdi.product = "FT232R USB UART";
    ftdi.serial = "A50285BI";
    machine.AddUsbSerial(ftdi);
    machine.AddByIdLink("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    std::vector<std::unique_ptr<Terminal>> terminals;
    for (const char* tty : {"ttyS0", "ttyUSB0"}) {
        terminals.push_back(std::make_unique<Terminal>());
        if (terminals.back()->Slave().empty()) return false;
        machine.AddDeviceNode(tty, terminals.back()->Slave());
    }
    ::unsetenv("KDMXP_PORT_DIR");
    ::setenv("KDMXP_SYSFS_ROOT", machine.SysfsRoot().c_str(), 1);
    ::setenv("KDMXP_DEV_ROOT", machine.DevRoot().c_str(), 1);
    CComSelect portDialog(app.settings, app.portMap, parent);
    portDialog.show();
    shooter.Save(&portDialog, QStringLiteral("port_dialog.png"));
    return true;
#else
    (void)app;
    (void)parent;
    (void)dir;
    (void)shooter;
    std::fputs("kdmxp-shots: built without the tests' fake machine, no port dialog picture\n", stderr);
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir work;
    if (!work.isValid()) return 2;
    const QString ports = work.filePath(QStringLiteral("ports"));
    QDir().mkpath(ports);
    // The simulator's ports and throw-away settings only: the real ones are never touched.
    ::setenv("KDMXP_PORT_DIR", ports.toLocal8Bit().constData(), 1);
    ::setenv("KDMXP_SETTINGS_DIR", work.filePath(QStringLiteral("settings")).toLocal8Bit().constData(), 1);
    // The reads and writes below go into a device history of their own, not the user's.
    ::setenv("XDG_DATA_HOME", work.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);

    QApplication application(argc, argv);
    // The pictures show the English interface, and the last one the German.
    ui_language::Install(QStringLiteral("en"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fputs("usage: kdmxp-shots OUTPUT_DIR [SIMULATOR]\n", stderr);
        return 2;
    }
    const QString out = arguments[1];
    const QString simulator = arguments.size() > 2 ? arguments[2] : QStringLiteral(KDMXP_SIM_PATH);
    QDir().mkpath(out);
    Shooter shooter(out);

    // A type-2 device with a dozen programs, paced at the real 4800 baud so the read can be caught
    // in the middle of its program block.
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!StartSimulator(sim, simulator, ports, 3,
                        {"--type", "2", "--programs", "12", "--save", work.filePath("written.KDM")})) {
        std::fprintf(stderr, "kdmxp-shots: the simulator did not start\n");
        return 1;
    }

    CKDM_XPApp app;
    app.InitInstance();
    app.tempFilePath = work.filePath(QStringLiteral("KDM.tmp")).toStdString();

    CKDMXPMain start(app);
    start.show();
    QApplication::processEvents();
    shooter.Save(&start, QStringLiteral("start_window.png"));

    // The read: a table window at the end, maximised, every system row in sight.
    const QString saved = work.filePath(QStringLiteral("device.KDM"));
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString& path) {
        path = saved;
        return true;
    };
    {
        Poller poller([&](QWidget* window) {
            if (auto* table = qobject_cast<CKDM_XPDlg*>(window)) {
                // Without a window manager "maximised" is a size: the screen's.
                table->setGeometry(table->screen()->availableGeometry());
                shooter.Save(table, QStringLiteral("table_window.png"));
                table->accept();
            }
        });
        RunReadDialog(app, &start, hooks);
    }

    // The write of the file just read, at its end: the bar full while "communication terminated" is up.
    {
        hooks.chooseFileToWrite = [&](QWidget*, QString& path) {
            path = saved;
            return true;
        };
        Poller poller([&](QWidget* window) {
            if (qobject_cast<TransferDialogBase*>(window) != nullptr) return;
            // The question before anything is sent: pictured over the write window, then answered Yes.
            if (window->objectName() == QLatin1String("KdmConfirmWriteQuestion")) {
                auto* question = qobject_cast<QMessageBox*>(window);
                if (question == nullptr) return;
                shooter.Save(question, QStringLiteral("write_question.png"));
                question->button(QMessageBox::Yes)->click();
                return;
            }
            if (auto* box = qobject_cast<QDialog*>(window)) {
                if (auto* write = qobject_cast<TransferDialogBase*>(box->parentWidget())) {
                    shooter.Save(write, QStringLiteral("write_dialog.png"));
                }
                box->accept();
            }
        });
        RunWriteDialog(app, &start, hooks);
    }

    // A second read of the same device, caught among its programs: now that the first read told how
    // much the device holds, the bar shows how far the read got and the time it still needs.
    {
        bool readShot = false;
        Poller poller([&](QWidget* window) {
            auto* read = qobject_cast<CUpload*>(window);
            if (read == nullptr || readShot) return;
            if (read->ControlText(1013).contains(QLatin1Char('6')) &&
                read->TimeText().contains(QLatin1String("left"))) {
                readShot = true;
                shooter.Save(read, QStringLiteral("read_dialog.png"));
                read->OnCancel();
            }
        });
        RunReadDialog(app, &start, hooks);
    }

    // A table window compared with an altered copy of the file read, its second difference chosen.
    {
        const QString altered = work.filePath(QStringLiteral("altered.KDM"));
        DataDocument document;
        document.Open(saved.toStdString());
        CKDM_XPDlg table(app, document, &start);
        table.OnInitDialog();
        if (WriteAlteredCopy(saved.toStdString(), altered.toStdString()) &&
            table.Compare()->CompareWithFile(altered.toStdString(), QStringLiteral("altered.KDM"))) {
            table.resize(900, 720);
            table.show();
            table.Compare()->List()->setCurrentRow(2);
            shooter.Save(&table, QStringLiteral("compare_view.png"));
        }
    }
    ShootEditedTable(app, &start, saved.toStdString(), QStringLiteral("table_window_edited.png"), shooter);
    // The history after the read, the backup and the write, with a read another laptop shared.
    {
        const std::string remote = work.filePath(QStringLiteral("shared.git")).toStdString();
        kdm::GitHistory other(work.filePath(QStringLiteral("laptop-b")).toStdString(),
                              kdm::HistoryIdentity{"service-laptop-2", "mkoch"});
        kdm::HistoryEntry entry;
        kdm::SyncReport report;
        std::string text;
        std::string reason;
        long length = 0;
        const bool shared =
            kdm::ReadWholeFile(saved.toStdString(), text, length, reason) != 0 &&
            QProcess::execute(
                QStringLiteral("git"),
                {QStringLiteral("init"), QStringLiteral("--bare"), QStringLiteral("--quiet"),
                 QStringLiteral("-b"), QStringLiteral("main"), QString::fromStdString(remote)}) == 0 &&
            other.SetRemote(remote).ok &&
            RecordInHistory(other, kdm::HistoryKind::kRead, text, "COM1", "/home/mkoch/line4.KDM", entry)
                .ok &&
            other.Sync(report, {}).ok && app.history.SetRemote(remote).ok &&
            app.history.Sync(report, {}).ok &&
            app.history
                .Name(entry.id, "Press 7", true, kdm::FormatHistoryTime(QDateTime::currentMSecsSinceEpoch()),
                      entry)
                .ok;
        if (!shared) std::fputs("kdmxp-shots: the other laptop's entry could not be shared\n", stderr);
        HistoryWindow history(app, app.history, &start);
        history.Table()->selectRow(1);
        history.show();
        shooter.Save(&history, QStringLiteral("history_window.png"));
    }
    {
        CAboutRS232 cable(&start);
        cable.show();
        shooter.Save(&cable, QStringLiteral("cable_information.png"));
    }
    // The English help as it opens over the start window, from the page beside the program in the
    // build tree. Without it the window would be empty: no picture then.
    {
        const std::string page = FindHelpDocument(KDMXP_SHOTS_HELP_DIR, kHelpDocumentEnglish.page);
        if (page.empty()) {
            std::fprintf(stderr, "kdmxp-shots: no %s in %s\n", kHelpDocumentEnglish.page,
                         KDMXP_SHOTS_HELP_DIR);
        } else {
            HelpWindow help(
                QString::fromStdString(page),
                QString::fromStdString(FindHelpDocument(KDMXP_SHOTS_HELP_DIR, kHelpDocumentEnglish.pdf)),
                false, &start);
            help.show();
            shooter.Save(&help, QStringLiteral("help_window.png"));
        }
    }
    {
        CKDMFAQ faq(&start);
        faq.show();
        shooter.Save(&faq, QStringLiteral("faq_english.png"));
    }
    StopSimulator(sim);
    // Last: it leaves the simulator's port directory for a machine of its own.
    ShootPortDialog(app, &start, work.filePath(QStringLiteral("machine")), shooter);
    // The German interface: the start window with its File menu open.
    if (ui_language::Install(QStringLiteral("de"))) {
        CKDMXPMain german(app);
        german.show();
        auto* bar = german.findChild<QMenuBar*>(QStringLiteral("mainMenu"));
        QMenu* file = bar != nullptr ? bar->actions().constFirst()->menu() : nullptr;
        if (file != nullptr) {
            bar->setActiveAction(bar->actions().constFirst());
            QElapsedTimer waited;
            waited.start();
            while (!file->isVisible() && waited.elapsed() < 10000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            shooter.SaveScreen(german.frameGeometry().united(file->geometry()).adjusted(0, 0, 8, 8),
                               QStringLiteral("start_window_german.png"));
            file->hide();
        }
        ShootEditedTable(app, &german, saved.toStdString(), QStringLiteral("table_window_german.png"),
                         shooter);
    }
    return shooter.Count() == 14 ? 0 : 1;
}
