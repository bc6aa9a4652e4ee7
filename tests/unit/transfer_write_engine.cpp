// The write engine against a scripted device in fake time: the checks before sending, which frames go
// out, the acknowledgements, and how the write ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "link/link.h"
#include "transfer/write_engine.h"
#include "transfer_device.h"
#include "transfer_recorder.h"

namespace kdmtest {
namespace {

using kdm::JobOutcome;
using kdm::StopCommand;
using Kind = ShownEvent::Kind;

const std::string kAck = Frame(kStatusOk);

// A data file as the read writes it: identification record and one record per telegram.
std::string DataFile(const std::vector<std::string>& telegrams, const std::string& id = kIdTelegram) {
    std::string text = std::string(1, kdm::STX) + id + "\r\n\r";
    for (const auto& t : telegrams)
        text += Annotated(t) + "\r\n\r";
    return text;
}

std::vector<std::string> Parameters(int count) {
    std::vector<std::string> telegrams;
    for (int i = 0; i < count; ++i) {
        char eleven[16];
        std::snprintf(eleven, sizeof eleven, "0%c+%06d--", kSystemLetters[i % 20], 1000 + i);
        telegrams.push_back(Tel(eleven));
    }
    return telegrams;
}

class WriteEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(dir.Path().empty()); }

    // A device on COM1 that identifies itself, reports status `statusError` (every time) and answers
    // each telegram of `acked` with an acknowledgement carrying `ackError`.
    void Device(const std::vector<std::string>& acked, int ackError = 0, int statusError = 0) {
        port.AddPort(1);
        port.Feed(1, Frame(kIdTelegram));
        char eleven[16];
        std::snprintf(eleven, sizeof eleven, "0F+0000%02d--", statusError);
        port.OnWrite(1, "0F+000000--539", Frame(Tel(eleven)));
        std::snprintf(eleven, sizeof eleven, "0F+0000%02d--", ackError);
        for (const auto& t : acked)
            port.OnWrite(1, t, Frame(Tel(eleven)), 1);
    }
    int Run(const std::string& fileText) {
        Spit(path, fileText);
        const int started = engine.StartWriteFile(path);
        if (started == 1) engine.RunTimer();
        return started;
    }
    std::vector<std::string> FramesWritten() const {
        std::vector<std::string> frames;
        for (const auto& w : port.writes)
            if (w.size() == 16) frames.push_back(w);
        return frames;
    }
    int StatusRequests() const {
        return static_cast<int>(std::count(port.writes.begin(), port.writes.end(), "0F+000000--539"));
    }

    ScratchDir dir;
    FakeClock clock;
    ScriptedPort port{clock};
    MemorySettingsStore settings;
    kdm::Link link{port, settings};
    RecordingObserver shown{clock};
    std::string path = dir / "device.KDM";
    kdm::WriteEngine engine{link, clock, shown};
};

struct FramesCase {
    const char* name;
    int records;
    std::vector<std::string> remaining;  // "Data to transfer" after each frame
};

