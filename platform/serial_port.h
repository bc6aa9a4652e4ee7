// The serial line as the link needs it: open a port by its user-visible name ("COM1" ...), put it into
// the device's line settings, read single bytes with a 100 ms bound, write bytes, close.
//
// Contract shared by every implementation (the POSIX one and the scripted fake of the tests):
//  - ReadByte returns 1 with a byte, 0 when no byte came within 100 ms, or -1 when the line is gone
//    (hang-up, EIO, unplugged adapter). A -1 may come back at once; the caller then ends its wait early,
//    so a vanished device never turns into a busy loop of instant zero-byte reads.
//  - Write returns the number of bytes the line took (the link does not look at it).
//  - Close never blocks and is harmless when nothing is open.
// None of the functions throws.
#pragma once

#include <cstddef>
#include <string>

namespace kdm {

class ISerialPort {
  public:
    virtual ~ISerialPort() = default;
    // Opens the port named `name` ("COM1" to "COM30") exclusively. Returns true when it is open.
    virtual bool Open(const std::string& name) = 0;
    // 4800 baud, 8 data bits, no parity, one stop bit. Returns true on success.
    virtual bool ApplyLineSettings() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual int ReadByte(unsigned char& byte) = 0;
    virtual long Write(const void* data, std::size_t count) = 0;
};

}  // namespace kdm
