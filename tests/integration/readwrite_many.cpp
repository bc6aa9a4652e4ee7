// `kdmxp-cli write FILE --port P1 --port P2 ...` and `read --port ... -o DIR` against a bench of
// simulated devices, each on its own pseudo-terminal: what every device received, what every file holds,
// and what the user is told about each port.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A device of type 2 ("I1P"): `system` parameters and `programs` programs of three parameters.
std::string DeviceFile(int system, int programs, int seed) {
    DumpBuilder dump("I1P");
    for (int i = 0; i < system; ++i)
        dump.Add("abcdehijkmnoqrtuvwxyz"[i % 21], Value(seed * 1000 + i));
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (int i = 0; i < 3; ++i)
            dump.Add("ABCDEHIJK"[i], Value(seed * 1000 + p * 50 + i));
    }
    return dump.Text();
}

// The frames a write sends of `file`, as the simulator's log shows them: every frame but the
// identification.
std::vector<std::string> FramesOf(const std::string& file) {
    std::vector<std::string> frames;
    for (std::size_t at = file.find('\x02'); at != std::string::npos && at + 16 <= file.size();
         at = file.find('\x02', at + 16)) {
        if (file[at + 15] == '\x03' && file[at + 2] != 'g')
            frames.push_back("<STX>" + file.substr(at + 1, 14) + "<ETX>");
    }
    return frames;
}

// Every frame the device received, in order, requests left out.
std::vector<std::string> ReceivedFrames(const std::string& log) {
    std::vector<std::string> frames;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t rx = line.find(" rx#");
        if (rx == std::string::npos) continue;
        const std::size_t frame = line.find("<STX>", rx);
        if (frame == std::string::npos) continue;
        const std::string text = line.substr(frame);
        // The status, system and program requests of the search and of a read.
        if (text != "<STX>0F+000000--539<ETX>" && text != "<STX>0s+000000--584<ETX>" &&
            text != "<STX>0D+000000--537<ETX>")
            frames.push_back(text);
    }
    return frames;
}

class ManyPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(settings);
        // A history of this test's own, so that what it finds there is what this test did.
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        previousDataHome = dataHome != nullptr ? dataHome : "";
        ::setenv("XDG_DATA_HOME", root.File("data").c_str(), 1);
    }
    void TearDown() override { ::setenv("XDG_DATA_HOME", previousDataHome.c_str(), 1); }
    // Device `com` holds `file`; `extra` switches its faults on. Paced at 4800 baud unless told not.
    void StartDevice(int com, const std::string& file, std::vector<std::string> extra = {},
                     bool paced = true) {
        const std::string name = "COM" + std::to_string(com);
        Spit(root.File(name + ".device"), file);
        std::vector<std::string> args = {"--load", root.File(name + ".device"), "--log", Log(com)};
        if (!paced) args.push_back("--no-pacing");
        args.insert(args.end(), extra.begin(), extra.end());
        sims.push_back(std::make_unique<SimProcess>());
        std::string error;
        ASSERT_TRUE(sims.back()->Start(ports, com, args, &error)) << error;
    }
    std::string Log(int com) const { return root.File("sim" + std::to_string(com) + ".log"); }
    CliResult Cli(const std::vector<std::string>& args) { return RunCli(args, ports, settings, 180000); }

    TempDir root;
    std::string ports, settings;
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::string previousDataHome;
};

TEST_F(ManyPorts, SixPacedDevicesWrittenAtOnceEachReceiveEveryFrame) {
    const std::string file = DeviceFile(5, 8, 1);
    Spit(root.File("set.KDM"), file);
    std::vector<std::string> args = {"write", root.File("set.KDM")};
    for (int com = 1; com <= 6; ++com) {
        StartDevice(com, DeviceFile(5, 2, 10 + com));
        args.push_back("--port");
        args.push_back("COM" + std::to_string(com));
    }

    const CliResult r = Cli(args);

    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> expected = FramesOf(file);
    ASSERT_EQ(expected.size(), 5u + 8u * 4u);
    for (int com = 1; com <= 6; ++com) {
        const std::string port = "COM" + std::to_string(com);
        EXPECT_TRUE(Contains(r.err, port + ": written, 37 frames\n")) << r.err;
        ASSERT_EQ(sims[static_cast<std::size_t>(com - 1)]->Stop(), 0);
        EXPECT_EQ(ReceivedFrames(ReadWhole(Log(com))), expected) << port;
    }
    EXPECT_TRUE(Contains(r.err, "6 of 6 devices written\n")) << r.err;
}

