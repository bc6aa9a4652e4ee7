// Port discovery on sysfs and /dev trees laid out like a real PC's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/port_discovery.h"
#include "platform_temp.h"
#include "support/fake_sysfs.h"

namespace {

namespace fs = std::filesystem;
using platformtest::ScopedEnv;
using platformtest::TempDir;

const char kFtdiById[] = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
const char kAcmById[] = "usb-Arduino__www.arduino.cc__0043_75833353035351B0A1F1-if00";
const char kPl2303ById[] = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

kdmtest::FakeUsbAdapter Ftdi() {
    kdmtest::FakeUsbAdapter a;
    a.tty = "ttyUSB0";
    a.usbPath = "1-2";
    a.manufacturer = "FTDI";
    a.product = "FT232R USB UART";
    a.serial = "A50285BI";
    return a;
}

kdmtest::FakeUsbAdapter Acm() {
    kdmtest::FakeUsbAdapter a;
    a.tty = "ttyACM0";
    a.usbPath = "1-3";
    a.vendorId = "2341";
    a.productId = "0043";
    a.manufacturer = "Arduino (www.arduino.cc)";
    a.serial = "75833353035351B0A1F1";
    a.driver = "cdc_acm";
    return a;
}

kdmtest::FakeUsbAdapter Pl2303() {
    kdmtest::FakeUsbAdapter a;
    a.tty = "ttyUSB1";
    a.usbPath = "1-1.4";
    a.vendorId = "067b";
    a.productId = "2303";
    a.manufacturer = "Prolific Technology Inc.";
    a.product = "USB-Serial Controller";
    a.driver = "pl2303";
    return a;
}

// A fake machine with both roots pointed at it for the lifetime of the object.
struct Machine {
    TempDir dir;
    kdmtest::FakeSerialSystem system{dir.path()};
    ScopedEnv sysfs{"KDMXP_SYSFS_ROOT", system.SysfsRoot()};
    ScopedEnv dev{"KDMXP_DEV_ROOT", system.DevRoot()};