void PrintTo(const FramesCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteFramesTest : public WriteEngineTest, public ::testing::WithParamInterface<FramesCase> {};

TEST_P(WriteFramesTest, SendsEveryFrameAfterTheIdentificationInFileOrder) {
    const FramesCase& c = GetParam();
    const auto telegrams = Parameters(c.records);
    Device(telegrams);
    const std::string file = DataFile(telegrams);
    ASSERT_EQ(Run(file), 1);

    std::vector<std::string> expected;
    for (const auto& t : telegrams)
        expected.push_back(Frame(t));
    EXPECT_EQ(FramesWritten(), expected);
    EXPECT_EQ(engine.FramesSent(), c.records);
    EXPECT_TRUE(engine.Completed());
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kCompleted);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(shown.Texts(Kind::kInfo), std::vector<std::string>{"KDM XP |communication terminated"});
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_EQ(shown.Texts(Kind::kControl, kdm::kCtlProgramNo), c.remaining);
    // The status line shows each frame as it was sent.
    EXPECT_EQ(shown.Texts(Kind::kStatusText), expected);

    std::vector<int> statuses = shown.Statuses();
    EXPECT_EQ(statuses, (std::vector<int>{338, 346, 344}));
    const int rangeAt = shown.IndexOf(Kind::kRange, 0);
    ASSERT_GE(rangeAt, 0);
    EXPECT_EQ(shown.events[static_cast<std::size_t>(rangeAt)].high, static_cast<int>(file.size()) + 200);
    std::vector<int> positions;
    for (const auto& e : shown.events)
        if (e.kind == Kind::kPos) positions.push_back(e.id);
    std::vector<int> expectedPositions{0};
    for (int i = 0; i < c.records; ++i)
        expectedPositions.push_back(18 + 26 * i);
    EXPECT_EQ(positions, expectedPositions);
    EXPECT_EQ(StatusRequests(), 2);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteFramesTest,
                         ::testing::Values(
                             // 44 bytes: data end 9, the frame at 18 is past it.
                             FramesCase{"oneRecord", 1, {"0"}},
                             // 96 bytes: data end 61; the last record, at 70, is sent too.
                             FramesCase{"threeRecords", 3, {"43", "17", "0"}},
                             FramesCase{"twentyRecords", 20, {"485", "459", "433", "407", "381", "355", "329",
                                                              "303", "277", "251", "225", "199", "173", "147",
                                                              "121", "95",  "69",  "43",  "17",  "0"}}),
                         CaseName());

TEST_F(WriteEngineTest, MarkedRecordsGoOutUnchangedOnlyWhenTheUserSaysSo) {
    const std::vector<std::string> telegrams{"0a+001000--999", Tel("0b+001001--")};
    const std::string file = DataFile(telegrams);
    ASSERT_NE(file.find(" !!!"), std::string::npos);
    Device(telegrams);

    // No (the default): the write ends before any port was opened, without an error of its own.
    EXPECT_EQ(Run(file), 0);
    ASSERT_EQ(shown.markedQuestions.size(), 1u);
    EXPECT_NE(shown.markedQuestions[0].find("\nrecord 2, system, letter a: marked \" !!!\""),
              std::string::npos)
        << shown.markedQuestions[0];
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(shown.Statuses().empty());
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kDeclined);
    EXPECT_FALSE(engine.Completed());

    // Yes, asked while no port is open yet: the frames go out exactly as stored.
    bool portOpenWhenAsked = true;
    shown.answerMarked = [this, &portOpenWhenAsked](const std::string&) {
        portOpenWhenAsked = port.IsOpen();
        return true;
    };
    ASSERT_EQ(Run(file), 1);
    EXPECT_FALSE(portOpenWhenAsked);
    EXPECT_EQ(shown.markedQuestions.size(), 2u);
    EXPECT_EQ(FramesWritten(), (std::vector<std::string>{Frame(telegrams[0]), Frame(telegrams[1])}));
    EXPECT_TRUE(engine.Completed());
}

// Files whose frames would reach a device damaged, or that a device cannot hold: refused whole before
// a port is opened, whatever the user would answer about marked records.
struct RefusedCase {
    const char* name;
    std::string file;
    const char* listed;  // a line of the list
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

std::string WithoutEtx(std::string text) {
    std::erase(text, kdm::ETX);
    return text;
}

std::string Noise(std::size_t count) {
    std::string bytes;
    std::uint32_t state = 777;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        const auto byte = static_cast<char>((state >> 16) & 0xFF);
        bytes += i % 29 == 3 ? kdm::STX : byte == '\0' ? 'x' : byte;
    }
    return bytes;
}

std::string ManyPrograms(int count) {
    std::vector<std::string> telegrams;
    for (int p = 1; p <= count; ++p) {
        char eleven[16];
        std::snprintf(eleven, sizeof eleven, "0P+000%03d--", p % 1000);
        telegrams.push_back(Tel(eleven));
        telegrams.push_back(Tel("0A+000001--"));
    }
    return DataFile(telegrams);
}

class WriteRefusedTest : public WriteEngineTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(WriteRefusedTest, NothingIsSentAndEveryOffendingRecordIsListed) {
    const RefusedCase& c = GetParam();
    Device(Parameters(3));
    shown.answerMarked = [](const std::string&) { return true; };
    EXPECT_EQ(Run(c.file), 0);

