#include "support/fake_sysfs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kdmtest {

namespace {

namespace fs = std::filesystem;

const char kUsbHost[] = "devices/pci0000:00/0000:00:14.0";

void Attribute(const fs::path& directory, const std::string& name, const std::string& value) {
    if (value.empty()) return;
    fs::create_directories(directory);
    std::ofstream(directory / name, std::ios::binary | std::ios::trunc) << value << "\n";
}

}  // namespace

FakeSerialSystem::FakeSerialSystem(const std::string& root) : sys_(root + "/sys"), dev_(root + "/dev") {
    fs::create_directories(sys_ + "/class/tty");
    fs::create_directories(sys_ + "/devices");
    fs::create_directories(sys_ + "/bus");
    fs::create_directories(dev_);
    // The root hub: a USB device of its own, which the adapters' lookup must not stop at first.
    const fs::path hub = fs::path(sys_) / kUsbHost / "usb1";
    Attribute(hub, "idVendor", "1d6b");
    Attribute(hub, "idProduct", "0002");
    Attribute(hub, "manufacturer", "Linux 6.1.0-18-amd64 xhci-hcd");
    Attribute(hub, "product", "xHCI Host Controller");
    Attribute(hub, "serial", "0000:00:14.0");
}

void FakeSerialSystem::Link(const std::string& link, const std::string& target) {
    const fs::path at(link);
    fs::create_directories(at.parent_path());
    std::error_code ignored;
    fs::remove(at, ignored);
    fs::create_symlink(fs::path(target).lexically_relative(at.parent_path()), at);
}

void FakeSerialSystem::AddTty(const std::string& ttyDirectory, const std::string& tty,
                              const std::string& device) {
    fs::create_directories(ttyDirectory);
    Attribute(ttyDirectory, "dev", "4:64");
    Attribute(ttyDirectory, "uevent", "MAJOR=4\nMINOR=64\nDEVNAME=" + tty);
    Link(ttyDirectory + "/subsystem", sys_ + "/class/tty");
    if (!device.empty()) Link(ttyDirectory + "/device", device);
    Link(sys_ + "/class/tty/" + tty, ttyDirectory);
}

void FakeSerialSystem::AddVirtualTerminals(int count) {
    const std::string virtualTty = sys_ + "/devices/virtual/tty/";
    for (int i = 0; i < count; ++i) {
        const std::string name = "tty" + std::to_string(i);
        AddTty(virtualTty + name, name, "");
    }
    for (const char* name : {"console", "ptmx", "tty"})
        AddTty(virtualTty + name, name, "");
}

void FakeSerialSystem::AddPnpUart(int n, int type) {
    const std::string tty = "ttyS" + std::to_string(n);
    char pnp[8];
    std::snprintf(pnp, sizeof pnp, "00:%02x", 5 + n);
    const std::string device = sys_ + "/devices/pnp0/" + pnp;
    Attribute(device, "id", "PNP0501");
    fs::create_directories(sys_ + "/bus/pnp/drivers/serial");
    Link(device + "/driver", sys_ + "/bus/pnp/drivers/serial");
    const std::string ttyDirectory = device + "/tty/" + tty;
    AddTty(ttyDirectory, tty, device);
    Attribute(ttyDirectory, "type", std::to_string(type));
    Attribute(ttyDirectory, "line", std::to_string(n));
    Attribute(ttyDirectory, "port", "0x3F8");
}

void FakeSerialSystem::AddPlatformUart(int n, int type) {
    const std::string tty = "ttyS" + std::to_string(n);
    const std::string device = sys_ + "/devices/platform/serial8250";
    fs::create_directories(sys_ + "/bus/platform/drivers/serial8250");
    Link(device + "/driver", sys_ + "/bus/platform/drivers/serial8250");
    const std::string ttyDirectory = device + "/tty/" + tty;
    AddTty(ttyDirectory, tty, device);
    Attribute(ttyDirectory, "type", std::to_string(type));
    Attribute(ttyDirectory, "line", std::to_string(n));
    Attribute(ttyDirectory, "port", "0x2E8");
}

std::string FakeSerialSystem::UsbDevice(const FakeUsbAdapter& adapter) {
    const std::string device = sys_ + "/" + kUsbHost + "/usb1/" + adapter.usbPath;
    Attribute(device, "idVendor", adapter.vendorId);
    Attribute(device, "idProduct", adapter.productId);
    Attribute(device, "manufacturer", adapter.manufacturer);
    Attribute(device, "product", adapter.product);
    Attribute(device, "serial", adapter.serial);
    Attribute(device, "busnum", "1");
    return device;
}

void FakeSerialSystem::AddUsbSerial(const FakeUsbAdapter& adapter) {
    const std::string interface = UsbDevice(adapter) + "/" + adapter.usbPath + ":1.0";
    Attribute(interface, "bInterfaceNumber", "00");
    Attribute(interface, "bInterfaceClass", "ff");
    fs::create_directories(sys_ + "/bus/usb/drivers/" + adapter.driver);
    fs::create_directories(sys_ + "/bus/usb-serial/drivers/" + adapter.driver);
    Link(interface + "/driver", sys_ + "/bus/usb/drivers/" + adapter.driver);
    const std::string port = interface + "/" + adapter.tty;
    Attribute(port, "port_number", "0");
    Link(port + "/driver", sys_ + "/bus/usb-serial/drivers/" + adapter.driver);
    AddTty(port + "/tty/" + adapter.tty, adapter.tty, port);
}

void FakeSerialSystem::AddAcm(const FakeUsbAdapter& adapter) {
    const std::string interface = UsbDevice(adapter) + "/" + adapter.usbPath + ":1.0";
    Attribute(interface, "bInterfaceNumber", "00");
    Attribute(interface, "bInterfaceClass", "02");
    fs::create_directories(sys_ + "/bus/usb/drivers/" + adapter.driver);
    Link(interface + "/driver", sys_ + "/bus/usb/drivers/" + adapter.driver);
    AddTty(interface + "/tty/" + adapter.tty, adapter.tty, interface);
}

void FakeSerialSystem::AddByIdLink(const std::string& linkName, const std::string& tty) {
    Link(dev_ + "/serial/by-id/" + linkName, dev_ + "/" + tty);
}

void FakeSerialSystem::AddDeviceNode(const std::string& tty, const std::string& target) {
    const fs::path node = fs::path(dev_) / tty;
    std::error_code ignored;
    fs::remove(node, ignored);
    fs::create_symlink(target, node);
}

void FakeSerialSystem::Remove(const std::string& tty) {
    const fs::path entry = fs::path(sys_) / "class" / "tty" / tty;
    std::error_code ec;
    fs::path device = fs::canonical(entry, ec);
    if (!ec) {
        // A USB adapter leaves with its whole USB device; a UART port only with its tty.
        for (fs::path at = device; at.has_parent_path() && at != at.parent_path(); at = at.parent_path()) {
            if (fs::exists(at / "idVendor") && at.filename() != "usb1") {
                device = at;
                break;
            }
        }
        fs::remove_all(device, ec);
    }
    fs::remove(entry, ec);
    fs::remove(fs::path(dev_) / tty, ec);
    const fs::path byId = fs::path(dev_) / "serial" / "by-id";
    std::vector<fs::path> links;
    for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec))
        links.push_back(*it);
    for (const fs::path& link : links) {
        std::error_code linkError;
        if (fs::read_symlink(link, linkError).filename() == tty) fs::remove(link, linkError);
    }
}

}  // namespace kdmtest
