// Frames damaged on the line, as ReceiveParameter hands them to a read: nothing that arrived is dropped,
// and nothing damaged passes as good, even where the checksum cannot see the damage.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "link_scripts.h"

namespace {

using kdm::ETX;
using kdm::STX;
using kdmtest::ScriptedPort;

using linktest::kStx;
using linktest::OpenRig;
const std::string kEtx(1, ETX);

struct Received {
    std::string text;
    std::string annotated;
    bool damaged;
};

std::vector<Received> ReceiveAll(OpenRig& rig, int count) {
    std::vector<Received> all;
    for (int i = 0; i < count; ++i) {
        Received r;
        r.text = rig.link.ReceiveParameter(r.annotated);
        r.damaged = rig.link.LastFrameDamaged();
        all.push_back(r);
    }
    return all;
}

struct DamageCase {
    const char* name;
    std::string line;       // what the device's two telegrams became on the line
    std::string firstText;  // what the first receive returns
    std::string firstAnnotated;
};

// Two telegrams "0h+000019--583" and "0s+000000--584"; the first damaged in one way each time. The second
// must always come through intact.
const std::string kFirst = "0h+000019--583";
const std::string kSecond = "0s+000000--584";

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedFrames : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFrames, TheDamagedTelegramIsKeptMarkedAndTheNextOneArrivesIntact) {
    OpenRig rig;
    rig.port.Feed(1, GetParam().line);
    const std::vector<Received> got = ReceiveAll(rig, 2);
    EXPECT_EQ(got[0].text, GetParam().firstText);
    EXPECT_EQ(got[0].annotated, GetParam().firstAnnotated);
    EXPECT_TRUE(got[0].damaged);
    EXPECT_EQ(got[1].text, ScriptedPort::Frame(kSecond));
    EXPECT_EQ(got[1].annotated, ScriptedPort::Frame(kSecond) + " QS 584");
    EXPECT_FALSE(got[1].damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Line, DamagedFrames,
    testing::Values(
        // The ETX was lost: the 14 characters are right, so only the missing ETX can give it away.
        DamageCase{"lostEtx", kStx + kFirst + ScriptedPort::Frame(kSecond), kStx + kFirst,
                   kStx + kFirst + " QS 583 !!!"},
        // A character was lost: the frame ends at the next STX instead of swallowing that telegram.
        DamageCase{"lostCharacter", kStx + "0h+00019--583" + kEtx + ScriptedPort::Frame(kSecond),
                   kStx + "0h+00019--583" + kEtx, kStx + "0h+00019--583" + kEtx + " QS 588 !!!"},
        // The STX was lost: the telegram would vanish among the skipped bytes.
        DamageCase{"lostStx", kFirst + kEtx + ScriptedPort::Frame(kSecond), ScriptedPort::Frame(kFirst),
                   ScriptedPort::Frame(kFirst) + " QS 583 !!!"},
        // The STX was lost from a telegram that uses both ends of the printable range, a blank and a '~'.
        DamageCase{"lostStxPrintableEdges", " ~+ 00019--573" + kEtx + ScriptedPort::Frame(kSecond),
                   ScriptedPort::Frame(" ~+ 00019--573"),
                   ScriptedPort::Frame(" ~+ 00019--573") + " QS 573 !!!"},
        // The ETX became an STX: the frame ends there, and the repeated start of the next one is no frame.
        DamageCase{"etxTurnedStx", kStx + kFirst + ScriptedPort::Frame(kSecond), kStx + kFirst,
                   kStx + kFirst + " QS 583 !!!"},
        // A doubled character pushes the ETX out of the frame.
        DamageCase{"doubledCharacter", kStx + "0hh+000019--583" + kEtx + ScriptedPort::Frame(kSecond),
                   kStx + "0hh+000019--583", kStx + "0hh+000019--583 QS 642 !!!"}),
    [](const testing::TestParamInfo<DamageCase>& p) { return std::string(p.param.name); });

TEST(DamagedFramesEdges, NoiseWithoutATelegramTailIsSkippedAsBefore) {
    OpenRig rig;
    // Garbage between telegrams, an ETX among it, but not after fourteen printable characters.
    rig.port.Feed(1, std::string("\x7f\x10") + kEtx + "abc" + kEtx + ScriptedPort::Frame(kSecond));
    const std::vector<Received> got = ReceiveAll(rig, 1);
    EXPECT_EQ(got[0].text, ScriptedPort::Frame(kSecond));
    EXPECT_FALSE(got[0].damaged);
}

TEST(DamagedFramesEdges, FourteenCharactersWithAControlCharacterOrDeleteBeforeAnEtxAreNoise) {
    // Just outside the printable range on either side: not a telegram that lost its STX.
    for (const char outside : {'\x1f', '\x7f'}) {
        SCOPED_TRACE(static_cast<int>(outside));
        OpenRig rig;
        std::string tail = kFirst;
        tail[3] = outside;
        rig.port.Feed(1, tail + kEtx + ScriptedPort::Frame(kSecond));
        const std::vector<Received> got = ReceiveAll(rig, 1);
        EXPECT_EQ(got[0].text, ScriptedPort::Frame(kSecond));
        EXPECT_FALSE(got[0].damaged);
    }
}

TEST(DamagedFramesEdges, AFrameCutShortByTheEndOfTheWaitIsKeptMarked) {
    OpenRig rig;
    rig.port.Feed(1, kStx + "0h+0000");
    const std::vector<Received> got = ReceiveAll(rig, 1);
    EXPECT_EQ(got[0].text, kStx + "0h+0000");
    EXPECT_TRUE(got[0].annotated.ends_with(" !!!"));
    EXPECT_EQ(rig.port.reads, 1 + kdm::kBodyReadLimit);
}

TEST(DamagedFramesEdges, AnOrphanedTailBeforeSilenceIsKeptToo) {
    OpenRig rig;
    rig.port.Feed(1, kFirst + kEtx);
    const std::vector<Received> got = ReceiveAll(rig, 1);
    EXPECT_EQ(got[0].text, ScriptedPort::Frame(kFirst));
    EXPECT_TRUE(got[0].damaged);
    EXPECT_EQ(rig.port.reads, kdm::kStartReadLimit);
}

TEST(DamagedFramesEdges, StatusAndAcknowledgementTakeOnlyWholeFrames) {
    // A cut 'F' telegram has no error digits; it must not pass for error number 0.
    OpenRig rig;
    rig.port.Feed(1, kStx + "0F+00" + kStx + "0F+000012--999" + kEtx);
    int error = 0;
    EXPECT_EQ(rig.link.ReceiveAcknowledge(error), 0);
    EXPECT_EQ(error, 12);
}

}  // namespace
