#include "ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

std::string FindHelpDocument(const std::string& directory, const char* fileName) {
    const QString name = QString::fromUtf8(fileName);
    QStringList candidates;
    if (!directory.empty()) candidates << QDir(QString::fromStdString(directory)).filePath(name);
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!programDir.isEmpty()) {
        candidates << QDir(programDir).filePath(name);
        candidates << QDir(programDir).filePath(QStringLiteral("../share/kdmxp/") + name);
    }
#ifdef KDMXP_HELP_DIR
    candidates << QDir(QStringLiteral(KDMXP_HELP_DIR)).filePath(name);
#endif
    const QString shared = QStandardPaths::locate(QStandardPaths::GenericDataLocation, "kdmxp/" + name);
    if (!shared.isEmpty()) candidates << shared;
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) return QDir::cleanPath(info.absoluteFilePath()).toStdString();
    }
    return {};
}

void OpenHelpDocument(const std::string& directory, const char* fileName) {
    const std::string path = FindHelpDocument(directory, fileName);
    if (path.empty()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
