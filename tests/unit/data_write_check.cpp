// The check of a data file before a write: what it finds in damaged, marked and oversized files, what
// it lets through, and how it words its list; whether a text is a data file at all; and the program
// table's count of the programs it has no row for.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/parameter_model.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "support/dump_builder.h"

namespace {

using kdm::WriteProblem;
using kdmtest::DumpBuilder;
using kdmtest::Value;

kdm::ParameterSet Parse(std::string_view text) {
    kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text);
    EXPECT_TRUE(parsed.ok) << parsed.reason;
    return std::move(parsed.set);
}

// Records 1 (identification), 2 'a', 3 'b', 4 'P' (program 1), 5 'A'; `markB` stores 'b' with " !!!".
std::string Sample(bool markB = false) {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(11)).Add('b', Value(22), markB);
    dump.Program(1).Add('A', Value(33));
    return dump.Text();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string WithoutEtx(std::string text) {
    std::erase(text, kdm::ETX);
    return text;
}

std::string Programs(int count) {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(1));
    for (int p = 1; p <= count; ++p)
        dump.Program(p).Add('A', Value(p));
    return dump.Text();
}

// Bytes from a fixed seed, STX among them now and then, as a damaged disk or a wrong file gives them.
std::string Noise(std::size_t count) {
    std::string bytes;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        const auto byte = static_cast<char>((state >> 16) & 0xFF);
        bytes += i % 37 == 5 ? kdm::STX : byte == '\0' ? 'x' : byte;
    }
    return bytes;
}

struct Expected {
    int record;
    std::string program;
    std::string letter;
    WriteProblem problem;
    bool overridable;
};

