// Comparing parameter sets: equal sets whatever their record order, changed values, parameters and
// programs in one set only, another device type, and values that cannot be trusted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/parameter_diff.h"
#include "data/parameter_model.h"
#include "support/dump_builder.h"
#include "support/parsed_set.h"

namespace {

using kdm::DiffBlock;
using kdm::DiffKind;
using kdm::ParameterDiff;
using kdm::ParameterDifference;
using kdm::ParameterSet;
using kdm::Suspect;
using kdmtest::DumpBuilder;
using kdmtest::Value;

using kdmtest::Parse;

ParameterDiff Compare(const DumpBuilder& a, const DumpBuilder& b) {
    return kdm::CompareParameterSets(Parse(a.Text()), Parse(b.Text()));
}

// A type 1 device: system d (Mode), h (Language), two programs with J, N, u.
DumpBuilder Base() {
    DumpBuilder dump("I10");
    dump.Add('d', Value(1)).Add('h', Value(2));
    dump.Program(1).Add('J', Value(11)).Add('N', Value(12)).Add('u', Value(13));
    dump.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(23));
    return dump;
}

// "block program letter a b kind" of a difference, for messages and exact comparisons.
std::string Describe(const ParameterDifference& d) {
    std::string text = d.block == DiffBlock::kSystem ? "system" : "program";
    text += ' ';
    text += d.program ? std::to_string(*d.program) : "-";
    text += ' ' + d.letter + ' ' + d.a.value.value_or("(none)") + ' ' + d.b.value.value_or("(none)");
    switch (d.Kind()) {
        case DiffKind::kChanged:
            return text + " changed";
        case DiffKind::kOnlyInA:
            return text + " only-a";
        case DiffKind::kOnlyInB:
            return text + " only-b";
        case DiffKind::kSuspect:
            return text + " suspect";
    }
    return text;
}

std::vector<std::string> Described(const ParameterDiff& diff) {
    std::vector<std::string> lines;
    for (const ParameterDifference& d : diff.differences)
        lines.push_back(Describe(d));
    return lines;
}

TEST(ParameterDiff, SameParametersAreEqualWhateverTheRecordOrderAndFormatting) {
    const ParameterDiff self = Compare(Base(), Base());
    EXPECT_TRUE(self.Same());
    EXPECT_TRUE(self.differences.empty());

    // System letters and program parameters in another order; a value whose padding the table shows
    // alike ("++" and "--" both show as blanks); a letter given twice, the table showing the later one.
    DumpBuilder other("I10");
    other.Add('d', Value(99)).Add('h', Value(2)).Add('d', "+000001++");
    other.Program(1).Add('u', Value(13)).Add('N', Value(12)).Add('J', Value(11));
    other.Program(2).Add('N', Value(22)).Add('J', Value(21)).Add('u', Value(23));
    const ParameterDiff reordered = Compare(Base(), other);
    EXPECT_TRUE(reordered.Same()) << ::testing::PrintToString(Described(reordered));
}

TEST(ParameterDiff, ThreeChangedValuesAreExactlyTheThreeDifferences) {
    DumpBuilder changed("I10");
    changed.Add('d', Value(1)).Add('h', Value(7));
    changed.Program(1).Add('J', Value(11)).Add('N', "-000012--").Add('u', Value(13));
    changed.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(230));
    const ParameterDiff diff = Compare(Base(), changed);
    EXPECT_FALSE(diff.Same());
    EXPECT_FALSE(diff.DeviceTypeDiffers());
    EXPECT_EQ(Described(diff), (std::vector<std::string>{
                                   "system - h 000002 000007 changed",
                                   "program 1 N 000012 -000012 changed",
                                   "program 2 u 000023 000230 changed",
                               }));
    EXPECT_EQ(diff.Count(DiffKind::kChanged), 3);
    ASSERT_EQ(diff.differences.size(), 3u);
    // Names and places come along: the table's name without padding, the records on both sides.
    const ParameterDifference& language = diff.differences[0];
    EXPECT_EQ(language.name, "Language");
    EXPECT_EQ(language.programText, "");
    EXPECT_EQ(language.a.record, 2u);
    EXPECT_EQ(language.b.record, 2u);
    const ParameterDifference& lower = diff.differences[2];
    EXPECT_EQ(lower.name, "Lower limit");
    EXPECT_EQ(lower.programText, "000002");
    EXPECT_EQ(lower.a.suspect, Suspect::kNone);
    EXPECT_EQ(lower.b.suspect, Suspect::kNone);
}

