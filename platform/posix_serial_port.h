// The serial port on POSIX terminals.
//
// Opening: O_RDWR|O_NOCTTY|O_CLOEXEC|O_NONBLOCK (so a modem line without carrier cannot hang the open),
// refused unless the path is a character device, then made exclusive with flock(LOCK_EX|LOCK_NB) and
// TIOCEXCL, so a port held by another program counts as not openable. ApplyLineSettings: raw mode,
// 4800 baud 8N1, no flow control, CLOCAL|CREAD, VMIN=0/VTIME=1. The previous settings are restored on
// Close, which never waits for output to drain.
#pragma once

#include <termios.h>

#include <string>

#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/serial_port.h"

namespace kdm {

// Why a port could not be opened, in the classes that messages such as `kdmxp-cli ports` tell apart.
enum class PortProblem { kNone, kNotMapped, kMissing, kNotCharacterDevice, kBusy, kPermission, kOther };

// The class of a failed Open's error code (kNone for 0).
PortProblem ProblemOfError(int error);

struct PortProbe {
    std::string devicePath;
    PortProblem problem = PortProblem::kNone;
    int systemError = 0;    // errno of the failing call, 0 when none
    std::string groupName;  // owning group of the device, for permission problems
};

class PosixSerialPort final : public ISerialPort {
  public:
    PosixSerialPort(const PortMap& map, IClock& clock);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // Fails with the errno of the call that refused, kErrorNotMapped or kErrorNotCharacterDevice; the
    // reason names the port and its device.
    Status Open(const std::string& name) override;
    Status ApplyLineSettings() override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    // Waits at most 100 ms, measured once from the call: a signal does not restart it.
    Result<unsigned char> ReadByte() override;
    // Writes all bytes or fails; the whole call waits at most 100 ms plus 10 ms a byte (ETIMEDOUT).
    Result<std::size_t> Write(const void* data, std::size_t count) override;

    // Opens and closes the port at once; true when it could be opened now. Fills `probe` with the class
    // of the failure, its errno and, for a permission problem, the device's group.
    static bool CanOpenPort(const PortMap& map, const std::string& name, PortProbe* probe);
    // The same for a device path (empty: not mapped).
    static bool CanOpenPath(const std::string& devicePath, PortProbe* probe);

  private:
    const PortMap& map_;
    IClock& clock_;
    int fd_ = -1;
    bool haveSaved_ = false;
    termios saved_{};
    std::string name_;  // as opened, for the reasons of failures
};

}  // namespace kdm
