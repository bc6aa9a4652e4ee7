// The read engine against a scripted device in fake time: what is stored, what the window shows and
// when, how the read ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <numeric>

#include "data/catalogue.h"
#include "files/data_file.h"
#include "link/link.h"
#include "transfer/read_engine.h"
#include "transfer_device.h"
#include "transfer_recorder.h"

namespace kdmtest {
namespace {

using kdm::JobOutcome;
using kdm::StopCommand;
using Kind = ShownEvent::Kind;

const std::vector<int> kCompleteReadStatuses = {338, 348, 339, 342, 340, 343, 341};

class ReadEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(dir.Path().empty()); }

    void Run() {
        if (engine.StartRead() == 1) engine.RunTimer();
    }
    // The 14-character writes: the requests the engine sent, in order.
    std::vector<std::string> Requests() const {
        std::vector<std::string> requests;
        for (const auto& w : port.writes)
            if (w.size() == 14) requests.push_back(w);
        return requests;
    }
    std::int64_t TimeOf(Kind kind, int id) const {
        const int i = shown.IndexOf(kind, id);
        return i < 0 ? -1 : shown.events[static_cast<std::size_t>(i)].atMs;
    }
    // Fake time at which the first tick after event `i` began (its control 1011 event).
    std::int64_t NextTickAfter(int i) const {
        for (std::size_t k = static_cast<std::size_t>(i) + 1; k < shown.events.size(); ++k) {
            const auto& e = shown.events[k];
            if (e.kind == ShownEvent::kControl && e.id == kdm::kCtlReadingParameter) return e.atMs;
        }
        return -1;
    }

    ScratchDir dir;
    FakeClock clock;
    ScriptedPort port{clock};
    MemorySettingsStore settings;
    kdm::Link link{port, settings};
    RecordingObserver shown{clock};
    std::string tempPath = dir / "KDM.tmp";
    kdm::ReadEngine engine{link, clock, shown, tempPath};
};

TEST_F(ReadEngineTest, CompleteReadStoresEveryTelegramInOrderAndSavesAByteCopy) {
    const DeviceData data = SmallDevice(3, 2, 2);
    ScriptDevice(port, data);
    shown.savePaths.push_back(dir / "out.KDM");

    Run();

    const std::string expected = ExpectedDump(data);
    EXPECT_EQ(Slurp(tempPath), expected);
    EXPECT_EQ(Slurp(dir / "out.KDM"), expected);
    EXPECT_EQ(engine.SavedPath(), dir / "out.KDM");
    EXPECT_TRUE(engine.Ended());
    EXPECT_FALSE(engine.Running());
    EXPECT_FALSE(engine.Stopped());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kCompleted);
    EXPECT_EQ(shown.Statuses(), kCompleteReadStatuses);
    EXPECT_EQ(engine.StoredTelegrams(), 3 + 2 * 3);
    EXPECT_EQ(engine.SystemTelegrams(), 3);
    EXPECT_EQ(engine.Programs(), 2);
    EXPECT_EQ(engine.ChecksumMismatches(), 0);
    EXPECT_EQ(shown.Count(ShownEvent::kSave), 1);
    EXPECT_EQ(shown.Count(ShownEvent::kDiscard), 0);
    EXPECT_EQ(shown.Count(ShownEvent::kError), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(Requests(), (std::vector<std::string>{"0F+000000--539", "0s+000000--584", "0D+000000--537"}));
}

// The gate of a read before a write: a device it turns away costs no request and no temporary file.
struct GateCase {
    const char* name;
    bool pass;
    std::vector<std::string> requests;
    JobOutcome outcome;
    bool tempFile;
};

