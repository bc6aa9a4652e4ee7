#include "sim/line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/port_holders.h"

namespace kdmsim {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
// How long a close that left no counted holder waits for the master's hang-up flag, which the same close
// raises a moment after it was reported, before it is taken for a merged open of another holder.
constexpr std::int64_t kCloseCheckNs = 200 * kNsPerMs;
// How long a reopen that /proc cannot show yet is waited for before the port counts as still held.
constexpr std::int64_t kCloseGiveUpNs = 10'000 * kNsPerMs;

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Raw bytes both ways, set before anyone opens the slave: with the terminal's default echo the tool's
// requests would come straight back to it, and CR/LF translation would change telegram bytes.
bool MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= static_cast<tcflag_t>(CS8 | CREAD | CLOCAL);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B4800);
    cfsetospeed(&t, B4800);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

Line::Line(ParameterSet& set, Conversation& conversation, TrafficLog& log, LineOptions options)
    : set_(set),
      conversation_(conversation),
      log_(log),
      options_(std::move(options)),
      byteNs_(options_.pacing ? 10'000'000'000LL / std::max(options_.baud, 1) : 0) {}

Line::~Line() {
    Unpublish();
    if (master_ >= 0) close(master_);
    if (watch_ >= 0) close(watch_);
    if (lockFd_ >= 0) close(lockFd_);
}

std::int64_t Line::NowNs() {
    return MonotonicNs();
}

std::string Line::ReadyLine() const {
    return "ready COM" + std::to_string(options_.portNumber) + " " + slavePath_;
}

bool Line::Start(std::string& reason) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        reason = SystemError("posix_openpt");
        return false;
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    const char* name = nullptr;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || (name = ptsname(master_)) == nullptr) {
        reason = SystemError("pseudo-terminal");
        return false;
    }
    slavePath_ = name;
    // On a master, the terminal settings are those of the slave.
    if (!MakeRaw(master_)) {
        reason = SystemError("raw mode for " + slavePath_);
        return false;
    }
    // A slave that was never opened does not report POLLHUP on the master; one that was opened and
    // closed again does. Opening it once here gives the hang-up flag, the fallback when the watch
    // loses events, its meaning from the start.
    const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        reason = SystemError(slavePath_);
        return false;
    }
    close(slave);
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        reason = SystemError("non-blocking master");
        return false;
    }
    // Watched only from here on, so the open above is not counted.
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0 || inotify_add_watch(watch_, slavePath_.c_str(), IN_OPEN | IN_CLOSE | IN_ACCESS) < 0) {
        reason = SystemError("inotify watch on " + slavePath_);
        return false;
    }
    if (!Publish(reason)) return false;
    if (!options_.readyFile.empty() && !WriteReadyFile(reason)) {
        Unpublish();
        return false;
    }
    log_.Event(NowNs(), ReadyLine());
    std::printf("%s\n", ReadyLine().c_str());
    std::fflush(stdout);
    return true;
}

bool Line::Publish(std::string& reason) {
    const std::string& dir = options_.portDirectory;
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || mkdir(dir.c_str(), 0755) != 0) {
            reason = SystemError(dir);
            return false;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        reason = dir + ": not a directory";
        return false;
    }
    const std::string name = "COM" + std::to_string(options_.portNumber);
    linkPath_ = dir + "/" + name;
    // A second simulator on a name in use would take the first one's link over, and a tool that has the
    // port open would talk to one while its user watches the other. The lock goes with the process,
    // however it ends, so a link left by a crash never blocks the name.
    const std::string lockPath = dir + "/." + name + ".lock";
    lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0) {
        reason = SystemError(lockPath);
        return false;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        reason = errno == EWOULDBLOCK ? name + " in " + dir +
                                            " is in use by another kdmxp-sim: stop that one first, or choose "
                                            "another --com"
                                      : SystemError(lockPath);
        close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    if (lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        reason = linkPath_ + ": exists and is not a symbolic link; not replaced";
        return false;
    }
    // A stale link of an earlier run is replaced in one step, so a tool never sees the name missing.
    const std::string temporary =
        dir + "/.COM" + std::to_string(options_.portNumber) + "." + std::to_string(getpid()) + ".tmp";
    unlink(temporary.c_str());
    if (symlink(slavePath_.c_str(), temporary.c_str()) != 0) {
        reason = SystemError(temporary);
        return false;
    }
    if (rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        reason = SystemError(linkPath_);
        unlink(temporary.c_str());
        return false;
    }
    published_ = true;
    return true;
}

