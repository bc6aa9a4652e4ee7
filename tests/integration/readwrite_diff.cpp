// `kdmxp-cli diff FILE --device` against kdmxp-sim over a real pseudo-terminal: what the device holds
// before and after a write, telegrams that arrive with a bad checksum, and the user's KDM.tmp left alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A type 2 device ("I1P"): four system parameters a to d, `programs` programs with parameters A to C;
// `seed` varies the values.
std::string DeviceFile(int programs, int seed) {
    DumpBuilder dump("I1P");
    for (int i = 0; i < 4; ++i)
        dump.Add(static_cast<char>('a' + i), Value(seed * 1000 + i));
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (int i = 0; i < 3; ++i)
            dump.Add(static_cast<char>('A' + i), Value(seed * 1000 + p * 50 + i));
    }
    return dump.Text();
}

class DiffDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        work = root.File("work");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(work);
        // kdmxp-cli would keep KDM.tmp in its working directory, inherited from this process.
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work);
    }
    void TearDown() override {
        sim.Stop();
        std::filesystem::current_path(previous);
    }
    // A simulator without pacing on COM1 holding `file`.
    void StartSimWith(const std::string& file, std::vector<std::string> extra = {}) {
        Spit(root.File("device.KDM"), file);
        std::vector<std::string> args = {"--no-pacing", "--load", root.File("device.KDM"), "--log",
                                         root.File("sim.log")};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string error;
        ASSERT_TRUE(sim.Start(ports, 1, args, &error)) << error;
    }
    CliResult Cli(const std::vector<std::string>& args) {
        return RunCli(args, ports, root.File("settings"), 60000);
    }

    TempDir root;
    std::string ports, work;
    std::filesystem::path previous;
    SimProcess sim;
};

TEST_F(DiffDevice, AfterAWriteTheDeviceHoldsTheFile) {
    StartSimWith(DeviceFile(2, 4));
    const std::string file = work + "/file.KDM";
    Spit(file, DeviceFile(2, 5));
    // A KDM.tmp of an earlier read stays as it is: the device's data goes elsewhere.
    Spit(work + "/KDM.tmp", "an earlier read");

    // Before the write every value differs: 4 system parameters and 3 in each of 2 programs.
    const CliResult before = Cli({"diff", file, "--device", "--port", "COM1", "--format", "json"});
    ASSERT_EQ(before.exitCode, 1) << before.err << ReadWhole(root.File("sim.log"));
    const nlohmann::json doc = nlohmann::json::parse(before.out);
    EXPECT_EQ(doc["a"], file);
    EXPECT_EQ(doc["b"], "device");
    EXPECT_EQ(doc["port"], "COM1");
    ASSERT_EQ(doc["differences"].size(), 10u) << doc.dump(1);
    for (const nlohmann::json& difference : doc["differences"])
        EXPECT_EQ(difference["kind"], "changed") << difference.dump();
    EXPECT_EQ(doc["differences"][0]["a"], "005000");
    EXPECT_EQ(doc["differences"][0]["b"], "004000");

    const CliResult write = Cli({"write", "-q", file});
    ASSERT_EQ(write.exitCode, 0) << write.err;

    const CliResult after = Cli({"diff", file, "--device"});
    EXPECT_EQ(after.exitCode, 0) << after.err << after.out;
    EXPECT_EQ(after.out, "No differences between " + file + " and device on COM1\n");
    EXPECT_EQ(Slurp(work + "/KDM.tmp"), "an earlier read");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), std::filesystem::directory_iterator()),
              2);
}

TEST_F(DiffDevice, ATelegramWithABadChecksumIsADifferenceEvenWhenItsValueAgrees) {
    // Sent telegram 3 of a read is the first system parameter (1 and 2 answer the search and status).
    const std::string device = DeviceFile(1, 6);
    StartSimWith(device, {"--bad-checksum", "3"});
    const std::string file = work + "/file.KDM";
    Spit(file, device);

    const CliResult r = Cli({"diff", file, "--device", "-q", "--format", "json"});
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const nlohmann::json differences = nlohmann::json::parse(r.out)["differences"];
    ASSERT_EQ(differences.size(), 1u) << differences.dump(1);
    EXPECT_EQ(differences[0]["letter"], "a");
    EXPECT_EQ(differences[0]["kind"], "suspect");
    EXPECT_EQ(differences[0]["a"], differences[0]["b"]);
    EXPECT_EQ(differences[0]["suspect"], (nlohmann::json{{"a", nullptr}, {"b", "mismatch"}}));
    EXPECT_FALSE(std::filesystem::exists(work + "/KDM.tmp"));
}

}  // namespace
}  // namespace kdmtest
