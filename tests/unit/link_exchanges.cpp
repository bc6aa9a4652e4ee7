#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "link_scripts.h"

namespace {

using kdm::ETX;
using kdm::STX;
using kdmtest::ScriptedPort;
using linktest::Rig;
using linktest::StatusReply;

using linktest::kStx;
using linktest::OpenRig;

// Passes everything to the scripted port and asks the link to stop after a number of reads, the way
// another thread or a signal handler would while a wait runs.
class StoppingPort final : public kdm::ISerialPort {
  public:
    StoppingPort(kdm::ISerialPort& inner, int stopAfterReads) : inner_(inner), left_(stopAfterReads) {}
    kdm::Link* link = nullptr;
    kdm::Status Open(const std::string& name) override { return inner_.Open(name); }
    kdm::Status ApplyLineSettings() override { return inner_.ApplyLineSettings(); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    kdm::Result<unsigned char> ReadByte() override {
        if (--left_ == 0) link->RequestStop();
        return inner_.ReadByte();
    }
    kdm::Result<std::size_t> Write(const void* data, std::size_t count) override {
        return inner_.Write(data, count);
    }

  private:
    kdm::ISerialPort& inner_;
    int left_;
};

TEST(LinkReceive, StartByteIsFoundByAtMostNinetyNineReads) {
    struct Case {
        int silentReads;
        int result;
        int reads;
    };
    const Case cases[] = {
        {0, 1, 16},
        {98, 1, 98 + 16},  // STX with read 99
        {99, 0, 100},      // STX with read 100 is too late
        {200, 0, 100},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        rig.port.FeedSilence(1, c.silentReads);
        rig.port.Feed(1, ScriptedPort::Frame(linktest::kIdentification14));
        std::string text = "stale";
        EXPECT_EQ(rig.link.ReceiveTelegram(text), c.result) << c.silentReads;
        EXPECT_EQ(rig.port.reads, c.reads) << c.silentReads;
        EXPECT_EQ(text, c.result ? ScriptedPort::Frame(linktest::kIdentification14) : "");
    }
}

TEST(LinkReceive, BytesBeforeTheStartAreDropped) {
    OpenRig rig;
    rig.port.Feed(1, "noise\x03" + ScriptedPort::Frame("0s+000000--584"));
    std::string text;
    EXPECT_EQ(rig.link.ReceiveTelegram(text), 1);
    EXPECT_EQ(text, ScriptedPort::Frame("0s+000000--584"));
}

TEST(LinkReceive, BodyMustCompleteWithinNinetyNineReads) {
    struct Case {
        int silentInBody;
        int result;
    };
    // 15 body bytes plus the silent reads between them: 99 reads succeed, 100 fail even though the
    // 15th byte comes with the 100th read.
    const Case cases[] = {{0, 1}, {84, 1}, {85, 0}, {300, 0}};
    for (const Case& c : cases) {
        OpenRig rig;
        rig.port.Feed(1, kStx + "0s+0000");
        rig.port.FeedSilence(1, c.silentInBody);
        rig.port.Feed(1, std::string("00--584") + ETX);
        std::string text;
        EXPECT_EQ(rig.link.ReceiveTelegram(text), c.result) << c.silentInBody;
        EXPECT_EQ(text, c.result ? ScriptedPort::Frame("0s+000000--584") : "") << c.silentInBody;
        const int bodyReads = c.result ? 15 + c.silentInBody : kdm::kBodyReadLimit;
        EXPECT_EQ(rig.port.reads, 1 + bodyReads) << c.silentInBody;
    }
}

TEST(LinkReceive, BodyDoesNotExamineTheLastByteButAnStxStartsTheNextTelegram) {
    OpenRig rig;
    // The 16th byte need not be ETX.
    const std::string body = "0s+000000--584Z";
    rig.port.Feed(1, kStx + body + "tail");
    std::string text;
    EXPECT_EQ(rig.link.ReceiveTelegram(text), 1);
    EXPECT_EQ(text, kStx + body);
    EXPECT_EQ(text.size(), 16u);

    // An STX inside the body means bytes were lost: it starts the next telegram instead of being
    // swallowed with it.
    OpenRig cut;
    cut.port.Feed(1, kStx + "0" + kStx + "0F+000000--539" + ETX);
    EXPECT_EQ(cut.link.ReceiveTelegram(text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(cut.link.ReceiveTelegram(text), 1);
    EXPECT_EQ(text, ScriptedPort::Frame("0F+000000--539"));
}

TEST(LinkReceive, LineGoneEndsTheWaitWithATimeOutsResult) {
    for (const int bytesBefore : {0, 1, 7}) {
        OpenRig rig;
        rig.port.Feed(1,
                      ScriptedPort::Frame("0s+000000--584").substr(0, static_cast<std::size_t>(bytesBefore)));
        rig.port.FeedHangup(1);
        std::string text = "stale";
        EXPECT_EQ(rig.link.ReceiveTelegram(text), 0);
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(rig.port.reads, bytesBefore + 1);
    }
}

TEST(LinkReceive, StopEndsTheWaitAtTheNextRead) {
    OpenRig rig;
    rig.link.RequestStop();
    std::string text;
    EXPECT_EQ(rig.link.ReceiveTelegram(text), 0);
    EXPECT_EQ(rig.port.reads, 0);
    rig.link.ClearStop();
    rig.port.Feed(1, ScriptedPort::Frame("0s+000000--584"));
    EXPECT_EQ(rig.link.ReceiveTelegram(text), 1);
}

TEST(LinkReceive, IdentificationNeedsAGTelegramWithItsEtx) {
    struct Case {
        std::string stream;
        int result;
        std::string identification;
    };
    const Case cases[] = {
        {ScriptedPort::Frame("0g+A12000--xyz"), 1, kStx + "0g+A12000--xyz"},
        {ScriptedPort::Frame("0s+000000--584"), 0, ""},
        // A 'g' anywhere counts; the text runs from two places before it, as many bytes as the ETX's index.
        {ScriptedPort::Frame("00g+A12000--xy"), 1, "00g+A12000--xy" + std::string(1, ETX)},
        // No ETX after the 'g': no identification text, so no device.
        {kStx + "0g+A12000--xyzQ", 0, ""},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        rig.port.Feed(1, c.stream);
        // A good identification after the first telegram is never looked at.
        rig.port.Feed(1, ScriptedPort::Frame("0g+A12000--xyz"));
        std::string identification = "stale";
        EXPECT_EQ(rig.link.ReceiveIdentification(identification), c.result) << c.stream;
        EXPECT_EQ(identification, c.identification) << c.stream;
    }
}

TEST(LinkStatus, SendsTheRequestOnceAndWaitsForTheReplyAmongOtherTelegrams) {
    // Telegrams without 'F' only count, up to kStatusReadLimit reads in all: the read that would
    // complete the reply within 124 other telegrams is the 2000th, and a wait ends with it.
    struct Case {
        int telegramsWithoutF;
        int result;
        int error;
        int reads;
    };
    static_assert(kdm::kStatusReadLimit == 125 * 16);
    const Case cases[] = {{0, 1, 0, 16},
                          {123, 1, 0, 124 * 16},
                          {124, 0, kdm::kNoDeviceResponse, kdm::kStatusReadLimit},
                          {599, 0, kdm::kNoDeviceResponse, kdm::kStatusReadLimit}};
    for (const Case& c : cases) {
        OpenRig rig;
        for (int i = 0; i < c.telegramsWithoutF; ++i)
            rig.port.Feed(1, ScriptedPort::Frame("0s+000000--584"));
        rig.port.Feed(1, StatusReply("00"));
        int error = -1;
        EXPECT_EQ(rig.link.RequestDeviceStatus(error), c.result) << c.telegramsWithoutF;
        EXPECT_EQ(error, c.error) << c.telegramsWithoutF;
        EXPECT_EQ(rig.port.writes,
                  (std::vector<std::string>{kStx, linktest::kStatusRequest, std::string(1, ETX)}));
        EXPECT_EQ(rig.port.reads, c.reads) << c.telegramsWithoutF;
    }
}

TEST(LinkStatus, TheReplyIsAwaitedForThreeSecondsOfSilenceInAll) {
    // Silence adds up across the receives of one request, however telegrams without 'F' cut it up; the
    // thirtieth silent read ends the wait (a device that identifies itself and then stays silent used
    // to cost 600 receives of 10 s).
    struct Case {
        const char* name;
        std::vector<int> silences;  // silent reads, each followed by a telegram without 'F'
        int silenceBeforeReply;
        int result;
        int reads;
    };
    static_assert(kdm::kStatusSilentReadLimit == 30);
    const Case cases[] = {
        {"replyAfter29", {}, 29, 1, 29 + 16},
        {"replyAfter30", {}, 30, 0, 30},
        {"splitUp29", {10, 10}, 9, 1, 29 + 3 * 16},
        {"splitUp30", {10, 10}, 10, 0, 30 + 2 * 16},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        for (const int silence : c.silences) {
            rig.port.FeedSilence(1, silence);
            rig.port.Feed(1, ScriptedPort::Frame("0s+000000--584"));
        }
        rig.port.FeedSilence(1, c.silenceBeforeReply);
        rig.port.Feed(1, StatusReply("00"));
        int error = -1;
        EXPECT_EQ(rig.link.RequestDeviceStatus(error), c.result) << c.name;
        EXPECT_EQ(error, c.result ? 0 : kdm::kNoDeviceResponse) << c.name;
        EXPECT_EQ(rig.port.reads, c.reads) << c.name;
        // The next exchange has its own wait: the spent bound does not cut it short.
        rig.port.Feed(1, StatusReply("00"));
        std::string text;
        EXPECT_EQ(rig.link.ReceiveTelegram(text), 1) << c.name;
    }
}

TEST(LinkStatus, ErrorNumbersOfTheDevice) {
    struct Case {
        std::string digits;
        int result;
        int error;
    };
    const Case cases[] = {{"00", 1, 0}, {"05", 0, 5}, {"07", 0, 7}, {"99", 0, 99}, {" 0", 1, 0}};
    for (const Case& c : cases) {
        OpenRig rig;
        rig.port.OnWrite(1, linktest::kStatusRequest, StatusReply(c.digits));
        int error = -1;
        EXPECT_EQ(rig.link.RequestDeviceStatus(error), c.result) << c.digits;
        EXPECT_EQ(error, c.error) << c.digits;
    }
}

TEST(LinkStatus, LineGoneOrStopEndsTheWaitEarly) {
    {
        OpenRig rig;
        rig.port.FeedHangup(1);
        int error = -1;
        EXPECT_EQ(rig.link.RequestDeviceStatus(error), 0);
        EXPECT_EQ(error, kdm::kNoDeviceResponse);
        EXPECT_EQ(rig.port.reads, 1);
    }
    {
        Rig rig;
        rig.port.AddPort(1);
        StoppingPort stopping(rig.port, 25);
        kdm::Link link(stopping, rig.store);
        stopping.link = &link;
        link.OpenPort(1);
        int error = -1;
        EXPECT_EQ(link.RequestDeviceStatus(error), 0);
        EXPECT_EQ(error, kdm::kNoDeviceResponse);
        EXPECT_EQ(rig.port.reads, 25);
    }
}

TEST(LinkSearch, StopDuringTheStatusRequestIsNotACableDefect) {
    Rig rig;
    rig.port.Feed(1, ScriptedPort::Frame(linktest::kIdentification14));  // identifies, never answers
    rig.port.AddPort(1);
    rig.port.AddPort(2);
    StoppingPort stopping(rig.port, 16 + 25);
    kdm::Link link(stopping, rig.store);
    stopping.link = &link;
    std::string identification;
    EXPECT_EQ(link.SearchDevice(identification), kdm::kSearchNoDevice);
    EXPECT_EQ(rig.port.opened, std::vector<int>{1});
    EXPECT_EQ(rig.port.reads, 16 + 25);
    EXPECT_FALSE(link.IsPortOpen());
}

TEST(LinkAcknowledge, TwoReceivesAtMost) {
    struct Case {
        std::vector<std::string> telegrams;
        int result;
        int error;
        int reads;
    };
    const std::string other = ScriptedPort::Frame("0s+000000--584");
    const Case cases[] = {
        {{StatusReply("00")}, 1, 0, 16},
        {{other, StatusReply("00")}, 1, 0, 32},
        {{StatusReply("05")}, 0, 5, 16},
        {{other, other, StatusReply("00")}, 0, kdm::kNoDeviceResponse, 32},
        {{}, 0, kdm::kNoDeviceResponse, 2 * kdm::kStartReadLimit},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        for (const std::string& t : c.telegrams)
            rig.port.Feed(1, t);
        int error = -1;
        EXPECT_EQ(rig.link.ReceiveAcknowledge(error), c.result) << c.telegrams.size();
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(rig.port.reads, c.reads);
        EXPECT_TRUE(rig.port.writes.empty());
    }
}

TEST(LinkParameter, ReturnsTheTelegramAndAnnotatesItsChecksum) {
    OpenRig rig;
    rig.port.Feed(1, ScriptedPort::Frame("0s+000000-$999"));
    rig.port.Feed(1, ScriptedPort::Frame("0s+000000--584"));
    std::string annotated;
    EXPECT_EQ(rig.link.ReceiveParameter(annotated), ScriptedPort::Frame("0s+000000-$999"));
    EXPECT_EQ(annotated, ScriptedPort::Frame("0s+000000-$999") + " QS 575 !!!");
    EXPECT_EQ(rig.link.ReceiveParameter(annotated), ScriptedPort::Frame("0s+000000--584"));
    EXPECT_EQ(annotated, ScriptedPort::Frame("0s+000000--584") + " QS 584");
    EXPECT_EQ(rig.link.ReceiveParameter(annotated), "");
    EXPECT_EQ(annotated, "");
}

TEST(LinkSend, RequestsGoAsThreeWritesAndFramesAsOne) {
    OpenRig rig;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.link.SendRequest(i), 1);
    EXPECT_EQ(rig.link.SendRequest(4), 0);
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(kStx);
        expected.emplace_back(kdm::GetRequestTelegram(i));
        expected.emplace_back(1, ETX);
    }
    EXPECT_EQ(rig.port.writes, expected);

    rig.port.writes.clear();
    // A stored frame goes unchanged, wrong checksum and all; the count never runs past the text.
    const std::string frame = ScriptedPort::Frame("0A+000123--000");
    EXPECT_EQ(rig.link.SendFrame(frame, 16), 1);
    EXPECT_EQ(rig.link.SendFrame(frame, 5), 1);
    EXPECT_EQ(rig.link.SendFrame(frame, 400), 1);
    EXPECT_EQ(rig.link.SendFrame(frame, -1), 1);
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{frame, frame.substr(0, 5), frame, ""}));
}

