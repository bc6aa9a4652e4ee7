#include "ui/port_watch.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>

#if defined(__linux__)
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {

// Long enough for udev to set a new node's group and make its by-id link, short enough to feel immediate.
constexpr int kSettleMs = 300;

QString FromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return QString::fromLocal8Bit(value != nullptr && value[0] != '\0' ? value : fallback);
}

}  // namespace

PortWatch::PortWatch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &PortWatch::Changed);
#if defined(__linux__)
    devRoot_ = FromEnvironment("KDMXP_DEV_ROOT", "/dev");
    portDirectory_ = FromEnvironment("KDMXP_PORT_DIR", "");
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    WatchDirectories();
    notifier_ = new QSocketNotifier(static_cast<qintptr>(fd_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PortWatch::OnReadable);
#endif
}

PortWatch::~PortWatch() {
#if defined(__linux__)
    if (notifier_ != nullptr) notifier_->setEnabled(false);
    if (fd_ >= 0) ::close(fd_);
#endif
}

void PortWatch::WatchDirectories() {
    // Adding a watch that exists already gives back its descriptor, so this may run after every change:
    // serial/ and serial/by-id/ appear with the first adapter and may go with the last.
    Watch(devRoot_, Place::kDevRoot);
    Watch(devRoot_ + QStringLiteral("/serial"), Place::kSerial);
    Watch(devRoot_ + QStringLiteral("/serial/by-id"), Place::kById);
    if (!portDirectory_.isEmpty()) Watch(portDirectory_, Place::kPortDirectory);
}

void PortWatch::Watch(const QString& directory, Place place) {
#if defined(__linux__)
    const QByteArray path = directory.toLocal8Bit();
    const int wd = inotify_add_watch(
        fd_, path.constData(),
        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_ONLYDIR);
    if (wd >= 0) watches_[wd] = place;
#else
    (void)directory;
    (void)place;
#endif
}

bool PortWatch::Concerns(Place place, const QString& name) {
    switch (place) {
        case Place::kDevRoot:
            // The nodes of every serial driver are called tty<something>; serial/ holds udev's links.
            return name.startsWith(QStringLiteral("tty")) || name == QStringLiteral("serial");
        case Place::kSerial:
            return name == QStringLiteral("by-id");
        case Place::kById:
        case Place::kPortDirectory:
            break;
    }
    return true;
}

void PortWatch::OnReadable() {
#if defined(__linux__)
    bool relevant = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // EAGAIN: all read
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += sizeof(inotify_event) + event->len;
            const auto watch = watches_.find(event->wd);
            if (watch == watches_.end()) continue;
            if ((event->mask & IN_IGNORED) != 0) {
                // The directory went (serial/by-id after the last adapter): it is watched again if it
                // comes back.
                if (watch->second != Place::kDevRoot) relevant = true;
                watches_.erase(watch);
                continue;
            }
            const QString name = event->len > 0 ? QString::fromLocal8Bit(event->name) : QString();
            if ((event->mask & IN_DELETE_SELF) != 0 || Concerns(watch->second, name)) relevant = true;
        }
    }
    if (!relevant) return;
    WatchDirectories();
    if (!settle_.isActive()) settle_.start();
#endif
}
