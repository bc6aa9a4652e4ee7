// kdmxp-sim as a device: what it sends by itself, how it answers each request, what a write leaves in it.
// The tests talk to it over its real pseudo-terminal, byte by byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/dump.h"
#include "link/telegram.h"
#include "sim_frames.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

using simtest::ChecksumMatches;
using simtest::kStatus;
using simtest::Telegram;
const std::string kSystem = "0s+000000--584";
const std::string kPrograms = "0D+000000--537";

// The 14 characters of a frame.
std::string Body(const std::string& frame) {
    return frame.size() >= 15 ? frame.substr(1, 14) : std::string();
}

// Frames up to and including the first 'g' frame; stops early on a missing frame (then the last entry
// is empty, which no expectation accepts).
std::vector<std::string> ReadBlock(RawLine& line) {
    std::vector<std::string> frames;
    while (frames.size() < 10000) {
        frames.push_back(line.ReadFrame());
        if (frames.back().empty() || frames.back()[2] == 'g') break;
    }
    return frames;
}

struct Device {
    std::vector<std::string> system;    // 14-character telegrams
    std::vector<std::string> programs;  // 'P' telegrams and parameters, in line order
    std::string identification;
};

// The whole conversation of a read: identification, status, both blocks.
Device ReadDevice(RawLine& line) {
    Device device;
    device.identification = Body(line.ReadFrame());
    line.SendTelegram(kStatus);
    EXPECT_EQ(Body(line.ReadFrame()), kStatus);
    line.SendTelegram(kSystem);
    std::vector<std::string> block = ReadBlock(line);
    EXPECT_EQ(Body(block.back()), device.identification);
    for (std::size_t i = 0; i + 1 < block.size(); ++i)
        device.system.push_back(Body(block[i]));
    line.SendTelegram(kPrograms);
    block = ReadBlock(line);
    EXPECT_EQ(Body(block.back()), device.identification);
    for (std::size_t i = 0; i + 1 < block.size(); ++i)
        device.programs.push_back(Body(block[i]));
    return device;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SimProtocol : public ::testing::Test {
  protected:
    // Starts a simulator on COM1 (logging to log) and opens its port.
    void Serve(std::vector<std::string> args) {
        args.insert(args.end(), {"--log", log});
        std::string error;
        ASSERT_TRUE(sim.Start(ports.Path(), 1, args, &error)) << error;
        ASSERT_TRUE(line.Open(sim.LinkPath()));
        closes = 0;
    }
    // Closes the port and opens it again once the simulator has seen the close, so that the new open
    // cannot be mistaken for the old one. Returns once the simulator has seen the new open too: it logs
    // the close before it empties what the last holder left unread, and the open after that, so nothing of
    // the old conversation can be read from then on.
    void Reopen() {
        line.Close();
        ASSERT_TRUE(WaitForText(log, "port closed", ++closes)) << ReadWhole(log);
        ASSERT_TRUE(line.Open(sim.LinkPath()));
        ASSERT_TRUE(WaitForText(log, "port opened", closes + 1)) << ReadWhole(log);
    }
    TempDir ports;
    std::string log = ports.File("sim.log");
    SimProcess sim;
    RawLine line;
    int closes = 0;
};

TEST_F(SimProtocol, EveryTypeIdentifiesItselfWithACodeOfThatType) {
    for (int type : kdm::KnownDeviceTypes()) {
        SCOPED_TRACE("type " + std::to_string(type));
        SimProcess device;
        std::string error;
        ASSERT_TRUE(device.Start(ports.Path(), 2, {"--type", std::to_string(type), "--no-pacing"}, &error))
            << error;
        RawLine port;
        ASSERT_TRUE(port.Open(device.LinkPath()));
        const std::string frame = port.ReadFrame();
        ASSERT_EQ(frame.size(), 16u);
        EXPECT_EQ(frame[0], kdm::STX);
        EXPECT_EQ(frame[15], kdm::ETX);
        EXPECT_EQ(frame.substr(1, 3), "0g+");
        EXPECT_TRUE(ChecksumMatches(frame)) << frame;
        std::string heading;
        EXPECT_EQ(kdm::DetectDeviceType(frame, heading), type);
    }
}

TEST_F(SimProtocol, ThePortIsRawBeforeAnyoneSetsItUp) {
    // A program that opens the port and reads at once, before changing any setting, must neither echo
    // the device's bytes back to it nor have them translated.
    std::string error;
    ASSERT_TRUE(sim.Start(ports.Path(), 1, {"--no-pacing"}, &error)) << error;
    const int fd = open(sim.LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    std::string frame;
    char byte = 0;
    pollfd entry{fd, POLLIN, 0};
    while (frame.size() < 16 && poll(&entry, 1, RawLine::kFrameWaitMs) == 1 && read(fd, &byte, 1) == 1)
        frame += byte;
    close(fd);
    EXPECT_EQ(frame.substr(0, 3), std::string(1, kdm::STX) + "0g");
    EXPECT_EQ(frame[15], kdm::ETX);
}

TEST_F(SimProtocol, AGivenCodeIsSentAsItStands) {
    Serve({"--code", "E2N", "--no-pacing"});
    EXPECT_EQ(Body(line.ReadFrame()).substr(1, 5), "g+E2N");
}

TEST_F(SimProtocol, AnswersEachRequestWithTheLettersOfItsTypeAndValidChecksums) {
    Serve({"--type", "13", "--programs", "4", "--no-pacing"});
    const Device device = ReadDevice(line);
    ASSERT_FALSE(device.system.empty());

    const kdm::Layout* system = kdm::SystemLayout(13);
    const kdm::Layout* program = kdm::ProgramLayout(13);
    std::size_t named = 0;
    for (const kdm::LayoutEntry& entry : system->entries)
        named += entry.letter != 'g' && entry.letter != 'P';
    EXPECT_EQ(device.system.size(), named);
    for (const std::string& t : device.system) {
        EXPECT_NE(system->Find(t[1]), nullptr) << t;
        EXPECT_TRUE(ChecksumMatches(FrameOf(t))) << t;
        EXPECT_TRUE(t[2] == '+' || t[2] == '-') << t;
    }
    int programNumber = 0;
    for (const std::string& t : device.programs) {
        EXPECT_TRUE(ChecksumMatches(FrameOf(t))) << t;
        if (t[1] == 'P') {
            ++programNumber;
            char expected[16];
            std::snprintf(expected, sizeof expected, "+%06d", programNumber);
            EXPECT_EQ(t.substr(2, 7), expected);
        } else {
            EXPECT_NE(program->Find(t[1]), nullptr) << t;
        }
    }
    EXPECT_EQ(programNumber, 4);
    EXPECT_EQ(device.programs.front()[1], 'P');
}

TEST_F(SimProtocol, TheSameSeedGivesTheSameDeviceAndAnotherSeedAnotherOne) {
    Serve({"--seed", "7", "--no-pacing"});
    const Device first = ReadDevice(line);
    line.Close();
    sim.Stop();
    Serve({"--seed", "7", "--no-pacing"});
    const Device again = ReadDevice(line);
    line.Close();
    sim.Stop();
    Serve({"--seed", "8", "--no-pacing"});
    const Device other = ReadDevice(line);
    EXPECT_EQ(first.system, again.system);
    EXPECT_EQ(first.programs, again.programs);
    EXPECT_NE(first.system, other.system);
    EXPECT_NE(first.programs, other.programs);
}

TEST_F(SimProtocol, ProgramCountsAtTheBounds) {
    for (int count : {0, 255}) {
        SCOPED_TRACE(count);
        SimProcess device;
        ASSERT_TRUE(device.Start(ports.Path(), 2, {"--programs", std::to_string(count), "--no-pacing"}));
        RawLine port;
        ASSERT_TRUE(port.Open(device.LinkPath()));
        const Device read = ReadDevice(port);
        int headers = 0;
        for (const std::string& t : read.programs)
            headers += t[1] == 'P';
        EXPECT_EQ(headers, count);
        if (count > 0) {
            // The last parameter of a program is the letter of the layout's last column.
            const kdm::LayoutEntry* last = nullptr;
            for (const kdm::LayoutEntry& entry : kdm::ProgramLayout(2)->entries) {
                if (entry.letter != 'P' && (last == nullptr || entry.position > last->position))
                    last = &entry;
            }
            ASSERT_NE(last, nullptr);
            EXPECT_EQ(read.programs.back()[1], last->letter);
        }
    }
}

TEST_F(SimProtocol, RepeatsItsIdentificationUntilTheFirstRequest) {
    Serve({"--no-pacing"});
    const std::string first = line.ReadFrame();
    const std::string second = line.ReadFrame();  // about 2 s later
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(first, second);
    line.SendTelegram(kStatus);
    EXPECT_EQ(Body(line.ReadFrame()), kStatus);
    // Once asked, it speaks only when spoken to.
    EXPECT_EQ(line.ReadFrame(2500), "");
}

TEST_F(SimProtocol, AWrittenSetIsWhatALaterReadReturnsAndWhatIsSaved) {
    const std::string saved = ports.File("device.KDM");
    Serve({"--programs", "2", "--no-pacing", "--save", saved});
    const Device original = ReadDevice(line);
    Reopen();

    // Write a different set: two system telegrams (one with a wrong checksum, kept as it is) and three
    // programs of which the middle one has no parameters.
    const std::vector<std::string> written = {
        Telegram("0h+000001--"), "0v+000002--999",        Telegram("0P+000001--"), Telegram("0J+000010--"),
        Telegram("0N-000020--"), Telegram("0P+000002--"), Telegram("0P+000003--"), Telegram("0J+000030--")};
    const std::string identification = Body(line.ReadFrame());
    line.SendTelegram(kStatus);
    ASSERT_EQ(Body(line.ReadFrame()), kStatus);
    for (const std::string& t : written) {
        line.SendTelegram(t);
        const std::string ack = line.ReadFrame();
        EXPECT_EQ(ack[2], 'F') << t;
        EXPECT_EQ(kdm::ErrorNumberOf(ack), 0) << t;
    }
    Reopen();
    const Device read = ReadDevice(line);
    EXPECT_EQ(read.identification, identification);
    EXPECT_EQ(read.system, std::vector<std::string>(written.begin(), written.begin() + 2));
    EXPECT_EQ(read.programs, std::vector<std::string>(written.begin() + 2, written.end()));
    EXPECT_NE(read.system, original.system);
    line.Close();

    // The save after the write is a data file of exactly these records.
    std::string expected = std::string(1, kdm::STX) + identification + "\r\n\r";
    for (const std::string& t : written) {
        std::string annotated;
        kdm::VerifyTelegram(FrameOf(t), annotated);
        expected += annotated + "\r\n\r";
    }
    EXPECT_EQ(ReadFile(saved), expected);
    EXPECT_NE(expected.find("0v+000002--999\x03 QS 589 !!!\r\n\r"), std::string::npos);

    // Loading that file gives a device that reads back the same.
    sim.Stop();
    Serve({"--load", saved, "--no-pacing"});
    const Device loaded = ReadDevice(line);
    EXPECT_EQ(loaded.identification, identification);
    EXPECT_EQ(loaded.system, read.system);
    EXPECT_EQ(loaded.programs, read.programs);
}

TEST_F(SimProtocol, LoadRefusesWhatIsNotADataFile) {
    const std::string stx(1, kdm::STX);
    const std::string identification = stx + "0g+I1P000--630\r\n\r";
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"no STX at all", "0g+I1P000--630\r\n\r"},
        {"first record not an identification", FrameOf("0h+000001--574") + " QS 574\r\n\r"},
        {"identification cut short", stx + "0g+I1P"},
        {"telegram record cut short", identification + stx + "0h+0000"},
        {"a 'g' in a later record", identification + FrameOf("0g+I1P000--630") + " QS 630\r\n\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ports.File("bad.KDM");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.content;
        const CliResult result =
            RunProcess({KDMXP_SIM_PATH, "--port-dir", ports.Path(), "--com", "6", "--load", path}, {}, 30000);
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports.File("COM6"))));
    }
}

