// `kdmxp-cli read` and `write` on a terminal (a pseudo-terminal standing for one): the live line shows
// the records stored against what the last read of the device brought, or the write's bar, and the time
// to go.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// What the program wrote on the terminal until it ended; its exit code in `exitCode`.
std::string RunOnTerminal(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                          int& exitCode) {
    exitCode = -1;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return {};
    const std::string slave = ptsname(master);
    std::string text;
    {
        BackgroundProcess program({argv, environment, slave});
        if (!program.Started()) return {};
        // Drained while it runs: a full terminal would hold the program up. The limit is time, not
        // rounds: a slow (sanitized) program writes its live line in many small pieces.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (exitCode == -1 && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{master, POLLIN, 0};
            if (poll(&ready, 1, 100) > 0) {
                char buffer[4096];
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
            }
            exitCode = program.Wait(0);
        }
    }
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        char buffer[4096];
        if (poll(&ready, 1, 0) <= 0) break;
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    return text;
}

// kdmxp-cli keeps KDM.tmp in its working directory, which it inherits from this process: each test's own,
// so that two reads at once never meet there.
class InDirectory {
  public:
    explicit InDirectory(const std::string& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(previous_); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

// Every "telegrams N" or "telegrams N/T" the live line showed, in order.
struct Shown {
    int count;
    int total;  // 0 when none was shown
    bool remaining;
};

std::vector<Shown> ShownCounts(const std::string& text) {
    std::vector<Shown> shown;
    // On the live line the count follows the status after two blanks; the closing "Read N telegrams" is
    // no progress.
    for (std::size_t at = text.find("  telegrams "); at != std::string::npos;
         at = text.find("  telegrams ", at + 1)) {
        at += 2;
        const std::size_t end = text.find_first_of("\r\n", at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        Shown s{std::atoi(line.c_str() + 10), 0, Contains(line, ", about ") && Contains(line, " left")};
        if (const std::size_t slash = line.find('/'); slash != std::string::npos && slash < 20)
            s.total = std::atoi(line.c_str() + slash + 1);
        shown.push_back(s);
    }
    return shown;
}

// A device paced at 4800 baud, so that a read or a write lasts long enough for an estimate, and a
// directory of the test's own as the working directory.
class PacedDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(settings);
        std::string error;
        ASSERT_TRUE(sim.Start(ports, 1, {"--programs", "4"}, &error)) << error;
    }

    TempDir root;
    const std::string ports = root.File("ports");
    const std::string settings = root.File("settings");
    const InDirectory inRoot{root.Path()};
    SimProcess sim;
};
using ReadOnATerminal = PacedDevice;
using WriteOnATerminal = PacedDevice;

TEST_F(ReadOnATerminal, ShowsATotalAndTheTimeToGoAndNeverCountsBack) {
    const CliResult first = RunCli({"read", "-o", root.File("first.KDM")}, ports, settings);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::size_t at = first.err.find("Read ");
    ASSERT_NE(at, std::string::npos) << first.err;
    const int telegrams = std::atoi(first.err.c_str() + at + 5);
    ASSERT_GT(telegrams, 20);

    int exitCode = -1;
    const std::string text =
        RunOnTerminal({KDMXP_CLI_PATH, "read", "-o", root.File("second.KDM")},
                      {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings}, exitCode);

    ASSERT_EQ(exitCode, 0) << text;
    const std::vector<Shown> shown = ShownCounts(text);
    ASSERT_FALSE(shown.empty()) << text;
    bool anyRemaining = false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].total, telegrams) << i << "\n" << text;
        if (i > 0) {
            EXPECT_GE(shown[i].count, shown[i - 1].count) << i << "\n" << text;
        }
        anyRemaining = anyRemaining || shown[i].remaining;
    }
    EXPECT_EQ(shown.back().count, telegrams) << text;
    EXPECT_TRUE(anyRemaining) << text;
    EXPECT_TRUE(Contains(text, "/" + std::to_string(telegrams) + "  100%")) << text;
}

TEST_F(WriteOnATerminal, ShowsTheBarAndTheTimeToGo) {
    const CliResult read = RunCli({"read", "-o", root.File("device.KDM")}, ports, settings);
    ASSERT_EQ(read.exitCode, 0) << read.err;

    int exitCode = -1;
    const std::string text =
        RunOnTerminal({KDMXP_CLI_PATH, "write", root.File("device.KDM")},
                      {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings}, exitCode);

    ASSERT_EQ(exitCode, 0) << text;
    int bars = 0;
    int estimates = 0;
    for (std::size_t at = text.find("  ["); at != std::string::npos; at = text.find("  [", at + 1)) {
        const std::size_t end = text.find_first_of("\r\n", at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        ++bars;
        if (Contains(line, ", about ") && Contains(line, " left")) ++estimates;
    }
    EXPECT_GT(bars, 0) << text;
    EXPECT_GT(estimates, 0) << text;
}

}  // namespace
}  // namespace kdmtest