TEST_F(ManyPorts, TheMiddleDeviceRefusingAFrameFailsAloneAndNamesWhy) {
    const std::string file = DeviceFile(4, 3, 2);
    Spit(root.File("set.KDM"), file);
    // Received frames 1 and 2 are the status requests: 5 is the third frame written.
    StartDevice(1, DeviceFile(4, 1, 21), {}, false);
    StartDevice(2, DeviceFile(4, 1, 22), {"--ack-error", "9@5"}, false);
    StartDevice(3, DeviceFile(4, 1, 23), {}, false);

    const CliResult r =
        Cli({"write", "--quiet", root.File("set.KDM"), "--port", "COM1", "--port", "COM2", "--port", "COM3"});

    EXPECT_EQ(r.exitCode, 1);
    // Quiet: the failure and nothing else.
    EXPECT_EQ(r.err,
              "COM2: failed: Device error no:  9: the device now holds an incomplete parameter set (3 of 16 "
              "frames): write the file again or restore a backup\n1 of 3 devices failed\n");
    const std::vector<std::string> expected = FramesOf(file);
    for (int com : {1, 3}) {
        ASSERT_EQ(sims[static_cast<std::size_t>(com - 1)]->Stop(), 0);
        EXPECT_EQ(ReceivedFrames(ReadWhole(Log(com))), expected) << com;
    }
    ASSERT_EQ(sims[1]->Stop(), 0);
    EXPECT_EQ(ReceivedFrames(ReadWhole(Log(2))),
              std::vector<std::string>(expected.begin(), expected.begin() + 3));
}

TEST_F(ManyPorts, ReadsEachDeviceIntoItsOwnFileAndKeepsAFailedReadsTelegramsApart) {
    const std::string first = DeviceFile(3, 2, 3), second = DeviceFile(6, 1, 4), third = DeviceFile(4, 4, 5);
    StartDevice(1, first, {}, false);
    // Identification, status reply and two system parameters, then silence.
    StartDevice(2, second, {"--silent-after", "4"}, false);
    StartDevice(3, third, {}, false);
    const std::string out = root.File("bench");
    const FastProgramClock fast(10);

    const CliResult r = Cli({"read", "-o", out, "--port", "COM1", "--port", "COM2", "--port",
                             sims[2]->LinkPath(), "--name", "COM1=press-1"});

    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(Slurp(out + "/press-1.KDM"), first);
    EXPECT_EQ(Slurp(out + "/COM3.KDM"), third);
    EXPECT_FALSE(std::filesystem::exists(out + "/COM2.KDM"));
    // What arrived from the silent device, and only from it.
    EXPECT_EQ(Slurp(out + "/COM2.tmp"), second.substr(0, 18 + 2 * 26));
    EXPECT_FALSE(std::filesystem::exists(out + "/press-1.tmp"));
    EXPECT_TRUE(Contains(r.err, "COM2: failed: Error RS232; What arrived is kept in " + out + "/COM2.tmp\n"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "COM3: read 20 telegrams (4 system, 4 programs) -> " + out + "/COM3.KDM\n"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "1 of 3 devices failed\n")) << r.err;
}

TEST_F(ManyPorts, EachDeviceGetsItsOwnBackupAndTypeCheck) {
    const std::string file = DeviceFile(3, 2, 4);
    Spit(root.File("set.KDM"), file);
    const std::string before = DeviceFile(3, 1, 41);
    StartDevice(1, before, {}, false);
    // A device of another type: refused as soon as it names its type, before its parameters are read.
    StartDevice(2, DumpBuilder("X9Z").Add('a', Value(1)).Add('b', Value(2)).Text(), {}, false);

    const CliResult r = Cli({"write", "--backup", root.File("set.KDM"), "--port", "COM1", "--port", "COM2"});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "COM1: written, 11 frames\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM2: failed: file type is not device typ; nothing was read or written\n"))
        << r.err;
    for (std::size_t i = 0; i < 2; ++i)
        ASSERT_EQ(sims[i]->Stop(), 0);
    EXPECT_EQ(ReceivedFrames(ReadWhole(Log(1))), FramesOf(file));
    EXPECT_TRUE(Contains(ReadWhole(Log(1)), "0D+000000--537")) << "COM1 was not read before the write";
    // Stopped within the first moment of the read: its programs were never asked for.
    EXPECT_FALSE(Contains(ReadWhole(Log(2)), "0D+000000--537")) << "COM2 was read although of another type";
    // The history holds COM1's backup, what the device held before, and its write.
    const CliResult history = Cli({"history", "--json"});
    EXPECT_TRUE(Contains(history.out, "\"kind\": \"backup\"")) << history.out;
    EXPECT_TRUE(Contains(history.out, "\"kind\": \"write\"")) << history.out;
    EXPECT_FALSE(Contains(history.out, "\"port\": \"COM2\"")) << history.out;
}

