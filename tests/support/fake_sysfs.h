// A machine's serial devices as files: a sysfs tree and a /dev tree laid out the way the kernel and
// udev lay them out, for KDMXP_SYSFS_ROOT and KDMXP_DEV_ROOT to point at.
//
//   sys/class/tty/ttyUSB0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0
//   .../1-2/               the USB device: idVendor, idProduct, manufacturer, product, serial
//   .../1-2/1-2:1.0/       the interface: bInterfaceNumber, driver -> bus/usb/drivers/<driver>
//   .../1-2:1.0/ttyUSB0/   the usb-serial port: driver -> bus/usb-serial/drivers/<driver>
//   .../tty/ttyUSB0/device -> ../../../ttyUSB0
//   sys/class/tty/ttyACM0 -> ../../devices/.../1-3/1-3:1.0/tty/ttyACM0, device -> the interface (cdc_acm)
//   sys/class/tty/ttyS0 -> ../../devices/pnp0/00:05/tty/ttyS0 (a real onboard port) or
//                          ../../devices/platform/serial8250/tty/ttyS1; `type` 0 marks a phantom
//   sys/class/tty/tty0 -> ../../devices/virtual/tty/tty0 (no device link)
//   dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 -> ../../ttyUSB0
//
// The device nodes are whatever the test makes them: usually symlinks to simulator pseudo-terminals.
#pragma once

#include <string>

namespace kdmtest {

struct FakeUsbAdapter {
    std::string tty = "ttyUSB0";
    std::string usbPath = "1-2";  // the socket: "1-2" is port 2 of bus 1
    std::string vendorId = "0403";
    std::string productId = "6001";
    std::string manufacturer;  // an empty string leaves the attribute out, as the kernel does
    std::string product;
    std::string serial;
    std::string driver = "ftdi_sio";
};

class FakeSerialSystem {
  public:
    // Lays out an empty machine below `root` (which must exist): root/sys and root/dev.
    explicit FakeSerialSystem(const std::string& root);

    const std::string& SysfsRoot() const { return sys_; }
    const std::string& DevRoot() const { return dev_; }

    // tty0 .. tty<count-1>, console, ptmx and tty: class entries without a device link.
    void AddVirtualTerminals(int count = 64);
    // ttyS<n> on an ACPI/PNP device (a port the firmware declares, 00:05 and up).
    void AddPnpUart(int n, int type = 4);
    // ttyS<n> on the legacy platform device; the kernel registers four of these on every PC and marks
    // those without a chip as type 0.
    void AddPlatformUart(int n, int type = 0);
    // A usb-serial adapter (ftdi_sio, pl2303, cp210x ...): ttyUSB<n> below its interface's port device.
    void AddUsbSerial(const FakeUsbAdapter& adapter);
    // A CDC-ACM device: ttyACM<n> directly below its interface.
    void AddAcm(const FakeUsbAdapter& adapter);
    // dev/serial/by-id/<linkName> -> ../../<tty>, as udev's serial rules make it.
    void AddByIdLink(const std::string& linkName, const std::string& tty);
    // dev/<tty> -> target (a pseudo-terminal, or nothing when `target` does not exist).
    void AddDeviceNode(const std::string& tty, const std::string& target);
    // Unplugs: the class entry, the device directory below the bus, by-id links and the node go.
    void Remove(const std::string& tty);

  private:
    // A relative symlink at `link` leading to `target`, both absolute.
    static void Link(const std::string& link, const std::string& target);
    void AddTty(const std::string& ttyDirectory, const std::string& tty, const std::string& device);
    std::string UsbDevice(const FakeUsbAdapter& adapter);
    std::string sys_;
    std::string dev_;
};

}  // namespace kdmtest
