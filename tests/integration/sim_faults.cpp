// kdmxp-sim's fault switches: each fault happens exactly where it is aimed and nowhere else.
//
// Every case runs the same short conversation (the identification after the open, a status request, two
// written frames) against a simulator with one fault, and compares what came, step by step, with what a
// simulator without faults sends. Each step ends when the simulator's log shows that it acted on the step
// and the bytes the case expects are there; nothing depends on how quickly they come. Bytes beyond those
// show up in the next step, or at the end, where the line must have carried exactly what the log says the
// simulator sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/telegram.h"
#include "sim_frames.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

constexpr std::size_t kSteps = 4;  // 0: after the open, 1: status request, 2 and 3: written frames
using Steps = std::vector<std::string>;

using simtest::Telegram;

// A whole frame (STX, fourteen characters, ETX) whose checksum matches.
bool WholeFrameChecks(const std::string& frame) {
    return frame.size() == 16 && simtest::ChecksumMatches(frame);
}

struct Outcome {
    Steps steps;
    std::string extra;  // what came after the last step
    Steps logged;       // what the simulator's log says it sent in each step
    bool gone = false;  // the line was hung up
    int exitCode = -1;
    bool linkLeft = false;
};

// Bytes as the simulator's log spells them: printable ASCII as it is, the framing and line-end bytes by
// name, anything else as <0xNN>.
std::string Legible(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x02) {
            text += "<STX>";
        } else if (byte == 0x03) {
            text += "<ETX>";
        } else if (byte == 0x0D) {
            text += "<CR>";
        } else if (byte == 0x0A) {
            text += "<LF>";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            text += std::string("<0x") + kHex[byte >> 4] + kHex[byte & 0x0F] + ">";
        }
    }
    return text;
}

// What the log says the simulator sent in each step, as it spells the bytes: the units sent after the
// open (step 0) and after received frame N (step N). The simulator logs a unit right after its last byte,
// before it reads anything more, so a unit belongs to the step in which it went out. A log line is
// "<time> ms  <label, padded to 14> <text>"; a sent unit's label is "tx#K" or "tx#K+garbage", followed by
// " (cut: why)" when it was cut short.
Steps LoggedSteps(const std::string& logText) {
    Steps steps(kSteps + 1);  // the last entry: what went out before the open or after the last step
    std::size_t step = kSteps;
    std::istringstream lines(logText);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t label = line.find(" ms  ");
        if (label == std::string::npos) continue;
        const std::size_t at = label + 5;
        if (line.compare(at, 3, "rx#") == 0) {
            const std::size_t frame = std::stoul(line.substr(at + 3));
            step = frame < kSteps ? frame : kSteps;
        } else if (line.compare(at, 2, "--") == 0 && Contains(line, " port opened")) {
            step = 0;
        } else if (line.compare(at, 3, "tx#") == 0) {
            std::size_t end = line.find(' ', at);
            if (end == std::string::npos) continue;
            if (line.compare(end, 7, " (cut: ") == 0) end = line.find(')', end) + 1;
            const std::size_t text = std::max(end, at + 14) + 1;
            if (text <= line.size()) steps[step] += line.substr(text);
        }
    }
    return steps;
}

// What the log shows once the simulator has acted on a step: the open, or the step's frame received.
std::string MarkOf(std::size_t step) {
    return step == 0 ? "port opened" : "rx#" + std::to_string(step) + " ";
}

// Waits until the log shows `mark`, or that the simulator hung the line up (nothing happens after that).
// The bound is for a simulator that hangs; it normally takes milliseconds.
bool WaitForStep(const std::string& log, const std::string& mark) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
        const std::string text = ReadWhole(log);
        if (Contains(text, mark) || Contains(text, "line hung up")) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// `lengths`: how many bytes each step brings.
