#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "link/telegram.h"

namespace {

using kdm::ETX;
using kdm::STX;

// A telegram text as a receive produces it: STX, the characters, the byte after them.
std::string Text(const std::string& fourteen, char after = ETX) {
    return std::string(1, STX) + fourteen + after;
}

TEST(Telegram, RequestTableHoldsFourSelfConsistentRequests) {
    const char* expected[] = {"0g+000000--572", "0s+000000--584", "0D+000000--537", "0F+000000--539"};
    for (int i = 0; i < 4; ++i) {
        const std::string_view request = kdm::GetRequestTelegram(i);
        EXPECT_EQ(request, expected[i]) << i;
        // Each request's own checksum field agrees with the checksum rule.
        EXPECT_EQ(kdm::ComputeChecksum(Text(std::string(request))), request.substr(11)) << i;
    }
    EXPECT_TRUE(kdm::GetRequestTelegram(-1).empty());
    EXPECT_TRUE(kdm::GetRequestTelegram(4).empty());
}

TEST(Telegram, ChecksumAddsSignedBytesOfPositionsZeroToTen) {
    struct Case {
        std::string text;
        std::string sum;
    };
    const Case cases[] = {
        {Text("0g+000000--572"), "572"},
        // Only indexes 1 to 11 count: STX, the checksum field and the byte after are left out.
        {Text("0g+000000--999", 'X'), "572"},
        // A byte above 0x7F adds as a negative value: 0xFF is -1 in place of '0' (48).
        {Text(std::string("0g+\xFF") + "00000--000"), "523"},
        // A negative total prints as its unsigned 32-bit pattern: 11 * -128 = -1408.
        {std::string(1, STX) + std::string(11, '\x80') + "000" + ETX, "4294965888"},
        // Sums of four digits exist: 11 * 'z' (122).
        {Text(std::string(11, 'z') + "134"), "1342"},
        // A short text adds what it has.
        {std::string(1, STX) + "0g", "151"},
        {"", "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::ComputeChecksum(c.text), c.sum) << c.text;
}

TEST(Telegram, VerifyAnnotatesEveryTelegramAndMarksMismatches) {
    struct Case {
        std::string text;
        int result;
        std::string annotation;
    };
    const Case cases[] = {
        {Text("0s+000000--584"), 1, " QS 584"},
        // The received checksum is wrong: the sum of the first eleven characters is 575.
        {Text("0s+000000-$999"), 0, " QS 575 !!!"},
        // A four-digit sum can never match the three-digit field, not even its first three digits.
        {Text(std::string(11, 'z') + "134"), 0, " QS 1342 !!!"},
        // The 16th byte is not looked at.
        {Text("0F+000000--539", 'Q'), 1, " QS 539"},
    };
    for (const Case& c : cases) {
        std::string annotated = "stale";
        EXPECT_EQ(kdm::VerifyTelegram(c.text, annotated), c.result) << c.text;
        EXPECT_EQ(annotated, c.text + c.annotation);
    }
}

TEST(Telegram, VerifyStopsTheStoredTextAtANul) {
    std::string annotated;
    const std::string text = Text(std::string("0s+0") + '\0' + "0000--584");
    EXPECT_EQ(kdm::VerifyTelegram(text, annotated), 0);
    EXPECT_EQ(annotated, std::string(1, STX) + "0s+0 QS 536 !!!");
}

TEST(Telegram, ErrorNumberIsTakenSixAndSevenPlacesAfterTheFirstF) {
    struct Case {
        std::string text;
        int error;
    };
    const Case cases[] = {
        {Text("0F+000000--539"), 0},
        {Text("0F+000005--544"), 5},
        {Text("0F+000007--546"), 7},
        {Text("0F+000042--545"), 42},
        // Fields are relative to the 'F' wherever it stands.
        {Text("00F+000009--99"), 9},
        {Text("0xF+000012--99"), 12},
        // Conversion stops at the first non-digit; a leading blank is skipped.
        {Text("0F+0000 3--999"), 3},
        {Text("0F+00003x--999"), 3},
        {Text("0F+0000x3--999"), 0},
        // An 'F' too close to the end has no error digits.
        {Text("0g+000000--57F"), 0},
        {Text("0g+000000--572"), kdm::kNoDeviceResponse},
        {"", kdm::kNoDeviceResponse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::ErrorNumberOf(c.text), c.error) << c.text;
}

TEST(Telegram, FindLetterHonoursBoundsAndTheFirstNul) {
    const std::string text = std::string("xgFg") + '\0' + "F";
    struct Case {
        char letter;
        int start;
        int index;
    };
    const Case cases[] = {
        {'g', 0, 1},   {'g', 1, 1}, {'g', 2, 3},
        {'F', 0, 2},   {'x', 0, 0}, {'F', 3, -1},  // the 'F' after the NUL is not part of the text
        {'g', -1, -1},                             // start below 0
        {'g', 4, -1},                              // start at the NUL, which ends the text
        {'g', 99, -1},                             // start beyond the end
        {'q', 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::FindLetter(text, c.letter, c.start), c.index) << c.letter << c.start;
    EXPECT_EQ(kdm::FindLetter("", 'g', 0), -1);
    EXPECT_TRUE(kdm::Contains("abc", 'c'));
    EXPECT_FALSE(kdm::Contains(std::string("ab\0c", 4), 'c'));
}

TEST(Telegram, TakeFieldClampsStartCountAndEnd) {
    struct Case {
        int start;
        int count;
        std::string field;
    };
    const Case cases[] = {
        {0, 3, "abc"}, {2, 2, "cd"}, {-3, 2, "ab"}, {1, -1, ""},
        {4, 10, "ef"}, {6, 1, ""},   {60, 1, ""},   {0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::TakeField("abcdef", c.start, c.count), c.field) << c.start;
}

TEST(Telegram, LeadingIntegerBehavesLikeAtoiWithoutOverflow) {
    struct Case {
        std::string text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},   {" 7", 7},  {"+8", 8}, {"-3", -3}, {"3x", 3},
        {"x3", 0},    {"", 0},    {"-", 0},  {"00", 0},  {"99999999999", INT_MAX},
        {"\t\n5", 5}, {"1 2", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::LeadingInteger(c.text), c.value) << c.text;
}

TEST(Telegram, IdentificationTextRunsFromBeforeTheGToTheEtx) {
    struct Case {
        std::string text;
        std::string identification;
    };
    const std::string good = Text("0g+A12000--xyz");
    const Case cases[] = {
        // STX and the 14 characters, the ETX dropped.
        {good, good.substr(0, 15)},
        // No ETX after the 'g': the count is -1, nothing is taken.
        {Text("0g+A12000--xyz", 'Q'), ""},
        // An ETX before the 'g' does not count.
        {std::string(1, STX) + ETX + "g+A12000--xyzQ", ""},
        {Text("0s+000000--584"), ""},
        // A 'g' in position 0: the start before the text counts as 0 and the count is the ETX index.
        {Text("g0+A12000--xyz"), Text("g0+A12000--xyz").substr(0, 15)},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::IdentificationTextOf(c.text), c.identification) << c.text;
}

TEST(Telegram, DeviceTypeKeyIsFiveCharactersFromTheFirstG) {
    EXPECT_EQ(kdm::DeviceTypeKey(Text("0g+A12000--xyz")), "g+A12");
    EXPECT_EQ(kdm::DeviceTypeKey("line\r\n" + Text("0g+B07000--xyz")), "g+B07");
    EXPECT_EQ(kdm::DeviceTypeKey("abcdefg"), "g");
    EXPECT_EQ(kdm::DeviceTypeKey("abcdef"), "abcde");
    EXPECT_EQ(kdm::DeviceTypeKey("ab"), "ab");
}

}  // namespace