void Line::Unpublish() {
    if (!published_) return;
    published_ = false;
    // Only our own link: another simulator may have taken the name over meanwhile.
    char target[512];
    const ssize_t length = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == slavePath_) {
        unlink(linkPath_.c_str());
    }
}

bool Line::WriteReadyFile(std::string& reason) {
    const std::string temporary = options_.readyFile + "." + std::to_string(getpid()) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << ReadyLine() << '\n';
        out.close();
        if (!out) {
            reason = temporary + ": cannot be written";
            unlink(temporary.c_str());
            return false;
        }
    }
    // Whoever waits for the file sees it whole or not at all.
    if (rename(temporary.c_str(), options_.readyFile.c_str()) != 0) {
        reason = SystemError(options_.readyFile);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

Line::Wait Line::WaitFor(short masterEvents, std::int64_t untilNs, const sigset_t& waitMask,
                         short& masterRevents) {
    pollfd entries[2] = {{watch_, POLLIN, 0}, {master_, masterEvents, 0}};
    const nfds_t count = masterEvents != 0 ? 2 : 1;
    timespec timeout{};
    timespec* bound = nullptr;
    if (untilNs >= 0) {
        const std::int64_t left = std::max<std::int64_t>(untilNs - NowNs(), 0);
        timeout.tv_sec = static_cast<time_t>(left / 1'000'000'000LL);
        timeout.tv_nsec = static_cast<long>(left % 1'000'000'000LL);
        bound = &timeout;
    }
    // The stop signals are blocked except inside this call, so one that arrives at any other moment is
    // still pending here and interrupts it at once.
    const int rc = ppoll(entries, count, bound, &waitMask);
    masterRevents = rc > 0 && count == 2 ? entries[1].revents : 0;
    if (rc < 0 && errno == EINTR) return Wait::kSignal;
    return rc > 0 ? Wait::kReady : Wait::kTimeout;
}

bool Line::SlaveHeld() {
    pollfd entry{master_, POLLIN, 0};
    const int rc = poll(&entry, 1, 0);
    return rc >= 0 && (entry.revents & POLLHUP) == 0;
}

void Line::FollowOpeners(std::int64_t now) {
    alignas(inotify_event) char buffer[4096];
    bool lost = false;
    while (!stopAfterClose_) {
        const ssize_t got = read(watch_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof event);
            at += sizeof event + event.len;
            if ((event.mask & (IN_Q_OVERFLOW | IN_IGNORED)) != 0) lost = true;
            // Whose open an event reports does not matter, only how many remain: the simulator opens the
            // slave itself only while nobody holds it, and its open and close both reach the queue before
            // it is read again, so they cancel out.
            if ((event.mask & IN_OPEN) != 0) {
                if (ownOpensPending_ > 0) {
                    --ownOpensPending_;
                } else {
                    ++openers_;
                    FollowOpen(now);
                }
            }
            if ((event.mask & IN_CLOSE) != 0) {
                if (ownClosesPending_ > 0) {
                    --ownClosesPending_;
                } else {
                    openers_ = std::max(openers_ - 1, 0);
                    if (open_ && openers_ == 0 && closeCheckNs_ < 0) {
                        closeCheckNs_ = now + kCloseCheckNs;
                        closeGiveUpNs_ = now + kCloseGiveUpNs;
                    }
                }
            }
        }
    }
    if (lost) {
        ownOpensPending_ = 0;
        ownClosesPending_ = 0;
        log_.Event(now, "open watch lost events; going by the hang-up flag");
    }
    FollowHangUp(now);
}

void Line::FollowOpen(std::int64_t now) {
    if (stopAfterClose_ || hungUp_) return;
    if (open_ && closeCheckNs_ >= 0) {
        // The count fell to nothing and rose again before the hang-up could be looked at: a close
        // followed at once by a reopen, which is a new conversation.
        FollowClose(now);
        if (stopAfterClose_) return;
    }
    if (!open_) Opened(now);
}

void Line::FollowHangUp(std::int64_t now) {
    if (stopAfterClose_ || hungUp_) return;
    // The master's hang-up flag goes up when the slave's last holder closes and down with any open, so
    // it settles what the count cannot: inotify merges identical events that follow each other unread,
    // so two closes in a row (a refused second tool, then the tool) arrive as one, and so do the tool's
    // reopen and the simulator's own open right after a close.
    if (!open_) {
        if (SlaveHeld()) {
            openers_ = std::max(openers_, 1);
            Opened(now);
        }
        return;
    }
    if (!SlaveHeld()) {
        FollowClose(now);
        return;
    }
    if (closeCheckNs_ >= 0 && now >= closeCheckNs_) {
        // Every counted holder closed, yet the flag stayed down. Either another holder's open was merged
        // with one before it, or the tool is reopening right now: the kernel lowers the flag inside the
        // open, before the watch hears of it and before the new descriptor exists, and a loaded machine
        // may hold the opener there for a long while. A descriptor /proc shows belongs to an open whose
        // event is already queued, so only once one is visible and the queue is empty is the port still
        // held by a merged opener; until then the reopen is waited for.
        const bool holderVisible = !kdm::FindPortHolders(slavePath_).empty();
        if (!holderVisible && now < closeGiveUpNs_) {
            closeCheckNs_ = now + kCloseCheckNs;
            return;
        }
        pollfd pending{watch_, POLLIN, 0};
        if (poll(&pending, 1, 0) > 0) return;  // the next look at the watch takes the open first
        closeCheckNs_ = -1;
        openers_ = std::max(openers_, 1);
    }
}

void Line::FollowClose(std::int64_t now) {
    // What the tool wrote just before closing still counts: the close is reported only after its writes,
    // and a read hands over what the kernel still holds for the master.
    Drain(now);
    Closed(now);
    openers_ = 0;
    stopAfterClose_ = options_.once;
}

int Line::OpenOwnProbe(int flags) {
    const int fd = open(slavePath_.c_str(), flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ++ownOpensPending_;
    return fd;
}

void Line::CloseOwnProbe(int fd) {
    close(fd);
    ++ownClosesPending_;
}

int Line::Run(const sigset_t& waitMask) {
    bool stopped = false;
    while (!stopped && !hungUp_) {
        std::int64_t now = NowNs();
        short revents = 0;
        if (!open_) {
            if (WaitFor(0, -1, waitMask, revents) == Wait::kSignal) break;
            FollowOpeners(NowNs());
            stopped = stopAfterClose_;
            continue;
        }
        if (conversation_.AwaitingFirstFrame() && now >= nextIdentificationNs_) {
            Enqueue(now, true, {});
            nextIdentificationNs_ += kIdentificationRepeatMs * kNsPerMs;
        }
        std::int64_t wake = Pump(now);
        if (hungUp_) break;
        if (conversation_.AwaitingFirstFrame()) {
            wake = wake < 0 ? nextIdentificationNs_ : std::min(wake, nextIdentificationNs_);
        }
        if (closeCheckNs_ >= 0) wake = wake < 0 ? closeCheckNs_ : std::min(wake, closeCheckNs_);
        const auto events = static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0));
        const Wait result = WaitFor(events, wake, waitMask, revents);
        if (result == Wait::kSignal) break;
        now = NowNs();
        if ((revents & POLLOUT) != 0) writeBlocked_ = false;
        if ((revents & POLLIN) != 0) Drain(now);
        FollowOpeners(now);
        stopped = stopAfterClose_;
    }
    const std::int64_t now = NowNs();
    if (open_) {
        conversation_.End();
        if (nextByte_ > 0) LogUnit(now, " (cut: stopped)");
        log_.Event(now, "stopped while the port was open");
    }
    SaveNow(now, "at exit");
    Unpublish();
    log_.Event(now, hungUp_ ? "exit after hang-up" : "exit");
    return hungUp_ ? kExitHungUp : kExitOk;
}

void Line::Opened(std::int64_t now) {
    open_ = true;
    writeBlocked_ = false;
    closeCheckNs_ = -1;
    queue_.clear();
    nextByte_ = 0;
    pauseTaken_ = false;
    sentOfUnit_.clear();
    bytesSent_ = 0;
    nextByteNs_ = now;
    nextIdentificationNs_ = now;
    log_.Event(now, "port opened");
    conversation_.Begin(queue_);
    if (options_.hangupAfterByte == 0) HangUp(now, "--hangup-after-byte 0");
}

void Line::Closed(std::int64_t now) {
    conversation_.End();
    if (nextByte_ > 0) LogUnit(now, " (cut: port closed)");
    queue_.clear();
    nextByte_ = 0;
    pauseTaken_ = false;
    sentOfUnit_.clear();
    writeBlocked_ = false;
    closeCheckNs_ = -1;
    open_ = false;
    log_.Event(now, "port closed after " + std::to_string(conversation_.SentCount()) + " telegrams sent, " +
                        std::to_string(conversation_.ReceivedCount()) + " frames received");
    DiscardUnread();
    if (conversation_.WroteThisCycle()) SaveNow(now, "after a write");
}

void Line::Drain(std::int64_t now) {
    char buffer[4096];
    while (true) {
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got > 0) {
            Enqueue(now, false, std::string_view(buffer, static_cast<std::size_t>(got)));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        // Nothing more (EAGAIN), or the slave's last holder is gone (EIO): the watch decides about that.
        return;
    }
}

void Line::Enqueue(std::int64_t now, bool identification, std::string_view received) {
    const bool idle = queue_.empty();
    if (identification) {
        conversation_.QueueIdentification(queue_);
    } else {
        conversation_.Receive(received, queue_);
    }
    // A line that stood idle starts the next byte now; a busy one keeps its schedule.
    if (idle && !queue_.empty()) nextByteNs_ = std::max(nextByteNs_, now);
}

std::int64_t Line::Pump(std::int64_t now) {
    while (!queue_.empty()) {
        OutUnit& unit = queue_.front();
        if (nextByte_ >= unit.bytes.size()) {
            LogUnit(now, "");
            queue_.pop_front();
            nextByte_ = 0;
            // An answer that never ends goes on, on the schedule of the telegram before.
            if (queue_.empty()) conversation_.Continue(queue_);
            // Back to the wait after every telegram, even when the next one is due at once: a close of
            // the port is seen there, so at most one telegram goes out after it.
            if (!queue_.empty()) return std::max(nextByteNs_, now);
            continue;
        }
        const OutByte& byte = unit.bytes[nextByte_];
        if (byte.hangupBefore) {
            HangUp(now, "line fault: hang-up in " + unit.label + " at byte " + std::to_string(nextByte_));
            return -1;
        }
        if (byte.pauseBeforeMs > 0 && !pauseTaken_) {
            nextByteNs_ = std::max(nextByteNs_, now) + byte.pauseBeforeMs * kNsPerMs;
            pauseTaken_ = true;
        }
        if (writeBlocked_) return -1;
        if (now < nextByteNs_) return nextByteNs_;
        const ssize_t put = write(master_, &byte.value, 1);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeBlocked_ = true;
            return -1;
        }
        if (put <= 0) {
            // Nobody holds the slave any more; the close is followed where the watch is read.
            return -1;
        }
        sentOfUnit_ += static_cast<char>(byte.value);
        ++nextByte_;
        pauseTaken_ = false;
        ++bytesSent_;
        // Absolute deadlines: byte n of a burst goes out at start + n byte times, however late the
        // process woke for the ones before, so the rate never drifts below the line's.
        nextByteNs_ += byteNs_;
        if (options_.hangupAfterByte > 0 && bytesSent_ >= options_.hangupAfterByte) {
            HangUp(now, "--hangup-after-byte " + std::to_string(options_.hangupAfterByte));
            return -1;
        }
    }
    return -1;
}

