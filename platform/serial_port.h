// The serial line as the link needs it: open a port by its user-visible name ("COM1" ...), put it into
// the device's line settings, read single bytes with a 100 ms bound, write bytes, close.
//
// Contract shared by every implementation (the POSIX one and the scripted fakes of the tests):
//  - Open and ApplyLineSettings fail with the reason the port could not be used.
//  - ReadByte gives a byte, or fails with kReadTimedOut when none came within 100 ms (the line is fine,
//    only silent), or with any other code when the line is gone (hang-up, EIO, unplugged adapter, no port
//    open). A gone line may answer at once; the caller then ends its wait early, so a vanished device
//    never turns into a busy loop of instant reads.
//  - Write takes at least one of `count` bytes (none when `count` is 0) and says how many, or fails. It
//    waits for the line at most a bound of its own, which one call never exceeds. WriteAll below is how
//    the link writes: an implementation may take fewer bytes than offered.
//  - Close never blocks and is harmless when nothing is open.
// None of the functions throws.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/result.h"

namespace kdm {

// The failure code of a read that brought no byte in its time.
inline constexpr int kReadTimedOut = ETIMEDOUT;

class ISerialPort {
  public:
    virtual ~ISerialPort() = default;
    // Opens the port named `name` ("COM1" to "COM30") exclusively.
    virtual Status Open(const std::string& name) = 0;
    // 4800 baud, 8 data bits, no parity, one stop bit.
    virtual Status ApplyLineSettings() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual Result<unsigned char> ReadByte() = 0;
    virtual Result<std::size_t> Write(const void* data, std::size_t count) = 0;
};

// True when a failed read only means that no byte came in time.
inline bool ReadTimedOut(const Result<unsigned char>& read) {
    return read.error() == kReadTimedOut;
}

// Writes all `count` bytes, offering the port what it has not taken yet until it has taken everything or
// fails. Ok only when every byte went; a failure's reason says how many did. The port is asked once even
// for no bytes at all, so that a write of nothing still reaches it (and its records).
Status WriteAll(ISerialPort& port, const void* data, std::size_t count);

}  // namespace kdm