TEST(LinkSend, ALineThatTakesAFewBytesPerWriteGetsThemAll) {
    OpenRig rig;
    rig.port.LimitWrites(1, 3);
    rig.port.OnWrite(1, linktest::kStatusRequest, StatusReply("00"));
    // The request crosses five writes; only whole, it is answered.
    int error = -1;
    EXPECT_EQ(rig.link.RequestDeviceStatus(error), 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(rig.port.line, kStx + linktest::kStatusRequest + std::string(1, ETX));

    rig.port.writes.clear();
    rig.port.line.clear();
    const std::string frame = ScriptedPort::Frame("0A+000123--000");
    EXPECT_EQ(rig.link.SendFrame(frame, 16), 1);
    EXPECT_TRUE(rig.link.LastSendStatus().Ok());
    EXPECT_EQ(rig.port.line, frame);
    // Each retry offers exactly what has not gone yet.
    std::vector<std::string> offered;
    for (std::size_t done = 0; done < frame.size(); done += 3)
        offered.push_back(frame.substr(done));
    EXPECT_EQ(rig.port.writes, offered);
}

TEST(LinkSend, AFailedWriteIsReportedAndNotWaitedFor) {
    const std::string frame = ScriptedPort::Frame("0A+000123--000");
    {
        // The line breaks after 5 bytes of a frame: nothing can acknowledge it.
        OpenRig rig;
        rig.port.FailWrites(1, EIO, 5);
        rig.port.Feed(1, StatusReply("00"));
        EXPECT_EQ(rig.link.SendFrame(frame, 16), 0);
        const kdm::Status& sent = rig.link.LastSendStatus();
        EXPECT_EQ(sent.error(), EIO);
        EXPECT_NE(sent.reason().find("5 of 16 bytes written"), std::string::npos) << sent.reason();
        EXPECT_EQ(rig.port.line, frame.substr(0, 5));
        int error = -1;
        EXPECT_EQ(rig.link.ReceiveAcknowledge(error), 0);
        EXPECT_EQ(error, kdm::kNoDeviceResponse);
        EXPECT_EQ(rig.port.reads, 0);
        // Opening the port again starts clean.
        EXPECT_EQ(rig.link.OpenPort(1), 1);
        EXPECT_TRUE(rig.link.LastSendStatus().Ok());
    }
    {
        // A request whose start does not go out is sent no further and not waited for.
        OpenRig rig;
        rig.port.FailWrites(1, EIO);
        rig.port.Feed(1, StatusReply("00"));
        int error = -1;
        EXPECT_EQ(rig.link.RequestDeviceStatus(error), 0);
        EXPECT_EQ(error, kdm::kNoDeviceResponse);
        EXPECT_EQ(rig.port.writes, std::vector<std::string>{kStx});
        EXPECT_EQ(rig.port.reads, 0);
        EXPECT_EQ(rig.link.SendRequest(kdm::kRequestStatus), 0);
    }
    {
        // A line that takes nothing, without an error of its own, is not asked forever.
        OpenRig rig;
        rig.port.LimitWrites(1, 0);
        EXPECT_EQ(rig.link.SendFrame(frame, 16), 0);
        EXPECT_EQ(rig.link.LastSendStatus().error(), kdm::kErrorNoProgress);
        EXPECT_EQ(rig.port.writes.size(), 1u);
        // Nothing to send is no failure.
        EXPECT_EQ(rig.link.SendFrame(frame, 0), 1);
    }
    {
        // Without an open port nothing goes out, and the send says so.
        Rig rig;
        EXPECT_EQ(rig.link.SendFrame(frame, 16), 0);
        EXPECT_EQ(rig.link.LastSendStatus().error(), EBADF);
    }
}

TEST(LinkPort, OpenPortMapsNumbersToComOneToNine) {
    struct Case {
        int number;
        const char* name;
    };
    const Case cases[] = {{1, "COM1"}, {2, "COM2"}, {9, "COM9"}, {0, "COM1"}, {10, "COM1"}, {-4, "COM1"}};
    Rig rig;
    for (const Case& c : cases) {
        rig.port.openAttempts.clear();
        EXPECT_EQ(rig.link.OpenPort(c.number), 0);
        EXPECT_EQ(rig.port.openAttempts, std::vector<std::string>{c.name}) << c.number;
    }
}

TEST(LinkPort, OpeningAnotherPortClosesTheFirst) {
    Rig rig;
    rig.port.AddPort(2);
    rig.port.AddPort(3);
    EXPECT_EQ(rig.link.OpenPort(2), 1);
    EXPECT_EQ(rig.link.OpenPort(3), 1);
    EXPECT_EQ(rig.port.OpenPortNumber(), 3);
    EXPECT_EQ(rig.port.closes, 1);
    EXPECT_EQ(rig.link.ClosePort(), 1);
    EXPECT_EQ(rig.link.ClosePort(), 1);  // harmless when nothing is open
    EXPECT_FALSE(rig.link.IsPortOpen());
    EXPECT_EQ(rig.link.ApplyLineSettings(), 0);
}

}  // namespace
