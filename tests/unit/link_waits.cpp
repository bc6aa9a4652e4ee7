// What the link tells about its waits: a notice once a wait has lasted 2 s of silence, one each further
// second, one when it is over, and nothing at all while a device answers promptly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_scripts.h"

namespace {

using kdm::WaitKind;
using kdmtest::ScriptedPort;

struct Heard {
    WaitKind kind;
    int seconds;
    std::string port;
    bool operator==(const Heard&) const = default;
};

void PrintTo(const Heard& h, std::ostream* os) {
    *os << "{" << static_cast<int>(h.kind) << ", " << h.seconds << ", " << h.port << "}";
}

struct WaitRig : linktest::Rig {
    WaitRig() {
        link.SetWaitObserver([this](const kdm::WaitNotice& n) {
            heard.push_back({n.kind, n.seconds, n.port});
        });
    }
    std::vector<Heard> heard;
};

// Notices of `kind` on `port` for each of `seconds`, then the end of the wait.
std::vector<Heard> Counting(WaitKind kind, const std::string& port, int from, int to, bool ended = true) {
    std::vector<Heard> notices;
    for (int s = from; s <= to; ++s)
        notices.push_back({kind, s, port});
    if (ended) notices.push_back({kind, 0, port});
    return notices;
}

TEST(LinkWaits, AHealthyDeviceNeverMakesTheLinkAnnounceAWait) {
    WaitRig rig;
    linktest::AddDevice(rig.port, 1);
    std::string identification;
    ASSERT_EQ(rig.link.SearchDevice(identification), kdm::kSearchFound);
    rig.port.Feed(1, ScriptedPort::Frame("0a+000100--999") + ScriptedPort::Frame("0F+000000--999"));
    std::string annotated;
    EXPECT_FALSE(rig.link.ReceiveParameter(annotated).empty());
    int error = -1;
    EXPECT_EQ(rig.link.ReceiveAcknowledge(error), 1);
    EXPECT_TRUE(rig.heard.empty());
}

TEST(LinkWaits, ASilentPortOfTheSearchIsAnnouncedFromTwoSecondsOn) {
    WaitRig rig;
    rig.port.AddPort(3);
    rig.link.SetDirectPort("COM3");
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchNoDevice);
    // The hundredth read of the start wait is the tenth second; then the port is given up.
    EXPECT_EQ(rig.heard, Counting(WaitKind::kIdentification, "COM3", 2, 10));
}

TEST(LinkWaits, TheStatusReplyIsAnnouncedUntilItsBoundEndsTheWait) {
    WaitRig rig;
    rig.port.AddPort(1);
    rig.port.Feed(1, ScriptedPort::Frame(linktest::kIdentification14));  // identifies, never answers
    std::string identification;
    EXPECT_EQ(rig.link.SearchDevice(identification), kdm::kSearchStatusFailed);
    EXPECT_EQ(rig.heard, Counting(WaitKind::kStatusReply, "COM1", 2, 3));
}

TEST(LinkWaits, AnAcknowledgementIsAnnouncedAcrossBothItsReceives) {
    WaitRig rig;
    rig.port.AddPort(1);
    rig.link.OpenPort(1);
    int error = -1;
    EXPECT_EQ(rig.link.ReceiveAcknowledge(error), 0);
    EXPECT_EQ(rig.heard, Counting(WaitKind::kAcknowledgement, "COM1", 2, 20));
}

TEST(LinkWaits, EmptyReceivesOfAReadAddUpUntilATelegramArrives) {
    WaitRig rig;
    rig.port.AddPort(1);
    rig.link.OpenPort(1);
    rig.port.FeedSilence(1, 200);
    rig.port.Feed(1, ScriptedPort::Frame("0a+000100--999"));
    rig.port.FeedSilence(1, 25);
    rig.port.Feed(1, ScriptedPort::Frame("0b+000100--999"));
    std::string annotated;
    EXPECT_TRUE(rig.link.ReceiveParameter(annotated).empty());
    EXPECT_EQ(rig.heard, Counting(WaitKind::kTelegram, "COM1", 2, 10, false));
    EXPECT_TRUE(rig.link.ReceiveParameter(annotated).empty());
    EXPECT_EQ(rig.heard, Counting(WaitKind::kTelegram, "COM1", 2, 20, false));
    EXPECT_FALSE(rig.link.ReceiveParameter(annotated).empty());
    EXPECT_EQ(rig.heard, Counting(WaitKind::kTelegram, "COM1", 2, 20));
    // After a telegram the silence is counted afresh.
    rig.heard.clear();
    EXPECT_FALSE(rig.link.ReceiveParameter(annotated).empty());
    EXPECT_EQ(rig.heard, Counting(WaitKind::kTelegram, "COM1", 2, 2));
}

TEST(LinkWaits, ClosingThePortEndsAnAnnouncedWait) {
    WaitRig rig;
    rig.port.AddPort(1);
    rig.link.OpenPort(1);
    std::string annotated;
    EXPECT_TRUE(rig.link.ReceiveParameter(annotated).empty());
    ASSERT_FALSE(rig.heard.empty());
    rig.link.ClosePort();
    EXPECT_EQ(rig.heard.back(), (Heard{WaitKind::kTelegram, 0, "COM1"}));
    // Nothing more once it is over.
    const std::size_t count = rig.heard.size();
    rig.link.ClosePort();
    EXPECT_EQ(rig.heard.size(), count);
}

TEST(LinkWaits, WordsForEachWait) {
    EXPECT_EQ(kdm::DescribeWait({WaitKind::kIdentification, 2, "COM3"}),
              "Waiting for a device to identify itself on COM3 (2 s)");
    EXPECT_EQ(kdm::DescribeWait({WaitKind::kStatusReply, 3, "COM3"}),
              "Waiting for the device's status reply (3 s)");
    EXPECT_EQ(kdm::DescribeWait({WaitKind::kAcknowledgement, 4, "COM3"}),
              "Waiting for the device to acknowledge the frame (4 s)");
    EXPECT_EQ(kdm::DescribeWait({WaitKind::kTelegram, 12, "COM3"}),
              "Waiting for the next telegram from the device (12 s)");
    EXPECT_EQ(kdm::DescribeWait({WaitKind::kTelegram, 0, "COM3"}), "");
}

}  // namespace
