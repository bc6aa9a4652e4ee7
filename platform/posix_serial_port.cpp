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

void CloseQuietly(int fd) {
    ioctl(fd, TIOCNXCL);
    close(fd);  // not retried on EINTR: the descriptor is gone either way on Linux
}

// Opens the device for reading and writing, exclusively, as a blocking descriptor; fails when that is
// not possible now.
Result<int> OpenExclusive(const std::string& path) {
    if (path.empty()) return Failure(kErrorNotMapped, "no device is assigned to this name");
    // O_NONBLOCK so that a modem line without carrier cannot hang the open; cleared below.
    // O_NOCTTY so that the port never becomes our controlling terminal (a hang-up would kill us).
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SystemFailure(errno, path);
    // Checked on the open descriptor, so the path cannot be swapped between check and use.
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        return SystemFailure(error, path);
    }
    if (!S_ISCHR(st.st_mode)) {
        close(fd);
        return Failure(kErrorNotCharacterDevice, path + ": not a character device");
    }
    // flock keeps out other programs that lock (and a second open of ours); TIOCEXCL keeps out the rest.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        close(fd);
        return SystemFailure(error, path);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        CloseQuietly(fd);
        return SystemFailure(error, path);
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

// What is left of a wait that ends at `deadline`, as a poll time-out: never below 0.
int RemainingMs(IClock& clock, std::int64_t deadline) {
    const std::int64_t left = deadline - clock.NowMs();
    return left > 0 ? static_cast<int>(left) : 0;
}

Failure NotOpen() {
    return Failure(EBADF, "no port is open");
}

}  // namespace

// The one place where an error code becomes a reason the user can act on.
PortProblem ProblemOfError(int error) {
    switch (error) {
        case 0:
            return PortProblem::kNone;
        case kErrorNotMapped:
            return PortProblem::kNotMapped;
        case kErrorNotCharacterDevice:
        case EISDIR:
            return PortProblem::kNotCharacterDevice;
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
        default:
            return PortProblem::kOther;
    }
}

PosixSerialPort::PosixSerialPort(const PortMap& map, IClock& clock) : map_(map), clock_(clock) {}

PosixSerialPort::~PosixSerialPort() {
    Close();
}

Status PosixSerialPort::Open(const std::string& name) {
    Close();
    const std::string path = map_.DevicePathOf(name);
    const Result<int> opened = OpenExclusive(path);
    if (!opened.Ok()) return Failure(opened.error(), name + ": " + opened.reason());
    const int fd = opened.value();
    if (tcgetattr(fd, &saved_) != 0) {
        const int error = errno;
        CloseQuietly(fd);
        return SystemFailure(error, name + ": " + path);
    }
    haveSaved_ = true;
    fd_ = fd;
    name_ = name;
    return {};
}

