// The serial devices this machine has right now, as the kernel describes them: the device node, the
// stable name udev gives a USB adapter, the driver, and what the adapter says about itself.
//
// The port map uses this to give each real device a COM name and to say what each name stands for. It
// is an interface so that the map can be tested without the machine's own devices, and so that another
// system could describe its ports in its own way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kdm {

enum class PortKind {
    kUart,   // a ttyS port with a real UART behind it (on the mainboard or on a plug-in card)
    kUsb,    // a USB adapter: usb-serial (ttyUSB) or CDC-ACM (ttyACM)
    kOther,  // any other tty with a device behind it (an SoC UART, a Bluetooth link ...)
};

struct DetectedPort {
    std::string name;        // kernel name, "ttyUSB0"
    std::string devicePath;  // the device node, "<dev root>/ttyUSB0"
    std::string byIdPath;    // "<dev root>/serial/by-id/usb-FTDI_..." when udev made one, else empty
    std::string driver;      // "ftdi_sio", "cdc_acm", "serial8250" ...; empty when unknown
    PortKind kind = PortKind::kOther;
    int uartNumber = -1;  // n of ttyS<n> for kUart
    int uartType = -1;    // the serial core's UART type number for kUart, -1 when unknown
    // kUsb only (empty or 0 when the adapter does not say):
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string manufacturer;
    std::string product;
    std::string serialNumber;
    std::string interfaceNumber;  // "00", the USB interface the tty belongs to
    std::string usbPath;          // the USB device's place on the bus, "1-2"; changes with the socket
};

class IPortDiscovery {
  public:
    virtual ~IPortDiscovery() = default;
    // Fills `ports` with the serial devices present now, sorted by kernel name (ttyS2 before ttyS10).
    // Returns false when this system offers no way to find them (then `ports` is empty and callers fall
    // back to fixed names). Phantom UARTs (ports the kernel reserved without finding a chip) and virtual
    // terminals are not serial devices and never appear. Never throws.
    virtual bool Discover(std::vector<DetectedPort>& ports) = 0;
};

// One line a user can recognise the device by: "FTDI FT232R USB UART, serial A50285BI",
// "built-in serial port (16550A)".
std::string DescribePort(const DetectedPort& port);

// What an adapter is remembered by across plugging and sockets: its by-id name, or without one its
// vendor, product, serial number and interface. Empty when nothing stable tells it apart (a USB adapter
// without serial number on a system without udev, or any non-USB port, which keeps its kernel name).
std::string PortIdentity(const DetectedPort& port);

// The detected port that `devicePath` leads to: the same device node or by-id name, or a path to the same
// character device. Null when none.
const DetectedPort* FindDetectedPort(const std::vector<DetectedPort>& ports, const std::string& devicePath);

// Reads /sys/class/tty and /dev/serial/by-id. The roots come from KDMXP_SYSFS_ROOT (default /sys) and
// KDMXP_DEV_ROOT (default /dev), read at each Discover, so tests and the simulator can confine discovery
// to a tree of their own.
class SysfsPortDiscovery final : public IPortDiscovery {
  public:
    SysfsPortDiscovery() = default;
    bool Discover(std::vector<DetectedPort>& ports) override;
};

}  // namespace kdm