void PrintTo(const GateCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadGateTest : public ReadEngineTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(ReadGateTest, ATurnedAwayDeviceIsNotRead) {
    const GateCase& c = GetParam();
    ScriptDevice(port, SmallDevice(3, 2, 2));
    shown.savePaths.push_back(dir / "out.KDM");
    std::vector<std::string> asked;
    engine.SetDeviceGate([&](const std::string& identification) {
        asked.push_back(identification);
        return c.pass;
    });

    Run();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].substr(0, 1), std::string(1, kdm::STX)) << asked[0];
    EXPECT_EQ(Requests(), c.requests);
    EXPECT_EQ(engine.Outcome(), c.outcome);
    EXPECT_EQ(engine.TempFileWritten(), c.tempFile);
    EXPECT_EQ(std::filesystem::exists(tempPath), c.tempFile);
    EXPECT_EQ(shown.Count(ShownEvent::kError), 0);
    EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Gates, ReadGateTest,
    ::testing::Values(GateCase{"passes",
                               true,
                               {"0F+000000--539", "0s+000000--584", "0D+000000--537"},
                               JobOutcome::kCompleted,
                               true},
                      GateCase{"turnsAway", false, {"0F+000000--539"}, JobOutcome::kDeclined, false}),
    CaseName());

TEST_F(ReadEngineTest, WaitsTwoHundredMsBeforeTheFirstTickAndAHundredOnEachSideOfTheProgramRequest) {
    ScriptDevice(port, SmallDevice(2, 1, 1));
    Run();
    ASSERT_EQ(shown.Statuses(), kCompleteReadStatuses);

    const int receivingSystem = shown.IndexOf(Kind::kStatus, 342);
    EXPECT_EQ(NextTickAfter(receivingSystem) - TimeOf(Kind::kStatus, 342), 200);
    // The program request goes out between the two pauses.
    EXPECT_EQ(TimeOf(Kind::kStatus, 343) - TimeOf(Kind::kStatus, 340), 100);
    const int receivingProgram = shown.IndexOf(Kind::kStatus, 343);
    EXPECT_EQ(NextTickAfter(receivingProgram) - TimeOf(Kind::kStatus, 343), 100);
    // Every telegram tick of the scripted line takes longer than the timer interval, so the waits
    // are all the engine slept; each wait was cut into slices a stop request can interrupt.
    EXPECT_EQ(std::accumulate(clock.sleeps.begin(), clock.sleeps.end(), 0), 400);
    for (int slice : clock.sleeps)
        EXPECT_LE(slice, 20);
}

TEST_F(ReadEngineTest, CounterLagsOneTickAndProgramNumberAppearsOnlyAfterTheProgramRequest) {
    ScriptDevice(port, SmallDevice(2, 2, 1));
    Run();
    const DeviceData data = SmallDevice(2, 2, 1);

    EXPECT_EQ(shown.Texts(Kind::kControl, kdm::kCtlParameterNo),
              (std::vector<std::string>{"0", "1", "2", "1", "2", "3", "4", "5"}));
    // The first tick shows nothing yet; the tick after the program request shows nothing either,
    // because the 'g' that ended the system block is not carried over.
    EXPECT_EQ(shown.Texts(Kind::kControl, kdm::kCtlReadingParameter),
              (std::vector<std::string>{"", Frame(data.system[0]), Frame(data.system[1]), "",
                                        Frame(data.programs[0]), Frame(data.programs[1]),
                                        Frame(data.programs[2]), Frame(data.programs[3])}));
    EXPECT_EQ(shown.Texts(Kind::kControl, kdm::kCtlProgramNo),
              (std::vector<std::string>{"00001", "00001", "00002", "00002", "00002"}));
    EXPECT_GT(shown.IndexOf(Kind::kControl, kdm::kCtlProgramNo), shown.IndexOf(Kind::kStatus, 343));
}

TEST_F(ReadEngineTest, ChecksumMismatchIsStoredWithMarkAndCounted) {
    DeviceData data = SmallDevice(2, 1, 1);
    data.system[1] = "0b+000101--999";
    ScriptDevice(port, data);
    Run();

    const std::string dump = Slurp(tempPath);
    EXPECT_NE(dump.find(Frame(data.system[1]) + " QS 569 !!!\r\n\r"), std::string::npos) << dump;
    EXPECT_EQ(dump, ExpectedDump(data));
    EXPECT_EQ(engine.ChecksumMismatches(), 1);
    EXPECT_EQ(engine.StoredTelegrams(), 4);
    EXPECT_EQ(shown.Statuses(), kCompleteReadStatuses);
}

