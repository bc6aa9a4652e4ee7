// kdmxp-cli ports on a machine laid out as sysfs and /dev trees whose device nodes lead to
// pseudo-terminals: what each name stands for, what the device is, and mapping a name by hand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/fake_sysfs.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

const char kFtdiById[] = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

// A pseudo-terminal whose slave stands for a serial device; it lives as long as the object.
struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::string slave;
    Pty() {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

// The line of `out` that starts with `name` and a blank, with each run of blanks made one; empty when
// there is none.
std::string LineOf(const std::string& out, const std::string& name) {
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t end = out.find('\n', at);
        const std::string line = out.substr(at, end == std::string::npos ? end : end - at);
        if (line.compare(0, name.size() + 1, name + " ") == 0) {
            std::string squeezed;
            for (const char c : line) {
                if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += c;
            }
            return squeezed;
        }
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return {};
}

class PortsCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (onboard.slave.empty() || adapter.slave.empty()) GTEST_SKIP() << "no pseudo-terminals here";
        system.AddVirtualTerminals();
        system.AddPnpUart(0, 4);
        for (int n = 1; n <= 3; ++n)
            system.AddPlatformUart(n, 0);
        FakeUsbAdapter ftdi;
        ftdi.manufacturer = "FTDI";
        ftdi.product = "FT232R USB UART";
        ftdi.serial = "A50285BI";
        system.AddUsbSerial(ftdi);
        system.AddByIdLink(kFtdiById, "ttyUSB0");
        FakeUsbAdapter prolific;
        prolific.tty = "ttyUSB1";
        prolific.usbPath = "1-4";
        prolific.vendorId = "067b";
        prolific.productId = "2303";
        prolific.manufacturer = "Prolific Technology Inc.";
        prolific.product = "USB-Serial Controller";
        prolific.driver = "pl2303";
        system.AddUsbSerial(prolific);
        system.AddDeviceNode("ttyS0", onboard.slave);
        system.AddDeviceNode("ttyUSB0", adapter.slave);
        // ttyUSB1 has no node: udev has not made it yet, or it was removed.
    }

    CliResult Ports(const std::vector<std::string>& args = {}) {
        std::vector<std::string> argv{KDMXP_CLI_PATH, "ports"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv,
                          {"KDMXP_PORT_DIR=", "KDMXP_SETTINGS_DIR=" + settings.Path(),
                           "KDMXP_SYSFS_ROOT=" + system.SysfsRoot(), "KDMXP_DEV_ROOT=" + system.DevRoot()},
                          30000);
    }
    std::string Dev(const std::string& name) const { return system.DevRoot() + "/" + name; }

    TempDir root;
    TempDir settings;
    FakeSerialSystem system{root.Path()};
    Pty onboard;
    Pty adapter;
};

