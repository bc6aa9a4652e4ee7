// Files and tools the GUI tests share: data files written and read back, and the command-line tools
// some checks need.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <fstream>
#include <string>

#include "gui_support.h"

namespace guitest {

// The file's bytes; empty when it cannot be read.
inline QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file with `bytes`.
inline void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
}

// Whether `name` is a program on the PATH.
inline bool HaveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

// A data file of device code I10: one system parameter and program 1's A and B.
inline std::string SmallDataFile() {
    return IdentificationRecord("I10") + TelegramRecord('A', "+00012300") + TelegramRecord('P', "+00000100") +
           TelegramRecord('B', "+00004500");
}

}  // namespace guitest