    std::vector<kdm::DetectedPort> Discover() {
        kdm::SysfsPortDiscovery discovery;
        std::vector<kdm::DetectedPort> ports;
        EXPECT_TRUE(discovery.Discover(ports));
        return ports;
    }
};

std::vector<std::string> NamesOf(const std::vector<kdm::DetectedPort>& ports) {
    std::vector<std::string> names;
    for (const kdm::DetectedPort& p : ports)
        names.push_back(p.name);
    return names;
}

// Four ttyS of which three are phantom, sixty-four virtual terminals, and three USB devices.
TEST(PortDiscovery, FindsTheRealPortsOfAPcAndWhatEachIs) {
    Machine m;
    m.system.AddVirtualTerminals();
    m.system.AddPnpUart(0, 4);
    for (int n = 1; n <= 3; ++n)
        m.system.AddPlatformUart(n, 0);
    m.system.AddUsbSerial(Ftdi());
    m.system.AddAcm(Acm());
    m.system.AddUsbSerial(Pl2303());
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    m.system.AddByIdLink(kAcmById, "ttyACM0");
    m.system.AddByIdLink(kPl2303ById, "ttyUSB1");

    const std::vector<kdm::DetectedPort> ports = m.Discover();
    ASSERT_EQ(NamesOf(ports), (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB1"}));
    const std::string dev = m.system.DevRoot();
    const std::string byId = dev + "/serial/by-id/";

    const kdm::DetectedPort& acm = ports[0];
    EXPECT_EQ(acm.kind, kdm::PortKind::kUsb);
    EXPECT_EQ(acm.devicePath, dev + "/ttyACM0");
    EXPECT_EQ(acm.byIdPath, byId + kAcmById);
    EXPECT_EQ(acm.driver, "cdc_acm");
    EXPECT_EQ(acm.vendorId, 0x2341);
    EXPECT_EQ(acm.productId, 0x0043);
    EXPECT_EQ(acm.product, "");
    EXPECT_EQ(acm.serialNumber, "75833353035351B0A1F1");
    EXPECT_EQ(acm.interfaceNumber, "00");
    EXPECT_EQ(acm.usbPath, "1-3");
    EXPECT_EQ(kdm::DescribePort(acm), "Arduino (www.arduino.cc), serial 75833353035351B0A1F1");

    const kdm::DetectedPort& uart = ports[1];
    EXPECT_EQ(uart.kind, kdm::PortKind::kUart);
    EXPECT_EQ(uart.devicePath, dev + "/ttyS0");
    EXPECT_EQ(uart.byIdPath, "");
    EXPECT_EQ(uart.driver, "serial");
    EXPECT_EQ(uart.uartNumber, 0);
    EXPECT_EQ(uart.uartType, 4);
    EXPECT_EQ(kdm::DescribePort(uart), "built-in serial port (16550A)");
    EXPECT_EQ(kdm::PortIdentity(uart), "");

    const kdm::DetectedPort& ftdi = ports[2];
    EXPECT_EQ(ftdi.kind, kdm::PortKind::kUsb);
    EXPECT_EQ(ftdi.byIdPath, byId + kFtdiById);
    // The tty's own device is the usb-serial port; its driver is the usb-serial one.
    EXPECT_EQ(ftdi.driver, "ftdi_sio");
    EXPECT_EQ(ftdi.vendorId, 0x0403);
    EXPECT_EQ(ftdi.productId, 0x6001);
    EXPECT_EQ(ftdi.manufacturer, "FTDI");
    EXPECT_EQ(ftdi.product, "FT232R USB UART");
    EXPECT_EQ(ftdi.serialNumber, "A50285BI");
    EXPECT_EQ(ftdi.interfaceNumber, "00");
    EXPECT_EQ(ftdi.usbPath, "1-2");
    EXPECT_EQ(kdm::DescribePort(ftdi), "FTDI FT232R USB UART, serial A50285BI");
    EXPECT_EQ(kdm::PortIdentity(ftdi), std::string("by-id:") + kFtdiById);

    const kdm::DetectedPort& prolific = ports[3];
    EXPECT_EQ(prolific.driver, "pl2303");
    EXPECT_EQ(prolific.serialNumber, "");
    EXPECT_EQ(prolific.usbPath, "1-1.4");
    EXPECT_EQ(kdm::DescribePort(prolific), "Prolific Technology Inc. USB-Serial Controller");
    EXPECT_EQ(kdm::PortIdentity(prolific), std::string("by-id:") + kPl2303ById);
}

TEST(PortDiscovery, WithoutUdevAnAdapterIsKnownByItsSerialNumberOnly) {
    Machine m;
    m.system.AddUsbSerial(Ftdi());
    m.system.AddUsbSerial(Pl2303());
    const std::vector<kdm::DetectedPort> ports = m.Discover();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].byIdPath, "");
    EXPECT_EQ(kdm::PortIdentity(ports[0]), "usb:0403:6001:A50285BI:if00");
    // Nothing tells two such adapters apart.
    EXPECT_EQ(kdm::PortIdentity(ports[1]), "");
}

TEST(PortDiscovery, AnAdapterInAnotherSocketKeepsItsIdentity) {
    Machine m;
    m.system.AddUsbSerial(Ftdi());
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    const std::vector<kdm::DetectedPort> before = m.Discover();
    ASSERT_EQ(before.size(), 1u);

    m.system.Remove("ttyUSB0");
    EXPECT_TRUE(m.Discover().empty());
    kdmtest::FakeUsbAdapter moved = Ftdi();
    moved.tty = "ttyUSB1";
    moved.usbPath = "2-1";
    m.system.AddUsbSerial(moved);
    m.system.AddByIdLink(kFtdiById, "ttyUSB1");
    const std::vector<kdm::DetectedPort> after = m.Discover();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].name, "ttyUSB1");
    EXPECT_EQ(after[0].usbPath, "2-1");
    EXPECT_EQ(kdm::PortIdentity(after[0]), kdm::PortIdentity(before[0]));
}