// A parameter whose letter 'f' had one bit flipped on the line arrives as a 'g' with the checksum of
// the 'f'. Taking it for the end of a block would file the rest of the system block as programs and
// end the read at the real system 'g', a file without a single program, saved as complete.
struct DamagedGCase {
    const char* name;
    bool inProgramBlock;
    std::size_t at;  // index in that block's telegrams
};

void PrintTo(const DamagedGCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadDamagedGTest : public ReadEngineTest, public ::testing::WithParamInterface<DamagedGCase> {};

TEST_P(ReadDamagedGTest, IsStoredMarkedAndTheReadGoesOnToTheRealEndOfEachBlock) {
    const DamagedGCase& c = GetParam();
    DeviceData data = SmallDevice(4, 2, 2);
    std::vector<std::string>& block = c.inProgramBlock ? data.programs : data.system;
    std::string flipped = Tel("0f+000777--");
    flipped[1] = static_cast<char>(flipped[1] ^ 0x01);
    ASSERT_EQ(flipped, "0g+000777--592");
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(c.at), flipped);
    ScriptDevice(port, data);
    shown.savePaths.push_back(dir / "out.KDM");

    Run();

    const std::string dump = Slurp(tempPath);
    EXPECT_NE(dump.find(Frame(flipped) + " QS 593 !!!\r\n\r"), std::string::npos) << dump;
    EXPECT_EQ(dump, ExpectedDump(data));
    EXPECT_EQ(Slurp(dir / "out.KDM"), dump);
    EXPECT_EQ(engine.StoredTelegrams(), static_cast<int>(data.system.size() + data.programs.size()));
    EXPECT_EQ(engine.SystemTelegrams(), static_cast<int>(data.system.size()));
    EXPECT_EQ(engine.Programs(), 2);
    EXPECT_EQ(engine.ChecksumMismatches(), 1);
    EXPECT_EQ(shown.Statuses(), kCompleteReadStatuses);
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kCompleted);
    // One request of each kind: the damaged 'g' asked for nothing.
    EXPECT_EQ(Requests(), (std::vector<std::string>{"0F+000000--539", "0s+000000--584", "0D+000000--537"}));
}

INSTANTIATE_TEST_SUITE_P(Blocks, ReadDamagedGTest,
                         ::testing::Values(DamagedGCase{"middleOfTheSystemBlock", false, 2},
                                           DamagedGCase{"middleOfTheProgramBlock", true, 3}),
                         CaseName());

struct SilenceCase {
    const char* name;
    std::vector<int> emptyTicksBefore;  // empty ticks in front of each further system telegram
    bool endsWithLinkError;
    int storedAtEnd;
};

