// Dropping a data file on a window opens it. Both windows accept a drag that carries one local file
// whose name ends in ".kdm" in any letter case; anything else is refused while it is dragged over.
#pragma once

#include <QString>

class AppServices;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

// The data file `mime` carries, or an empty string.
QString DroppedDataFile(const QMimeData* mime);

// The event handlers of a window that accepts data files. A drop opens the file in a table window
// above `window` once the drop itself is over (a modal window must not start inside it).
void AcceptDataFileDrag(QDragEnterEvent* event);
void AcceptDataFileDrag(QDragMoveEvent* event);
void OpenDroppedDataFile(AppServices& services, QWidget* window, QDropEvent* event);