TEST_F(ManyPorts, AllPortsSkipsThoseWithoutADevice) {
    const std::string file = DeviceFile(3, 1, 6);
    Spit(root.File("set.KDM"), file);
    StartDevice(2, DeviceFile(3, 1, 7), {}, false);
    // A port that leads to a device that never identifies itself.
    StartDevice(4, DeviceFile(3, 1, 8), {"--silent-after", "0"}, false);
    const FastProgramClock fast(10);

    const CliResult r = Cli({"write", root.File("set.KDM"), "--ports-all"});

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM2: written, 7 frames\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM4: no device (COM4 " + sims[1]->LinkPath())) << r.err;
    EXPECT_TRUE(Contains(r.err, "1 of 1 devices written\n")) << r.err;
}

TEST_F(ManyPorts, CtrlCStopsEveryJob) {
    const std::string file = DeviceFile(5, 40, 9);
    Spit(root.File("set.KDM"), file);
    StartDevice(1, DeviceFile(5, 1, 31));
    StartDevice(2, DeviceFile(5, 1, 32));
    BackgroundProcess cli(
        {{KDMXP_CLI_PATH, "write", root.File("set.KDM"), "--port", "COM1", "--port", "COM2"},
         {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings},
         root.File("err")});
    ASSERT_TRUE(cli.Started());
    // Both devices are taking frames.
    ASSERT_TRUE(WaitForText(Log(1), " rx#6 ", 1, 60000)) << cli.Err();
    ASSERT_TRUE(WaitForText(Log(2), " rx#6 ", 1, 60000)) << cli.Err();
    cli.Signal(SIGINT);

    const int code = cli.Wait(30000);
    ASSERT_NE(code, -1) << "still running 30 s after Ctrl-C";
    EXPECT_EQ(code, 130);
    const std::string err = cli.Err();
    for (const char* port : {"COM1", "COM2"}) {
        EXPECT_TRUE(Contains(
            err, std::string(port) + ": Stopped: the device now holds an incomplete parameter set ("))
            << err;
    }
    EXPECT_FALSE(Contains(err, "devices written")) << err;
}

struct BadSelection {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

void PrintTo(const BadSelection& c, std::ostream* os) {
    *os << c.name;
}

class ManyPortsRefused : public ManyPorts, public ::testing::WithParamInterface<BadSelection> {};

TEST_P(ManyPortsRefused, BeforeAnyPortIsOpened) {
    const BadSelection& c = GetParam();
    StartDevice(1, DeviceFile(3, 1, 1), {}, false);
    Spit(root.File("set.KDM"), DeviceFile(3, 1, 2));
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
        if (arg == "@FILE@") arg = root.File("set.KDM");
        if (arg == "@LINK@") arg = sims[0]->LinkPath();
        if (arg == "@DIR@") arg = root.File("out");
    }

    const CliResult r = Cli(args);

    EXPECT_EQ(r.exitCode, 2);
    std::string message = c.message;
    if (const std::size_t at = message.find("@LINK@"); at != std::string::npos)
        message.replace(at, 6, sims[0]->LinkPath());
    EXPECT_TRUE(Contains(r.err, message)) << r.err;
    ASSERT_EQ(sims[0]->Stop(), 0);
    EXPECT_FALSE(Contains(ReadWhole(Log(1)), "port opened")) << "a port was opened";
}

INSTANTIATE_TEST_SUITE_P(
    Selections, ManyPortsRefused,
    ::testing::Values(
        BadSelection{
            "samePortTwice", {"write", "@FILE@", "--port", "COM1", "--port", "COM1"}, "COM1 is given twice"},
        BadSelection{"oneDeviceTwoNames",
                     {"write", "@FILE@", "--port", "COM1", "--port", "@LINK@"},
                     "COM1 and @LINK@ are the same port"},
        BadSelection{"notAPort", {"write", "@FILE@", "--port", "COM1", "--port", "tty0"}, "Not a port: tty0"},
        BadSelection{"nameOfAnotherPort",
                     {"read", "-o", "@DIR@", "--port", "COM1", "--port", "COM2", "--name", "COM3=press"},
                     "--name COM3=press: give it as PORT=NAME"},
        BadSelection{"twoFilesOfOneName",
                     {"read", "-o", "@DIR@", "--port", "COM1", "--port", "COM2", "--name", "COM1=p", "--name",
                      "COM2=p"},
                     "COM1 and COM2 would both be saved as p.KDM"}),
    [](const ::testing::TestParamInfo<BadSelection>& param) { return param.param.name; });

}  // namespace
}  // namespace kdmtest
