#include "ui/ui_state.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// Keys must survive any byte an identification can hold (STX, '/', '\\'): hex spells them safely.
QString ReadKey(const QString& identification) {
    return QStringLiteral("reads/") + QString::fromLatin1(identification.toLatin1().toHex());
}

}  // namespace

UiState::UiState(const QString& directory)
    : settings_(std::make_unique<QSettings>(QDir(directory).filePath(QStringLiteral("ui.conf")),
                                            QSettings::IniFormat)) {}

UiState::~UiState() = default;

QString UiState::FilePath() const {
    return settings_->fileName();
}

QSize UiState::WindowSize(const QString& window) const {
    const QSize size =
        settings_->value(QStringLiteral("windows/") + window + QStringLiteral("/size")).toSize();
    return size.isValid() && !size.isEmpty() ? size : QSize();
}

void UiState::SetWindowSize(const QString& window, const QSize& size) {
    settings_->setValue(QStringLiteral("windows/") + window + QStringLiteral("/size"), size);
    settings_->sync();
}

QList<int> UiState::ColumnWidths(const QString& table) const {
    QList<int> widths;
    const QStringList stored = settings_->value(QStringLiteral("columns/") + table)
                                   .toString()
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& text : stored) {
        bool ok = false;
        const int width = text.toInt(&ok);
        if (!ok || width < 0) return {};  // a damaged list is no list
        widths.append(width);
    }
    return widths;
}

void UiState::SetColumnWidths(const QString& table, const QList<int>& widths) {
    QStringList texts;
    for (int width : widths)
        texts.append(QString::number(width));
    settings_->setValue(QStringLiteral("columns/") + table, texts.join(QLatin1Char(',')));
    settings_->sync();
}

QStringList UiState::RecentFiles() const {
    QStringList files = settings_->value(QStringLiteral("recent/files")).toStringList();
    files.removeAll(QString());
    while (files.size() > kMaxRecentFiles)
        files.removeLast();
    return files;
}

void UiState::AddRecentFile(const QString& path) {
    if (path.isEmpty()) return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kMaxRecentFiles)
        files.removeLast();
    settings_->setValue(QStringLiteral("recent/files"), files);
    settings_->sync();
}

void UiState::RemoveRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(path) == 0) return;
    settings_->setValue(QStringLiteral("recent/files"), files);
    settings_->sync();
}

bool UiState::VerifyAfterWrite() const {
    return settings_->value(QStringLiteral("write/verify"), false).toBool();
}

void UiState::SetVerifyAfterWrite(bool verify) {
    settings_->setValue(QStringLiteral("write/verify"), verify);
    settings_->sync();
}

bool UiState::LastReadSize(const QString& identification, ReadSize& size) const {
    const QString key = ReadKey(identification);
    const int programs = settings_->value(key + QStringLiteral("/programs"), -1).toInt();
    const int telegrams = settings_->value(key + QStringLiteral("/telegrams"), -1).toInt();
    if (programs < 0 || telegrams <= 0) return false;
    size.programs = programs;
    size.telegrams = telegrams;
    return true;
}

void UiState::SetLastReadSize(const QString& identification, const ReadSize& size) {
    const QString key = ReadKey(identification);
    settings_->setValue(key + QStringLiteral("/programs"), size.programs);
    settings_->setValue(key + QStringLiteral("/telegrams"), size.telegrams);
    settings_->sync();
}

QString UiState::MachineNameOnPort(const QString& port) const {
    return settings_->value(QStringLiteral("machines/") + QString::fromLatin1(port.toUtf8().toHex()))
        .toString();
}

void UiState::SetMachineNameOnPort(const QString& port, const QString& name) {
    settings_->setValue(QStringLiteral("machines/") + QString::fromLatin1(port.toUtf8().toHex()), name);
    settings_->sync();
}