TEST(ParameterDiff, ParametersAndProgramsInOneSetOnly) {
    // B lacks system h and program 1's u, adds system k and program 2's o, and holds a program 3; A has
    // a program 5 that B lacks.
    DumpBuilder a = Base();
    a.Program(5).Add('J', Value(51));
    DumpBuilder b("I10");
    b.Add('d', Value(1)).Add('k', Value(3));
    b.Program(1).Add('J', Value(11)).Add('N', Value(12));
    b.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(23)).Add('o', Value(24));
    b.Program(3).Add('J', Value(31));
    const ParameterDiff diff = Compare(a, b);
    // A program one set lacks is a single difference, on its number; all come by program number.
    EXPECT_EQ(Described(diff), (std::vector<std::string>{
                                   "system - h 000002 (none) only-a",
                                   "system - k (none) 000003 only-b",
                                   "program 1 u 000013 (none) only-a",
                                   "program 2 o (none) 000024 only-b",
                                   "program 3 P (none) 000003 only-b",
                                   "program 5 P 000005 (none) only-a",
                               }));
    EXPECT_EQ(diff.Count(DiffKind::kOnlyInA), 3);
    EXPECT_EQ(diff.Count(DiffKind::kOnlyInB), 3);
    EXPECT_EQ(diff.differences[1].name, "OutLogic");
    EXPECT_EQ(diff.differences[4].name, "Program no.");
    EXPECT_EQ(diff.differences[4].programText, "000003");
    EXPECT_FALSE(diff.differences[4].a.record.has_value());

    // Reversed, each difference turns into its mirror image.
    const ParameterDiff mirrored = Compare(b, a);
    ASSERT_EQ(mirrored.differences.size(), diff.differences.size());
    EXPECT_EQ(mirrored.Count(DiffKind::kOnlyInA), 3);
    EXPECT_EQ(mirrored.Count(DiffKind::kOnlyInB), 3);
}

TEST(ParameterDiff, ProgramsPairByNumberInFileOrder) {
    // Two programs numbered 4: the second of A pairs with the second of B, wherever they stand.
    DumpBuilder a("I10");
    a.Add('d', Value(1));
    a.Program(4).Add('N', Value(1)).Program(9).Add('N', Value(9)).Program(4).Add('N', Value(2));
    DumpBuilder b("I10");
    b.Add('d', Value(1));
    b.Program(4).Add('N', Value(1)).Program(4).Add('N', Value(3)).Program(9).Add('N', Value(9));
    EXPECT_EQ(Described(Compare(a, b)), (std::vector<std::string>{"program 4 N 000002 000003 changed"}));

    // A 'P' inside a value opens the program section early: the records up to the first 'P' record
    // form a program without number (a damaged file). It pairs with its like in the other set; alone,
    // it is listed parameter by parameter.
    DumpBuilder headless("I10");
    headless.Add('d', "+00P000--").Add('J', Value(5));
    const ParameterSet headlessSet = Parse(headless.Text());
    ASSERT_EQ(headlessSet.Programs().size(), 1u);
    ASSERT_FALSE(headlessSet.Programs()[0].number.has_value());
    EXPECT_TRUE(kdm::CompareParameterSets(headlessSet, headlessSet).Same());
    DumpBuilder plain("I10");
    plain.Add('d', "+00P000--");
    std::vector<std::string> programDifferences;
    for (const ParameterDifference& d :
         kdm::CompareParameterSets(headlessSet, Parse(plain.Text())).differences) {
        if (d.block == DiffBlock::kProgram) programDifferences.push_back(Describe(d));
    }
    EXPECT_EQ(programDifferences, (std::vector<std::string>{"program - J 000005 (none) only-a"}));
}

