#include "platform/posix_serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kdm {

namespace {

// A one-byte read returns after at most this long, with or without a byte.
constexpr int kReadTimeoutMs = 100;
// Bound of a write, like the line's write time-outs: a constant plus a share per byte.
constexpr int kWriteTimeoutMs = 100;
constexpr int kWriteTimeoutPerByteMs = 10;

// The one place where a system error becomes a reason the user can act on.
PortProblem ProblemOfError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO:
            return PortProblem::kMissing;
        case EACCES:
        case EPERM:
            return PortProblem::kPermission;
        case EBUSY:
        case EWOULDBLOCK:
            return PortProblem::kBusy;
        case EISDIR:
            return PortProblem::kNotCharacterDevice;
        default:
            return PortProblem::kOther;
    }
}

std::string GroupNameOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    group entry{};
    group* found = nullptr;
    std::vector<char> buffer(4096);
    while (true) {
        const int rc = getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc == 0 && found != nullptr && found->gr_name != nullptr) return found->gr_name;
        return std::to_string(st.st_gid);
    }
}

void Fail(PortProbe& probe, int error) {
    probe.problem = ProblemOfError(error);
    probe.systemError = error;
    if (probe.problem == PortProblem::kPermission) probe.groupName = GroupNameOf(probe.devicePath);
}

void CloseQuietly(int fd) {
    ioctl(fd, TIOCNXCL);
    close(fd);  // not retried on EINTR: the descriptor is gone either way on Linux
}

// Opens the device for reading and writing, exclusively, as a blocking descriptor. -1 with the
// reason in `probe` when that is not possible now.
int OpenExclusive(const std::string& path, PortProbe& probe) {
    probe = PortProbe{};
    probe.devicePath = path;
    if (path.empty()) {
        probe.problem = PortProblem::kNotMapped;
        return -1;
    }
    // O_NONBLOCK so that a modem line without carrier cannot hang the open; cleared below.
    // O_NOCTTY so that the port never becomes our controlling terminal (a hang-up would kill us).
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        Fail(probe, errno);
        return -1;
    }
    // Checked on the open descriptor, so the path cannot be swapped between check and use.
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        Fail(probe, errno);
        close(fd);
        return -1;
    }
    if (!S_ISCHR(st.st_mode)) {
        probe.problem = PortProblem::kNotCharacterDevice;
        close(fd);
        return -1;
    }
    // flock keeps out other programs that lock (and a second open of ours); TIOCEXCL keeps out the rest.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        close(fd);
        Fail(probe, error);
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        CloseQuietly(fd);
        Fail(probe, error);
        return -1;
    }
    return fd;
}

// True when the other end is gone: a hung-up pseudo-terminal or an unplugged adapter.
bool LineHungUp(int fd) {
    pollfd entry{fd, POLLIN, 0};
    int rc;
    do {
        rc = poll(&entry, 1, 0);
    } while (rc < 0 && errno == EINTR);
    return rc > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool LineGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

}  // namespace

PosixSerialPort::PosixSerialPort(const PortMap& map, IClock& clock) : map_(map), clock_(clock) {}

PosixSerialPort::~PosixSerialPort() {
    Close();
}

bool PosixSerialPort::Open(const std::string& name) {
    Close();
    const int fd = OpenExclusive(map_.DevicePathOf(name), last_);
    if (fd < 0) return false;
    if (tcgetattr(fd, &saved_) != 0) {
        Fail(last_, errno);
        CloseQuietly(fd);
        return false;
    }
    haveSaved_ = true;
    fd_ = fd;
    return true;
}

bool PosixSerialPort::ApplyLineSettings() {
    if (fd_ < 0) return false;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    // Raw bytes both ways: no translation, no echo, no signals, no software or hardware flow control.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    t.c_cflag |= static_cast<tcflag_t>(CS8 | CLOCAL | CREAD);
    // A one-byte read returns as soon as a byte is there, or after 100 ms without one.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
    if (cfsetispeed(&t, B4800) != 0 || cfsetospeed(&t, B4800) != 0) return false;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    // tcsetattr succeeds when any of the changes took; make sure the ones that matter did.
    termios now{};
    return tcgetattr(fd_, &now) == 0 && cfgetospeed(&now) == B4800 && now.c_cc[VTIME] == 1 &&
           now.c_cc[VMIN] == 0 && (now.c_cflag & CSIZE) == CS8;
}

void PosixSerialPort::Close() {
    if (fd_ < 0) return;
    // Discarding what is still queued keeps close from waiting for the output to drain.
    tcflush(fd_, TCIOFLUSH);
    if (haveSaved_) tcsetattr(fd_, TCSANOW, &saved_);
    CloseQuietly(fd_);
    fd_ = -1;
    haveSaved_ = false;
}

int PosixSerialPort::ReadByte(unsigned char& byte) {
    if (fd_ < 0) return -1;
    const std::int64_t start = clock_.NowMs();
    while (true) {
        // VTIME bounds the read already; the poll keeps the bound even when the terminal settings
        // were not applied or a driver ignores them.
        pollfd entry{fd_, POLLIN, 0};
        const int ready = poll(&entry, 1, kReadTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return 0;  // the full time passed without a byte
        if (ready < 0) break;
        const ssize_t got = read(fd_, &byte, 1);
        if (got == 1) return 1;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && LineGoneError(errno)) return -1;
        break;
    }
    // No byte although the line looked ready. A hung-up line answers every read at once with nothing;
    // report it instead of letting the caller spin.
    if (LineHungUp(fd_)) return -1;
    // Whatever made the read come back early, a silent read costs its full time, never less.
    const std::int64_t elapsed = clock_.NowMs() - start;
    if (elapsed >= 0 && elapsed < kReadTimeoutMs) clock_.SleepMs(static_cast<int>(kReadTimeoutMs - elapsed));
    return 0;
}

long PosixSerialPort::Write(const void* data, std::size_t count) {
    if (fd_ < 0) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t perByteBound = 4096;  // keeps the time-out arithmetic in range
    const int timeoutMs = kWriteTimeoutMs + kWriteTimeoutPerByteMs *
                                                static_cast<int>(count < perByteBound ? count : perByteBound);
    std::size_t done = 0;
    while (done < count) {
        // The descriptor blocks; without this bound a line that takes nothing would hang the caller.
        pollfd entry{fd_, POLLOUT, 0};
        const int ready = poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) break;
        const ssize_t put = write(fd_, bytes + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    return static_cast<long>(done);
}

bool PosixSerialPort::CanOpenPort(const PortMap& map, const std::string& name, PortProbe* probe) {
    return CanOpenPath(map.DevicePathOf(name), probe);
}

bool PosixSerialPort::CanOpenPath(const std::string& devicePath, PortProbe* probe) {
    PortProbe local;
    const int fd = OpenExclusive(devicePath, local);
    if (fd >= 0) CloseQuietly(fd);
    if (probe != nullptr) *probe = std::move(local);
    return fd >= 0;
}

}  // namespace kdm