TEST_F(SimProtocol, FramesWrittenWithoutAStatusRequestAreAcknowledgedButNotTaken) {
    Serve({"--no-pacing"});
    const Device before = ReadDevice(line);
    Reopen();
    line.ReadFrame();
    line.SendTelegram(Telegram("0h+000001--"));
    EXPECT_EQ(Body(line.ReadFrame()), kStatus);  // acknowledgement "00" looks like the status request
    Reopen();
    const Device after = ReadDevice(line);
    EXPECT_EQ(after.system, before.system);
    EXPECT_EQ(after.programs, before.programs);
}

TEST_F(SimProtocol, SavesAtExitAndPublishesAndWithdrawsItsPort) {
    const std::string saved = ports.File("exit.KDM");
    const std::string ready = ports.File("ready");
    Serve({"--programs", "1", "--no-pacing", "--save", saved, "--ready-file", ready});
    EXPECT_EQ(ReadFile(ready), "ready COM1 " + sim.DevicePath() + "\n");
    const Device device = ReadDevice(line);
    line.Close();
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
    const std::string text = ReadFile(saved);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(1, 14), device.identification);
    EXPECT_NE(text.find(FrameOf(device.programs.back())), std::string::npos);
}

TEST_F(SimProtocol, ReplacesAStaleLinkButNeverAnotherFile) {
    std::filesystem::create_symlink("/dev/null", ports.File("COM1"));
    Serve({"--no-pacing"});
    EXPECT_EQ(std::filesystem::read_symlink(ports.File("COM1")).string(), sim.DevicePath());
    EXPECT_EQ(Body(line.ReadFrame()).substr(1, 1), "g");

    std::ofstream(ports.File("COM4")) << "user data";
    SimProcess refused;
    std::string error;
    EXPECT_FALSE(refused.Start(ports.Path(), 4, {}, &error));
    EXPECT_EQ(refused.Stop(), 1) << error;
    EXPECT_EQ(ReadFile(ports.File("COM4")), "user data");
}

