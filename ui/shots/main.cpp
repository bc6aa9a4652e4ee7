// kdmxp-shots: screenshots of the program's windows for the documentation, taken against a simulated
// device. Run by scripts/screenshots under a virtual display; not installed.
//
//   kdmxp-shots OUTPUT_DIR [SIMULATOR]
//
// Saves start_window.png, read_dialog.png (mid-transfer), table_window.png, write_dialog.png
// (mid-transfer), port_dialog.png and cable_information.png. Exit code 0 when every picture was saved.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>

#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/info_dialogs.h"
#include "ui/main_window.h"
#include "ui/shots/simulator_process.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/transfer_worker.h"

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

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir work;
    if (!work.isValid()) return 2;
    const QString ports = work.filePath(QStringLiteral("ports"));
    QDir().mkpath(ports);
    // The simulator's ports and throw-away settings only: the real ones are never touched.
    ::setenv("KDMXP_PORT_DIR", ports.toLocal8Bit().constData(), 1);
    ::setenv("KDMXP_SETTINGS_DIR", work.filePath(QStringLiteral("settings")).toLocal8Bit().constData(), 1);

    QApplication application(argc, argv);
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

    // The read: one picture while the programs arrive, one of the table window at the end.
    const QString saved = work.filePath(QStringLiteral("device.KDM"));
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString& path) {
        path = saved;
        return true;
    };
    {
        bool readShot = false;
        Poller poller([&](QWidget* window) {
            if (auto* read = qobject_cast<TransferDialogBase*>(window)) {
                if (!readShot && read->ControlText(1013).trimmed().size() >= 5 &&
                    read->ControlText(1013).contains(QLatin1Char('4'))) {
                    readShot = true;
                    shooter.Save(read, QStringLiteral("read_dialog.png"));
                }
            } else if (auto* table = qobject_cast<CKDM_XPDlg*>(window)) {
                table->resize(900, 600);
                shooter.Save(table, QStringLiteral("table_window.png"));
                table->accept();
            }
        });
        RunReadDialog(app, &start, hooks);
    }

    // The write of the file just read, caught in its program block.
    {
        hooks.chooseFileToWrite = [&](QWidget*, QString& path) {
            path = saved;
            return true;
        };
        bool writeShot = false;
        Poller poller([&](QWidget* window) {
            if (auto* write = qobject_cast<TransferDialogBase*>(window)) {
                if (!writeShot && write->ControlText(1015) == QStringLiteral("006")) {
                    writeShot = true;
                    shooter.Save(write, QStringLiteral("write_dialog.png"));
                }
            } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
                dialog->accept();  // "communication terminated"
            }
        });
        RunWriteDialog(app, &start, hooks);
    }

    {
        CComSelect portDialog(app.settings, app.portMap, &start);
        portDialog.show();
        shooter.Save(&portDialog, QStringLiteral("port_dialog.png"));
    }
    {
        CAboutRS232 cable(&start);
        cable.show();
        shooter.Save(&cable, QStringLiteral("cable_information.png"));
    }

    StopSimulator(sim);
    return shooter.Count() == 6 ? 0 : 1;
}