Outcome Converse(const TempDir& ports, std::vector<std::string> args,
                 const std::vector<std::size_t>& lengths) {
    Outcome run;
    const std::string log = ports.File("sim.log");
    args.insert(args.end(), {"--no-pacing", "--programs", "1", "--log", log});
    SimProcess sim;
    std::string error;
    EXPECT_TRUE(sim.Start(ports.Path(), 1, args, &error)) << error;
    RawLine line;
    if (!line.Open(sim.LinkPath())) {
        ADD_FAILURE() << "cannot open " << sim.LinkPath();
        return run;
    }
    const std::string requests[kSteps] = {"", "0F+000000--539", Telegram("0h+000001--"),
                                          Telegram("0v+000002--")};
    for (std::size_t step = 0; step < kSteps; ++step) {
        if (!requests[step].empty()) line.SendTelegram(requests[step]);
        EXPECT_TRUE(WaitForStep(log, MarkOf(step))) << "step " << step << "\n" << ReadWhole(log);
        run.steps.push_back(line.ReadBytes(lengths[step]));
    }
    if (Contains(ReadWhole(log), "line hung up")) {
        // The simulator exits after a hang-up; then the line reads as gone.
        run.exitCode = sim.WaitExit(30000);
        run.extra = line.ReadUntilQuiet(0);
        run.gone = line.Gone();
        line.Close();
    } else {
        run.extra = line.ReadUntilQuiet(0);
        run.gone = line.Gone();
        line.Close();
        EXPECT_TRUE(WaitForText(log, "port closed", 1)) << ReadWhole(log);
        run.exitCode = sim.Stop();
    }
    run.logged = LoggedSteps(ReadWhole(log));
    run.linkLeft = std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath()));
    return run;
}

// Nothing came beyond the steps, and each step brought exactly what the simulator says it sent in it.
void ExpectLineAsLogged(const Outcome& run) {
    EXPECT_EQ(Legible(run.extra), "");
    ASSERT_EQ(run.steps.size(), kSteps);
    for (std::size_t step = 0; step < kSteps; ++step) {
        const std::string received = step + 1 < kSteps ? run.steps[step] : run.steps[step] + run.extra;
        EXPECT_EQ(Legible(received), run.logged[step]) << "step " << step;
    }
    EXPECT_EQ(run.logged[kSteps], "") << "sent before the open or in answer to no request";
}

struct FaultCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::size_t> lengths;  // bytes of each step; empty: as in the clean run
    // Checks a run against the clean run.
    std::function<void(const Steps& clean, const Outcome& run)> check;
};

void Unchanged(const Steps& clean, const Outcome& run, std::initializer_list<int> steps) {
    for (int step : steps) {
        EXPECT_EQ(run.steps[static_cast<std::size_t>(step)], clean[static_cast<std::size_t>(step)])
            << "step " << step;
    }
}

void EndsInHangup(const Outcome& run) {
    EXPECT_TRUE(run.gone);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_FALSE(run.linkLeft);
}

std::string Without(std::string text, std::size_t offset) {
    return text.erase(offset, 1);
}

