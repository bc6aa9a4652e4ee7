// Comparing a data file with what a device returned, parameter by parameter.
#include <gtest/gtest.h>

#include "transfer/verify.h"
#include "transfer_device.h"

namespace kdmtest {
namespace {

std::string Dump(const std::vector<std::string>& telegrams, const std::string& id = kIdTelegram) {
    std::string text = std::string(1, kdm::STX) + id + "\r\n\r";
    for (const auto& t : telegrams)
        text += Annotated(t) + "\r\n\r";
    return text;
}

TEST(TransferVerify, SplitRecordsKeepsACutLastRecord) {
    EXPECT_EQ(kdm::SplitRecords("a\r\n\rbc\r\n\r"), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(kdm::SplitRecords("a\r\n\rbc"), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(kdm::SplitRecords("a\r\nb\r\n\r"), (std::vector<std::string>{"a\r\nb"}));
    EXPECT_TRUE(kdm::SplitRecords("").empty());
}

TEST(TransferVerify, TelegramOfRecordIgnoresTheAnnotation) {
    EXPECT_EQ(kdm::TelegramOfRecord(Annotated("0a+001000--999")), "0a+001000--999");
    EXPECT_EQ(kdm::TelegramOfRecord(Frame("0a+001000--573") + " QS 573"), "0a+001000--573");
}

struct CompareCase {
    const char* name;
    std::vector<std::string> file;
    std::vector<std::string> device;
    std::vector<std::string> described;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
    *os << c.name;
}

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, ReportsEachDifferingMissingOrExtraRecord) {
    const CompareCase& c = GetParam();
    std::vector<std::string> described;
    for (const auto& d : kdm::CompareParameterRecords(Dump(c.file), Dump(c.device)))
        described.push_back(kdm::DescribeDifference(d));
    EXPECT_EQ(described, c.described);
}

const std::string kA = Tel("0a+001000--");
const std::string kB = Tel("0b+001001--");
const std::string kBChanged = Tel("0b+001002--");
const std::string kC = Tel("0c+001003--");

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTest,
    ::testing::Values(
        CompareCase{"equal", {kA, kB, kC}, {kA, kB, kC}, {}},
        CompareCase{
            "oneValue", {kA, kB, kC}, {kA, kBChanged, kC}, {"record 3: file " + kB + " device " + kBChanged}},
        CompareCase{"deviceLacksOne", {kA, kB, kC}, {kA, kB}, {"record 4: file " + kC + " device (missing)"}},
        CompareCase{"deviceHasMore", {kA}, {kA, kB}, {"record 3: file (missing) device " + kB}},
        CompareCase{"empty", {}, {}, {}}),
    CaseName());

TEST(TransferVerify, TheIdentificationDoesNotCountButValuesThatCannotBeTrustedDo) {
    // The same parameters under a different identification record: only parameters are compared.
    std::string device = Dump({kA, kB}, Tel("0g+K12001--"));
    EXPECT_TRUE(kdm::CompareParameterRecords(Dump({kA, kB}), device).empty());

    // The same characters on both sides, marked " !!!" on both: nothing proves the device holds what
    // the file meant, so the record is a difference, and says why.
    const std::string bad = "0a+001000--999";
    const std::string file = Dump({bad, kB});
    EXPECT_NE(file.find(" !!!"), std::string::npos);
    auto differences = kdm::CompareParameterRecords(file, Dump({bad, kB}));
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].record, 2);
    EXPECT_EQ(kdm::DescribeDifference(differences[0]),
              "record 2: file " + bad + " device " + bad + " (file: mismatch) (device: mismatch)");

    // A clean file, and a read-back in which the line changed one checksum character: the device's
    // side cannot be trusted, whatever the file says.
    differences = kdm::CompareParameterRecords(Dump({kA, kB}), Dump({kA, kB.substr(0, 13) + "0"}));
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].record, 3);
    EXPECT_EQ(differences[0].fileSuspect, kdm::Suspect::kNone);
    EXPECT_EQ(differences[0].deviceSuspect, kdm::Suspect::kMismatch);

    // A damaged record that lost its ETX on the way back, characters otherwise equal.
    std::string cut = Dump({kA, kB});
    cut.erase(cut.rfind('\x03'), 1);
    differences = kdm::CompareParameterRecords(Dump({kA, kB}), cut);
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].deviceSuspect, kdm::Suspect::kDamaged);
    EXPECT_NE(kdm::DescribeDifference(differences[0]).find(" (device: damaged)"), std::string::npos);
}

TEST(TransferVerify, ControlBytesAreShownLegibly) {
    const kdm::RecordDifference d{7,
                                  std::string("0a+00\x03"
                                              "000--573"),
                                  ""};
    EXPECT_EQ(kdm::DescribeDifference(d), "record 7: file 0a+00<ETX>000--573 device (missing)");
}

}  // namespace
}  // namespace kdmtest
