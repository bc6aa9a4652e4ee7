// `kdmxp-cli search` against kdmxp-sim over real pseudo-terminals: the stored port, a scanned port, and
// each way a search can fail, with the message the user sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/telegram.h"
#include "platform/clock.h"
#include "platform/file_settings_store.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

const char kNoDevice[] = "No Dorvik-device found";
const char kNoPort[] = "No COM-IO found";
const char kCableDefect[] = "RS232-cable defect";

class SearchCli : public ::testing::Test {
  protected:
    // The test process looks at the same port directory and settings store as the programs it runs.
    void SetUp() override {
        setenv("KDMXP_PORT_DIR", ports.Path().c_str(), 1);
        setenv("KDMXP_SETTINGS_DIR", settings.Path().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("KDMXP_PORT_DIR");
        unsetenv("KDMXP_SETTINGS_DIR");
    }

    void StorePort(int n) {
        kdm::FileSettingsStore store;
        ASSERT_TRUE(store.CreateKey(kdm::kSearchKey, true));
        ASSERT_TRUE(
            store.WriteValue(kdm::kSearchKey, kdm::kPortValueName, kdm::TextValue(std::to_string(n))));
    }
    // The stored text, or "" when there is none.
    std::string StoredPort() {
        kdm::FileSettingsStore store;
        kdm::StoredValue value;
        return store.ReadValue(kdm::kSearchKey, kdm::kPortValueName, value) ? value.bytes : std::string();
    }

    void StartSim(SimProcess& sim, int com, std::vector<std::string> args) {
        args.push_back("--no-pacing");
        std::string error;
        ASSERT_TRUE(sim.Start(ports.Path(), com, args, &error)) << error;
    }

    CliResult Search() { return RunCli({"search"}, ports.Path(), settings.Path()); }

    TempDir ports;
    TempDir settings;
};

// The first line of the output: the 14 characters of the identification telegram.
void ExpectIdentification(const CliResult& result, const std::string& code) {
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_GE(result.out.size(), 15u) << result.out;
    const std::string telegram = result.out.substr(0, result.out.find('\n'));
    EXPECT_EQ(telegram.size(), 14u) << telegram;
    EXPECT_EQ(telegram.substr(0, 6), "0g+" + code);
    EXPECT_EQ(telegram.substr(11), kdm::ComputeChecksum(std::string(1, kdm::STX) + telegram));
}

void ExpectFailure(const CliResult& result, const char* message) {
    EXPECT_FALSE(result.timedOut);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("0g+"), std::string::npos) << result.out;
}

TEST_F(SearchCli, TheStoredPortComesFirstEvenWhenAnotherPortHasADevice) {
    SimProcess first;
    SimProcess stored;
    StartSim(first, 1, {"--code", "I1P"});
    StartSim(stored, 3, {"--code", "U2P"});
    StorePort(3);
    const CliResult result = Search();
    ExpectIdentification(result, "U2P");
    EXPECT_EQ(StoredPort(), "3");
}

struct ScanCase {
    int stored;  // 0: nothing stored
    int simPort;
    const char* code;
};

TEST_F(SearchCli, AScanFindsTheDeviceAndRemembersItsPort) {
    const ScanCase cases[] = {
        {0, 4, "E1P"},  // nothing stored
        {2, 5, "IKV"},  // the stored port is gone
        {9, 9, "U10"},  // a stored 9 counts
        {0, 1, "I10"},  // the default first port
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE("stored " + std::to_string(c.stored) + ", device on COM" + std::to_string(c.simPort));
        TempDir fresh;
        setenv("KDMXP_SETTINGS_DIR", fresh.Path().c_str(), 1);
        if (c.stored != 0) StorePort(c.stored);
        SimProcess sim;
        StartSim(sim, c.simPort, {"--code", c.code});
        const CliResult result = RunCli({"search"}, ports.Path(), fresh.Path());
        ExpectIdentification(result, c.code);
        EXPECT_EQ(StoredPort(), std::to_string(c.simPort));
    }
}

TEST_F(SearchCli, NoPortAtAll) {
    ExpectFailure(Search(), kNoPort);
    EXPECT_EQ(StoredPort(), "");
}

TEST_F(SearchCli, AStatusErrorIsACableDefect) {
    SimProcess sim;
    StartSim(sim, 2, {"--status-error", "7"});
    StorePort(2);
    ExpectFailure(Search(), kCableDefect);
}

// 10 s of the program's time, on a clock ten times faster: the silent port is waited for once, and
// only once.
TEST_F(SearchCli, SlowASilentPortIsNoDeviceAndIsTriedOnce) {
    const std::string log = ports.File("silent.log");
    SimProcess sim;
    StartSim(sim, 1, {"--silent-after", "0", "--log", log});
    const FastProgramClock fast(10);
    ExpectFailure(Search(), kNoDevice);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_TRUE(WaitForText(log, "port opened", 1, 0));
    EXPECT_FALSE(WaitForText(log, "port opened", 2, 0)) << "COM1 was opened twice";
}

TEST_F(SearchCli, APortHeldByOneProcessIsRefusedToAnother) {
    const std::string log = ports.File("held.log");
    SimProcess sim;
    StartSim(sim, 1, {"--log", log});
    kdm::SystemClock clock;
    kdm::PortMap map(nullptr);
    kdm::PosixSerialPort holder(map, clock);
    ASSERT_TRUE(holder.Open("COM1").Ok());

    ExpectFailure(Search(), kNoPort);
    // Nothing reached the device through the held port. Root may open a port the holder made exclusive
    // (and the simulator may then log a second open), but the lock turns the search away before it sends.
    EXPECT_EQ(ReadWhole(log).find("rx"), std::string::npos) << ReadWhole(log);

    holder.Close();
    ASSERT_TRUE(WaitForText(log, "port closed", 1)) << ReadWhole(log);
    ExpectIdentification(Search(), "I1P");
}

}  // namespace
}  // namespace kdmtest