const std::vector<FaultCase>& Cases() {
    static const std::vector<FaultCase> cases = {
        {"bad checksum on the status reply",
         {"--bad-checksum", "2"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 2, 3});
             ASSERT_EQ(run.steps[1].size(), 16u);
             EXPECT_EQ(run.steps[1].substr(0, 12), clean[1].substr(0, 12));
             EXPECT_EQ(run.steps[1][15], kdm::ETX);
             EXPECT_FALSE(WholeFrameChecks(run.steps[1]));
         }},
        {"silent after the identification",
         {"--silent-after", "1"},
         {16, 0, 0, 0},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0});
             for (int step : {1, 2, 3})
                 EXPECT_EQ(run.steps[static_cast<std::size_t>(step)], "") << step;
         }},
        {"silent from the start",
         {"--silent-after", "0"},
         {0, 0, 0, 0},
         [](const Steps&, const Outcome& run) {
             for (const std::string& step : run.steps)
                 EXPECT_EQ(step, "");
         }},
        {"status error 7",
         {"--status-error", "7"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 2, 3});
             EXPECT_EQ(kdm::ErrorNumberOf(run.steps[1]), 7);
             EXPECT_EQ(run.steps[1].substr(1, 2), "0F");
             EXPECT_TRUE(WholeFrameChecks(run.steps[1]));
         }},
        {"acknowledgement error on frame 3 only",
         {"--ack-error", "12@3"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 1, 2});
             EXPECT_EQ(kdm::ErrorNumberOf(run.steps[3]), 12);
             EXPECT_TRUE(WholeFrameChecks(run.steps[3]));
         }},
        {"acknowledgement error on every written frame",
         {"--ack-error", "5"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 1});
             EXPECT_EQ(kdm::ErrorNumberOf(run.steps[2]), 5);
             EXPECT_EQ(kdm::ErrorNumberOf(run.steps[3]), 5);
         }},
        {"no acknowledgement for frame 2",
         {"--no-ack", "2"},
         {16, 16, 0, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 1, 3});
             EXPECT_EQ(run.steps[2], "");
         }},
        {"no answer to the status request",
         {"--no-ack", "1"},
         {16, 0, 16, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 2, 3});
             EXPECT_EQ(run.steps[1], "");
         }},
        {"another telegram before the acknowledgement of frame 3",
         {"--non-f-before-ack", "3"},
         {16, 16, 16, 32},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 1, 2});
             ASSERT_EQ(run.steps[3].size(), 32u);
             const std::string first = run.steps[3].substr(0, 16);
             EXPECT_EQ(first.find('F'), std::string::npos);
             EXPECT_EQ(first.find('g'), std::string::npos);
             EXPECT_TRUE(WholeFrameChecks(first));
             EXPECT_EQ(run.steps[3].substr(16), clean[3]);
         }},
        {"garbage after the identification",
         {"--garbage-after", "1:40"},
         {56, 16, 16, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {1, 2, 3});
             ASSERT_EQ(run.steps[0].size(), 56u);
             EXPECT_EQ(run.steps[0].substr(0, 16), clean[0]);
             EXPECT_EQ(run.steps[0].find(kdm::STX, 1), std::string::npos);
         }},
        {"byte 5 of the identification dropped",
         {"--fault", "drop@1:5"},
         {15, 16, 16, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {1, 2, 3});
             EXPECT_EQ(run.steps[0], Without(clean[0], 5));
         }},
        {"two bytes dropped by repeated switches",
         {"--fault", "drop@2:1", "--fault", "drop@2:14"},
         {16, 14, 16, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 2, 3});
             EXPECT_EQ(run.steps[1], Without(Without(clean[1], 14), 1));
         }},
        {"one bit of a checksum digit flipped",
         {"--fault", "flip@2:13"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 2, 3});
             ASSERT_EQ(run.steps[1].size(), 16u);
             for (std::size_t i = 0; i < 16; ++i) {
                 const auto difference = static_cast<unsigned>(static_cast<unsigned char>(run.steps[1][i]) ^
                                                               static_cast<unsigned char>(clean[1][i]));
                 EXPECT_EQ(std::popcount(difference), i == 13 ? 1 : 0) << "byte " << i;
             }
         }},
        {"the STX of the identification sent twice",
         {"--fault", "dup@1:0"},
         {17, 16, 16, 16},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {1, 2, 3});
             EXPECT_EQ(run.steps[0], std::string(1, kdm::STX) + clean[0]);
         }},
        {"a pause inside an acknowledgement changes no byte",
         {"--fault", "pause@3:8"},
         {},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0, 1, 2, 3});
         }},
        {"hang-up at byte 4 of the status reply",
         {"--fault", "hangup@2:4"},
         {16, 4, 0, 0},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0});
             EXPECT_EQ(run.steps[1], clean[1].substr(0, 4));
             EXPECT_EQ(run.steps[2], "");
             EndsInHangup(run);
         }},
        {"hang-up after 20 bytes",
         {"--hangup-after-byte", "20"},
         {16, 4, 0, 0},
         [](const Steps& clean, const Outcome& run) {
             Unchanged(clean, run, {0});
             EXPECT_EQ(run.steps[1], clean[1].substr(0, 4));
             EndsInHangup(run);
         }},
        {"hang-up right at the open",
         {"--hangup-after-byte", "0"},
         {0, 0, 0, 0},
         [](const Steps&, const Outcome& run) {
             EXPECT_EQ(run.steps[0], "");
             EndsInHangup(run);
         }},
    };
    return cases;
}

