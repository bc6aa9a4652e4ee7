// One verdict on a damaged data file, wherever it is asked: the write check, `kdmxp-cli show` (text and
// JSON), `kdmxp-cli diff` against the sound file, and `kdmxp-cli write` against the simulator, which
// sends nothing for a file it refuses, sends a file it asks about only with --allow-suspect, and never
// reports success for a file the program itself calls damaged.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "data/write_check.h"
#include "support/damaged_files.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class VerdictEverywhere : public ::testing::TestWithParam<DamagedFile> {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(settings);
        file = root.File("damaged.KDM");
        sound = root.File("sound.KDM");
        Spit(file, GetParam().bytes);
        Spit(sound, SoundDataFile());
    }
    CliResult Cli(const std::vector<std::string>& args) { return RunCli(args, ports, settings, 60000); }

    TempDir root;
    std::string ports, settings, file, sound;
};

TEST_P(VerdictEverywhere, ShowDiffTheWriteCheckAndTheWriteAgree) {
    const DamagedFile& c = GetParam();
    const std::string verdict(kdm::FileVerdictName(c.verdict));

    // The check itself.
    const kdm::FileJudgement judgement = kdm::JudgeDataFile(kdm::ParseParameterSet(c.bytes).set);
    EXPECT_EQ(judgement.verdict, c.verdict) << kdm::DescribeWriteCheck(judgement.check);
    if (!c.listed.empty()) {
        EXPECT_TRUE(Contains(kdm::DescribeWriteCheck(judgement.check), "\n" + c.listed))
            << kdm::DescribeWriteCheck(judgement.check);
    }

    // show: the document for scripts and the text for people.
    const CliResult json = Cli({"show", file, "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["write"]["verdict"], verdict);
    EXPECT_EQ(document["write"]["findings"].size(), judgement.check.findings.size());
    const CliResult text = Cli({"show", file});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(Contains(text.out, "This file cannot be written into a device as it stands:\n"),
              c.verdict == kdm::FileVerdict::kRefused)
        << text.out;
    EXPECT_EQ(Contains(text.out, "This file is written into a device only when the user allows it"),
              c.verdict == kdm::FileVerdict::kAsk)
        << text.out;
    if (!c.listed.empty()) {
        EXPECT_TRUE(Contains(text.out, "\n  " + c.listed + "\n")) << text.out;
    }

    // diff against the file as a read stored it: the same only when nothing is wrong.
    const CliResult diff = Cli({"diff", file, sound, "--format", "json"});
    EXPECT_EQ(diff.exitCode, c.verdict == kdm::FileVerdict::kWritable ? 0 : 1) << diff.out << diff.err;
    const nlohmann::json compared = nlohmann::json::parse(diff.out);
    EXPECT_EQ(compared["files"]["a"]["verdict"], verdict);
    EXPECT_EQ(compared["files"]["b"]["verdict"], "writable");
    const CliResult diffText = Cli({"diff", file, sound});
    EXPECT_EQ(diffText.exitCode, diff.exitCode);
    EXPECT_EQ(Contains(diffText.out, "No differences"), c.verdict == kdm::FileVerdict::kWritable)
        << diffText.out;
    if (!c.listed.empty()) {
        EXPECT_TRUE(Contains(diffText.out, "\n  " + c.listed + "\n")) << diffText.out;
    }

    // The write, into the simulator.
    SimProcess sim;
    std::string error;
    const std::string log = root.File("sim.log");
    ASSERT_TRUE(sim.Start(ports, 1, {"--no-pacing", "--log", log}, &error)) << error;
    const CliResult plain = Cli({"write", file});
    // A backup is a read of the device: none goes ahead of a write that sends nothing.
    const CliResult backup =
        c.verdict == kdm::FileVerdict::kWritable ? CliResult{} : Cli({"write", "--backup", file});
    const CliResult allowed = Cli({"write", "--allow-suspect", file});
    // Ended before the check of the last write, so that the log is whole.
    sim.Stop();
    const std::string traffic = ReadWhole(log);
    const std::string wrote = "Wrote " + std::to_string(c.frames) + " frames from " + file;
    switch (c.verdict) {
        case kdm::FileVerdict::kWritable:
            EXPECT_EQ(plain.exitCode, 0) << plain.err;
            EXPECT_TRUE(Contains(plain.err, wrote)) << plain.err;
            EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
            EXPECT_EQ(Occurrences(traffic, "port opened"), 2) << traffic;
            break;
        case kdm::FileVerdict::kAsk:
            EXPECT_EQ(plain.exitCode, 1) << plain.err;
            EXPECT_TRUE(Contains(plain.err, "\n" + c.listed + "\n")) << plain.err;
            EXPECT_TRUE(Contains(plain.err, "add --allow-suspect")) << plain.err;
            EXPECT_FALSE(Contains(plain.err, "Wrote")) << plain.err;
            EXPECT_EQ(backup.exitCode, 1) << backup.err;
            EXPECT_TRUE(Contains(backup.err, "add --allow-suspect")) << backup.err;
            EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
            EXPECT_TRUE(Contains(allowed.err, wrote)) << allowed.err;
            // Only the allowed write reached the device.
            EXPECT_EQ(Occurrences(traffic, "port opened"), 1) << traffic;
            break;
        case kdm::FileVerdict::kRefused:
            for (const CliResult& run : {plain, backup, allowed}) {
                EXPECT_EQ(run.exitCode, 1) << run.err;
                EXPECT_EQ(run.err.rfind("Nothing was sent: the file cannot be written as it stands", 0), 0u)
                    << run.err;
                EXPECT_TRUE(Contains(run.err, "\n" + c.listed + "\n")) << run.err;
                EXPECT_FALSE(Contains(run.err, "Wrote")) << run.err;
            }
            EXPECT_EQ(Occurrences(traffic, "port opened"), 0) << traffic;
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, VerdictEverywhere, ::testing::ValuesIn(DamagedFiles()),
                         [](const ::testing::TestParamInfo<DamagedFile>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace kdmtest
