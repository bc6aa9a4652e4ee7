// The GUI tests' main: a QApplication on the offscreen platform, and the settings store and the port
// directory pointed at empty temporary directories so that no test can reach the real ones. Tests that
// need particular ports or settings point the variables at their own directories.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 2;
    const QByteArray settings = (sandbox.path() + QStringLiteral("/settings")).toLocal8Bit();
    const QByteArray ports = (sandbox.path() + QStringLiteral("/ports")).toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(ports));
    ::setenv("KDMXP_SETTINGS_DIR", settings.constData(), 1);
    ::setenv("KDMXP_PORT_DIR", ports.constData(), 1);

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