// What a simulator without faults sends in the same conversation, once per test program.
const Steps& CleanSteps() {
    static const Steps clean = [] {
        TempDir ports;
        const Outcome run = Converse(ports, {}, {16, 16, 16, 16});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_FALSE(run.linkLeft);
        ExpectLineAsLogged(run);
        return run.steps;
    }();
    return clean;
}

TEST(SimFaults, TheCleanConversationIsIdentificationStatusAndTwoAcknowledgements) {
    const Steps& clean = CleanSteps();
    ASSERT_EQ(clean.size(), kSteps);
    for (const std::string& step : clean)
        EXPECT_TRUE(WholeFrameChecks(step)) << step;
    EXPECT_EQ(clean[0].substr(1, 2), "0g");
    for (int step : {1, 2, 3})
        EXPECT_EQ(clean[static_cast<std::size_t>(step)], FrameOf("0F+000000--539"));
}

class SimFault : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SimFault, HappensWhereItIsAimed) {
    const FaultCase& fault = Cases()[GetParam()];
    SCOPED_TRACE(fault.name);
    const Steps& clean = CleanSteps();
    ASSERT_EQ(clean.size(), kSteps);
    std::vector<std::size_t> lengths = fault.lengths;
    if (lengths.empty()) {
        for (const std::string& step : clean)
            lengths.push_back(step.size());
    }
    TempDir ports;
    const Outcome run = Converse(ports, fault.args, lengths);
    ASSERT_EQ(run.steps.size(), kSteps);
    fault.check(clean, run);
    ExpectLineAsLogged(run);
    if (run.exitCode != 3) {
        EXPECT_EQ(run.exitCode, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SimFault, ::testing::Range<std::size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             std::string name;
                             for (const char* c = Cases()[param.param].name; *c != '\0'; ++c) {
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             }
                             return name;
                         });

TEST(SimFaults, HelpDocumentsEverySwitchAndBadArgumentsAreRefused) {
    const CliResult help = RunProcess({KDMXP_SIM_PATH, "--help"}, {}, 30000);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"--bad-checksum",
                             "--silent-after",
                             "--status-error",
                             "--ack-error",
                             "--no-ack",
                             "--non-f-before-ack",
                             "--garbage-after",
                             "--hangup-after-byte",
                             "--fault",
                             "drop",
                             "flip",
                             "dup",
                             "pause",
                             "hangup",
                             "--once",
                             "--log",
                             "--no-pacing",
                             "--baud",
                             "--load",
                             "--save",
                             "--type",
                             "--code",
                             "--programs",
                             "--seed",
                             "--ready-file"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    const CliResult version = RunProcess({KDMXP_SIM_PATH, "--version"}, {}, 30000);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find(KDMXP_VERSION), std::string::npos);

    TempDir ports;
    const std::vector<std::vector<std::string>> refused = {
        {"--fault", "smash@1:2"},
        {"--fault", "drop@1:16"},
        {"--fault", "drop@0:1"},
        {"--fault", "drop1:2"},
        {"--ack-error", "100"},
        {"--ack-error", "5@0"},
        {"--garbage-after", "1"},
        {"--type", "6"},
        {"--code", "AB"},
        {"--programs", "256"},
        {"--com", "0"},
        {"--status-error", "-1"},
        {"--type", "2", "--code", "I1P"},
    };
    for (std::vector<std::string> args : refused) {
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        args.insert(args.begin(), {KDMXP_SIM_PATH, "--port-dir", ports.Path()});
        const CliResult result = RunProcess(args, {}, 30000);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports.File("COM1"))));
    }
}

}  // namespace
}  // namespace kdmtest
