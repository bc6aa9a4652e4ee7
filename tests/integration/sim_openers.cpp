// How kdmxp-sim follows the programs that open its port: any number of openers, closed in any order, make
// one holding period; a close followed at once by a reopen is a close and a new conversation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "sim_frames.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

using simtest::kStatus;

int Occurrences(const std::string& text, const std::string& what) {
    int found = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++found;
    return found;
}

// Reads frames until one with `letter` (the second of its 14 characters) came; "" when none did.
std::string ReadUntilLetter(RawLine& line, char letter) {
    for (int i = 0; i < 20; ++i) {
        const std::string frame = line.ReadFrame();
        if (frame.empty()) return {};
        if (frame[2] == letter) return frame;
    }
    return {};
}

class SimOpeners : public ::testing::TestWithParam<std::array<int, 3>> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(ports.Path(), 1, {"--no-pacing", "--log", log}, &error)) << error;
    }
    TempDir ports;
    std::string log = ports.File("sim.log");
    SimProcess sim;
};

// Three programs open the port one after the other and close it in the order given. Until the last one
// closes, the device must go on answering: a status request sent by the last holder, after the others
// closed, is answered, and only its close ends the holding period.
TEST_P(SimOpeners, OneHoldingPeriodWhateverTheOrderOfCloses) {
    const std::array<int, 3> order = GetParam();
    std::array<RawLine, 3> lines;
    ASSERT_TRUE(lines[0].Open(sim.LinkPath()));
    ASSERT_TRUE(WaitForText(log, "port opened", 1)) << ReadWhole(log);
    ASSERT_TRUE(lines[1].Open(sim.LinkPath()));
    ASSERT_TRUE(lines[2].Open(sim.LinkPath()));

    lines[static_cast<std::size_t>(order[0])].Close();
    lines[static_cast<std::size_t>(order[1])].Close();
    RawLine& last = lines[static_cast<std::size_t>(order[2])];
    ASSERT_TRUE(last.SendTelegram(kStatus));
    const std::string answer = ReadUntilLetter(last, 'F');
    EXPECT_EQ(answer.substr(1, 14), kStatus) << ReadWhole(log);
    // The closes were reported before the request was written, so the answer shows they were counted.
    EXPECT_EQ(Occurrences(ReadWhole(log), "port closed"), 0) << ReadWhole(log);

    last.Close();
    ASSERT_TRUE(WaitForText(log, "port closed", 1)) << ReadWhole(log);
    EXPECT_EQ(sim.Stop(), 0);
    const std::string text = ReadWhole(log);
    EXPECT_EQ(Occurrences(text, "port opened"), 1) << text;
    EXPECT_EQ(Occurrences(text, "port closed"), 1) << text;
    EXPECT_EQ(Occurrences(text, "rx#1 "), 1) << text;
}

INSTANTIATE_TEST_SUITE_P(EveryOrder, SimOpeners,
                         ::testing::Values(std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 1},
                                           std::array<int, 3>{1, 0, 2}, std::array<int, 3>{1, 2, 0},
                                           std::array<int, 3>{2, 0, 1}, std::array<int, 3>{2, 1, 0}));

// A program that closes and reopens the port without a pause gets a new conversation, the identification
// first, and the simulator logs the close and the open. (Had the simulator missed the close, the old
// conversation would go on: no identification would come after the status answer.)
TEST_F(SimOpeners, ACloseFollowedAtOnceByAReopenIsACloseAndAnOpen) {
    RawLine line;
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(line.Open(sim.LinkPath()));
        const std::string identification = line.ReadFrame();
        ASSERT_EQ(identification.substr(1, 2), "0g") << ReadWhole(log);
        ASSERT_TRUE(line.SendTelegram(kStatus));
        ASSERT_EQ(ReadUntilLetter(line, 'F').substr(1, 14), kStatus) << ReadWhole(log);
        line.Close();
    }
    ASSERT_TRUE(WaitForText(log, "port opened", kRounds)) << ReadWhole(log);
    ASSERT_TRUE(WaitForText(log, "port closed", kRounds)) << ReadWhole(log);
    EXPECT_EQ(sim.Stop(), 0);
    const std::string text = ReadWhole(log);
    EXPECT_EQ(Occurrences(text, "port opened"), kRounds) << text;
    EXPECT_EQ(Occurrences(text, "port closed"), kRounds) << text;
}

// A second program that opens and closes the port while the tool holds it (a refused second tool, a
// stty) neither ends the tool's conversation nor starts a new one.
TEST_F(SimOpeners, AShortSecondOpenerLeavesTheConversationAlone) {
    RawLine tool;
    ASSERT_TRUE(tool.Open(sim.LinkPath()));
    ASSERT_EQ(tool.ReadFrame().substr(1, 2), "0g");
    for (int i = 0; i < 3; ++i) {
        RawLine other;
        ASSERT_TRUE(other.Open(sim.LinkPath()));
        other.Close();
    }
    ASSERT_TRUE(tool.SendTelegram(kStatus));
    EXPECT_EQ(ReadUntilLetter(tool, 'F').substr(1, 14), kStatus) << ReadWhole(log);
    const std::string text = ReadWhole(log);
    EXPECT_EQ(Occurrences(text, "port opened"), 1) << text;
    EXPECT_EQ(Occurrences(text, "port closed"), 0) << text;
}

}  // namespace
}  // namespace kdmtest
