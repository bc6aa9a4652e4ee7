// Device-type detection: every code test in its order, the identification heading and the short dumps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/dump.h"

namespace {

using kdm::DetectDeviceType;

// A dump whose identification record carries `code` at telegram positions 3 to 5.
std::string DumpWithCode(const std::string& code) {
    return "\x02"
           "0g+" +
           code + "000--572\r\n\r";
}

struct CodeCase {
    const char* code;
    int type;
};

// The 44 tests in their order; for a first-two test, a third character no exact test names.
const CodeCase kEveryTest[] = {
    {"I10", 1},  {"I1I", 2},  {"I1P", 2},  {"I1C", 2},  {"I1N", 2},  {"I1D", 2},  {"I1K", 3},  {"IKI", 4},
    {"IKP", 4},  {"IKC", 4},  {"IKN", 4},  {"IKD", 4},  {"IKV", 5},  {"I1Z", 2},  {"IKZ", 4},  {"E20", 10},
    {"E2P", 11}, {"E2I", 11}, {"E2C", 11}, {"E2N", 11}, {"E2D", 11}, {"E2Z", 11}, {"E10", 12}, {"E1P", 13},
    {"E1I", 13}, {"E1C", 13}, {"E1N", 13}, {"E1D", 13}, {"E1Z", 13}, {"U10", 22}, {"U1P", 23}, {"U1I", 23},
    {"U1C", 21}, {"U1N", 23}, {"U1D", 21}, {"U1Z", 23}, {"U20", 20}, {"U2P", 21}, {"U2I", 21}, {"U2C", 21},
    {"U2N", 21}, {"U2D", 21}, {"U2R", 21}, {"U2Z", 21},
};

TEST(DetectDeviceType, EveryCodeTestInOrder) {
    for (const CodeCase& c : kEveryTest) {
        std::string heading;
        EXPECT_EQ(DetectDeviceType(DumpWithCode(c.code), heading), c.type) << c.code;
    }
}

TEST(DetectDeviceType, CodesMatchingNoTestGiveZero) {
    for (const char* code : {"i10", "u1c", "e20", "iK", "I", "X10", "1I0", "EE0", "U30", "   "}) {
        std::string heading;
        EXPECT_EQ(DetectDeviceType(DumpWithCode(code).substr(0, 4 + std::string(code).size()), heading), 0)
            << code;
    }
}

// The same rule stated family by family; it must agree with the ordered tests for every third character.
int FamilyRule(const std::string& prefix, char third) {
    if (prefix == "I1") return third == '0' ? 1 : third == 'K' ? 3 : 2;
    if (prefix == "IK") return third == 'V' ? 5 : 4;
    if (prefix == "E2") return third == '0' ? 10 : 11;
    if (prefix == "E1") return third == '0' ? 12 : 13;
    if (prefix == "U2") return third == '0' ? 20 : 21;
    if (prefix == "U1") return third == '0' ? 22 : (third == 'C' || third == 'D') ? 21 : 23;
    return 0;
}

TEST(DetectDeviceType, AgreesWithTheFamilyRuleForEveryThirdCharacter) {
    for (const std::string prefix : {"I1", "IK", "E2", "E1", "U2", "U1", "I2", "U3", "E3", "K1"}) {
        for (int c = 0x20; c < 0x7f; ++c) {
            const std::string code = prefix + static_cast<char>(c);
            std::string heading;
            EXPECT_EQ(DetectDeviceType(DumpWithCode(code), heading), FamilyRule(prefix, static_cast<char>(c)))
                << code;
        }
    }
}

struct ShortCase {
    const char* name;
    std::string dump;
    int type;
    std::string heading;
};

TEST(DetectDeviceType, ShortDumpsAndTheStxPosition) {
    const std::vector<ShortCase> cases = {
        {"empty", "", 0, ""},
        {"ends after I1",
         "\x02"
         "0g+I1",
         2, "0g+I1"},
        {"ends after I",
         "\x02"
         "0g+I",
         0, "0g+I"},
        {"only STX", "\x02", 0, ""},
        // Without an STX the positions count from the first character.
        {"no STX", "0g+E20000--580", 10, "0g+E20000--"},
        {"no STX, short", "0g+U1", 23, "0g+U1"},
        // The first STX at index 5: code from 9 to 11, heading from 6 to 16.
        {"STX at 5",
         "abcde\x02"
         "0g+U10000--999",
         22, "0g+U10000--"},
        // Only the first STX counts.
        {"two STX",
         "\x02"
         "0g+X10000--\x02"
         "0g+I10000--",
         0, std::string("0g+X10000--")},
    };
    for (const ShortCase& c : cases) {
        std::string heading = "stale";
        EXPECT_EQ(DetectDeviceType(c.dump, heading), c.type) << c.name;
        EXPECT_EQ(heading, c.heading) << c.name;
    }
}

TEST(DetectDeviceType, HeadingIsTheRawElevenCharacters) {
    std::string heading;
    EXPECT_EQ(DetectDeviceType(DumpWithCode("I1K"), heading), 3);
    EXPECT_EQ(heading, "0g+I1K000--");
}

}  // namespace
