// Starting and stopping kdmxp-sim from the Qt helper programs (screenshots, UI benchmark).
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kdmshots {

// Starts the simulator on COMn of `portDir` and waits up to 5 s for its ready line. Its error output
// goes to ours, so a simulator that refuses its arguments says why.
inline bool StartSimulator(QProcess& sim, const QString& program, const QString& portDir, int com,
                           QStringList args) {
    args << QStringLiteral("--port-dir") << portDir << QStringLiteral("--com") << QString::number(com);
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(program, args);
    if (!sim.waitForStarted(5000)) return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        if (sim.canReadLine() && sim.readLine().startsWith("ready")) return true;
        sim.waitForReadyRead(100);
    }
    return false;
}

inline void StopSimulator(QProcess& sim) {
    sim.terminate();
    if (!sim.waitForFinished(5000)) sim.kill();
}

}  // namespace kdmshots
