// A file changed offline with `kdmxp-cli set` is a file like any a read stores: `diff` lists exactly
// the values set, the bytes differ in exactly those records, and a simulated device it is written into
// holds the new values.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "data/parameter_model.h"
#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A type 2 device ("I1P"): system parameters a to d and h, three programs with parameters A to C and V.
std::string DeviceFile() {
    DumpBuilder dump("I1P");
    for (const char letter : {'a', 'b', 'c', 'd', 'h'})
        dump.Add(letter, Value(letter));
    for (int p = 1; p <= 3; ++p) {
        dump.Program(p);
        for (const char letter : {'A', 'B', 'C', 'V'})
            dump.Add(letter, Value(p * 100 + letter));
    }
    return dump.Text();
}

// The records of two texts that differ, by index; both must hold as many.
std::vector<std::size_t> DifferingRecords(const std::string& a, const std::string& b) {
    const kdm::ParameterSet setA = kdm::ParseParameterSet(a).set;
    const kdm::ParameterSet setB = kdm::ParseParameterSet(b).set;
    EXPECT_EQ(setA.Records().size(), setB.Records().size());
    std::vector<std::size_t> differing;
    for (std::size_t k = 0; k < std::min(setA.Records().size(), setB.Records().size()); ++k) {
        const kdm::Record& ra = setA.Records()[k];
        const kdm::Record& rb = setB.Records()[k];
        if (a.substr(ra.Offset(), ra.Size()) != b.substr(rb.Offset(), rb.Size())) differing.push_back(k);
    }
    return differing;
}

TEST(SetThenWrite, TheDeviceReceivesTheValuesSet) {
    TempDir root;
    ASSERT_FALSE(root.Path().empty());
    const std::string ports = root.File("ports");
    std::filesystem::create_directories(ports);
    const auto cli = [&](const std::vector<std::string>& args) {
        return RunCli(args, ports, root.File("settings"), 60000);
    };
    const std::string a = root.File("a.KDM");
    const std::string b = root.File("b.KDM");
    Spit(a, DeviceFile());

    const CliResult set = cli({"set", a, "h=5", "P2:V=-123", "-o", b});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find(": +000104 -> +000005\n"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("P2 V "), std::string::npos) << set.out;

    const CliResult diff = cli({"diff", a, b, "--format", "json"});
    ASSERT_EQ(diff.exitCode, 1) << diff.err;
    const nlohmann::json differences = nlohmann::json::parse(diff.out)["differences"];
    ASSERT_EQ(differences.size(), 2u) << differences.dump(1);
    EXPECT_EQ(differences[0]["letter"], "h");
    EXPECT_EQ(differences[0]["b"], "000005");
    EXPECT_EQ(differences[1]["program"], 2);
    EXPECT_EQ(differences[1]["letter"], "V");
    EXPECT_EQ(differences[1]["b"], "-000123");
    for (const nlohmann::json& difference : differences)
        EXPECT_EQ(difference["kind"], "changed");
    EXPECT_EQ(DifferingRecords(Slurp(a), Slurp(b)).size(), 2u);

    // A device that holds A takes B; read back, it holds B, and so differs from A in those two values.
    Spit(root.File("device.KDM"), DeviceFile());
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(
        ports, 1, {"--no-pacing", "--load", root.File("device.KDM"), "--log", root.File("sim.log")}, &error))
        << error;
    const CliResult write = cli({"write", "-q", b, "--port", "COM1"});
    ASSERT_EQ(write.exitCode, 0) << write.err << ReadWhole(root.File("sim.log"));
    const CliResult same = cli({"diff", b, "--device", "-q", "--port", "COM1"});
    EXPECT_EQ(same.exitCode, 0) << same.err << same.out;
    const CliResult before = cli({"diff", a, "--device", "-q", "--port", "COM1", "--format", "json"});
    EXPECT_EQ(before.exitCode, 1) << before.err;
    EXPECT_EQ(nlohmann::json::parse(before.out)["differences"].size(), 2u) << before.out;
    sim.Stop();
}

}  // namespace
}  // namespace kdmtest
