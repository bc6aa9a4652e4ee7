// The fault matrix's sample through the real programs: kdmxp-sim --no-pacing with its --fault and
// --garbage-after switches on a pseudo-terminal, and kdmxp-cli read / write in a working directory of
// their own, with the CPU time the program uses after a hang-up compared with the wall time it takes.
// Plus what only whole processes show: two reads in one directory, and a port held by another program as
// `kdmxp-cli ports` reports it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace {

using kdmtest::Contains;

namespace fs = std::filesystem;
using kdmtest::SimProcess;
using kdmtest::TempDir;

// Telegram numbers of a type-2 device with 2 programs (15 system telegrams, 30 program telegrams), as
// kdmxp-sim counts them: the identification is 1, the status reply 2, the system block starts at 3.
constexpr int kSystemMiddle = 10;
constexpr int kProgramMiddle = 34;
constexpr int kAckMiddle = 26;

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

struct Finished {
    int exitCode = -1;
    std::string err;
    double wallSeconds = 0;  // from the start
    double cpuSeconds = 0;
};

// The wall time since a program started and the CPU time it had used by then.
struct CpuMark {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// After a hang-up nothing may spin. A busy loop burns a whole core for as long as it goes on (on a loaded
// machine still a good share of one); waiting burns next to nothing. From the hang-up to its exit the
// program may use a quarter of the wall time, plus what ending a process costs (the sanitizers' leak check
// included), so that a loop which keeps it busy for a fraction of a second is caught and a loaded
// machine never makes a waiting program look busy.
constexpr double kSpinShare = 0.25;
constexpr double kExitCpuSeconds = 0.25;

void ExpectNoSpinAfter(const char* what, const CpuMark& hangUp, const Finished& run) {
    const double wall = run.wallSeconds - hangUp.wallSeconds;
    const double cpu = run.cpuSeconds - hangUp.cpuSeconds;
    std::printf("%s: %.3f s wall, %.3f s CPU in all; after the hang-up %.3f s wall, %.3f s CPU\n", what,
                run.wallSeconds, run.cpuSeconds, wall, cpu);
    EXPECT_LT(cpu, kSpinShare * wall + kExitCpuSeconds) << what;
}

// Waits at most `timeoutMs` for `done` to hold, looking every few milliseconds.
template <typename Condition>
bool WaitUntil(Condition done, int timeoutMs = 60000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A started kdmxp-cli: its own working directory, port directory and settings store, stderr to a file.
class Cli {
  public:
    Cli(const std::vector<std::string>& args, const std::string& cwd, const std::string& portDir,
        const std::string& settingsDir)
        : errPath_(cwd + "/.stderr-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++)) {
        start_ = std::chrono::steady_clock::now();
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(cwd.c_str()) != 0) ::_exit(126);
            const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(err, 2);
            ::setenv("KDMXP_PORT_DIR", portDir.c_str(), 1);
            ::setenv("KDMXP_SETTINGS_DIR", settingsDir.c_str(), 1);
            std::vector<char*> argv;
            std::string program = KDMXP_CLI_PATH;
            argv.push_back(program.data());
            std::vector<std::string> copy = args;
            for (std::string& arg : copy)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~Cli() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        ::unlink(errPath_.c_str());
    }

    // The wall time since the start and the CPU time used so far (utime + stime of /proc/PID/stat, which
    // stays readable until Wait() collects the exit).
    CpuMark Now() const {
        CpuMark mark;
        mark.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const std::string stat = kdmtest::Slurp("/proc/" + std::to_string(pid_) + "/stat");
        // The fields after the command name, which is in parentheses and may hold anything.
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        std::string field;
        unsigned long long ticks = 0;
        for (int n = 3; n <= 15 && fields >> field; ++n) {
            if (n >= 14) ticks += std::stoull(field);  // 14 utime, 15 stime
        }
        mark.cpuSeconds = static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
        return mark;
    }

    // Holds the program where it is (SIGSTOP) and lets it go on (SIGCONT): while it is held, whatever it
    // has open or locked stays so, however long the next step of a test takes on a loaded machine.
    void Hold() { ::kill(pid_, SIGSTOP); }
    void Release() { ::kill(pid_, SIGCONT); }
    // True while the program has not ended.
    bool Running() const {
        siginfo_t info{};
        return pid_ > 0 &&
               ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }

    // Waits at most `timeoutMs`, then kills it.
    Finished Wait(int timeoutMs = 60000) {
        Finished run;
        if (pid_ <= 0) return run;
        int status = 0;
        rusage usage{};
        const auto deadline = start_ + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const pid_t done = ::wait4(pid_, &status, WNOHANG, &usage);
            if (done == pid_) break;
            if (done < 0 && errno != EINTR) return run;
            if (std::chrono::steady_clock::now() > deadline) ::kill(pid_, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        run.exitCode = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        run.err = kdmtest::Slurp(errPath_);
        return run;
    }

  private:
    static inline int counter_ = 0;
    pid_t pid_ = -1;
    std::string errPath_;
    std::chrono::steady_clock::time_point start_;
};

class FaultsProcess : public testing::Test {
  protected:
    void SetUp() override {
        ports = root.File("ports");
        settings = root.File("settings");
        work = root.File("work");
        for (const std::string& dir : {ports, settings, work})
            fs::create_directories(dir);
        out = work + "/out.KDM";
        kdmtest::Spit(out, kOld);
    }
    void StartSim(SimProcess& sim, int com, std::vector<std::string> args) {
        args.insert(args.begin(), {"--type", "2", "--programs", "2", "--log",
                                   root.File("sim" + std::to_string(com) + ".log")});
        std::string error;
        ASSERT_TRUE(sim.Start(ports, com, args, &error)) << error;
    }
    Finished Read(const std::string& settingsDir = {}) {
        Cli cli({"read", "-o", out}, work, ports, settingsDir.empty() ? settings : settingsDir);
        return cli.Wait();
    }
    std::string SimLog(int com) const { return root.File("sim" + std::to_string(com) + ".log"); }
    // The records that have arrived in the working directory's KDM.tmp.
    int RecordsArrived() const { return CountOf(kdmtest::Slurp(work + "/KDM.tmp"), "\r\n\r"); }

    static constexpr const char* kOld = "old data file\r\n\r";
    TempDir root;
    std::string ports, settings, work, out;
};

struct ReadSample {
    const char* name;
    std::vector<std::string> fault;
    int damaged;  // records the saved file must carry marked " !!!" (-1: a failure is expected)
};

class FaultsProcessRead : public FaultsProcess, public testing::WithParamInterface<ReadSample> {};

TEST_P(FaultsProcessRead, EndsCorrectOrAsAReportedFailureThatLosesNothing) {
    SimProcess sim;
    std::vector<std::string> args = {"--no-pacing"};
    args.insert(args.end(), GetParam().fault.begin(), GetParam().fault.end());
    StartSim(sim, 1, args);
    Cli cli({"read", "-o", out}, work, ports, settings);
    CpuMark hangUp;
    if (GetParam().damaged < 0) {
        // The simulator logs the hang-up right before it closes the line.
        EXPECT_TRUE(kdmtest::WaitForText(SimLog(1), "line hung up", 1, 60000))
            << kdmtest::ReadWhole(SimLog(1));
        hangUp = cli.Now();
    }
    const Finished run = cli.Wait();
    const std::string temp = kdmtest::Slurp(work + "/KDM.tmp");
    const int records = CountOf(temp, "\r\n\r");
    if (GetParam().damaged >= 0) {
        // A file saved with damaged telegrams ends the read with status 2.
        ASSERT_EQ(run.exitCode, GetParam().damaged > 0 ? 2 : 0) << run.err;
        if (GetParam().damaged > 0) {
            EXPECT_TRUE(Contains(run.err, std::to_string(GetParam().damaged) +
                                              " telegram(s) with a checksum mismatch or damage"))
                << run.err;
        }
        EXPECT_EQ(kdmtest::Slurp(out), temp);
        EXPECT_EQ(records, 1 + 45);
        EXPECT_EQ(CountOf(temp, " !!!\r\n\r"), GetParam().damaged);
        EXPECT_TRUE(Contains(run.err, std::to_string(GetParam().damaged) + " checksum mismatches"))
            << run.err;
    } else {
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(Contains(run.err, "Error RS232")) << run.err;
        EXPECT_EQ(kdmtest::Slurp(out), kOld);
        // Everything before the hang-up in the program block arrived and stays in KDM.tmp.
        EXPECT_GE(records, 1 + 15 + 14) << temp.size();
        ExpectNoSpinAfter("hang-up read", hangUp, run);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sample, FaultsProcessRead,
    testing::Values(ReadSample{"droppedEtx", {"--fault", "drop@" + std::to_string(kSystemMiddle) + ":15"}, 1},
                    ReadSample{"droppedStx", {"--fault", "drop@" + std::to_string(kProgramMiddle) + ":0"}, 1},
                    ReadSample{
                        "flippedDigit", {"--fault", "flip@" + std::to_string(kSystemMiddle) + ":7"}, 1},
                    ReadSample{"duplicated", {"--fault", "dup@" + std::to_string(kProgramMiddle) + ":5"}, 1},
                    ReadSample{"pause", {"--fault", "pause@" + std::to_string(kSystemMiddle) + ":4"}, 0},
                    ReadSample{"garbage", {"--garbage-after", std::to_string(kSystemMiddle) + ":40"}, 0},
                    ReadSample{"hangup", {"--fault", "hangup@" + std::to_string(kProgramMiddle) + ":6"}, -1}),
    [](const testing::TestParamInfo<ReadSample>& p) { return std::string(p.param.name); });

TEST_F(FaultsProcess, AHangUpDuringAWriteIsReportedAndNeverComplete) {
    SimProcess reader;
    StartSim(reader, 1, {"--no-pacing", "--once"});
    ASSERT_EQ(Read().exitCode, 0);
    reader.WaitExit(5000);
    reader.Stop();

    SimProcess sim;
    StartSim(sim, 1,
             {"--no-pacing", "--seed", "9", "--fault", "hangup@" + std::to_string(kAckMiddle) + ":3"});
    Cli cli({"write", out}, work, ports, settings);
    EXPECT_TRUE(kdmtest::WaitForText(SimLog(1), "line hung up", 1, 60000)) << kdmtest::ReadWhole(SimLog(1));
    const CpuMark hangUp = cli.Now();
    const Finished run = cli.Wait();
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(Contains(run.err, "Device error no:No device response")) << run.err;
    EXPECT_FALSE(Contains(run.err, "communication terminated\nWrote")) << run.err;
    ExpectNoSpinAfter("hang-up write", hangUp, run);
}

TEST_F(FaultsProcess, ASecondReadInTheSameDirectoryIsRefusedAndTheFirstGoesOn) {
    SimProcess slow;
    SimProcess fast;
    StartSim(slow, 1, {"--baud", "4800"});  // about 2.5 s of telegrams
    StartSim(fast, 2, {"--no-pacing"});
    const std::string otherSettings = root.File("settings2");
    fs::create_directories(otherSettings);

    Cli first({"read", "-o", out}, work, ports, settings);
    // Once the first read has its records coming in, it is held there while the second one starts in the
    // same directory, so that it is still reading whatever the second one takes.
    ASSERT_TRUE(WaitUntil([&] { return RecordsArrived() >= 3 || !first.Running(); }));
    first.Hold();
    ASSERT_TRUE(first.Running());
    ASSERT_LT(RecordsArrived(), 1 + 45) << "the first read ended before the second one started";
    Cli second({"read", "-o", work + "/second.KDM"}, work, ports, otherSettings);
    const Finished refused = second.Wait();
    first.Release();
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(Contains(refused.err, "another read is using " + work + "/KDM.tmp")) << refused.err;
    EXPECT_FALSE(fs::exists(work + "/second.KDM"));

    const Finished run = first.Wait();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(CountOf(kdmtest::Slurp(out), "\r\n\r"), 1 + 45);
    EXPECT_EQ(CountOf(kdmtest::Slurp(out), " !!!"), 0);
}

TEST_F(FaultsProcess, APortHeldByAnotherProgramIsListedAsBusy) {
    SimProcess sim;
    StartSim(sim, 1, {"--baud", "4800"});
    Cli holder({"read", "-o", out}, work, ports, settings);
    // Held while the port list is made, so that it has the port open however long that takes.
    ASSERT_TRUE(WaitUntil([&] { return RecordsArrived() >= 1 || !holder.Running(); }));
    holder.Hold();
    ASSERT_TRUE(holder.Running());
    const kdmtest::CliResult listed = kdmtest::RunCli({"ports"}, ports, settings, 30000);
    holder.Release();
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const std::size_t line = listed.out.find("COM1 ");
    ASSERT_NE(line, std::string::npos) << listed.out;
    EXPECT_TRUE(Contains(listed.out.substr(line, listed.out.find('\n', line) - line), "busy")) << listed.out;
    EXPECT_EQ(holder.Wait().exitCode, 0);
}

}  // namespace