void PrintTo(const SilenceCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadSilenceTest : public ReadEngineTest, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(ReadSilenceTest, SixthEmptyTickInARowEndsTheReadTheFifthDoesNot) {
    const SilenceCase& c = GetParam();
    const DeviceData data = SmallDevice(static_cast<int>(c.emptyTicksBefore.size()) + 1, 1, 0);
    port.AddPort(1);
    port.Feed(1, Frame(kIdTelegram));
    port.OnWrite(1, "0F+000000--539", Frame(kStatusOk));
    port.OnWrite(1, "0s+000000--584", Frame(data.system[0]));
    port.OnWrite(1, "0D+000000--537", Frames(data.programs) + Frame(kEndTelegram));
    ASSERT_EQ(engine.StartRead(), 1);
    for (std::size_t i = 0; i < c.emptyTicksBefore.size(); ++i) {
        // A silent receive is 100 one-byte reads without a byte.
        port.FeedSilence(1, 100 * c.emptyTicksBefore[i]);
        port.Feed(1, Frame(data.system[i + 1]));
    }
    port.Feed(1, Frame(kEndTelegram));
    engine.RunTimer();

    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), c.endsWithLinkError ? JobOutcome::kLineSilent : JobOutcome::kCompleted);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(engine.StoredTelegrams(), c.storedAtEnd);
    const auto errors = shown.Texts(Kind::kError);
    if (c.endsWithLinkError) {
        // The message says where the data went.
        EXPECT_EQ(errors, std::vector<std::string>{"Error RS232\nWhat arrived is kept in " + tempPath});
        EXPECT_EQ(shown.Count(ShownEvent::kSave), 0);
        EXPECT_EQ(shown.IndexOf(Kind::kStatus, 340), -1);
        // What arrived stays in the temporary file.
        DeviceData partial;
        partial.system.assign(data.system.begin(), data.system.begin() + c.storedAtEnd);
        EXPECT_EQ(Slurp(tempPath), ExpectedDump(partial));
    } else {
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(shown.Statuses(), kCompleteReadStatuses);
        EXPECT_EQ(Slurp(tempPath), ExpectedDump(data));
    }
}

INSTANTIATE_TEST_SUITE_P(Ticks, ReadSilenceTest,
                         ::testing::Values(SilenceCase{"five", {5}, false, 3},
                                           SilenceCase{"six", {6}, true, 1},
                                           SilenceCase{"fiveTwiceWithATelegramBetween", {5, 5}, false, 4},
                                           SilenceCase{"countRestartsAfterATelegram", {3, 6}, true, 2},
                                           SilenceCase{"oneThenSix", {1, 6}, true, 2}),
                         CaseName());