    EXPECT_TRUE(port.writes.empty());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(shown.Statuses().empty());
    EXPECT_TRUE(shown.markedQuestions.empty());
    const auto errors = shown.Texts(Kind::kError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Nothing was sent: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(c.listed), std::string::npos) << errors[0];
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kFailed);
    EXPECT_EQ(engine.FramesSent(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteRefusedTest,
    ::testing::Values(
        RefusedCase{"noiseAfterTheIdentification", DataFile({}) + Noise(400), ": the frame "},
        RefusedCase{"etxRemoved", WithoutEtx(DataFile(Parameters(3))),
                    "\nrecord 4, system, letter c: the frame does not end in ETX"},
        RefusedCase{"markedThenChanged",
                    [] {
                        std::string file = DataFile({"0a+001000--999", Tel("0b+001001--")});
                        file.replace(file.find("001000"), 6, "001500");
                        return file;
                    }(),
                    "\nrecord 2, system, letter a: marked \" !!!\" and changed after it was read"},
        RefusedCase{"cutInsideTheLastFrame", DataFile(Parameters(2)) + std::string(1, kdm::STX) + "0c+00",
                    "\nrecord 4, letter c: the frame is cut short (6 of its 16 bytes)"},
        RefusedCase{"identificationAndNothingElse", DataFile({}) + std::string(20, ' '),
                    "\nfile: the file holds no parameter to write"},
        RefusedCase{"threeHundredPrograms", ManyPrograms(300),
                    "\nrecord 512, program 000256, letter P: the file holds 300 programs"}),
    CaseName());

TEST_F(WriteEngineTest, ProgramFramesShowTheProgramNumber) {
    const std::vector<std::string> telegrams{Tel("0a+001000--"), Tel("0P+000007--"), Tel("0A+000070--")};
    Device(telegrams);
    ASSERT_EQ(Run(DataFile(telegrams)), 1);
    EXPECT_EQ(shown.Statuses(), (std::vector<int>{338, 346, 344, 345}));
    EXPECT_EQ(shown.Texts(Kind::kControl, kdm::kCtlWriteProgramNo), std::vector<std::string>{"007"});
    // The frame replaces the status text within the same step.
    const int programStatus = shown.IndexOf(Kind::kStatus, 345);
    EXPECT_EQ(shown.events[static_cast<std::size_t>(programStatus) + 2].text, Frame(telegrams[1]));
}

TEST_F(WriteEngineTest, AFrameThatEndsExactlyAtTheEndOfTheFileIsSentOnlyWhenTheUserSaysSo) {
    // A file cut right after the last frame's ETX, before its " QS" annotation and record terminator:
    // the frame is whole, but nobody knows what followed it. Asked before any port is opened, No
    // sends nothing; Yes sends every whole frame.
    const auto telegrams = Parameters(2);
    Device(telegrams);
    const std::string file = DataFile({telegrams[0]}) + Frame(telegrams[1]);
    ASSERT_EQ(file.size(), 18u + 26u + 16u);
    ASSERT_EQ(file.back(), kdm::ETX);
    EXPECT_EQ(Run(file), 0);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kDeclined);
    ASSERT_EQ(shown.markedQuestions.size(), 1u);
    EXPECT_EQ(shown.markedQuestions[0],
              "The file was cut short: a device would get only the frames before the cut and keep its own "
              "values for whatever followed:\n"
              "record 3, system, letter b: the file ends inside a record: it was cut short");

    shown.answerMarked = [](const std::string&) { return true; };
    ASSERT_EQ(Run(file), 1);
    EXPECT_EQ(FramesWritten(), (std::vector<std::string>{Frame(telegrams[0]), Frame(telegrams[1])}));
    EXPECT_EQ(engine.FramesSent(), 2);
    EXPECT_TRUE(engine.Completed());
    EXPECT_EQ(shown.Texts(Kind::kInfo), std::vector<std::string>{"KDM XP |communication terminated"});
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
}

