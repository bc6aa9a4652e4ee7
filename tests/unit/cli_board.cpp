// The display of several ports served at once: its time estimate, the words of each port's line, what
// each mode prints, and the read sizes it takes its totals from.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/port_board.h"
#include "cli/progress_text.h"
#include "cli/read_sizes.h"
#include "platform/file_settings_store.h"
#include "support/sim_process.h"

namespace {

using kdmcli::BoardMode;
using kdmcli::PortBoard;
using kdmcli::PortRow;

struct Sample {
    long long at;
    long long done;
    long long total;
};

struct EstimateCase {
    const char* name;
    std::vector<Sample> samples;
    long long now;
    long long expected;
};

TEST(RemainingTime, GuessesFromThePaceSinceTheFirstUnit) {
    const std::vector<EstimateCase> cases = {
        {"nothingYet", {}, 5000, -1},
        {"totalUnknown", {{0, 1, 0}, {2000, 5, 0}}, 2000, -1},
        {"tooFewUnits", {{0, 1, 100}, {2000, 3, 100}}, 2000, -1},
        {"tooShortASpan", {{0, 1, 100}, {500, 20, 100}}, 500, -1},
        // 10 units in 2 s after the first: 80 left take 16 s.
        {"steadyPace", {{1000, 10, 100}, {3000, 20, 100}}, 3000, 16000},
        // The search before the first unit does not count: the same pace after a long search.
        {"searchLeftOut", {{0, 0, 100}, {30000, 10, 100}, {32000, 20, 100}}, 32000, 16000},
        {"timeSinceLastSampleCounts", {{1000, 10, 100}, {3000, 20, 100}}, 7000, 12000},
        {"neverBelowZero", {{1000, 10, 100}, {3000, 20, 100}}, 60000, 0},
        {"moreThanTheTotal", {{1000, 10, 20}, {3000, 30, 20}}, 3000, 0},
    };
    for (const EstimateCase& c : cases) {
        kdmcli::RemainingTime time;
        for (const Sample& s : c.samples)
            time.Sample(s.at, s.done, s.total);
        EXPECT_EQ(time.RemainingMs(c.now), c.expected) << c.name;
    }
}

TEST(ProgressText, DurationsAndRemainingTimes) {
    const std::vector<std::pair<long long, std::string>> durations = {
        {0, "0:00"}, {999, "0:00"}, {7000, "0:07"}, {750000, "12:30"}, {3723000, "1:02:03"}, {-5, "0:00"}};
    for (const auto& [ms, text] : durations)
        EXPECT_EQ(kdmcli::FormatDuration(ms), text) << ms;
    EXPECT_EQ(kdmcli::RemainingText(-1), "");
    // Rounded up: something still due never reads "0:00 left".
    EXPECT_EQ(kdmcli::RemainingText(1), ", about 0:01 left");
    EXPECT_EQ(kdmcli::RemainingText(64500), ", about 1:05 left");
}

struct RowCase {
    const char* name;
    PortRow row;
    std::string expected;
};

TEST(ProgressText, OneLinePerPort) {
    const std::vector<RowCase> cases = {
        {"searching", {"COM3", "searching", "", 0, 0, "", -1, "", ""}, "COM3     searching  "},
        {"framesWithTotal",
         {"COM3", "writing", "frames", 120, 456, "00003", 50000, "", ""},
         "COM3     writing    frames 120/456  26%  program 00003, about 0:50 left"},
        {"telegramsWithoutTotal",
         {"ttyUSB0", "reading", "telegrams", 40, 0, "", -1, "", ""},
         "ttyUSB0  reading    telegrams 40"},
        {"beyondTheTotal",
         {"COM1", "reading", "telegrams", 130, 120, "", 0, "", ""},
         "COM1     reading    telegrams 130/120  100%, about 0:00 left"},
        {"aWaitInPlaceOfTheTime",
         {"COM1", "writing", "frames", 3, 10, "", 9000, "Waiting for the device (4 s)", ""},
         "COM1     writing    frames 3/10  30%  Waiting for the device (4 s)"},
        {"theSummaryOnceEnded",
         {"COM2", "writing", "frames", 3, 10, "", 9000, "", "written, 10 frames"},
         "COM2     written, 10 frames"},
    };
    for (const RowCase& c : cases)
        EXPECT_EQ(kdmcli::RowText(c.row, 7), c.expected) << c.name;
}

// A board writing into memory, on a clock the test moves.
class Board {
  public:
    explicit Board(BoardMode mode, std::size_t width = 0) {
        out_ = open_memstream(&buffer_, &size_);
        board_.emplace(
            mode, std::vector<std::string>{"COM1", "COM2"}, out_, [this] { return now; }, width);
    }
    ~Board() {
        std::fclose(out_);
        std::free(buffer_);
    }
    PortBoard& operator*() { return *board_; }
    PortBoard* operator->() { return &*board_; }
    std::string Text() {
        std::fflush(out_);
        return std::string(buffer_, size_);
    }
    long long now = 0;

