// kdmxp-cli search on a machine laid out as sysfs and /dev trees whose device nodes lead to simulators:
// a USB adapter is searched before a silent built-in port, a failed search says what each port did, and
// --port confines the search to one port.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "support/dump_builder.h"
#include "support/fake_sysfs.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A PC with one built-in port (ttyS0), the three phantoms beside it, and an FTDI adapter (ttyUSB0).
class AdapterMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        system.AddVirtualTerminals();
        system.AddPnpUart(0, 4);
        for (int n = 1; n <= 3; ++n)
            system.AddPlatformUart(n, 0);
        FakeUsbAdapter ftdi;
        ftdi.manufacturer = "FTDI";
        ftdi.product = "FT232R USB UART";
        ftdi.serial = "A50285BI";
        system.AddUsbSerial(ftdi);
        system.AddByIdLink("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    }

    // Starts a simulator and makes the device node `tty` lead to its pseudo-terminal.
    void Plug(SimProcess& sim, const std::string& tty, int com, std::vector<std::string> args) {
        args.push_back("--no-pacing");
        std::string error;
        ASSERT_TRUE(sim.Start(simPorts.Path(), com, args, &error)) << error;
        system.AddDeviceNode(tty, sim.DevicePath());
    }

    // kdmxp-cli as a user would run it: no port directory, discovery on the fake machine.
    CliResult Cli(const std::vector<std::string>& args) {
        std::vector<std::string> argv{KDMXP_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv,
                          {"KDMXP_PORT_DIR=", "KDMXP_SETTINGS_DIR=" + settings.Path(),
                           "KDMXP_SYSFS_ROOT=" + system.SysfsRoot(), "KDMXP_DEV_ROOT=" + system.DevRoot()});
    }
    std::string Dev(const std::string& name) const { return system.DevRoot() + "/" + name; }

    TempDir root;
    TempDir settings;
    TempDir simPorts;
    FakeSerialSystem system{root.Path()};
};

TEST_F(AdapterMachine, TheFirstSearchFindsTheDeviceOnTheAdapterWithoutWaitingOnTheSilentBuiltInPort) {
    const std::string silentLog = simPorts.File("ttyS0.log");
    SimProcess onboard;
    SimProcess adapter;
    Plug(onboard, "ttyS0", 1, {"--silent-after", "0", "--log", silentLog});
    Plug(adapter, "ttyUSB0", 2, {"--code", "U2P"});

    const auto start = std::chrono::steady_clock::now();
    const CliResult result = Cli({"search"});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("first search on the adapter: %.3f s\n", seconds);
    RecordProperty("search_seconds", std::to_string(seconds));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 6), "0g+U2P");
    // COM2 (the adapter) was tried first, and the silent port not at all.
    EXPECT_TRUE(Contains(result.err, "Trying COM2 ...")) << result.err;
    EXPECT_FALSE(Contains(result.err, "Trying COM1")) << result.err;
    EXPECT_EQ(onboard.Stop(), 0);
    EXPECT_FALSE(WaitForText(silentLog, "port opened", 1, 0)) << ReadWhole(silentLog);
}

// 10 s of the program's time, on a clock ten times faster: the built-in port is silent and waited for
// once.
TEST_F(AdapterMachine, SlowAFailedSearchSaysWhatEachPortDid) {
    SimProcess onboard;
    Plug(onboard, "ttyS0", 1, {"--silent-after", "0"});
    const FastProgramClock fast(10);
    system.AddDeviceNode("ttyUSB0", root.File("unplugged"));  // the node outlived the adapter
    const CliResult result = Cli({"search", "-q"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "No Dorvik-device found\n"
              "COM2 " +
                  Dev("ttyUSB0") +
                  ": missing (the device does not exist)\n"
                  "COM1 " +
                  Dev("ttyS0") + ": no answer in 10 s\n");
}

TEST_F(AdapterMachine, APortNobodyCanOpenNamesWhoHoldsItOrWhatIsMissing) {
    SimProcess onboard;
    Plug(onboard, "ttyS0", 1, {});
    kdm::SystemClock clock;
    kdm::PortMap map(nullptr);
    kdm::PosixSerialPort holder(map, clock);
    ASSERT_TRUE(holder.Open(Dev("ttyS0")).Ok());
    const std::string file = root.File("file.KDM");
    Spit(file, DumpBuilder("I1P").Add('a', Value(1)).Add('b', Value(2)).Text());
    // Each command that searches says the same; a plain write said "No COM-IO found" alone.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"search", "-q"}, {"read", "-q", "-o", root.File("out.KDM")}, {"write", "-q", file}}) {
        SCOPED_TRACE(args.front());
        const CliResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(Contains(result.err, "No COM-IO found\n")) << result.err;
        EXPECT_TRUE(Contains(result.err, "COM2 " + Dev("ttyUSB0") + ": missing")) << result.err;
        // The simulator may hold its own end for a moment too; the test's hold must be named.
        EXPECT_TRUE(Contains(result.err, "COM1 " + Dev("ttyS0") + ": held by another program ("))
            << result.err;
        EXPECT_TRUE(Contains(result.err, "pid " + std::to_string(getpid()) + " search_tests")) << result.err;
    }
}

TEST_F(AdapterMachine, NoPermissionSaysHowToGetIt) {
    if (geteuid() == 0) GTEST_SKIP() << "root opens every device";
    SimProcess adapter;
    Plug(adapter, "ttyUSB0", 2, {});
    ASSERT_EQ(chmod(adapter.DevicePath().c_str(), 0), 0);
    const CliResult result = Cli({"search", "-q", "--port", "COM2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(Contains(result.err,
                         "No COM-IO found\nCOM2 " + Dev("ttyUSB0") + ": no permission (add yourself to the "))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "sudo adduser $USER ")) << result.err;
}

TEST_F(AdapterMachine, ADirectPortIsTheOnlyPortTried) {
    const std::string onboardLog = simPorts.File("onboard.log");
    SimProcess onboard;
    SimProcess adapter;
    Plug(onboard, "ttyS0", 1, {"--code", "I1P", "--log", onboardLog});
    Plug(adapter, "ttyUSB0", 2, {"--code", "U2P"});
    CliResult result = Cli({"search", "--port", Dev("ttyUSB0")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 6), "0g+U2P");
    EXPECT_EQ(result.err, "Trying " + Dev("ttyUSB0") + " ...\n");
    result = Cli({"search", "-q", "--port", "COM1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 6), "0g+I1P");
    ASSERT_TRUE(WaitForText(onboardLog, "port closed", 1)) << ReadWhole(onboardLog);
    EXPECT_FALSE(WaitForText(onboardLog, "port opened", 2, 0)) << ReadWhole(onboardLog);

    result = Cli({"search", "--port", "ttyUSB0"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(result.err, "Not a port: ttyUSB0")) << result.err;
    // No device remembered by a direct search: the settings hold no port of the search's.
    EXPECT_FALSE(
        Contains(ReadWhole(settings.Path() + "/volatile/Software/Dorvik/KDM_XP/ComNr.value"), "text"));
}

}  // namespace
}  // namespace kdmtest