TEST(ParameterDiff, AnotherDeviceTypeIsReportedAndTheParametersStillCompared) {
    DumpBuilder other("E20");
    other.Add('d', Value(1)).Add('h', Value(2));
    other.Program(1).Add('J', Value(11)).Add('N', Value(12)).Add('u', Value(13));
    other.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(23));
    const ParameterDiff diff = Compare(Base(), other);
    EXPECT_TRUE(diff.DeviceTypeDiffers());
    EXPECT_FALSE(diff.Same());
    EXPECT_EQ(diff.deviceTypeA, 1);
    EXPECT_EQ(diff.deviceTypeB, 10);
    // The type alone differs when both show the same letters with the same values.
    for (const ParameterDifference& d : diff.differences)
        ADD_FAILURE() << "unexpected " << Describe(d);
}

TEST(ParameterDiff, ValuesThatCannotBeTrustedAlwaysDiffer) {
    // h equal but marked in B, N equal and marked on both sides, u changed and marked in A.
    DumpBuilder a("I10");
    a.Add('d', Value(1)).Add('h', Value(2));
    a.Program(1).Add('J', Value(11)).Add('N', Value(12), true).Add('u', Value(13), true);
    DumpBuilder b("I10");
    b.Add('d', Value(1)).Add('h', Value(2), true);
    b.Program(1).Add('J', Value(11)).Add('N', Value(12), true).Add('u', Value(14));
    const ParameterDiff diff = Compare(a, b);
    EXPECT_EQ(Described(diff), (std::vector<std::string>{
                                   "system - h 000002 000002 suspect",
                                   "program 1 N 000012 000012 suspect",
                                   "program 1 u 000013 000014 changed",
                               }));
    ASSERT_EQ(diff.differences.size(), 3u);
    EXPECT_EQ(diff.differences[0].a.suspect, Suspect::kNone);
    EXPECT_EQ(diff.differences[0].b.suspect, Suspect::kMismatch);
    EXPECT_EQ(diff.differences[1].a.suspect, Suspect::kMismatch);
    EXPECT_EQ(diff.differences[1].b.suspect, Suspect::kMismatch);
    EXPECT_EQ(diff.differences[2].a.suspect, Suspect::kMismatch);
    EXPECT_EQ(diff.Count(DiffKind::kSuspect), 2);

    // A marked program number is a difference of its own, on 'P'.
    DumpBuilder markedNumber("I10");
    markedNumber.Add('d', Value(1)).Add('h', Value(2)).Add('P', "+000001--", true);
    markedNumber.Add('J', Value(11)).Add('N', Value(12), true).Add('u', Value(13), true);
    EXPECT_EQ(
        Described(Compare(a, markedNumber)),
        (std::vector<std::string>{"program 1 P 000001 000001 suspect", "program 1 N 000012 000012 suspect",
                                  "program 1 u 000013 000013 suspect"}));
}

// Every corpus file against itself: a file without suspect records equals itself; otherwise the only
// differences are values that cannot be trusted, each paired with itself.
TEST(ParameterDiff, CorpusFilesAgainstThemselves) {
    int files = 0;
    for (const char* dir : {"dump", "frames"}) {
        const std::filesystem::path root =
            std::filesystem::path(KDMXP_SOURCE_DIR) / "tests/fuzz/corpus" / dir;
        for (const auto& entry : std::filesystem::directory_iterator(root)) {
            SCOPED_TRACE(entry.path().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const ParameterSet set =
                Parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
            const ParameterDiff diff = kdm::CompareParameterSets(set, set);
            EXPECT_FALSE(diff.DeviceTypeDiffers());
            if (set.SuspectRecords() == 0) {
                EXPECT_TRUE(diff.Same());
            }
            for (const ParameterDifference& d : diff.differences) {
                EXPECT_EQ(d.Kind(), DiffKind::kSuspect) << Describe(d);
                EXPECT_NE(d.a.suspect, Suspect::kNone) << Describe(d);
                EXPECT_EQ(d.a.record, d.b.record);
            }
            ++files;
        }
    }
    EXPECT_GE(files, 13);
}

}  // namespace