  private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* out_ = nullptr;
    std::optional<PortBoard> board_;
};

// The same jobs on every board: COM1 writes and succeeds after a wait, COM2 fails.
void PlayJobs(Board& board) {
    board->Change(0, [](PortRow& row) { row.phase = "writing"; });
    board->Change(1, [](PortRow& row) { row.phase = "writing"; });
    for (int i = 1; i <= 5; ++i) {
        board.now += 50;
        board->Change(0, [i](PortRow& row) { row.done = i; });
    }
    board->Change(0, [](PortRow& row) { row.wait = "Waiting for the device (2 s)"; });
    board->Change(0, [](PortRow& row) { row.wait = "Waiting for the device (3 s)"; });
    board->Change(0, [](PortRow& row) { row.wait.clear(); });
    board->End(1, true, "failed: Device error no:  9\nmore");
    board->End(0, false, "written, 5 frames");
}

TEST(PortBoard, ALogGetsPhasesWaitsAndSummariesOneLineEach) {
    Board board(BoardMode::kLines);
    PlayJobs(board);
    EXPECT_EQ(board.Text(),
              "COM1: writing\nCOM2: writing\nCOM1: Waiting for the device (2 s)\n"
              "COM2: failed: Device error no:  9; more\nCOM1: written, 5 frames\n");
}

TEST(PortBoard, QuietShowsOnlyFailures) {
    Board board(BoardMode::kQuiet);
    PlayJobs(board);
    EXPECT_EQ(board.Text(), "COM2: failed: Device error no:  9; more\n");
}

TEST(PortBoard, ATerminalRedrawsInPlaceAtMostFiveTimesASecondAndEndsWithTheSummaries) {
    Board board(BoardMode::kLive);
    PlayJobs(board);
    const std::string text = board.Text();
    // Drawn: twice for the phases, once after 200 ms of frames, twice for the wait coming and going
    // (its seconds count too), twice for the ends; every redraw but the first goes up two lines.
    std::size_t ups = 0;
    for (std::size_t at = text.find("\033[2A"); at != std::string::npos; at = text.find("\033[2A", at + 1))
        ++ups;
    EXPECT_EQ(ups, 7u) << text;
    const std::string last = text.substr(text.rfind("\033[2A"));
    EXPECT_EQ(last,
              "\033[2A\r\033[KCOM1  written, 5 frames\n\r\033[KCOM2  failed: Device error no:  9; more\n");
}

TEST(PortBoard, LiveLinesNeverWrapAndWorkAsideClearsThem) {
    Board board(BoardMode::kLive, 12);
    board->Change(0, [](PortRow& row) { row.phase = "writing"; });
    board->Aside([] {});
    const std::string text = board.Text();
    EXPECT_EQ(text.find("COM1  writin "), std::string::npos) << text;
    EXPECT_NE(text.find("\r\033[KCOM1  writi\n"), std::string::npos) << text;
    // Up over the two lines and everything below cleared, then drawn again.
    EXPECT_NE(text.find("\033[2A\r\033[J\r\033[KCOM1  writi\n"), std::string::npos) << text;
}

struct SizeCase {
    const char* name;
    std::string rememberedAs;
    std::string askedAs;
    int telegrams;
    int expected;
};

TEST(ReadSizes, RememberedPerIdentification) {
    const std::vector<SizeCase> cases = {
        {"sameTelegram",
         "\x02"
         "0g+I1P000--630\x03",
         "\x02"
         "0g+I1P000--630\x03",
         90, 90},
        {"withOrWithoutItsFrame",
         "\x02"
         "0g+I1P001--631\x03",
         "0g+I1P001--631", 61, 61},
        {"anotherDevice",
         "\x02"
         "0g+I1P002--632\x03",
         "\x02"
         "0g+X9Z002--632\x03",
         70, 0},
        {"bytesNoFileNameTakes",
         "0g/../\x01\xff"
         "000--63",
         "0g/../\x01\xff"
         "000--63",
         12, 12},
        {"nothingToStore", "0g+I1P003--633", "0g+I1P003--633", 0, 0},
        {"noIdentification", "", "", 40, 0},
    };
    for (const SizeCase& c : cases) {
        kdmtest::TempDir root;
        kdm::FileSettingsStore store(root.File("lasting"), root.File("volatile"));
        kdmcli::RememberReadSize(store, c.rememberedAs, c.telegrams);
        EXPECT_EQ(kdmcli::LastReadSize(store, c.askedAs), c.expected) << c.name;
    }
}

}  // namespace
