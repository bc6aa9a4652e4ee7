// PortWatch: tells the port dialog when serial devices come, go or change hands, so that it shows what is
// plugged in now without the user reopening it.
//
// An inotify watch on the device directory (KDMXP_DEV_ROOT, default /dev) for tty nodes, on its
// serial/by-id links, and on the KDMXP_PORT_DIR directory when that is set. The descriptor is read from the
// event loop through a QSocketNotifier and never waited on. Plugging an adapter brings a burst: the node,
// then udev's group change and its by-id link a moment later; events are gathered for a short settling
// time and reported as one Changed(), and anything arriving after that brings another.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <map>

class QSocketNotifier;

class PortWatch final : public QObject {
    Q_OBJECT
  public:
    explicit PortWatch(QObject* parent = nullptr);
    ~PortWatch() override;
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // False when nothing could be watched (no inotify here, or the directory is missing): the dialog then
    // shows what it found when it opened, as it always did.
    bool IsWatching() const { return !watches_.empty(); }

  signals:
    void Changed();

  private:
    enum class Place { kDevRoot, kSerial, kById, kPortDirectory };
    void WatchDirectories();
    void Watch(const QString& directory, Place place);
    void OnReadable();
    // Whether an event on `name` in a directory of kind `place` can concern a serial port.
    static bool Concerns(Place place, const QString& name);

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer settle_;
    QString devRoot_;
    QString portDirectory_;
    std::map<int, Place> watches_;  // watch descriptor -> what it watches
};
