// `kdmxp-cli read` and `write` against kdmxp-sim over a real pseudo-terminal: what ends up in the files
// and in the device, and what the user is told when something goes wrong.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

extern char** environ;

namespace kdmtest {
namespace {

// A device of type 2 ("I1P") with `system` system parameters and `programs` programs of `perProgram`
// parameters each; `seed` varies the values.
std::string DeviceFile(int system, int programs, int perProgram, int seed) {
    static const char kSystemLetters[] = "abcdehijkmnoqrtuvwxyz";
    static const char kProgramLetters[] = "ABCDEHIJKLMNOQRSTUVW";
    DumpBuilder dump("I1P");
    for (int i = 0; i < system; ++i)
        dump.Add(kSystemLetters[i % 21], Value(seed * 1000 + i));
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (int i = 0; i < perProgram; ++i)
            dump.Add(kProgramLetters[i % 20], Value(seed * 1000 + p * 50 + i));
    }
    return dump.Text();
}

// The programs' clock runs this many times faster in the tests that wait out a device's time-outs.
constexpr int kWaitOutSpeedUp = 10;

class ReadWriteCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        work = root.File("work");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(settings);
        std::filesystem::create_directories(work);
        // kdmxp-cli keeps KDM.tmp in its working directory, which it inherits from this process.
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work);
    }
    void TearDown() override {
        sim.Stop();
        std::filesystem::current_path(previous);
    }

    void StartSim(std::vector<std::string> args) {
        args.push_back("--log");
        args.push_back(root.File("sim.log"));
        std::string error;
        ASSERT_TRUE(sim.Start(ports, 1, args, &error)) << error;
    }
    // A sim without pacing holding `file`.
    void StartSimWith(const std::string& file, std::vector<std::string> extra = {}) {
        Spit(root.File("device.KDM"), file);
        std::vector<std::string> args = {"--no-pacing", "--load", root.File("device.KDM")};
        args.insert(args.end(), extra.begin(), extra.end());
        StartSim(args);
    }
    CliResult Cli(const std::vector<std::string>& args, int timeoutMs = 60000) {
        return RunCli(args, ports, settings, timeoutMs);
    }
    std::string Temp() const { return work + "/KDM.tmp"; }

    TempDir root;
    std::string ports, settings, work;
    std::filesystem::path previous;
    SimProcess sim;
};

TEST_F(ReadWriteCli, ReadStoresOneRecordPerTelegramExactlyAsTheDeviceSentThem) {
    const std::string device = DeviceFile(5, 3, 4, 1);
    StartSimWith(device);
    const std::string out = work + "/out.KDM";

    const CliResult r = Cli({"read", "-o", out});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Slurp(out), device);
    EXPECT_EQ(Slurp(Temp()), device);
    // 1 identification + 5 system + 3 x (1 + 4) program records.
    EXPECT_EQ(device.size(), 18u + 26u * 20u);
    EXPECT_TRUE(Contains(r.err, "Read 20 telegrams (5 system, 3 programs), 0 checksum mismatches -> " + out))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "communication terminated")) << r.err;
}

TEST_F(ReadWriteCli, CorruptedChecksumIsKeptWithItsMark) {
    const std::string device = DeviceFile(4, 1, 2, 2);
    // Sent telegrams: 1 identification, 2 status reply, 3 and 4 the first system parameters.
    StartSimWith(device, {"--bad-checksum", "4"});
    const CliResult r = Cli({"read", "-o", work + "/out.KDM"});

    // Saved, but with a telegram that cannot be trusted: status 2 and the count on stderr.
    ASSERT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, "1 telegram(s) with a checksum mismatch or damage in " + work + "/out.KDM"))
        << r.err;
    const std::string saved = Slurp(work + "/out.KDM");
    ASSERT_EQ(saved.size(), device.size() + 4);
    // The second system record is the one; everything else is as the device holds it.
    const std::size_t second = 18 + 26;
    EXPECT_EQ(saved.substr(0, second), device.substr(0, second));
    // Same telegram up to its checksum digits, which the device damaged; the record keeps them and
    // adds the checksum computed on arrival and the mark.
    EXPECT_EQ(saved.substr(second, 12), device.substr(second, 12));
    EXPECT_NE(saved.substr(second + 12, 3), device.substr(second + 12, 3));
    EXPECT_EQ(saved.substr(second + 15, 15), "\x03 QS " + device.substr(second + 20, 3) + " !!!\r\n\r");
    EXPECT_EQ(saved.substr(second + 30), device.substr(second + 26));
    EXPECT_TRUE(Contains(r.err, "1 checksum mismatches")) << r.err;
}

