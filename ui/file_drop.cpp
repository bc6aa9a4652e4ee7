#include "ui/file_drop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "ui/app_services.h"

QString DroppedDataFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return QString();
    const QList<QUrl> urls = mime->urls();
    // One file at a time: each table window shows one file.
    if (urls.size() != 1 || !urls.front().isLocalFile()) return QString();
    const QString path = urls.front().toLocalFile();
    if (!path.endsWith(QStringLiteral(".kdm"), Qt::CaseInsensitive)) return QString();
    if (QFileInfo(path).isDir()) return QString();
    return path;
}

void AcceptDataFileDrag(QDragEnterEvent* event) {
    if (DroppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void AcceptDataFileDrag(QDragMoveEvent* event) {
    if (DroppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void OpenDroppedDataFile(AppServices& services, QWidget* window, QDropEvent* event) {
    const QString path = DroppedDataFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QTimer::singleShot(0, window, [&services, window, path] { services.OpenDataFile(path, window); });
}
