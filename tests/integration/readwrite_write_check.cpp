// `kdmxp-cli write` checks the whole file before it opens a port: damaged files are refused with the
// list of what is wrong, marked records go out only with --allow-suspect, and --verify counts values
// that cannot be trusted as differences.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Type 2 ("I1P"): records 1 identification, 2 'a', 3 'b' (marked when asked), 4 'P', 5 'A'.
std::string DeviceFile(bool markB, int seed) {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(seed)).Add('b', Value(seed + 1), markB);
    dump.Program(1).Add('A', Value(seed + 2));
    return dump.Text();
}

class WriteCheckCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(settings);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root.Path());
    }
    void TearDown() override {
        sim.Stop();
        std::filesystem::current_path(previous);
    }
    CliResult Write(const std::string& file, std::vector<std::string> flags = {}) {
        Spit(root.File("file.KDM"), file);
        std::vector<std::string> args = {"write"};
        args.insert(args.end(), flags.begin(), flags.end());
        args.push_back(root.File("file.KDM"));
        return RunCli(args, ports, settings, 60000);
    }

    TempDir root;
    std::string ports, settings;
    std::filesystem::path previous;
    SimProcess sim;
};

// No device anywhere: had the write opened a port or searched, it would say it found none.
TEST_F(WriteCheckCli, DamagedFilesAreRefusedBeforeAnyPortIsOpened) {
    std::string noEtx = DeviceFile(false, 10);
    std::erase(noEtx, '\x03');
    std::string edited = DeviceFile(false, 10);
    edited.replace(edited.find(Value(12)), 9, Value(99));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {noEtx, "record 2, system, letter a: the frame does not end in ETX"},
        {edited, "record 5, program 000001, letter A: its checksum does not match its characters"},
        {DumpBuilder("I1P").Raw("nothing after the identification\r\n\r").Text(),
         "file: the file holds no parameter to write"}};
    for (const auto& [file, line] : cases) {
        for (const std::vector<std::string>& flags : {std::vector<std::string>{}, {"--allow-suspect"}}) {
            const CliResult r = Write(file, flags);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_EQ(r.err.rfind("Nothing was sent: the file cannot be written as it stands", 0), 0u)
                << r.err;
            EXPECT_TRUE(Contains(r.err, "\n" + line + "\n")) << r.err;
            EXPECT_FALSE(Contains(r.err, "No Dorvik-device found")) << r.err;
            EXPECT_FALSE(Contains(r.err, "Wrote")) << r.err;
        }
    }
}

TEST_F(WriteCheckCli, MarkedRecordsNeedAllowSuspectAndVerifyCountsThem) {
    std::string error;
    ASSERT_TRUE(sim.Start(ports, 1, {"--no-pacing", "--log", root.File("sim.log")}, &error)) << error;
    const std::string marked = DeviceFile(true, 20);

    const CliResult refused = Write(marked);
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "\nrecord 3, system, letter b: marked \" !!!\"")) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "add --allow-suspect")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "Wrote")) << refused.err;
    // The simulator never saw the port opened.
    EXPECT_FALSE(Contains(ReadWhole(root.File("sim.log")), "port opened"));

    // Allowed, the four frames go out as stored; the read-back holds the same marked value, which
    // proves nothing about it, so --verify reports it.
    const CliResult allowed = Write(marked, {"--allow-suspect", "--verify"});
    EXPECT_EQ(allowed.exitCode, 3) << allowed.err;
    EXPECT_TRUE(Contains(allowed.err, "Writing them as they are (--allow-suspect)")) << allowed.err;
    EXPECT_TRUE(Contains(allowed.err, "Wrote 4 frames")) << allowed.err;
    EXPECT_TRUE(Contains(allowed.out, "record 3: file ")) << allowed.out;
    EXPECT_TRUE(Contains(allowed.out, " (file: mismatch) (device: mismatch)\n")) << allowed.out;
    EXPECT_TRUE(Contains(allowed.err, "1 of 4 parameters differ")) << allowed.err;
}

}  // namespace
}  // namespace kdmtest