void Line::LogUnit(std::int64_t now, const std::string& suffix) {
    if (!queue_.empty()) log_.Bytes(now, queue_.front().label + suffix, sentOfUnit_);
    sentOfUnit_.clear();
}

void Line::DiscardUnread() {
    // Bytes the tool did not read would greet the next program that opens the port. Flushing the
    // slave's input through a descriptor of our own also catches bytes the kernel is still handing over;
    // where the slave cannot be opened, a TCSAFLUSH set of the unchanged settings through the master
    // at least empties what has arrived.
    const int probe = OpenOwnProbe(O_RDONLY);
    if (probe >= 0) {
        tcflush(probe, TCIFLUSH);
        CloseOwnProbe(probe);
        return;
    }
    termios t{};
    if (tcgetattr(master_, &t) == 0) tcsetattr(master_, TCSAFLUSH, &t);
}

void Line::AwaitConsumed() {
    // Closing the master discards what the slave has not read yet, yet "hung up at byte n" means the
    // bytes before n did reach the tool. A second descriptor on the slave shows how much is unread.
    // Where it cannot be opened (the tool holds the port exclusively and we are not privileged), the
    // tool's reads show it instead: each one it makes is reported by the watch, so once they stopped
    // coming for a while it has taken what it was going to take.
    constexpr std::int64_t kBoundNs = 10'000 * kNsPerMs;
    const std::int64_t start = NowNs();
    const int probe = OpenOwnProbe(O_RDONLY);
    if (probe < 0) {
        constexpr std::int64_t kReadsStoppedNs = 500 * kNsPerMs;
        std::int64_t lastRead = start;
        while (NowNs() - start < kBoundNs && NowNs() - lastRead < kReadsStoppedNs) {
            pollfd entry{watch_, POLLIN, 0};
            poll(&entry, 1, 50);
            alignas(inotify_event) char buffer[4096];
            const ssize_t got = read(watch_, buffer, sizeof buffer);
            for (std::size_t at = 0;
                 got > 0 && at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
                inotify_event event{};
                std::memcpy(&event, buffer + at, sizeof event);
                at += sizeof event + event.len;
                if ((event.mask & IN_ACCESS) != 0) lastRead = NowNs();
            }
        }
        return;
    }
    while (NowNs() - start < kBoundNs) {
        // Bytes written to the master reach the slave's queue a moment later; a poll on the slave
        // waits for that hand-over, so the count that follows is the true one.
        pollfd entry{probe, POLLIN, 0};
        poll(&entry, 1, 0);
        int unread = 0;
        if (ioctl(probe, FIONREAD, &unread) != 0 || unread == 0) break;
        const timespec step{0, kNsPerMs};
        nanosleep(&step, nullptr);
    }
    CloseOwnProbe(probe);
}

void Line::HangUp(std::int64_t now, const std::string& why) {
    if (nextByte_ > 0 || !sentOfUnit_.empty()) LogUnit(now, " (cut: hang-up)");
    AwaitConsumed();
    log_.Event(now, "line hung up (" + why + ")");
    queue_.clear();
    // Closing the master is what an unplugged adapter looks like to the tool: its reads fail from now on,
    // and the port name disappears.
    close(master_);
    master_ = -1;
    Unpublish();
    open_ = false;
    hungUp_ = true;
}

void Line::SaveNow(std::int64_t now, const char* why) {
    if (options_.savePath.empty()) return;
    std::string reason;
    if (SaveParameterSet(options_.savePath, set_, reason)) {
        log_.Event(now, std::string("saved ") + options_.savePath + " (" + why + ")");
    } else {
        log_.Event(now, "save failed: " + reason);
        std::fprintf(stderr, "kdmxp-sim: save failed: %s\n", reason.c_str());
    }
}

}  // namespace kdmsim
