// kdmxp-cli read|write --port: several devices on several ports, each used by its own process alone.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// Two devices on two ports, read at the same time by two processes, each told its port.
TEST(DirectPorts, TwoReadsAtOnceEachOnItsOwnPort) {
    TempDir ports;
    TempDir settings;
    TempDir workA;
    TempDir workB;
    const std::string logA = ports.File("a.log");
    const std::string logB = ports.File("b.log");
    SimProcess simA;
    SimProcess simB;
    std::string error;
    // Paced at the real 4800 baud, so that the two reads overlap.
    ASSERT_TRUE(simA.Start(ports.Path(), 3, {"--code", "U2P", "--programs", "2", "--log", logA}, &error))
        << error;
    ASSERT_TRUE(simB.Start(ports.Path(), 7, {"--code", "I1P", "--programs", "2", "--log", logB}, &error))
        << error;

    const auto read = [&](const std::string& work, const std::string& port) {
        return RunProcess(
            {"/bin/sh", "-c",
             "cd '" + work + "' && exec '" KDMXP_CLI_PATH "' read -q --port '" + port + "' -o device.KDM"},
            {"KDMXP_PORT_DIR=" + ports.Path(), "KDMXP_SETTINGS_DIR=" + settings.Path()});
    };
    CliResult resultA;
    CliResult resultB;
    std::thread a([&] { resultA = read(workA.Path(), "COM3"); });
    std::thread b([&] { resultB = read(workB.Path(), simB.DevicePath()); });
    a.join();
    b.join();
    ASSERT_EQ(resultA.exitCode, 0) << resultA.err;
    ASSERT_EQ(resultB.exitCode, 0) << resultB.err;
    EXPECT_TRUE(Contains(ReadWhole(workA.File("device.KDM")), "0g+U2P"))
        << ReadWhole(workA.File("device.KDM"));
    EXPECT_TRUE(Contains(ReadWhole(workB.File("device.KDM")), "0g+I1P"))
        << ReadWhole(workB.File("device.KDM"));
    // Each device was opened once, by its own reader.
    EXPECT_TRUE(WaitForText(logA, "port closed", 1)) << ReadWhole(logA);
    EXPECT_TRUE(WaitForText(logB, "port closed", 1)) << ReadWhole(logB);
    EXPECT_FALSE(WaitForText(logA, "port opened", 2, 0)) << ReadWhole(logA);
    EXPECT_FALSE(WaitForText(logB, "port opened", 2, 0)) << ReadWhole(logB);
}

// A write with --verify through a given port: the write and its read-back both use that port alone, even
// though a scan would come to COM1 first, where another device of the same type answers.
TEST(DirectPorts, AVerifiedWriteUsesTheGivenPortAlone) {
    TempDir ports;
    TempDir settings;
    TempDir work;
    const std::string logOther = ports.File("other.log");
    const std::string logTarget = ports.File("target.log");
    SimProcess other;
    SimProcess target;
    std::string error;
    ASSERT_TRUE(other.Start(ports.Path(), 1, {"--no-pacing", "--code", "I1P", "--log", logOther}, &error))
        << error;
    ASSERT_TRUE(target.Start(ports.Path(), 5,
                             {"--no-pacing", "--code", "I1P", "--seed", "7", "--log", logTarget}, &error))
        << error;
    const auto cli = [&](const std::string& args) {
        return RunProcess({"/bin/sh", "-c", "cd '" + work.Path() + "' && exec '" KDMXP_CLI_PATH "' " + args},
                          {"KDMXP_PORT_DIR=" + ports.Path(), "KDMXP_SETTINGS_DIR=" + settings.Path()});
    };
    const CliResult read = cli("read -q --port COM5 -o device.KDM");
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const CliResult write = cli("write -q --verify --port COM5 device.KDM");
    EXPECT_EQ(write.exitCode, 0) << write.err;
    // The read, the write and the read-back: three opens of COM5, none of COM1.
    EXPECT_TRUE(WaitForText(logTarget, "port closed", 3)) << ReadWhole(logTarget);
    EXPECT_FALSE(WaitForText(logOther, "port opened", 1, 0)) << ReadWhole(logOther);
    EXPECT_NE(cli("write -q --port COM99 device.KDM").exitCode, 0);
}

}  // namespace
}  // namespace kdmtest
