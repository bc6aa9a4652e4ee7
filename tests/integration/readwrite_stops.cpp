// Ctrl-C, SIGTERM and SIGHUP end kdmxp-cli while it computes, not only while it waits for a device: the
// write's check of a large file, `show` and `diff` of large files. Each signal comes once the program
// has read its files (as /proc tells), and `show` and `diff` write into a pipe nobody reads, so that
// they cannot have ended by themselves when it comes.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// About 6.7 MB of whole, correct records: an identification and 12,000 programs of 20 parameters. Its
// check ran for minutes, and for all that time Ctrl-C and SIGTERM did nothing.
std::string LargeFile(int seed) {
    DumpBuilder dump("I1P");
    for (int i = 0; i < 10; ++i)
        dump.Add(static_cast<char>('a' + i), Value(seed + i));
    for (int p = 0; p < 12000; ++p) {
        dump.Program(p % 255 + 1);
        for (int i = 0; i < 20; ++i)
            dump.Add(static_cast<char>('A' + i), Value(seed + p * 20 + i));
    }
    return dump.Text();
}

enum class Job { kWriteCheck, kShow, kDiff };

struct SignalCase {
    const char* name;
    Job job;
    int signal;
    int exitCode;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class StopAnyTime : public ::testing::TestWithParam<SignalCase> {
  protected:
    static void SetUpTestSuite() {
        files_ = new TempDir;
        Spit(files_->File("a.KDM"), LargeFile(1));
        Spit(files_->File("b.KDM"), LargeFile(7));
    }
    static void TearDownTestSuite() {
        delete files_;
        files_ = nullptr;
    }
    static std::string FileA() { return files_->File("a.KDM"); }
    static std::string FileB() { return files_->File("b.KDM"); }

    static TempDir* files_;
    TempDir root;
};

TempDir* StopAnyTime::files_ = nullptr;

TEST_P(StopAnyTime, EndsAtOnceWithTheStopsExitStatusAndSaysSo) {
    const SignalCase& c = GetParam();
    const std::string ports = root.File("ports");
    std::filesystem::create_directories(ports);
    SimProcess sim;
    std::vector<std::string> args;
    long long bytes = static_cast<long long>(std::filesystem::file_size(FileA()));
    switch (c.job) {
        case Job::kWriteCheck: {
            // A device that never identifies itself: should the check end first, the search still waits.
            std::string error;
            ASSERT_TRUE(sim.Start(ports, 1, {"--silent-after", "0", "--log", root.File("sim.log")}, &error))
                << error;
            args = {"write", FileA()};
            break;
        }
        case Job::kShow:
            args = {"show", "--format", "csv", FileA()};
            break;
        case Job::kDiff:
            args = {"diff", FileA(), FileB()};
            bytes += static_cast<long long>(std::filesystem::file_size(FileB()));
            break;
    }
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    BackgroundProcess cli({argv,
                           {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + root.Path()},
                           root.File("err"),
                           /*stdoutUnread=*/true});
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(cli.HasRead(bytes)) << cli.Err();
    cli.Signal(c.signal);

    // Moments, not the minutes the work would take; the bound is for a loaded machine only.
    const int code = cli.Wait(20000);
    ASSERT_NE(code, -1) << "still running 20 s after the signal";
    EXPECT_EQ(code, c.exitCode);
    const std::string err = cli.Err();
    if (c.job == Job::kWriteCheck) {
        EXPECT_TRUE(Contains(err, "Stopped before the device search; nothing was written\n") ||
                    Contains(err, "Stopped before any frame was sent; the device is unchanged\n"))
            << err;
        ASSERT_EQ(sim.Stop(), 0);
        EXPECT_FALSE(Contains(ReadWhole(root.File("sim.log")), "rx#")) << "the device received a frame";
    } else {
        EXPECT_TRUE(Contains(err, "Stopped\n")) << err;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, StopAnyTime,
                         ::testing::Values(SignalCase{"writeCheckCtrlC", Job::kWriteCheck, SIGINT, 130},
                                           SignalCase{"writeCheckSigterm", Job::kWriteCheck, SIGTERM, 130},
                                           SignalCase{"writeCheckSighup", Job::kWriteCheck, SIGHUP, 129},
                                           SignalCase{"showCtrlC", Job::kShow, SIGINT, 130},
                                           SignalCase{"showSigterm", Job::kShow, SIGTERM, 130},
                                           SignalCase{"showSighup", Job::kShow, SIGHUP, 129},
                                           SignalCase{"diffSigterm", Job::kDiff, SIGTERM, 130},
                                           SignalCase{"diffSighup", Job::kDiff, SIGHUP, 129}),
                         [](const ::testing::TestParamInfo<SignalCase>& param) { return param.param.name; });

}  // namespace
}  // namespace kdmtest
