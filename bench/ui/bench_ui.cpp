// How responsive the windows stay while the serial line is busy, and how long the largest data file
// takes to open in a table window.
//
// 1. A device search that has to wait on a silent port first, then a whole read of a device paced at
//    4800 baud, both run from the read window while a 5 ms timer on the user-interface thread records
//    the gaps between its ticks. Target: the longest gap stays below 50 ms.
// 2. A device of 255 programs is read (unpaced) into a data file, which is then opened in a table
//    window, 20 times: time from opening the document to the end of the window's first paint.
//
//   bench_ui [SIMULATOR]       (prints figures; exit code 1 only when something could not run)
//   bench_ui --open FILE       shows FILE in a table window and exits: what bench_passes measures
//                              the table window's time and peak memory by
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "tools/shots/simulator_process.h"
#include "ui/app.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/upload_dialog.h"

namespace {

using kdmshots::StartSimulator;
using kdmshots::StopSimulator;

// Runs the read window until it closes (saving to `saved`); the table window that follows is closed
// at once. `onReadClosed` is called when the read window's worker has finished.
void ReadDevice(CKDM_XPApp& app, const QString& saved, const std::function<void()>& onReadClosed) {
    TransferDialogHooks hooks;
    hooks.chooseSavePath = [&](QWidget*, QString& path) {
        path = saved;
        return true;
    };
    bool hooked = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (auto* read = qobject_cast<CUpload*>(window); read && !hooked) {
            hooked = true;
            QObject::connect(&read->Worker(), &TransferWorker::finished, [&] {
                if (onReadClosed) onReadClosed();
            });
        } else if (auto* table = qobject_cast<CKDM_XPDlg*>(window)) {
            table->accept();
        } else if (auto* other = qobject_cast<QDialog*>(window); other && !qobject_cast<CUpload*>(window)) {
            std::fprintf(stderr, "bench_ui: unexpected window \"%s\"\n",
                         other->windowTitle().toLocal8Bit().constData());
            other->reject();
        }
    });
    poll.start();
    RunReadDialog(app, nullptr, hooks);
}

// Calls `onPaint` when the widget it filters receives its first paint event.
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && onPaint_) {
            std::exchange(onPaint_, nullptr)();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onPaint_;
};

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir work;
    if (!work.isValid()) return 1;
    const QString ports = work.filePath(QStringLiteral("ports"));
    QDir().mkpath(ports);
    ::setenv("KDMXP_PORT_DIR", ports.toLocal8Bit().constData(), 1);
    ::setenv("KDMXP_SETTINGS_DIR", work.filePath(QStringLiteral("settings")).toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0) {
        CKDM_XPApp app;
        DataDocument document;
        document.Open(argv[2]);
        CKDM_XPDlg table(app, document, nullptr);
        table.show();
        QApplication::processEvents();
        return 0;
    }
    const QString simulator = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KDMXP_SIM_PATH);

    // --- 1. UI-thread gaps during a search and a paced read.
    QProcess silent;
    QProcess device;
    if (!StartSimulator(silent, simulator, ports, 1, {"--silent-after", "0"}) ||
        !StartSimulator(device, simulator, ports, 2, {"--type", "2", "--programs", "20"})) {
        std::fprintf(stderr, "bench_ui: the simulator did not start\n");
        return 1;
    }
    std::vector<qint64> gaps;
    gaps.reserve(100000);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    bool measuring = true;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (measuring && last != 0) gaps.push_back(now - last);
        last = now;
    });
    {
        CKDM_XPApp app;
        app.tempFilePath = work.filePath(QStringLiteral("KDM.tmp")).toStdString();
        heartbeat.start();
        QElapsedTimer readTime;
        readTime.start();
        qint64 readMs = 0;
        ReadDevice(app, work.filePath(QStringLiteral("paced.KDM")), [&] {
            measuring = false;
            readMs = readTime.elapsed();
        });
        heartbeat.stop();
        if (gaps.empty()) {
            std::fprintf(stderr, "bench_ui: the read did not run\n");
            return 1;
        }
        std::sort(gaps.begin(), gaps.end());
        const double maxMs = static_cast<double>(gaps.back()) / 1e6;
        const double p99Ms = static_cast<double>(gaps[gaps.size() * 99 / 100]) / 1e6;
        const double medianMs = static_cast<double>(gaps[gaps.size() / 2]) / 1e6;
        std::printf("search (1 silent port) + read of 20 programs at 4800 baud: %.1f s\n",
                    static_cast<double>(readMs) / 1000.0);
        std::printf(
            "UI heartbeat (5 ms): %zu ticks, median gap %.2f ms, 99th percentile %.2f ms, max gap %.2f ms\n",
            gaps.size(), medianMs, p99Ms, maxMs);
        std::printf("longest UI block: %.2f ms (target < 50 ms: %s, ratio %.2f)\n", maxMs,
                    maxMs < 50.0 ? "met" : "MISSED", maxMs / 50.0);
    }
    StopSimulator(silent);
    StopSimulator(device);

    // --- 2. Opening the largest data file.
    QProcess big;
    if (!StartSimulator(big, simulator, ports, 3, {"--type", "2", "--programs", "255", "--no-pacing"})) {
        std::fprintf(stderr, "bench_ui: the simulator did not start\n");
        return 1;
    }
    const QString largest = work.filePath(QStringLiteral("largest.KDM"));
    {
        CKDM_XPApp app;
        app.tempFilePath = work.filePath(QStringLiteral("KDM.tmp")).toStdString();
        ReadDevice(app, largest, {});
    }
    StopSimulator(big);
    if (!QFileInfo::exists(largest)) {
        std::fprintf(stderr, "bench_ui: the largest file was not read\n");
        return 1;
    }
    CKDM_XPApp app;
    constexpr int kRounds = 20;
    std::vector<double> openMs;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer open;
        open.start();
        {
            DataDocument document;
            document.Open(largest.toStdString());
            CKDM_XPDlg table(app, document, nullptr);
            // Opened once the window's first paint is over: a call queued from the start of that paint
            // runs right after it, before anything the window itself queues while painting.
            double paintedMs = -1;
            FirstPaint firstPaint([&] {
                QMetaObject::invokeMethod(
                    &table, [&] { paintedMs = static_cast<double>(open.nsecsElapsed()) / 1e6; },
                    Qt::QueuedConnection);
            });
            table.installEventFilter(&firstPaint);
            bool gaveUp = false;
            QTimer::singleShot(10000, &table, [&gaveUp] { gaveUp = true; });
            table.show();
            while (paintedMs < 0 && !gaveUp)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (gaveUp) {
                std::fprintf(stderr, "bench_ui: the table window did not paint\n");
                return 1;
            }
            openMs.push_back(paintedMs);
        }
        QApplication::processEvents();
    }
    std::sort(openMs.begin(), openMs.end());
    std::printf(
        "open %s (%lld bytes, 255 programs) in a table window: best %.1f ms, median %.1f ms, worst %.1f ms\n",
        "largest.KDM", static_cast<long long>(QFileInfo(largest).size()), openMs.front(),
        openMs[openMs.size() / 2], openMs.back());
    return 0;
}