struct CheckCase {
    const char* name;
    std::string text;
    std::vector<Expected> findings;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteCheckCases : public ::testing::TestWithParam<CheckCase> {};

TEST_P(WriteCheckCases, FindsEveryOffendingRecordAndNothingElse) {
    const CheckCase& c = GetParam();
    const kdm::WriteCheck check = kdm::CheckFileForWriting(Parse(c.text));
    ASSERT_EQ(check.findings.size(), c.findings.size()) << kdm::DescribeWriteCheck(check);
    int overridable = 0;
    for (std::size_t i = 0; i < c.findings.size(); ++i) {
        const kdm::WriteFinding& found = check.findings[i];
        const Expected& want = c.findings[i];
        EXPECT_EQ(found.record, want.record) << i;
        EXPECT_EQ(found.program, want.program) << i;
        EXPECT_EQ(found.letter, want.letter) << i;
        EXPECT_EQ(found.problem, want.problem) << i << ": " << found.reason;
        EXPECT_EQ(found.overridable, want.overridable) << i;
        EXPECT_FALSE(found.reason.empty());
        overridable += want.overridable ? 1 : 0;
    }
    EXPECT_EQ(check.Overridable(), overridable);
    EXPECT_EQ(check.Blocking(), static_cast<int>(c.findings.size()) - overridable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteCheckCases,
    ::testing::Values(
        CheckCase{"asARead", Sample(), {}},
        // The write sends a last frame that lost only its annotation and line end: it is whole.
        CheckCase{"lastFrameWithoutAnnotation",
                  Sample() + "\x02" + kdmtest::TelegramChars('B', Value(44)) + "\x03",
                  {}},
        CheckCase{"marked", Sample(true), {{3, "system", "b", WriteProblem::kMarked, true}}},
        // Its value was changed after the read marked it: no longer what the device sent either.
        CheckCase{"markedThenChanged",
                  Replaced(Sample(true), Value(22), Value(23)),
                  {{3, "system", "b", WriteProblem::kChangedAfterRead, false}}},
        // The mark stays on a record whose checksum someone put right.
        CheckCase{
            "markedButMatching",
            Replaced(Sample(), " QS " + kdm::ComputeChecksum("\x02" + kdmtest::TelegramChars('b', Value(22))),
                     " QS " + kdm::ComputeChecksum("\x02" + kdmtest::TelegramChars('b', Value(22))) + " !!!"),
            {{3, "system", "b", WriteProblem::kChangedAfterRead, false}}},
        CheckCase{"valueEditedWithoutItsChecksum",
                  Replaced(Sample(), Value(33), Value(34)),
                  {{5, "000001", "A", WriteProblem::kChecksum, false}}},
        CheckCase{"etxRemoved",
                  WithoutEtx(Sample()),
                  {{2, "system", "a", WriteProblem::kNoEtx, false},
                   {3, "system", "b", WriteProblem::kNoEtx, false},
                   {4, "000001", "P", WriteProblem::kNoEtx, false},
                   {5, "000001", "A", WriteProblem::kNoEtx, false}}},
        // The write would send the cut record's STX with the start of the next record as one frame.
        CheckCase{"cutByTheNextRecord",
                  DumpBuilder("I1P")
                      .Add('a', Value(11))
                      .Raw("\x02"
                           "0c+00")
                      .Add('d', Value(12))
                      .Text(),
                  {{3, "system", "c", WriteProblem::kCutShort, false}}},
        CheckCase{"cutByTheEndOfTheFile",
                  Sample() + "\x02" + "0B+0004",
                  {{6, "000001", "B", WriteProblem::kCutShort, false}}},
        CheckCase{"identificationAndNoParameter",
                  DumpBuilder("I1P").Raw("written by hand\r\n\r").Text(),
                  {{0, "", "", WriteProblem::kNoParameters, false}}},
        CheckCase{"noIdentification",
                  std::string("PK\x03\x04 a zip archive, not a data file at all"),
                  {{1, "", "", WriteProblem::kNoIdentification, false},
                   {0, "", "", WriteProblem::kNoParameters, false}}},
        CheckCase{"emptyText",
                  "",
                  {{0, "", "", WriteProblem::kNoIdentification, false},
                   {0, "", "", WriteProblem::kNoParameters, false}}},
        CheckCase{"twoHundredFiftyFivePrograms", Programs(255), {}},
        // Records: identification, 'a', then 'P' and 'A' per program: the 256th 'P' is record 513.
        CheckCase{"threeHundredPrograms",
                  Programs(300),
                  {{513, "000256", "P", WriteProblem::kTooManyPrograms, false}}}),
    [](const ::testing::TestParamInfo<CheckCase>& param) { return std::string(param.param.name); });

TEST(WriteCheck, NoiseAfterAValidIdentificationIsRefusedFrameByFrame) {
    const std::string text = DumpBuilder("I1P").Text() + Noise(600);
    const kdm::WriteCheck check = kdm::CheckFileForWriting(Parse(text));
    ASSERT_GT(check.frames, 10);
    // Not one frame of it is fit to be sent, and none may be let through by the user either.
    EXPECT_EQ(check.Blocking(), check.frames);
    EXPECT_EQ(check.Overridable(), 0);
    for (const kdm::WriteFinding& finding : check.findings)
        EXPECT_NE(finding.problem, WriteProblem::kMarked);
}

TEST(WriteCheck, TheListNamesRecordProgramLetterAndReason) {
    const kdm::WriteCheck marked = kdm::CheckFileForWriting(Parse(Sample(true)));
    EXPECT_EQ(kdm::DescribeWriteCheck(marked),
              "1 record is marked \" !!!\": the value a device would get may not be the one it sent:\n"
              "record 3, system, letter b: marked \" !!!\": its checksum did not match when it was read");

    const std::string damaged = Replaced(WithoutEtx(Sample(true)), "0P+", std::string("0\x1b+"));
    const kdm::WriteCheck check = kdm::CheckFileForWriting(Parse(damaged));
    const std::string text = kdm::DescribeWriteCheck(check);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Nothing was sent: the file cannot be written as it stands (4 faults):");
    // A control byte where the letter should be is shown by name, never sent to a terminal raw.
    EXPECT_NE(text.find("\nrecord 4, system, letter <ESC>: the frame does not end in ETX"), std::string::npos)
        << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(kdm::DescribeWriteCheck(kdm::CheckFileForWriting(Parse(Sample()))), "");
}

TEST(WriteCheck, DataFilesBeginWithAnIdentificationTelegram) {
    const std::string valid = Sample();
    EXPECT_TRUE(kdm::HasIdentificationTelegram(Parse(valid)));
    // Cut right after the identification's 14 characters: still the beginning of a data file.
    EXPECT_TRUE(kdm::HasIdentificationTelegram(Parse(valid.substr(0, 15))));
    for (const std::string& text : {std::string(), std::string("\r\n\r"), std::string("garbage g"),
                                    std::string("\x1b[2J\x02") + "0g+I1P000--", valid.substr(18)}) {
        EXPECT_FALSE(kdm::HasIdentificationTelegram(Parse(text))) << text;
    }
}

TEST(ProgramTableLimit, CountsTheProgramsItHasNoRowFor) {
    for (const auto& [programs, leftOut] :
         std::vector<std::pair<int, int>>{{1, 0}, {255, 0}, {256, 1}, {300, 45}}) {
        const kdm::ParameterSet set = Parse(Programs(programs));
        const kdm::FilledTables tables = kdm::FillTables(set);
        EXPECT_EQ(tables.program.programsLeftOut, leftOut) << programs;
        // The last row holds the 255th program (or the last one of fewer).
        const int lastRow = 1 + std::min(programs, kdm::kMaxPrograms);
        EXPECT_EQ(tables.program.Cell(lastRow, 0).text,
                  kdm::FormatValue(Value(std::min(programs, kdm::kMaxPrograms))))
            << programs;
        EXPECT_EQ(tables.system.programsLeftOut, 0);
    }
}

}  // namespace