TEST_F(PortsCommand, SaysWhatEachPortIsAndWhetherItOpens) {
    const CliResult listed = Ports();
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(LineOf(listed.out, "COM1"), "COM1 " + Dev("ttyS0") + " yes built-in serial port (16550A)")
        << listed.out;
    EXPECT_EQ(LineOf(listed.out, "COM2"),
              "COM2 " + Dev("ttyUSB0") + " yes FTDI FT232R USB UART, serial A50285BI")
        << listed.out;
    // The by-id name on the line below.
    const std::size_t com2 = listed.out.find("\nCOM2 ");
    ASSERT_NE(com2, std::string::npos);
    const std::size_t below = listed.out.find('\n', com2 + 1) + 1;
    EXPECT_EQ(listed.out.substr(below, listed.out.find('\n', below) - below),
              "       " + Dev("serial/by-id/") + kFtdiById);
    EXPECT_EQ(LineOf(listed.out, "COM3"),
              "COM3 " + Dev("ttyUSB1") + " missing Prolific Technology Inc. USB-Serial Controller")
        << listed.out;
    for (const std::string name : {"COM4", "COM9", "COM30"}) {
        EXPECT_EQ(LineOf(listed.out, name), name + " - not mapped") << listed.out;
    }

    const CliResult json = Ports({"--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json list = nlohmann::json::parse(json.out);
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list[0]["source"], "uart");
    EXPECT_EQ(list[0]["openable"], true);
    EXPECT_EQ(list[0]["byId"], nullptr);
    EXPECT_EQ(list[0]["device"]["kind"], "uart");
    EXPECT_EQ(list[1]["name"], "COM2");
    EXPECT_EQ(list[1]["path"], Dev("ttyUSB0"));
    EXPECT_EQ(list[1]["source"], "adapter");
    EXPECT_EQ(list[1]["description"], "FTDI FT232R USB UART, serial A50285BI");
    EXPECT_EQ(list[1]["byId"], Dev("serial/by-id/") + kFtdiById);
    EXPECT_EQ(list[1]["device"]["vendorId"], "0403");
    EXPECT_EQ(list[1]["device"]["productId"], "6001");
    EXPECT_EQ(list[1]["device"]["serialNumber"], "A50285BI");
    EXPECT_EQ(list[1]["device"]["driver"], "ftdi_sio");
    EXPECT_EQ(list[2]["openable"], false);
    EXPECT_EQ(list[2]["status"], "missing");
    EXPECT_EQ(list[3]["source"], "none");
    EXPECT_EQ(list[3]["description"], nullptr);
    EXPECT_EQ(list[3]["status"], "not mapped");
}

TEST_F(PortsCommand, MappingByHand) {
    // A relative path is refused, and nothing is stored.
    CliResult run = Ports({"--map", "COM5", "dev/ttyUSB0"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "Not an absolute path: dev/ttyUSB0")) << run.err;
    EXPECT_EQ(LineOf(Ports().out, "COM5"), "COM5 - not mapped");

    // A device that is not there (yet) is stored, with a warning.
    const std::string absent = root.File("ttyUSB7");
    run = Ports({"--map", "COM5", absent});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "Warning: " + absent + " does not exist")) << run.err;
    EXPECT_EQ(LineOf(Ports().out, "COM5"), "COM5 " + absent + " missing (mapped)");

    // Something that is not a device: stored, with a warning.
    std::ofstream(root.File("plain")) << "x";
    run = Ports({"--map", "COM6", root.File("plain")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "is not a character device")) << run.err;

    // The adapter by its kernel name on COM7: described, and a tip points to its by-id name.
    run = Ports({"--map", "COM7", Dev("ttyUSB0")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Contains(run.out, "COM7 -> " + Dev("ttyUSB0") + ": FTDI FT232R USB UART, serial A50285BI"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "Tip: " + Dev("serial/by-id/") + kFtdiById)) << run.out;
    const std::string listed = Ports().out;
    EXPECT_TRUE(Contains(LineOf(listed, "COM7"), "FTDI FT232R USB UART, serial A50285BI (mapped)")) << listed;
    EXPECT_FALSE(Contains(LineOf(listed, "COM2"), "FTDI")) << "one name for the mapped adapter\n" << listed;

    // An empty path gives the name back to the default rule.
    run = Ports({"--map", "COM7", ""});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LineOf(Ports().out, "COM7"), "COM7 - not mapped");
}

TEST_F(PortsCommand, ABusyPortNamesWhoHoldsIt) {
    // The test holds the onboard port the way another program would.
    const int held = open(onboard.slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    // A lock keeps out even the administrator, whom the terminal's exclusive mode lets through.
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const CliResult listed = Ports();
    const CliResult json = Ports({"--json"});
    close(held);
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const std::string self = "pid " + std::to_string(getpid()) + " cli_tests";
    EXPECT_TRUE(Contains(LineOf(listed.out, "COM1"), " busy (")) << listed.out;
    EXPECT_TRUE(Contains(LineOf(listed.out, "COM1"), self)) << listed.out;
    const nlohmann::json list = nlohmann::json::parse(json.out);
    EXPECT_EQ(list[0]["status"], "busy");
    bool named = false;
    for (const nlohmann::json& holder : list[0]["heldBy"])
        named = named || holder["pid"] == getpid();
    EXPECT_TRUE(named) << list[0].dump();
    EXPECT_TRUE(list[1]["heldBy"].empty());
}

TEST_F(PortsCommand, NoPermissionNamesTheGroupAndTheRemedy) {
    if (geteuid() == 0) GTEST_SKIP() << "root opens every device";
    ASSERT_EQ(chmod(adapter.slave.c_str(), 0), 0);
    const CliResult listed = Ports();
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_TRUE(Contains(LineOf(listed.out, "COM2"), "permission denied (group ")) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "No permission: add yourself to the ")) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "then log in again.")) << listed.out;
}

}  // namespace
}  // namespace kdmtest