struct CheckCase {
    const char* name;
    std::string file;
    int statusError;
    std::vector<int> statuses;
    const char* error;  // null: none
    bool ended;         // false: the window stays open with the port
    int statusRequests;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

std::string ShortFile(std::size_t length) {
    std::string file = DataFile({});
    while (file.size() < length)
        file += 'x';
    return file;
}

class WriteCheckTest : public WriteEngineTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(WriteCheckTest, ChecksRunInOrderAndNothingIsSentOnFailure) {
    const CheckCase& c = GetParam();
    Device({}, 0, c.statusError);
    EXPECT_EQ(Run(c.file), 0);

    EXPECT_EQ(shown.Statuses(), c.statuses);
    const auto errors = shown.Texts(Kind::kError);
    if (c.error != nullptr) {
        EXPECT_EQ(errors, std::vector<std::string>{c.error});
    } else {
        EXPECT_TRUE(errors.empty());
    }
    EXPECT_EQ(engine.Ended(), c.ended);
    EXPECT_EQ(port.IsOpen(), !c.ended);
    EXPECT_FALSE(engine.Running());
    EXPECT_TRUE(FramesWritten().empty());
    EXPECT_EQ(StatusRequests(), c.statusRequests);
    if (c.ended) {
        EXPECT_EQ(engine.Outcome(), JobOutcome::kFailed);
    }
    // Closing the window that stayed open releases the port.
    engine.Stop(StopCommand::kCancel);
    EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WriteCheckTest,
    ::testing::Values(
        CheckCase{"wrongType",
                  DataFile(Parameters(3), Tel("0g+K13000--")),
                  0,
                  {338, 346},
                  "file type is not device typ",
                  true,
                  1},
        CheckCase{"typeDiffersOnlyInCase",
                  DataFile(Parameters(3), Tel("0g+k12000--")),
                  0,
                  {338, 346},
                  "file type is not device typ",
                  true,
                  1},
        // The type is checked before the length.
        CheckCase{"wrongTypeAndShort",
                  DataFile({}, Tel("0g+K13000--")),
                  0,
                  {338, 346},
                  "file type is not device typ",
                  true,
                  1},
        // The length is checked before the second status request (only the search's one went out).
        CheckCase{"thirtyFiveBytes", ShortFile(35), 0, {338, 346, 350}, nullptr, false, 1},
        CheckCase{"identificationOnly", DataFile({}), 0, {338, 346, 350}, nullptr, false, 1}),
    CaseName());

// The question before sending comes once the device identified itself as the file's type, and only
// then: No leaves the device as it was, with no further request and the port closed.
struct ConfirmCase {
    const char* name;
    std::string file;
    bool answer;
    int questions;       // times asked
    int framesWritten;   // frames of the file that went out
    int statusRequests;  // the search's, and the one before sending
    JobOutcome outcome;
};

void PrintTo(const ConfirmCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteConfirmTest : public WriteEngineTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(WriteConfirmTest, NothingOfTheFileGoesOutBeforeYes) {
    const ConfirmCase& c = GetParam();
    const auto telegrams = Parameters(3);
    Device(telegrams);
    bool portOpenWhenAsked = false;
    shown.answerConfirm = [this, &c, &portOpenWhenAsked](const std::string&) {
        portOpenWhenAsked = port.IsOpen();
        EXPECT_TRUE(FramesWritten().empty());
        return c.answer;
    };
    Run(c.file);

    ASSERT_EQ(static_cast<int>(shown.confirmQuestions.size()), c.questions);
    if (c.questions > 0) {
        EXPECT_EQ(shown.confirmQuestions[0], std::string(1, kdm::STX) + kIdTelegram);
        EXPECT_TRUE(portOpenWhenAsked);
    }
    EXPECT_EQ(static_cast<int>(FramesWritten().size()), c.framesWritten);
    EXPECT_EQ(StatusRequests(), c.statusRequests);
    EXPECT_EQ(engine.Outcome(), c.outcome);
    EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, WriteConfirmTest,
    ::testing::Values(ConfirmCase{"yes", DataFile(Parameters(3)), true, 1, 3, 2, JobOutcome::kCompleted},
                      ConfirmCase{"no", DataFile(Parameters(3)), false, 1, 0, 1, JobOutcome::kDeclined},
                      // A device of another type is refused without a question.
                      ConfirmCase{"wrongType", DataFile(Parameters(3), Tel("0g+K13000--")), true, 0, 0, 1,
                                  JobOutcome::kFailed}),
    CaseName());

TEST_F(WriteEngineTest, SecondStatusRequestFailingShowsDownloadNotStarted) {
    port.AddPort(1);
    port.Feed(1, Frame(kIdTelegram));
    port.OnWrite(1, "0F+000000--539", Frame(kStatusOk), 1);
    port.OnWrite(1, "0F+000000--539", Frame(Tel("0F+000007--")), 1);
    EXPECT_EQ(Run(DataFile(Parameters(2))), 0);
    EXPECT_EQ(shown.Statuses(), (std::vector<int>{338, 346, 349}));
    EXPECT_EQ(engine.LastErrorNumber(), 7);
    EXPECT_FALSE(engine.Ended());
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(WriteEngineTest, ThirtySixBytesPassTheLengthCheck) {
    // Identification record, one frame and two bytes: 36 bytes, checked whole, and cut short.
    const std::string telegram = Tel("0a+001000--");
    const std::string file = DataFile({}) + Frame(telegram) + "\r\n";
    ASSERT_EQ(file.size(), 36u);
    Device({telegram});
    shown.answerMarked = [](const std::string&) { return true; };
    ASSERT_EQ(Run(file), 1);
    ASSERT_EQ(shown.markedQuestions.size(), 1u);
    EXPECT_NE(shown.markedQuestions[0].find(": the file ends inside a record: it was cut short"),
              std::string::npos);
    EXPECT_EQ(FramesWritten(), std::vector<std::string>{Frame(telegram)});
    EXPECT_TRUE(engine.Completed());
}

struct AckCase {
    const char* name;
    bool answer;
    int ackError;
    const char* message;
};

void PrintTo(const AckCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteAckTest : public WriteEngineTest, public ::testing::WithParamInterface<AckCase> {};

TEST_P(WriteAckTest, FailedAcknowledgementEndsTheWriteWithTheDeviceError) {
    const AckCase& c = GetParam();
    const auto telegrams = Parameters(3);
    Device({telegrams[0]});
    if (c.answer)
        port.OnWrite(1, telegrams[1], Frame(Tel(c.ackError == 12 ? "0F+000012--" : "0F+000000--")), 1);
    ASSERT_EQ(Run(DataFile(telegrams)), 1);

    // Not "communication terminated", which only a complete write ends with: the error and what the
    // device now holds (2 of the 3 frames) go up as one event, the last one.
    EXPECT_EQ(shown.IndexOf(Kind::kStatus, 341), -1);
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_EQ(engine.FramesInFile(), 3);
    ASSERT_FALSE(shown.events.empty());
    EXPECT_EQ(shown.events.back().kind, Kind::kIncomplete);
    EXPECT_EQ(shown.events.back().text, c.message);
    EXPECT_EQ(shown.events.back().id, 2);
    EXPECT_EQ(shown.events.back().high, 3);
    ASSERT_TRUE(engine.Incomplete().has_value());
    EXPECT_EQ(engine.Incomplete()->end, c.answer ? kdm::WriteEnd::kDeviceError : kdm::WriteEnd::kNoResponse);
    EXPECT_TRUE(shown.Texts(Kind::kInfo).empty());
    EXPECT_EQ(FramesWritten(), (std::vector<std::string>{Frame(telegrams[0]), Frame(telegrams[1])}));
    EXPECT_FALSE(engine.Completed());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kFailed);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(engine.LastErrorNumber(), c.answer ? c.ackError : 300);
}

INSTANTIATE_TEST_SUITE_P(Acks, WriteAckTest,
                         ::testing::Values(AckCase{"errorTwelve", true, 12, "Device error no:  12"},
                                           AckCase{"noAnswer", false, 0,
                                                   "Device error no:No device response"}),
                         CaseName());

TEST_F(WriteEngineTest, AStopDuringTheTransferSaysHowMuchOfTheFileTheDeviceHolds) {
    const auto telegrams = Parameters(5);
    Device(telegrams);
    shown.onEvent = [this, &telegrams](const ShownEvent& e) {
        if (e.kind == Kind::kStatusText && e.text == Frame(telegrams[1])) engine.RequestStop();
    };
    ASSERT_EQ(Run(DataFile(telegrams)), 1);
    EXPECT_TRUE(engine.Stopped());
    EXPECT_EQ(engine.StoppedBy(), StopCommand::kCancel);
    EXPECT_EQ(engine.FramesSent(), 2);
    EXPECT_FALSE(engine.Completed());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_TRUE(shown.Texts(Kind::kInfo).empty());
    // No error box, but the device holds 2 of the 5 frames: the stop says so.
    EXPECT_EQ(shown.Texts(Kind::kIncomplete), std::vector<std::string>{"stopped"});
    ASSERT_TRUE(engine.Incomplete().has_value());
    EXPECT_EQ(engine.Incomplete()->framesSent, 2);
    EXPECT_EQ(engine.Incomplete()->framesInFile, 5);
    EXPECT_EQ(engine.Incomplete()->end, kdm::WriteEnd::kStopped);
}

TEST_F(WriteEngineTest, AStopThatReachesOnlyTheLinkDuringAnAcknowledgementIsAStop) {
    // Ctrl-C's handler stops the link before anybody tells the engine: the acknowledgement it cuts
    // short is no device error.
    const auto telegrams = Parameters(3);
    Device({telegrams[0]});  // the second frame is never acknowledged
    shown.onEvent = [this](const ShownEvent& e) {
        if (e.kind == Kind::kWait && e.id == 2) link.RequestStop();
    };
    ASSERT_EQ(Run(DataFile(telegrams)), 1);

    EXPECT_TRUE(engine.Stopped());
    EXPECT_EQ(engine.StoppedBy(), StopCommand::kCancel);
    EXPECT_EQ(engine.FramesSent(), 2);
    EXPECT_EQ(engine.LastErrorNumber(), 0);
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_TRUE(shown.Texts(Kind::kInfo).empty());
    EXPECT_EQ(shown.Texts(Kind::kStatusText),
              (std::vector<std::string>{Frame(telegrams[0]), Frame(telegrams[1])}));
    EXPECT_EQ(shown.Texts(Kind::kWait),
              (std::vector<std::string>{"Waiting for the device to acknowledge the frame (2 s)", ""}));
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(WriteEngineTest, StopDuringSearchSendsNothing) {
    for (int n = 1; n <= 9; ++n)
        port.AddPort(n);
    shown.onEvent = [this](const ShownEvent& e) {
        if (e.kind == Kind::kSearchPort && e.id == 3) engine.RequestStop();
    };
    EXPECT_EQ(Run(DataFile(Parameters(2))), 0);
    EXPECT_TRUE(engine.Stopped());
    EXPECT_TRUE(shown.Texts(Kind::kError).empty());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(std::count(port.openAttempts.begin(), port.openAttempts.end(), "COM4"), 0);
}

TEST_F(WriteEngineTest, UnreadableFileIsReportedAndNoPortIsOpened) {
    Device({});
    EXPECT_EQ(engine.StartWriteFile(dir / "absent.KDM"), 0);
    const auto errors = shown.Texts(Kind::kError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Cannot read the data file: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find("absent.KDM"), std::string::npos);
    EXPECT_TRUE(port.openAttempts.empty());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kFailed);
}

TEST_F(WriteEngineTest, FileDialogCancelledEndsAtOnce) {
    Device({});
    EXPECT_EQ(engine.StartWrite(), 0);
    EXPECT_EQ(shown.Count(ShownEvent::kOpen), 1);
    EXPECT_TRUE(engine.Ended());
    EXPECT_EQ(engine.Outcome(), JobOutcome::kNothingChosen);
    EXPECT_TRUE(port.openAttempts.empty());
    EXPECT_TRUE(shown.Statuses().empty());
}

TEST_F(WriteEngineTest, FileFromTheDialogIsWritten) {
    const auto telegrams = Parameters(2);
    Device(telegrams);
    Spit(path, DataFile(telegrams));
    shown.fileToWrite = path;
    ASSERT_EQ(engine.StartWrite(), 1);
    engine.RunTimer();
    EXPECT_TRUE(engine.Completed());
    EXPECT_EQ(engine.FramesSent(), 2);
}

}  // namespace
}  // namespace kdmtest
