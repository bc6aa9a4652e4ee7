// kdmxp-cli read --port: several devices on several ports, read at the same time by separate processes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sim_process.h"

namespace kdmtest {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
    EXPECT_TRUE(Contains(Slurp(workA.File("device.KDM")), "0g+U2P")) << Slurp(workA.File("device.KDM"));
    EXPECT_TRUE(Contains(Slurp(workB.File("device.KDM")), "0g+I1P")) << Slurp(workB.File("device.KDM"));
    // Each device was opened once, by its own reader.
    EXPECT_TRUE(WaitForText(logA, "port closed", 1)) << Slurp(logA);
    EXPECT_TRUE(WaitForText(logB, "port closed", 1)) << Slurp(logB);
    EXPECT_FALSE(WaitForText(logA, "port opened", 2, 0)) << Slurp(logA);
    EXPECT_FALSE(WaitForText(logB, "port opened", 2, 0)) << Slurp(logB);
}

}  // namespace
}  // namespace kdmtest