Status PosixSerialPort::ApplyLineSettings() {
    if (fd_ < 0) return NotOpen();
    const std::string what = name_ + ": line settings";
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return SystemFailure(errno, what);
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
    if (cfsetispeed(&t, B4800) != 0 || cfsetospeed(&t, B4800) != 0) return SystemFailure(errno, what);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return SystemFailure(errno, what);
    // tcsetattr succeeds when any of the changes took; make sure the ones that matter did.
    termios now{};
    if (tcgetattr(fd_, &now) != 0) return SystemFailure(errno, what);
    if (cfgetospeed(&now) != B4800 || now.c_cc[VTIME] != 1 || now.c_cc[VMIN] != 0 ||
        (now.c_cflag & CSIZE) != CS8) {
        return Failure(kErrorSettingsNotTaken, what + ": the line does not keep 4800 baud 8N1");
    }
    return {};
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

Result<unsigned char> PosixSerialPort::ReadByte() {
    if (fd_ < 0) return NotOpen();
    // One bound for the whole call: a signal or an early return goes on against what is left of it.
    const std::int64_t deadline = clock_.NowMs() + kReadTimeoutMs;
    while (true) {
        // VTIME bounds the read already; the poll keeps the bound even when the terminal settings
        // were not applied or a driver ignores them.
        const int left = RemainingMs(clock_, deadline);
        pollfd entry{fd_, POLLIN, 0};
        const int ready = poll(&entry, 1, clock_.RealMs(left));
        if (ready < 0 && errno == EINTR) {
            if (left == 0) return Failure(kReadTimedOut, "no byte within 100 ms");
            continue;
        }
        if (ready == 0) return Failure(kReadTimedOut, "no byte within 100 ms");  // the full time passed
        if (ready < 0) break;
        unsigned char byte = 0;
        const ssize_t got = read(fd_, &byte, 1);
        if (got == 1) return byte;
        const int readError = got < 0 ? errno : 0;
        if (readError == EINTR) continue;
        if (LineGoneError(readError)) return SystemFailure(readError, name_);
        break;
    }
    // No byte although the line looked ready. A hung-up line answers every read at once with nothing;
    // report it instead of letting the caller spin.
    if (LineHungUp(fd_)) return Failure(kErrorHungUp, name_ + ": the line hung up");
    // Whatever made the read come back early, a silent read costs its full time, never less.
    const int left = RemainingMs(clock_, deadline);
    if (left > 0) clock_.SleepMs(left);
    return Failure(kReadTimedOut, "no byte within 100 ms");
}

Result<std::size_t> PosixSerialPort::Write(const void* data, std::size_t count) {
    if (fd_ < 0) return NotOpen();
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t perByteBound = 4096;  // keeps the time-out arithmetic in range
    const int timeoutMs = kWriteTimeoutMs + kWriteTimeoutPerByteMs *
                                                static_cast<int>(count < perByteBound ? count : perByteBound);
    // One bound for the whole call: signals and partial writes go on against what is left of it.
    const std::int64_t deadline = clock_.NowMs() + timeoutMs;
    const auto written = [&](std::size_t done) {
        return " (" + std::to_string(done) + " of " + std::to_string(count) + " bytes written)";
    };
    std::size_t done = 0;
    while (done < count) {
        // The descriptor blocks; without this bound a line that takes nothing would hang the caller.
        const int left = RemainingMs(clock_, deadline);
        pollfd entry{fd_, POLLOUT, 0};
        const int ready = poll(&entry, 1, clock_.RealMs(left));
        const int pollError = ready < 0 ? errno : 0;
        if (pollError == EINTR && left > 0) continue;
        if (pollError != 0 && pollError != EINTR)
            return SystemFailure(pollError, name_ + ": write" + written(done));
        if (ready <= 0) {
            return Failure(ETIMEDOUT, name_ + ": the line took no more bytes within " +
                                          std::to_string(timeoutMs) + " ms" + written(done));
        }
        if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return Failure(kErrorHungUp, name_ + ": the line hung up" + written(done));
        }
        const ssize_t put = write(fd_, bytes + done, count - done);
        const int writeError = put < 0 ? errno : 0;
        if (writeError == EINTR || writeError == EAGAIN) continue;
        if (put < 0) return SystemFailure(writeError, name_ + ": write" + written(done));
        if (put == 0) return Failure(kErrorNoProgress, name_ + ": the line took no bytes" + written(done));
        done += static_cast<std::size_t>(put);
    }
    return done;
}

bool PosixSerialPort::CanOpenPort(const PortMap& map, const std::string& name, PortProbe* probe) {
    return CanOpenPath(map.DevicePathOf(name), probe);
}

bool PosixSerialPort::CanOpenPath(const std::string& devicePath, PortProbe* probe) {
    const Result<int> opened = OpenExclusive(devicePath);
    if (opened.Ok()) CloseQuietly(opened.value());
    if (probe != nullptr) {
        *probe = PortProbe{};
        probe->devicePath = devicePath;
        probe->problem = ProblemOfError(opened.error());
        probe->systemError = opened.error() > 0 ? opened.error() : 0;
        if (probe->problem == PortProblem::kPermission) probe->groupName = GroupNameOf(devicePath);
    }
    return opened.Ok();
}

}  // namespace kdm