struct SaveCase {
    const char* name;
    std::vector<int> saveAnswers;  // 0 cancel, 1 a good path, 2 a path that cannot be written
    std::vector<bool> discardAnswers;
    std::vector<Kind> expectedDialogs;
    bool saved;
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadSaveTest : public ReadEngineTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(ReadSaveTest, UnsavedDataAsksOnceAndNoGivesOneMoreSave) {
    const SaveCase& c = GetParam();
    ScriptDevice(port, SmallDevice(1, 1, 1));
    for (int answer : c.saveAnswers) {
        if (answer == 0) shown.savePaths.push_back(std::nullopt);
        if (answer == 1) shown.savePaths.push_back(dir / "saved.KDM");
        if (answer == 2) shown.savePaths.push_back(dir / "missing-dir/saved.KDM");
    }
    for (bool yes : c.discardAnswers)
        shown.discardAnswers.push_back(yes);
    Run();

    std::vector<Kind> dialogs;
    for (const auto& e : shown.events)
        if (e.kind == Kind::kSave || e.kind == Kind::kDiscard || e.kind == Kind::kError)
            dialogs.push_back(e.kind);
    EXPECT_EQ(dialogs, c.expectedDialogs);
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kCompleted);
    EXPECT_EQ(engine.SavedPath().empty(), !c.saved);
    EXPECT_EQ(std::filesystem::exists(dir / "saved.KDM"), c.saved);
    if (c.saved) {
        EXPECT_EQ(Slurp(dir / "saved.KDM"), Slurp(tempPath));
    }
    // Whatever the answers, the data is still in the temporary file.
    EXPECT_EQ(Slurp(tempPath), ExpectedDump(SmallDevice(1, 1, 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadSaveTest,
    ::testing::Values(
        SaveCase{"cancelThenYes", {0}, {true}, {Kind::kSave, Kind::kDiscard}, false},
        SaveCase{"cancelNoThenSave", {0, 1}, {false}, {Kind::kSave, Kind::kDiscard, Kind::kSave}, true},
        SaveCase{"cancelNoCancelEndsWithoutAskingAgain",
                 {0, 0},
                 {false},
                 {Kind::kSave, Kind::kDiscard, Kind::kSave},
                 false},
        SaveCase{
            "unwritablePathSaysWhyThenAsks", {2}, {true}, {Kind::kSave, Kind::kError, Kind::kDiscard}, false},
        SaveCase{"unwritableThenNoThenSave",
                 {2, 1},
                 {false},
                 {Kind::kSave, Kind::kError, Kind::kDiscard, Kind::kSave},
                 true}),
    CaseName());

TEST_F(ReadEngineTest, UnwritableSavePathNamesTheReason) {
    ScriptDevice(port, SmallDevice(1, 0, 0));
    shown.savePaths.push_back(dir / "missing-dir/saved.KDM");
    Run();
    const auto errors = shown.Texts(Kind::kError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("missing-dir/saved.KDM"), std::string::npos) << errors[0];
}

struct SearchFailureCase {
    const char* name;
    int setup;  // 0 no port at all, 1 a silent port, 2 a device reporting error 7
    const char* message;
};

void PrintTo(const SearchFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadSearchFailureTest : public ReadEngineTest,
                              public ::testing::WithParamInterface<SearchFailureCase> {};

TEST_P(ReadSearchFailureTest, ShowsTheSearchResultAndLeavesTheTemporaryFileAlone) {
    const SearchFailureCase& c = GetParam();
    Spit(tempPath, "earlier read");
    if (c.setup >= 1) port.AddPort(1);
    if (c.setup == 2) {
        port.Feed(1, Frame(kIdTelegram));
        port.OnWrite(1, "0F+000000--539", Frame(Tel("0F+000007--")));
    }
    if (c.setup == 3) port.Feed(1, Frame(kIdTelegram));  // then never a word
    EXPECT_EQ(engine.StartRead(), 0);

    EXPECT_EQ(shown.Texts(Kind::kError), std::vector<std::string>{c.message});
    EXPECT_EQ(shown.Statuses(), std::vector<int>{338});
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kFailed);
    EXPECT_FALSE(engine.Running());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(Slurp(tempPath), "earlier read");
}

INSTANTIATE_TEST_SUITE_P(Results, ReadSearchFailureTest,
                         ::testing::Values(SearchFailureCase{"noPort", 0, "No COM-IO found"},
                                           SearchFailureCase{"silentPort", 1, "No Dorvik-device found"},
                                           SearchFailureCase{"statusError", 2, "RS232-cable defect"},
                                           SearchFailureCase{"identifiesThenSilent", 3,
                                                             "RS232-cable defect\nThe device answers but "
                                                             "does not reply to requests: check the "
                                                             "transmit wire of the cable"}),
                         CaseName());

struct TempFileCase {
    const char* name;
    int obstacle;  // 0 missing directory, 1 symlink at the name, 2 another read holds the file
    const char* reasonPart;
};

void PrintTo(const TempFileCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadTempFileTest : public ReadEngineTest, public ::testing::WithParamInterface<TempFileCase> {};

TEST_P(ReadTempFileTest, TemporaryFileThatCannotBeCreatedEndsTheReadBeforeAnyRequest) {
    const TempFileCase& c = GetParam();
    ScriptDevice(port, SmallDevice(1, 1, 1));
    std::string path = tempPath;
    kdm::TempFile holder;
    std::string reason;
    if (c.obstacle == 0) path = dir / "no-such-dir/KDM.tmp";
    if (c.obstacle == 1) {
        Spit(dir / "target", "not to be touched");
        ASSERT_EQ(::symlink((dir / "target").c_str(), path.c_str()), 0);
    }
    if (c.obstacle == 2) {
        ASSERT_EQ(holder.Create(path, reason), 1) << reason;
    }
    kdm::ReadEngine reader(link, clock, shown, path);

    EXPECT_EQ(reader.StartRead(), 0);

    const auto errors = shown.Texts(Kind::kError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Cannot create the temporary file: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(c.reasonPart), std::string::npos) << errors[0];
    EXPECT_EQ(reader.Outcome(), JobOutcome::kFailed);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(Requests(), std::vector<std::string>{"0F+000000--539"});
    EXPECT_EQ(shown.Statuses(), std::vector<int>{338});
    if (c.obstacle == 1) {
        EXPECT_EQ(Slurp(dir / "target"), "not to be touched");
    }
}

INSTANTIATE_TEST_SUITE_P(Obstacles, ReadTempFileTest,
                         ::testing::Values(TempFileCase{"missingDirectory", 0, "no-such-dir/KDM.tmp"},
                                           TempFileCase{"symlink", 1, "symbolic link"},
                                           TempFileCase{"heldByAnotherRead", 2, "another read"}),
                         CaseName());

TEST_F(ReadEngineTest, StopDuringSearchEndsItQuietlyBeforeTheNextPort) {
    for (int n = 1; n <= 9; ++n)
        port.AddPort(n);  // nothing answers anywhere
    shown.onEvent = [this](const ShownEvent& e) {
        if (e.kind == Kind::kSearchPort && e.id == 2) engine.RequestStop();
    };
    EXPECT_EQ(engine.StartRead(), 0);

    EXPECT_TRUE(engine.Stopped());
    EXPECT_EQ(engine.StoppedBy(), StopCommand::kCancel);
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_FALSE(port.IsOpen());
    for (const auto& name : port.openAttempts)
        EXPECT_TRUE(name == "COM1" || name == "COM2") << name;
    EXPECT_FALSE(std::filesystem::exists(tempPath));
    EXPECT_FALSE(engine.TempFileWritten());
}

struct StopCase {
    const char* name;
    Kind kind;
    int id;
    const char* text;  // matched when not null
    int storedAtStop;  // records in the temporary file besides the identification
    bool programRequested;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadStopTest : public ReadEngineTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ReadStopTest, StopEndsWithoutQuestionOrMessageAndKeepsWhatArrived) {
    const StopCase& c = GetParam();
    const DeviceData data = SmallDevice(5, 1, 1);
    ScriptDevice(port, data);
    shown.onEvent = [this, &c](const ShownEvent& e) {
        if (e.kind == c.kind && e.id == c.id && (c.text == nullptr || e.text == c.text))
            engine.RequestStop(StopCommand::kOk);
    };
    Run();

    EXPECT_TRUE(engine.Stopped());
    EXPECT_TRUE(engine.Ended());
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(engine.StoppedBy(), StopCommand::kOk);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_EQ(shown.Count(ShownEvent::kSave), 0);
    EXPECT_EQ(shown.Count(ShownEvent::kDiscard), 0);
    EXPECT_EQ(shown.IndexOf(Kind::kStatus, 341), -1);
    DeviceData partial;
    partial.system.assign(data.system.begin(), data.system.begin() + c.storedAtStop);
    EXPECT_EQ(Slurp(tempPath), ExpectedDump(partial));
    const auto requests = Requests();
    EXPECT_EQ(std::find(requests.begin(), requests.end(), "0D+000000--537") != requests.end(),
              c.programRequested);
    EXPECT_TRUE(engine.TempFileWritten());
}

INSTANTIATE_TEST_SUITE_P(
    Moments, ReadStopTest,
    ::testing::Values(StopCase{"duringFirstWait", Kind::kStatus, 342, nullptr, 0, false},
                      StopCase{"duringTransfer", Kind::kControl, kdm::kCtlParameterNo, "3", 3, false},
                      StopCase{"beforeProgramRequest", Kind::kStatus, 340, nullptr, 5, false}),
    CaseName());

TEST_F(ReadEngineTest, StopDuringTheFirstWaitSleepsNoFurther) {
    ScriptDevice(port, SmallDevice(2, 1, 1));
    shown.onEvent = [this](const ShownEvent& e) {
        if (e.kind == Kind::kStatus && e.id == 342) engine.RequestStop();
    };
    EXPECT_EQ(engine.StartRead(), 0);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(shown.Count(ShownEvent::kControl), 0);
}

TEST_F(ReadEngineTest, AStopLeftFromAnEarlierReadDoesNotStopTheNextOne) {
    engine.RequestStop();
    ScriptDevice(port, SmallDevice(1, 1, 1));
    Run();
    EXPECT_FALSE(engine.Stopped());
    EXPECT_EQ(shown.Statuses(), kCompleteReadStatuses);
}

// Bytes arrive without taking any time, so every tick is shorter than the timer interval.
class InstantPort final : public kdm::ISerialPort {
  public:
    InstantPort(ScriptedPort& inner, FakeClock& clock) : inner_(inner), clock_(clock) {}
    kdm::Status Open(const std::string& name) override { return inner_.Open(name); }
    kdm::Status ApplyLineSettings() override { return inner_.ApplyLineSettings(); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    kdm::Result<unsigned char> ReadByte() override {
        const std::int64_t before = clock_.now;
        kdm::Result<unsigned char> result = inner_.ReadByte();
        if (result.Ok()) clock_.now = before;
        return result;
    }
    kdm::Result<std::size_t> Write(const void* data, std::size_t count) override {
        return inner_.Write(data, count);
    }

  private:
    ScriptedPort& inner_;
    FakeClock& clock_;
};

TEST_F(ReadEngineTest, TicksStartEveryIntervalOrAtOnceAfterALongerTick) {
    for (bool instant : {true, false}) {
        SCOPED_TRACE(instant ? "instant line" : "32 ms per telegram");
        FakeClock fakeTime;
        ScriptedPort scripted(fakeTime);
        InstantPort fast(scripted, fakeTime);
        MemorySettingsStore store;
        kdm::ISerialPort& line = instant ? static_cast<kdm::ISerialPort&>(fast) : scripted;
        kdm::Link tickLink(line, store);
        RecordingObserver seen(fakeTime);
        ScriptDevice(scripted, SmallDevice(4, 0, 0));
        kdm::ReadEngine reader(tickLink, fakeTime, seen, dir / (instant ? "a.tmp" : "b.tmp"));
        ASSERT_EQ(reader.StartRead(), 1);
        reader.RunTimer();

        std::vector<std::int64_t> starts;
        for (const auto& e : seen.events)
            if (e.kind == Kind::kControl && e.id == kdm::kCtlParameterNo) starts.push_back(e.atMs);
        ASSERT_GE(starts.size(), 5u);
        // The four system telegrams and the closing 'g': tick starts one interval apart, or one
        // telegram's time apart when that is longer.
        for (std::size_t i = 1; i < 5; ++i)
            EXPECT_EQ(starts[i] - starts[i - 1], instant ? 20 : 32);
    }
}

TEST_F(ReadEngineTest, AStopThatReachesOnlyTheLinkIsAStopNotASilentLine) {
    // Ctrl-C's handler stops the link before anybody tells the engine; the wait it cuts short must not
    // count as an empty tick, let alone end in "Error RS232".
    const DeviceData data = SmallDevice(3, 1, 1);
    port.AddPort(1);
    port.Feed(1, Frame(kIdTelegram));
    port.OnWrite(1, "0F+000000--539", Frame(kStatusOk));
    port.OnWrite(1, "0s+000000--584", Frame(data.system[0]));  // then silence
    shown.onEvent = [this](const ShownEvent& e) {
        if (e.kind == Kind::kWait && e.id == 2) link.RequestStop();
    };
    Run();

    EXPECT_TRUE(engine.Stopped());
    EXPECT_EQ(engine.StoppedBy(), StopCommand::kCancel);
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_FALSE(port.IsOpen());
    DeviceData partial;
    partial.system.push_back(data.system[0]);
    EXPECT_EQ(Slurp(tempPath), ExpectedDump(partial));
    // The window heard what the read waited for, and that the wait is over.
    EXPECT_EQ(shown.Texts(Kind::kWait),
              (std::vector<std::string>{"Waiting for the next telegram from the device (2 s)", ""}));
}

// A device that never stops sending: the read gives up once a block holds more than a parameter set
// can, with everything that arrived in the temporary file, and accepts a set right at the bound.
struct OverfullCase {
    const char* name;
    int system;
    int programs;
    int perProgram;
    std::string overflow;  // what the message says went beyond the bound; empty: the read completes
};

void PrintTo(const OverfullCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadOverfullTest : public ReadEngineTest, public ::testing::WithParamInterface<OverfullCase> {};

// kIdTelegram names no known type: the bounds are the largest of any type.
const int kSystemBound = kdm::SystemTelegramLimit(0);
const int kProgramBound = kdm::ProgramTelegramLimit(0);

TEST_P(ReadOverfullTest, EndsWithAClearFailureKeepingWhatArrived) {
    const OverfullCase& c = GetParam();
    const DeviceData data = SmallDevice(c.system, c.programs, c.perProgram);
    ScriptDevice(port, data);
    shown.savePaths.push_back(dir / "out.KDM");
    Run();

    EXPECT_TRUE(engine.Ended());
    EXPECT_FALSE(port.IsOpen());
    if (c.overflow.empty()) {
        EXPECT_TRUE(shown.Texts(Kind::kError).empty());
        EXPECT_EQ(Slurp(tempPath), ExpectedDump(data));
        EXPECT_EQ(engine.SavedPath(), dir / "out.KDM");
        return;
    }
    EXPECT_EQ(shown.Texts(Kind::kError),
              std::vector<std::string>{"The device sent more than a parameter set can hold (" + c.overflow +
                                       "); the read was stopped. What arrived is kept in " + tempPath});
    EXPECT_EQ(shown.Count(ShownEvent::kSave), 0);
    EXPECT_EQ(shown.IndexOf(Kind::kStatus, 341), -1);
    // Every telegram up to the one beyond the bound, and nothing after it.
    DeviceData partial = data;
    const int stored = engine.StoredTelegrams();
    if (stored <= c.system) {
        partial.system.resize(static_cast<std::size_t>(stored));
        partial.programs.clear();
    } else {
        partial.programs.resize(static_cast<std::size_t>(stored - c.system));
    }
    EXPECT_EQ(Slurp(tempPath), ExpectedDump(partial));
    EXPECT_LT(stored, static_cast<int>(data.system.size() + data.programs.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ReadOverfullTest,
    ::testing::Values(OverfullCase{"programsAtTheBound", 2, 255, 1, ""},
                      OverfullCase{"programsBeyond", 2, 300, 1, "more than 255 programs"},
                      OverfullCase{"systemAtTheBound", kSystemBound, 1, 1, ""},
                      OverfullCase{"systemBeyond", kSystemBound + 5, 1, 1,
                                   "more than " + std::to_string(kSystemBound) + " system parameters"},
                      OverfullCase{"programAtTheBound", 1, 2, kProgramBound, ""},
                      OverfullCase{
                          "programBeyond", 1, 2, kProgramBound + 5,
                          "more than " + std::to_string(kProgramBound) + " parameters in program 00001"}),
    CaseName());

TEST(ReadBounds, NoKnownTypeRefusesWhatItsLayoutsName) {
    for (const int type : kdm::KnownDeviceTypes()) {
        EXPECT_GE(kdm::SystemTelegramLimit(type),
                  2 * static_cast<int>(kdm::SystemLayout(type)->entries.size()))
            << type;
        EXPECT_GE(kdm::ProgramTelegramLimit(type),
                  2 * static_cast<int>(kdm::ProgramLayout(type)->entries.size()))
            << type;
        // A device of unknown type is held to the widest bound.
        EXPECT_LE(kdm::SystemTelegramLimit(type), kSystemBound) << type;
        EXPECT_LE(kdm::ProgramTelegramLimit(type), kProgramBound) << type;
    }
}

}  // namespace
}  // namespace kdmtest