TEST(PortDiscovery, OrderKindsAndOddAdapters) {
    Machine m;
    for (const int n : {10, 2})
        m.system.AddPnpUart(n, 4);
    m.system.AddPnpUart(3, 14);
    m.system.AddPnpUart(4, 99);
    for (const char* tty : {"ttyUSB10", "ttyUSB9"}) {
        kdmtest::FakeUsbAdapter a;
        a.tty = tty;
        a.usbPath = std::string("1-") + (tty[6] == '1' ? "5" : "6");
        m.system.AddUsbSerial(a);
    }
    // An adapter whose strings carry control characters (they come from the device).
    kdmtest::FakeUsbAdapter odd;
    odd.tty = "ttyUSB3";
    odd.usbPath = "1-7";
    odd.manufacturer = "Evil\x1b[2J";
    odd.product = "Cable\tX";
    m.system.AddUsbSerial(odd);
    // A tty with hardware behind it that is neither ttyS nor USB.
    const std::string amba = m.system.SysfsRoot() + "/devices/platform/fe201000.serial";
    fs::create_directories(amba + "/tty/ttyAMA0");
    fs::create_directories(m.system.SysfsRoot() + "/bus/amba/drivers/uart-pl011");
    fs::create_directory_symlink("../../../bus/amba/drivers/uart-pl011", amba + "/driver");
    fs::create_directory_symlink("../../../fe201000.serial", amba + "/tty/ttyAMA0/device");
    fs::create_directory_symlink("../../devices/platform/fe201000.serial/tty/ttyAMA0",
                                 m.system.SysfsRoot() + "/class/tty/ttyAMA0");

    const std::vector<kdm::DetectedPort> ports = m.Discover();
    ASSERT_EQ(NamesOf(ports), (std::vector<std::string>{"ttyAMA0", "ttyS2", "ttyS3", "ttyS4", "ttyS10",
                                                        "ttyUSB3", "ttyUSB9", "ttyUSB10"}));
    EXPECT_EQ(ports[0].kind, kdm::PortKind::kOther);
    EXPECT_EQ(kdm::DescribePort(ports[0]), "serial port (uart-pl011)");
    EXPECT_EQ(ports[4].uartNumber, 10);
    EXPECT_EQ(kdm::DescribePort(ports[2]), "built-in serial port (NS16550A)");
    EXPECT_EQ(kdm::DescribePort(ports[3]), "built-in serial port");
    EXPECT_EQ(kdm::DescribePort(ports[5]), "Evil?[2J Cable?X");
    // No strings at all: the ids say what it is.
    EXPECT_EQ(kdm::DescribePort(ports[6]), "USB serial adapter 0403:6001");
}

TEST(PortDiscovery, RootsComeFromTheEnvironmentAtEachCall) {
    TempDir empty;
    kdm::SysfsPortDiscovery discovery;
    std::vector<kdm::DetectedPort> ports(1);
    {
        ScopedEnv sysfs("KDMXP_SYSFS_ROOT", empty.path());
        EXPECT_FALSE(discovery.Discover(ports)) << "no class/tty directory: nothing to discover with";
        EXPECT_TRUE(ports.empty());
    }
    Machine m;
    m.system.AddVirtualTerminals(8);
    EXPECT_TRUE(discovery.Discover(ports));
    EXPECT_TRUE(ports.empty());
    m.system.AddPnpUart(0, 4);
    EXPECT_TRUE(discovery.Discover(ports));
    EXPECT_EQ(NamesOf(ports), std::vector<std::string>{"ttyS0"});
}

TEST(PortDiscovery, FindsThePortAPathLeadsTo) {
    Machine m;
    m.system.AddUsbSerial(Ftdi());
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    m.system.AddPnpUart(0, 4);
    // Both nodes lead to character devices; ttyUSB0 to the same one as a link of the user's.
    m.system.AddDeviceNode("ttyUSB0", "/dev/null");
    m.system.AddDeviceNode("ttyS0", "/dev/zero");
    const std::string own = m.dir / "my-adapter";
    fs::create_symlink("/dev/null", own);
    const std::vector<kdm::DetectedPort> ports = m.Discover();
    ASSERT_EQ(ports.size(), 2u);

    const std::string dev = m.system.DevRoot();
    EXPECT_EQ(kdm::FindDetectedPort(ports, dev + "/ttyUSB0"), &ports[1]);
    EXPECT_EQ(kdm::FindDetectedPort(ports, dev + "/serial/by-id/" + kFtdiById), &ports[1]);
    EXPECT_EQ(kdm::FindDetectedPort(ports, dev + "/serial/../ttyS0"), &ports[0]);
    EXPECT_EQ(kdm::FindDetectedPort(ports, own), &ports[1]);
    EXPECT_EQ(kdm::FindDetectedPort(ports, dev + "/ttyUSB7"), nullptr);
    EXPECT_EQ(kdm::FindDetectedPort(ports, ""), nullptr);
}

}  // namespace
