// The GUI tests' main: a QApplication on the offscreen platform, and the settings store and the port
// directory pointed at empty temporary directories so that no test can reach the real ones, and the
// English interface. Tests that
// need particular ports or settings point the variables at their own directories.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ui/language.h"

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
    // The tests see the English interface whatever the locale of the one who runs them.
    if (!ui_language::Install(QStringLiteral("en"))) {
        std::fputs(
            "gui_tests: the English translation was not built (configure with KDMXP_TRANSLATIONS=ON)\n",
            stderr);
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
