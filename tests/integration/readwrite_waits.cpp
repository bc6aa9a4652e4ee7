// `kdmxp-cli` against devices that keep the tool waiting: one that identifies itself and then stays
// silent, one that never stops sending, and Ctrl-C while the tool waits. Each case checks what the user
// is told and what is left in KDM.tmp; the interrupts come once the program has said what it waits for.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "transfer/read_engine.h"

namespace kdmtest {
namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A device of type 2 with three system parameters and two programs of two parameters.
std::string SmallDeviceFile() {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(1)).Add('b', Value(2)).Add('c', Value(3));
    for (int p = 1; p <= 2; ++p) {
        dump.Program(p);
        dump.Add('A', Value(10 * p)).Add('B', Value(10 * p + 1));
    }
    return dump.Text();
}

// kdmxp-cli in the background with its stderr in a file, so that a test can wait for what it says and
// then interrupt it.
BackgroundProcess::Options BackgroundCli(const std::vector<std::string>& args,
                                         const std::vector<std::string>& env, const std::string& errPath) {
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return {argv, env, errPath, false};
}

class WaitsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        work = root.File("work");
        std::filesystem::create_directories(ports);
        std::filesystem::create_directories(settings);
        std::filesystem::create_directories(work);
        // kdmxp-cli keeps KDM.tmp in its working directory, which it inherits from this process, and
        // names it as the working directory reads.
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work);
        temp = (std::filesystem::canonical(work) / "KDM.tmp").string();
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
    CliResult Cli(const std::vector<std::string>& args) { return RunCli(args, ports, settings, 60000); }
    std::vector<std::string> Env() const {
        return {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings};
    }

    TempDir root;
    std::string ports, settings, work, temp;
    std::filesystem::path previous;
    SimProcess sim;
};

const std::string kTransmitWire =
    "RS232-cable defect\nThe device answers but does not reply to requests: check the transmit wire of the "
    "cable\n";

TEST_F(WaitsCli, ADeviceThatIdentifiesItselfAndFallsSilentEndsSearchAndReadInSecondsWithWordsOnTheCable) {
    // Before, this cost 600 status receives of 10 s each, with nothing on the screen. Now 3 s of the
    // program's time each, on a clock ten times faster.
    StartSim({"--no-pacing", "--silent-after", "1"});
    const FastProgramClock fast(10);
    Spit(temp, "earlier read");

    const CliResult search = Cli({"search"});
    EXPECT_EQ(search.exitCode, 1) << search.err;
    EXPECT_FALSE(search.timedOut);
    EXPECT_TRUE(Contains(search.err, "Waiting for the device's status reply (2 s) ...\n")) << search.err;
    EXPECT_TRUE(Contains(search.err, kTransmitWire)) << search.err;

    const CliResult read = Cli({"read", "-o", work + "/out.KDM"});
    EXPECT_EQ(read.exitCode, 1) << read.err;
    EXPECT_FALSE(read.timedOut);
    EXPECT_TRUE(Contains(read.err, "Waiting for the device's status reply (2 s)\n")) << read.err;
    EXPECT_TRUE(Contains(read.err, kTransmitWire)) << read.err;
    EXPECT_EQ(Slurp(temp), "earlier read");
    EXPECT_FALSE(std::filesystem::exists(work + "/out.KDM"));
}

TEST_F(WaitsCli, ADeviceThatNeverStopsSendingEndsTheReadAndKDMtmpKeepsWhatArrived) {
    StartSim({"--no-pacing", "--type", "2", "--endless"});
    const int bound = kdm::SystemTelegramLimit(2);

    const CliResult r = Cli({"read", "-o", work + "/out.KDM"});

    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(Contains(
        r.err, "The device sent more than a parameter set can hold (more than " + std::to_string(bound) +
                   " system parameters); the read was stopped. What arrived is kept in " + temp))
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(work + "/out.KDM"));
    // The identification and every telegram up to the one beyond the bound, each whole.
    const std::string kept = Slurp(temp);
    EXPECT_EQ(Count(kept, "\r\n\r"), 1 + bound + 1);
    EXPECT_EQ(Count(kept, std::string(1, kdm::STX)), 1 + bound + 1);
}

TEST_F(WaitsCli, CtrlCWhileAWriteWaitsForAnAcknowledgementIsAStopNotADeviceError) {
    const std::string device = SmallDeviceFile();
    Spit(root.File("device.KDM"), device);
    // Received frames 1 and 2 are the status requests, 3 the first written frame: the second written
    // frame is never acknowledged.
    StartSim({"--no-pacing", "--load", root.File("device.KDM"), "--no-ack", "4"});
    Spit(work + "/file.KDM", device);

    BackgroundProcess cli(BackgroundCli({"write", work + "/file.KDM"}, Env(), root.File("err")));
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(cli.Says("Waiting for the device to acknowledge the frame (2 s)\n")) << cli.Err();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(60000), 130);

    const std::string err = cli.Err();
    EXPECT_TRUE(
        Contains(err,
                 "Stopped: the device now holds an incomplete parameter set (2 of 9 frames): write the "
                 "file again or restore a backup\n"))
        << err;
    EXPECT_FALSE(Contains(err, "Device error")) << err;
    EXPECT_FALSE(Contains(err, "communication terminated")) << err;
}

TEST_F(WaitsCli, CtrlCDuringTheSearchOfAReadLeavesAnEarlierKDMtmpAlone) {
    StartSim({"--no-pacing", "--silent-after", "0"});
    Spit(temp, "earlier read");

    BackgroundProcess cli(BackgroundCli({"read", "-o", work + "/out.KDM"}, Env(), root.File("err")));
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(cli.Says("Waiting for a device to identify itself on COM1 (2 s)\n")) << cli.Err();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(60000), 130);

    const std::string err = cli.Err();
    EXPECT_TRUE(
        Contains(err, "Stopped during the device search; nothing was read and " + temp + " was not touched"))
        << err;
    EXPECT_FALSE(Contains(err, "holds what arrived")) << err;
    EXPECT_EQ(Slurp(temp), "earlier read");
}

TEST_F(WaitsCli, AFailedWriteSaysWhatTheDeviceHoldsInsteadOfCommunicationTerminated) {
    const std::string device = SmallDeviceFile();
    Spit(root.File("device.KDM"), device);
    StartSim({"--no-pacing", "--load", root.File("device.KDM"), "--ack-error", "12@4"});
    Spit(work + "/file.KDM", device);

    const CliResult r = Cli({"write", work + "/file.KDM"});

    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(
        Contains(r.err,
                 "Device error no:  12\nWrite failed: the device now holds an incomplete parameter set (2 "
                 "of 9 frames): write the file again or restore a backup\n"))
        << r.err;
    EXPECT_FALSE(Contains(r.err, "communication terminated")) << r.err;
}

}  // namespace
}  // namespace kdmtest