TEST_F(SimProtocol, EachOpenStartsTheConversationOverWithoutLeftovers) {
    // Telegram 2 is damaged in every open: the numbering restarts with each one.
    Serve({"--no-pacing", "--bad-checksum", "2"});
    for (int open = 0; open < 2; ++open) {
        SCOPED_TRACE(open);
        if (open > 0) Reopen();
        const std::string identification = line.ReadFrame();
        EXPECT_EQ(identification.substr(1, 2), "0g");
        EXPECT_TRUE(ChecksumMatches(identification));
        line.SendTelegram(kStatus);
        const std::string status = line.ReadFrame();
        EXPECT_EQ(status[2], 'F');
        EXPECT_FALSE(ChecksumMatches(status));
        // Ask for the system block and leave it unread: the next open must not find it on the line.
        line.SendTelegram(kSystem);
        EXPECT_TRUE(ChecksumMatches(line.ReadFrame()));
    }
    Reopen();
    EXPECT_EQ(line.ReadFrame().substr(1, 2), "0g");
    EXPECT_EQ(line.Pending(), "");
}

TEST_F(SimProtocol, OnceEndsAfterTheFirstClose) {
    Serve({"--no-pacing", "--once"});
    EXPECT_EQ(line.ReadFrame().substr(1, 2), "0g");
    line.Close();
    EXPECT_EQ(sim.WaitExit(30000), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
}

TEST_F(SimProtocol, LogsEveryTelegramLegibly) {
    Serve({"--no-pacing", "--programs", "0"});
    ReadDevice(line);
    line.Close();
    sim.Stop();
    const std::string text = ReadFile(log);
    for (const char* expected : {"port opened", "rx#1", "<STX>0F+000000--539<ETX>", "tx#1", "rx#3",
                                 "<STX>0D+000000--537<ETX>", "port closed"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_EQ(text.find('\x02'), std::string::npos);
}

TEST_F(SimProtocol, PacedAtTheLineRateTheBytesStillArriveWhole) {
    Serve({"--baud", "4800", "--programs", "1"});
    const Device device = ReadDevice(line);
    EXPECT_FALSE(device.programs.empty());
    for (const std::string& t : device.system)
        EXPECT_TRUE(ChecksumMatches(FrameOf(t))) << t;
}

TEST_F(SimProtocol, EndlessSendsTheSystemTelegramsOverAndOverWithoutTheClosingG) {
    // The same device without the fault, for its system block.
    SimProcess plain;
    std::string error;
    ASSERT_TRUE(plain.Start(ports.Path(), 2, {"--no-pacing", "--seed", "3"}, &error)) << error;
    RawLine plainLine;
    ASSERT_TRUE(plainLine.Open(plain.LinkPath()));
    const std::vector<std::string> system = ReadDevice(plainLine).system;
    ASSERT_FALSE(system.empty());

    Serve({"--no-pacing", "--seed", "3", "--endless"});
    ASSERT_EQ(line.ReadFrame().substr(1, 2), "0g");
    line.SendTelegram(kStatus);
    EXPECT_EQ(Body(line.ReadFrame()), kStatus);
    line.SendTelegram(kSystem);
    for (std::size_t i = 0; i < 3 * system.size() + 1; ++i) {
        const std::string frame = line.ReadFrame();
        ASSERT_EQ(Body(frame), system[i % system.size()]) << i;
        EXPECT_TRUE(ChecksumMatches(frame)) << i;
    }
}

}  // namespace
}  // namespace kdmtest
