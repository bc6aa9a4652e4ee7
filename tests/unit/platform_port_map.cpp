#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/port_discovery.h"
#include "platform/port_map.h"
#include "platform_temp.h"
#include "support/fake_sysfs.h"
#include "support/fakes.h"

namespace {

using platformtest::ScopedEnv;

TEST(PortMap, PortNumberOfName) {
    struct Case {
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"COM1", 1},          {"COM9", 9},
        {"COM10", 10},        {"COM30", 30},
        {"COM31", 0},         {"COM0", 0},
        {"COM01", 0},         {"COM", 0},
        {"com1", 0},          {"COM1x", 0},
        {"COM-1", 0},         {" COM1", 0},
        {"COM123", 0},        {"", 0},
        {"\\\\.\\COM10", 10}, {"\\\\.\\COM30", 30},
        {"\\\\.\\COM9", 0},   {"\\\\.\\COM31", 0},
        {"\\\\.\\COM", 0},    {"\\.\\COM12", 0},
        {"\\\\.\\COM012", 0}, {"/dev/ttyS0", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::PortNumberOfName(c.name), c.number) << c.name;
}

TEST(PortMap, PortDirectoryDecidesWhenSet) {
    ScopedEnv dir("KDMXP_PORT_DIR", "/tmp/ports");
    kdmtest::MemorySettingsStore store;
    kdm::PortMap map(&store);
    // A mapping in the store does not count while the directory decides.
    store.CreateKey(kdm::kPortMapKey, false);
    store.WriteValue(kdm::kPortMapKey, "COM3", kdm::TextValue("/dev/ttyUSB0"));
    EXPECT_TRUE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM3"), "/tmp/ports/COM3");
    EXPECT_EQ(map.DevicePathOf("\\\\.\\COM12"), "/tmp/ports/COM12");
    EXPECT_EQ(map.DevicePathOf("COM31"), "");
    EXPECT_FALSE(map.SetMapping(4, "/dev/ttyUSB1"));
    kdm::StoredValue value;
    EXPECT_FALSE(store.ReadValue(kdm::kPortMapKey, "COM4", value));
}

TEST(PortMap, StoredMappingsOverTheDefaultRule) {
    ScopedEnv dir("KDMXP_PORT_DIR", std::nullopt);
    kdmtest::MemorySettingsStore store;
    kdm::PortMap map(&store);
    EXPECT_FALSE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM1"), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePathOf("COM30"), "/dev/ttyS29");
    EXPECT_EQ(map.DevicePathOf("nonsense"), "");

    EXPECT_TRUE(map.SetMapping(3, "/dev/ttyUSB0"));
    EXPECT_FALSE(store.keys[std::string(kdm::kPortMapKey)].isVolatile);
    EXPECT_EQ(map.DevicePathOf("COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePathOf("COM4"), "/dev/ttyS3");
    // An empty path brings the default back.
    EXPECT_TRUE(map.SetMapping(3, ""));
    EXPECT_EQ(map.DevicePathOf("COM3"), "/dev/ttyS2");

    EXPECT_FALSE(map.SetMapping(0, "/dev/x"));
    EXPECT_FALSE(map.SetMapping(31, "/dev/x"));
    EXPECT_FALSE(map.SetMapping(5, std::string("/dev/x\0y", 8)));
    // Values that are not a usable path are ignored.
    store.WriteValue(kdm::kPortMapKey, "COM6", kdm::NumberValue(7));
    store.WriteValue(kdm::kPortMapKey, "COM7", kdm::TextValue(std::string("/dev/a\0b", 8)));
    EXPECT_EQ(map.DevicePathOf("COM6"), "/dev/ttyS5");
    EXPECT_EQ(map.DevicePathOf("COM7"), "/dev/ttyS6");

    kdm::PortMap bare(nullptr);
    EXPECT_EQ(bare.DevicePathOf("COM3"), "/dev/ttyS2");
    EXPECT_FALSE(bare.SetMapping(3, "/dev/ttyUSB0"));
}

TEST(PortMap, EmptyPortDirectoryCountsAsUnset) {
    ScopedEnv dir("KDMXP_PORT_DIR", "");
    kdm::PortMap map(nullptr);
    EXPECT_FALSE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM2"), "/dev/ttyS1");
}

// The default map on machines laid out as sysfs and /dev trees.
namespace defaultmap {

using platformtest::TempDir;

const char kFtdiById[] = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
const char kAcmById[] = "usb-Arduino__www.arduino.cc__0043_75833353035351B0A1F1-if00";
const char kPl2303ById[] = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

kdmtest::FakeUsbAdapter Adapter(const std::string& tty, const std::string& usbPath,
                                const std::string& serial) {
    kdmtest::FakeUsbAdapter a;
    a.tty = tty;
    a.usbPath = usbPath;
    a.manufacturer = "FTDI";
    a.product = "FT232R USB UART";
    a.serial = serial;
    return a;
}

kdmtest::FakeUsbAdapter Prolific(const std::string& tty, const std::string& usbPath) {
    kdmtest::FakeUsbAdapter a;
    a.tty = tty;
    a.usbPath = usbPath;
    a.vendorId = "067b";
    a.productId = "2303";
    a.manufacturer = "Prolific Technology Inc.";
    a.product = "USB-Serial Controller";
    a.driver = "pl2303";
    return a;
}

// A PC with one real onboard UART and the three phantoms every PC shows, no adapter yet.
struct Machine {
    TempDir dir;
    kdmtest::FakeSerialSystem system{dir.path()};
    ScopedEnv portDir{"KDMXP_PORT_DIR", std::nullopt};
    ScopedEnv sysfs{"KDMXP_SYSFS_ROOT", system.SysfsRoot()};
    ScopedEnv dev{"KDMXP_DEV_ROOT", system.DevRoot()};
    kdmtest::MemorySettingsStore store;
    kdm::SysfsPortDiscovery discovery;

    Machine() {
        system.AddVirtualTerminals();
        system.AddPnpUart(0, 4);
        for (int n = 1; n <= 3; ++n)
            system.AddPlatformUart(n, 0);
    }
    std::string Dev(const std::string& name) const { return system.DevRoot() + "/" + name; }
    // What a program started now would see: a fresh map over the same store.
    kdm::PortTable Table() { return kdm::PortMap(&store, &discovery).Table(); }
    std::string PathOf(const char* name) { return kdm::PortMap(&store, &discovery).DevicePathOf(name); }
    std::string Remembered(int n) {
        kdm::StoredValue value;
        return store.ReadValue(kdm::kAdapterMemoryKey, "COM" + std::to_string(n), value) ? value.bytes
                                                                                         : std::string();
    }
};

// "COMn=path" for every name that holds something.
std::vector<std::string> Held(const kdm::PortTable& table) {
    std::vector<std::string> held;
    for (const kdm::PortAssignment& entry : table.names) {
        if (!entry.devicePath.empty()) held.push_back(entry.name + "=" + entry.devicePath);
    }
    return held;
}

TEST(DefaultPortMap, UartsKeepTheirNamesAdaptersTakeFreeOnesAndPhantomsHoldNone) {
    Machine m;
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    m.system.AddUsbSerial(Prolific("ttyUSB1", "1-4"));
    m.system.AddByIdLink(kPl2303ById, "ttyUSB1");
    kdmtest::FakeUsbAdapter acm;
    acm.tty = "ttyACM0";
    acm.usbPath = "1-3";
    acm.vendorId = "2341";
    acm.productId = "0043";
    acm.serial = "75833353035351B0A1F1";
    acm.driver = "cdc_acm";
    m.system.AddAcm(acm);
    m.system.AddByIdLink(kAcmById, "ttyACM0");

    const kdm::PortTable table = m.Table();
    EXPECT_TRUE(table.discovered);
    EXPECT_EQ(Held(table),
              (std::vector<std::string>{"COM1=" + m.Dev("ttyS0"), "COM2=" + m.Dev("ttyACM0"),
                                        "COM3=" + m.Dev("ttyUSB0"), "COM4=" + m.Dev("ttyUSB1")}));
    EXPECT_EQ(table.names[0].source, kdm::PortSource::kUart);
    EXPECT_EQ(table.names[2].source, kdm::PortSource::kAdapter);
    ASSERT_TRUE(table.names[2].detected);
    EXPECT_EQ(kdm::DescribePort(table.names[2].port), "FTDI FT232R USB UART, serial A50285BI");
    EXPECT_EQ(table.names[4].source, kdm::PortSource::kNone);
    EXPECT_FALSE(table.names[4].detected);
    EXPECT_TRUE(table.unnamed.empty());

    // The phantom ttyS1 holds no name: COM2 is the adapter's, and nothing leads to a phantom.
    EXPECT_EQ(m.PathOf("COM2"), m.Dev("ttyACM0"));
    EXPECT_EQ(m.PathOf("COM5"), "");
    EXPECT_EQ(m.PathOf("COM30"), "");

    // The names are remembered, in the lasting part of the store.
    EXPECT_FALSE(m.store.keys[std::string(kdm::kAdapterMemoryKey)].isVolatile);
    // By the by-id name first, then by what tells the adapter apart before udev has made the link.
    EXPECT_EQ(m.Remembered(2),
              std::string("by-id:") + kAcmById + "\nusb:2341:0043:75833353035351B0A1F1:if00");
    EXPECT_EQ(m.Remembered(3), std::string("by-id:") + kFtdiById + "\nusb:0403:6001:A50285BI:if00");
    EXPECT_EQ(m.Remembered(4), std::string("by-id:") + kPl2303ById + "\nusb:067b:2303::if00");
    EXPECT_EQ(m.Remembered(1), "");
}

TEST(DefaultPortMap, AnAdapterKeepsItsNameAcrossUnpluggingAndSockets) {
    Machine m;
    m.system.AddUsbSerial(Prolific("ttyUSB0", "1-1"));
    m.system.AddByIdLink(kPl2303ById, "ttyUSB0");
    m.system.AddUsbSerial(Adapter("ttyUSB1", "1-2", "A50285BI"));
    m.system.AddByIdLink(kFtdiById, "ttyUSB1");
    EXPECT_EQ(m.PathOf("COM2"), m.Dev("ttyUSB0"));
    EXPECT_EQ(m.PathOf("COM3"), m.Dev("ttyUSB1"));

    // Both leave; the FTDI comes back first, in another socket and under another kernel name.
    m.system.Remove("ttyUSB0");
    m.system.Remove("ttyUSB1");
    EXPECT_EQ(Held(m.Table()), std::vector<std::string>{"COM1=" + m.Dev("ttyS0")});
    m.system.AddUsbSerial(Adapter("ttyUSB0", "2-1", "A50285BI"));
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    EXPECT_EQ(m.PathOf("COM3"), m.Dev("ttyUSB0"));
    EXPECT_EQ(m.PathOf("COM2"), "") << "kept free for the absent PL2303";

    // A new adapter takes a name nobody had rather than the absent PL2303's.
    m.system.AddUsbSerial(Adapter("ttyUSB1", "2-2", "FT9XQ2LM"));
    m.system.AddByIdLink("usb-FTDI_FT232R_USB_UART_FT9XQ2LM-if00-port0", "ttyUSB1");
    EXPECT_EQ(m.PathOf("COM4"), m.Dev("ttyUSB1"));
    // The PL2303 returns in yet another socket: its old name is waiting.
    m.system.AddUsbSerial(Prolific("ttyUSB2", "1-1.3"));
    m.system.AddByIdLink(kPl2303ById, "ttyUSB2");
    EXPECT_EQ(Held(m.Table()),
              (std::vector<std::string>{"COM1=" + m.Dev("ttyS0"), "COM2=" + m.Dev("ttyUSB2"),
                                        "COM3=" + m.Dev("ttyUSB0"), "COM4=" + m.Dev("ttyUSB1")}));
}

// The kernel makes ttyUSB0 before udev makes its /dev/serial/by-id link; a refresh in between (the
// port dialog watches /dev) sees the adapter without the link. Whichever way round the adapter was
// first seen, its name stays the same once the link is there, and the next time it is plugged in.
TEST(DefaultPortMap, AnAdapterSeenBeforeItsByIdLinkKeepsOneName) {
    struct Plug {
        const char* tty;
        const char* socket;
        bool link;
        const char* name;  // the name it must hold
    };
    struct Case {
        const char* what;
        bool serial;  // FTDI with serial number, or a PL2303 without
        std::vector<Plug> plugs;
    };
    const std::vector<Case> cases = {
        {"first seen without the link",
         true,
         {{"ttyUSB0", "1-2", false, "COM2"}, {"ttyUSB0", "1-2", true, "COM2"}}},
        {"without serial, first seen without the link",
         false,
         {{"ttyUSB0", "1-2", false, "COM2"}, {"ttyUSB0", "1-2", true, "COM2"}}},
        {"known by its link, plugged in again",
         true,
         {{"ttyUSB0", "1-2", true, "COM2"},
          {"ttyUSB1", "2-1", false, "COM2"},
          {"ttyUSB1", "2-1", true, "COM2"}}},
        {"without serial, known by its link, plugged in again",
         false,
         {{"ttyUSB0", "1-2", true, "COM2"},
          {"ttyUSB3", "1-3", false, "COM2"},
          {"ttyUSB3", "1-3", true, "COM2"}}},
    };
    const std::string otherById = "usb-FTDI_FT232R_USB_UART_FT9XQ2LM-if00-port0";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        // An absent adapter had COM3, remembered as an older version stored it: the name is spared.
        m.store.CreateKey(kdm::kAdapterMemoryKey, false);
        m.store.WriteValue(kdm::kAdapterMemoryKey, "COM3", kdm::TextValue("by-id:" + otherById));
        std::string present;
        for (const Plug& plug : c.plugs) {
            if (!present.empty() && present != plug.tty) m.system.Remove(present);
            if (present != plug.tty) {
                m.system.AddUsbSerial(c.serial ? Adapter(plug.tty, plug.socket, "A50285BI")
                                               : Prolific(plug.tty, plug.socket));
            }
            present = plug.tty;
            if (plug.link) m.system.AddByIdLink(c.serial ? kFtdiById : kPl2303ById, plug.tty);
            EXPECT_EQ(Held(m.Table()),
                      (std::vector<std::string>{"COM1=" + m.Dev("ttyS0"),
                                                std::string(plug.name) + "=" + m.Dev(plug.tty)}))
                << plug.tty << (plug.link ? " with" : " without") << " its link";
        }
        // Once the link was there the adapter is remembered by it, and COM3 stays the absent one's.
        EXPECT_EQ(m.Remembered(2).rfind(std::string("by-id:") + (c.serial ? kFtdiById : kPl2303ById), 0), 0u)
            << m.Remembered(2);
        EXPECT_EQ(m.Remembered(3), "by-id:" + otherById);
    }
}

TEST(DefaultPortMap, WithoutUdevTheSerialNumberIsTheMemory) {
    Machine m;
    m.system.AddUsbSerial(Prolific("ttyUSB0", "1-1"));  // no serial, no by-id: not remembered
    m.system.AddUsbSerial(Adapter("ttyUSB1", "1-2", "A50285BI"));
    EXPECT_EQ(m.PathOf("COM2"), m.Dev("ttyUSB0"));
    EXPECT_EQ(m.PathOf("COM3"), m.Dev("ttyUSB1"));
    EXPECT_EQ(m.Remembered(2), "");
    EXPECT_EQ(m.Remembered(3), "usb:0403:6001:A50285BI:if00");

    // Plugged back in the other order, the FTDI now enumerates first and still gets COM3.
    m.system.Remove("ttyUSB0");
    m.system.Remove("ttyUSB1");
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-4", "A50285BI"));
    m.system.AddUsbSerial(Prolific("ttyUSB1", "1-2"));
    EXPECT_EQ(m.PathOf("COM3"), m.Dev("ttyUSB0"));
    EXPECT_EQ(m.PathOf("COM2"), m.Dev("ttyUSB1"));
}

TEST(DefaultPortMap, TwoAdaptersWithOneSerialNumberShareNoMemory) {
    Machine m;
    // Copies of one adapter that all report the same serial number, without udev to tell them apart.
    m.store.CreateKey(kdm::kAdapterMemoryKey, false);
    m.store.WriteValue(kdm::kAdapterMemoryKey, "COM5", kdm::TextValue("usb:0403:6001:A50285BI:if00"));
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    m.system.AddUsbSerial(Adapter("ttyUSB1", "1-3", "A50285BI"));
    EXPECT_EQ(Held(m.Table()), (std::vector<std::string>{"COM1=" + m.Dev("ttyS0"), "COM2=" + m.Dev("ttyUSB0"),
                                                         "COM3=" + m.Dev("ttyUSB1")}));
}

TEST(DefaultPortMap, UserMappingsWin) {
    Machine m;
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    m.system.AddByIdLink(kFtdiById, "ttyUSB0");
    m.system.AddUsbSerial(Prolific("ttyUSB1", "1-4"));
    kdm::PortMap map(&m.store, &m.discovery);
    // The adapter by its by-id name on COM1, which takes the onboard port's name; and a path to a
    // phantom on COM7 (the user's word counts even there).
    ASSERT_TRUE(map.SetMapping(1, m.system.DevRoot() + "/serial/by-id/" + kFtdiById));
    ASSERT_TRUE(map.SetMapping(7, m.Dev("ttyS2")));

    const kdm::PortTable table = map.Table();
    EXPECT_EQ(Held(table),
              (std::vector<std::string>{"COM1=" + m.system.DevRoot() + "/serial/by-id/" + kFtdiById,
                                        "COM2=" + m.Dev("ttyUSB1"), "COM7=" + m.Dev("ttyS2")}));
    EXPECT_EQ(table.names[0].source, kdm::PortSource::kUserMapping);
    ASSERT_TRUE(table.names[0].detected);
    EXPECT_EQ(table.names[0].port.name, "ttyUSB0") << "the mapped adapter gets no second name";
    EXPECT_FALSE(table.names[6].detected);
    ASSERT_EQ(table.unnamed.size(), 1u);
    EXPECT_EQ(table.unnamed[0].name, "ttyS0");
}

TEST(DefaultPortMap, BeyondTheNineScannedNames) {
    Machine m;
    for (int n = 1; n <= 8; ++n)
        m.system.AddPnpUart(n, 4);  // ttyS0..ttyS8, all real
    m.system.AddPnpUart(30, 4);     // would be COM31
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    const kdm::PortTable table = m.Table();
    EXPECT_EQ(table.names[9].devicePath, m.Dev("ttyUSB0"));
    EXPECT_EQ(table.names[8].devicePath, m.Dev("ttyS8"));
    ASSERT_EQ(table.unnamed.size(), 1u);
    EXPECT_EQ(table.unnamed[0].name, "ttyS30");
}

TEST(DefaultPortMap, FixedRuleWithoutDiscoveryAndPortDirectoryUnchanged) {
    Machine m;
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    {
        TempDir empty;
        ScopedEnv nowhere("KDMXP_SYSFS_ROOT", empty.path());
        const kdm::PortTable table = m.Table();
        EXPECT_FALSE(table.discovered);
        EXPECT_EQ(table.names[1].devicePath, "/dev/ttyS1");
        EXPECT_EQ(table.names[1].source, kdm::PortSource::kFixedRule);
        EXPECT_EQ(m.PathOf("COM30"), "/dev/ttyS29");
    }
    {
        ScopedEnv dir("KDMXP_PORT_DIR", m.dir.path() + "/ports");
        const kdm::PortTable table = m.Table();
        for (const kdm::PortAssignment& entry : table.names) {
            EXPECT_EQ(entry.devicePath, m.dir.path() + "/ports/" + entry.name);
            EXPECT_EQ(entry.source, kdm::PortSource::kDirectory);
        }
        EXPECT_EQ(m.PathOf("COM2"), m.dir.path() + "/ports/COM2");
        EXPECT_FALSE(m.store.KeyExists(kdm::kAdapterMemoryKey)) << "nothing assigned, nothing remembered";
    }
    // A store that refuses writes does not keep the adapter from its name.
    m.store.failWrites = true;
    EXPECT_EQ(m.PathOf("COM2"), m.Dev("ttyUSB0"));
}

TEST(DefaultPortMap, TheSearchScansAdaptersFirstAndOnlyNamesThatHoldSomething) {
    Machine m;
    m.system.AddPnpUart(2, 4);  // a second real UART, COM3
    m.system.AddUsbSerial(Adapter("ttyUSB0", "1-2", "A50285BI"));
    m.system.AddUsbSerial(Prolific("ttyUSB1", "1-4"));
    kdm::PortMap map(&m.store, &m.discovery);
    EXPECT_EQ(map.ScanOrder(), (std::vector<int>{2, 4, 1, 3}));
    // A mapped adapter counts as an adapter; a mapped path to something else does not.
    ASSERT_TRUE(map.SetMapping(9, m.Dev("ttyUSB1")));
    ASSERT_TRUE(map.SetMapping(5, "/dev/ttyS4"));
    EXPECT_EQ(map.ScanOrder(), (std::vector<int>{2, 9, 1, 3, 5}));

    const std::vector<int> always{1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(kdm::PortMap(&m.store).ScanOrder(), always);
    ScopedEnv dir("KDMXP_PORT_DIR", m.dir.path());
    EXPECT_EQ(map.ScanOrder(), always);
}

}  // namespace defaultmap
}  // namespace