TEST_F(ReadWriteCli, SilentDeviceEndsTheReadWithErrorRs232AndKeepsWhatArrived) {
    const std::string device = DeviceFile(6, 1, 1, 3);
    // Identification, status reply and three system parameters, then silence: six empty ticks, a
    // minute of the program's time.
    StartSimWith(device, {"--silent-after", "5"});
    const FastProgramClock fast(kWaitOutSpeedUp);
    const CliResult r = Cli({"read", "-o", work + "/out.KDM"}, 120000);

    EXPECT_EQ(r.exitCode, 1);
    // The message says where the data went, and the silence was never a blank screen.
    const std::string kept = (std::filesystem::canonical(work) / "KDM.tmp").string();
    EXPECT_TRUE(Contains(r.err, "Error RS232\nWhat arrived is kept in " + kept + "\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "Waiting for the next telegram from the device (2 s)\n")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(work + "/out.KDM"));
    EXPECT_EQ(Slurp(Temp()), device.substr(0, 18 + 3 * 26));
}

TEST_F(ReadWriteCli, WrittenFileIsWhatTheDeviceReturnsAfterwards) {
    StartSimWith(DeviceFile(5, 3, 3, 4));
    const std::string other = DeviceFile(5, 3, 3, 5);
    Spit(work + "/other.KDM", other);

    const CliResult w = Cli({"write", work + "/other.KDM"});
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_TRUE(Contains(w.err, "communication terminated")) << w.err;
    // Every record, the last one included, went to the device.
    EXPECT_TRUE(Contains(w.err, "Wrote 17 frames")) << w.err;

    const CliResult r = Cli({"read", "-o", work + "/back.KDM"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Slurp(work + "/back.KDM"), other);
}

struct WriteFailure {
    const char* name;
    int fileKind;  // 0 matching file, 1 another device type, 2 35 bytes
    std::vector<std::string> simArgs;
    const char* message;
    int clockSpeedUp = 1;  // kWaitOutSpeedUp for a failure that waits out the device's time-outs
};

class WriteFailureCli : public ReadWriteCli, public ::testing::WithParamInterface<WriteFailure> {};

TEST_P(WriteFailureCli, EachFailureGivesTheProgramsMessage) {
    const WriteFailure& c = GetParam();
    const std::string device = DeviceFile(3, 1, 1, 6);
    StartSimWith(device, c.simArgs);
    const FastProgramClock fast(c.clockSpeedUp);
    std::string file = device;
    if (c.fileKind == 1) file = DumpBuilder("X9Z").Add('a', Value(1)).Add('b', Value(2)).Text();
    if (c.fileKind == 2) file = device.substr(0, 35);
    Spit(work + "/file.KDM", file);

    const CliResult r = Cli({"write", "--quiet", work + "/file.KDM"});

    EXPECT_EQ(r.exitCode, 1);
    // "@PORT@" stands for the simulator's port, which a failed search names as the read does.
    std::string message = c.message;
    if (const std::size_t at = message.find("@PORT@"); at != std::string::npos)
        message.replace(at, 6, sim.LinkPath());
    EXPECT_EQ(r.err, message + "\n");
}

void PrintTo(const WriteFailure& c, std::ostream* os) {
    *os << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WriteFailureCli,
    ::testing::Values(
        WriteFailure{"wrongDeviceType", 1, {}, "file type is not device typ"},
        WriteFailure{"shortFile", 2, {}, "Parameterfile has an error"},
        WriteFailure{"statusErrorInTheSearch",
                     0,
                     {"--status-error", "7"},
                     "RS232-cable defect\nCOM1 @PORT@: a device identified itself but reported error 7"},
        // Sent telegram 3 is the answer to the second status request; its last error
        // digit turns from 0 into 1.
        WriteFailure{"secondStatusFails", 0, {"--fault", "flip@3:9"}, "Download not started"},
        // Received frame 3 is the first written frame (1 and 2 are status requests).
        // Each says that the device holds part of the file, and how much: 1 and 2 of the 5 frames.
        WriteFailure{
            "acknowledgementError",
            0,
            {"--ack-error", "12@3"},
            "Device error no:  12\nWrite failed: the device now holds an incomplete parameter set (1 of 5 "
            "frames): write the file again or restore a backup"},
        WriteFailure{"noAcknowledgement",
                     0,
                     {"--no-ack", "4"},
                     "Device error no:No device response\nWrite failed: the device now holds an incomplete "
                     "parameter set (2 of 5 frames): write the file again or restore a backup",
                     kWaitOutSpeedUp}),
    [](const ::testing::TestParamInfo<WriteFailure>& param) { return std::string(param.param.name); });

TEST_F(ReadWriteCli, VerifyPassesOnAGoodDevice) {
    const std::string device = DeviceFile(4, 2, 2, 7);
    StartSimWith(DeviceFile(4, 2, 2, 8));
    Spit(work + "/file.KDM", device);
    const CliResult r = Cli({"write", "--verify", work + "/file.KDM"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "Verify: all 10 parameters match the device")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(ReadWriteCli, VerifyReportsWhatTheDeviceHoldsDifferently) {
    const std::string device = DeviceFile(4, 2, 2, 9);
    // In the read-back, sent telegram 3 is the first system parameter; the write itself only gets
    // status replies and acknowledgements, whose checksums nobody looks at.
    StartSimWith(device, {"--bad-checksum", "3"});
    Spit(work + "/file.KDM", device);
    const CliResult r = Cli({"write", "--verify", work + "/file.KDM"});

    EXPECT_EQ(r.exitCode, 3) << r.err;
    const std::string fileTelegram = device.substr(19, 14);
    ASSERT_TRUE(Contains(r.out, "record 2: file " + fileTelegram + " device ")) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    EXPECT_TRUE(Contains(r.err, "1 of 10 parameters differ")) << r.err;
}

// kdmxp-cli started in the background, so that it can be interrupted.
pid_t SpawnCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envText = env;
    for (char** e = environ; *e != nullptr; ++e)
        envText.emplace_back(*e);
    std::vector<char*> argp, envp;
    for (auto& a : argv)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argp.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(ReadWriteCli, CtrlCStopsTheReadAndKDMtmpKeepsWhatArrived) {
    // Paced at 4800 baud, and silent after telegram 100 of about 320: the read cannot end before it is
    // interrupted, however late that comes (after the silence it would wait a minute before giving up).
    // The device is saved when the sim exits.
    StartSim({"--programs", "20", "--silent-after", "100", "--save", root.File("full.KDM")});
    const pid_t cli = SpawnCli({"read", "-o", work + "/out.KDM"},
                               {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings});
    ASSERT_GT(cli, 0);
    // Interrupt once a few records have arrived.
    bool arrived = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!arrived && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::error_code ignored;
        arrived = std::filesystem::file_size(Temp(), ignored) > 18 + 26 * 5 && !ignored;
    }
    if (!arrived) ::kill(cli, SIGKILL);
    ASSERT_TRUE(arrived);
    ::kill(cli, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(cli, &status, 0), cli);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(std::filesystem::exists(work + "/out.KDM"));

    sim.Stop();
    const std::string full = Slurp(root.File("full.KDM"));
    const std::string partial = Slurp(Temp());
    ASSERT_GT(full.size(), partial.size());
    // Whole records only, each as in the device.
    EXPECT_EQ((partial.size() - 18) % 26, 0u);
    EXPECT_EQ(full.substr(0, partial.size()), partial);
}

}  // namespace
}  // namespace kdmtest
