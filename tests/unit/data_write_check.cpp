// The check of a data file before a write: what it finds in damaged, marked and oversized files, what
// it lets through, and how it words its list; whether a text is a data file at all; and the program
// table's count of the programs it has no row for.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/file_verdict.h"
#include "data/parameter_model.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "link/visible_text.h"
#include "support/dump_builder.h"
#include "support/parsed_set.h"

namespace {

using kdm::WriteProblem;
using kdmtest::DumpBuilder;
using kdmtest::Value;

using kdmtest::Parse;

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
        EXPECT_EQ(found.problem, want.problem) << i << ": " << kdm::WriteFindingReason(found);
        EXPECT_EQ(found.overridable, want.overridable) << i;
        EXPECT_FALSE(kdm::WriteFindingReason(found).empty());
        overridable += want.overridable ? 1 : 0;
    }
    EXPECT_EQ(check.Overridable(), overridable);
    EXPECT_EQ(check.Blocking(), static_cast<int>(c.findings.size()) - overridable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteCheckCases,
    ::testing::Values(
        CheckCase{"asARead", Sample(), {}},
        // A last frame that lost only its annotation and line end is whole, but the file was cut: what
        // followed is unknown. The user may write it knowingly.
        CheckCase{"lastFrameWithoutAnnotation",
                  Sample() + "\x02" + kdmtest::TelegramChars('B', Value(44)) + "\x03",
                  {{6, "000001", "B", WriteProblem::kFileCutShort, true}}},
        CheckCase{"cutInsideTheLastAnnotation",
                  Sample().substr(0, Sample().size() - 5),
                  {{5, "000001", "A", WriteProblem::kFileCutShort, true}}},
        CheckCase{"cutInsideTheLastTerminator",
                  Sample().substr(0, Sample().size() - 1),
                  {{5, "000001", "A", WriteProblem::kFileCutShort, true}}},
        CheckCase{"markedAndCut",
                  Sample(true).substr(0, Sample(true).size() - 3),
                  {{3, "system", "b", WriteProblem::kMarked, true},
                   {5, "000001", "A", WriteProblem::kFileCutShort, true}}},
        CheckCase{"garbageAfterTheLastRecord",
                  Sample() + std::string(300, 'x'),
                  {{6, "", "", WriteProblem::kTrailingBytes, false}}},
        // A text editor's blank lines between records: bytes the write skips, but no record either.
        CheckCase{
            "bytesBetweenRecords",
            Replaced(Sample(), "\r\n\r\x02" + std::string("0P"), "\r\n\r\r\n\r\x02" + std::string("0P")),
            {{4, "", "", WriteProblem::kNotARecord, false}}},
        CheckCase{
            "bytesAfterTheAnnotation",
            Replaced(Sample(), "\r\n\r\x02" + std::string("0P"), " by hand\r\n\r\x02" + std::string("0P")),
            {{3, "system", "b", WriteProblem::kAfterAnnotation, false}}},
        CheckCase{
            "annotationNotTheFramesChecksum",
            Replaced(Sample(), " QS " + kdm::ComputeChecksum("\x02" + kdmtest::TelegramChars('a', Value(11))),
                     " QS 000"),
            {{2, "system", "a", WriteProblem::kAnnotation, false}}},
        CheckCase{"terminatorLostBeforeTheNextRecord",
                  Replaced(Sample(), "\r\n\r\x02" + std::string("0P"), "\x02" + std::string("0P")),
                  {{3, "system", "b", WriteProblem::kNoTerminator, false}}},
        // `cat a.KDM b.KDM`: the second identification is a frame without ETX to the write.
        CheckCase{"joinedFiles", Sample() + Sample(), {{6, "", "g", WriteProblem::kNoEtx, false}}},
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
        // Cut inside the frame: it is not sent, so the cut alone might be let through, but the frame is
        // damaged and that is never let through.
        CheckCase{"cutByTheEndOfTheFile",
                  Sample() + "\x02" + "0B+0004",
                  {{6, "000001", "B", WriteProblem::kCutShort, false},
                   {6, "000001", "B", WriteProblem::kFileCutShort, true}}},
        CheckCase{"identificationAndNoParameter",
                  DumpBuilder("I1P").Raw("written by hand\r\n\r").Text(),
                  {{2, "", "", WriteProblem::kTrailingBytes, false},
                   {0, "", "", WriteProblem::kNoParameters, false}}},
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
    // Not one frame of it is fit to be sent, and none may be let through by the user either; the user
    // may only be told that the noise ends inside a record.
    int frameFaults = 0;
    for (const kdm::WriteFinding& finding : check.findings) {
        EXPECT_NE(finding.problem, WriteProblem::kMarked);
        EXPECT_EQ(finding.overridable, finding.problem == WriteProblem::kFileCutShort);
        for (const WriteProblem frame :
             {WriteProblem::kCutShort, WriteProblem::kNoEtx, WriteProblem::kChecksum})
            frameFaults += finding.problem == frame ? 1 : 0;
    }
    EXPECT_EQ(frameFaults, check.frames);
    EXPECT_EQ(kdm::VerdictOf(check), kdm::FileVerdict::kRefused);
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

TEST(WriteCheck, DamageBesideTheFramesIsNamedInATechniciansWords) {
    const kdm::WriteCheck garbage = kdm::CheckFileForWriting(Parse(Sample() + std::string(300, 'x')));
    EXPECT_EQ(garbage.trailingBytes, 300u);
    EXPECT_FALSE(garbage.cutShort);
    ASSERT_EQ(garbage.findings.size(), 1u);
    EXPECT_EQ(garbage.findings[0].bytes, 300u);
    EXPECT_EQ(kdm::DescribeWriteCheck(garbage),
              "Nothing was sent: the file cannot be written as it stands (1 fault):\n"
              "record 6: 300 bytes after the last record are no record");
    EXPECT_EQ(kdm::DescribeWriteFinding(kdm::CheckFileForWriting(Parse(Sample() + "x")).findings.at(0)),
              "record 6: 1 byte after the last record is no record");

    const kdm::WriteCheck cut = kdm::CheckFileForWriting(Parse(Sample().substr(0, Sample().size() - 5)));
    EXPECT_TRUE(cut.cutShort);
    EXPECT_EQ(cut.trailingBytes, 0u);
    EXPECT_EQ(kdm::DescribeWriteCheck(cut),
              "The file was cut short: a device would get only the frames before the cut and keep its own "
              "values for whatever followed:\n"
              "record 5, program 000001, letter A: the file ends inside a record: it was cut short");
    const kdm::WriteCheck markedCut =
        kdm::CheckFileForWriting(Parse(Sample(true).substr(0, Sample(true).size() - 5)));
    const std::string marked = kdm::DescribeWriteCheck(markedCut);
    EXPECT_EQ(marked.substr(0, marked.find('\n')),
              "1 record is marked \" !!!\" and the file was cut short: the values a device would get may not "
              "be the ones it sent, and it would keep its own for whatever followed the cut:");
    // A cut with a damaged frame elsewhere: refused, and the header still says it was cut.
    const std::string both = Replaced(Sample(), Value(22), Value(23));
    const std::string refused =
        kdm::DescribeWriteCheck(kdm::CheckFileForWriting(Parse(both.substr(0, both.size() - 5))));
    EXPECT_EQ(refused.substr(0, refused.find('\n')),
              "Nothing was sent: the file cannot be written as it stands (1 fault, cut short):");

    const std::string sumB = kdm::ComputeChecksum("\x02" + kdmtest::TelegramChars('b', Value(22)));
    const kdm::WriteCheck after = kdm::CheckFileForWriting(
        Parse(Replaced(Sample(), " QS " + sumB + "\r\n\r", " QS " + sumB + " by hand\r\n\r")));
    ASSERT_EQ(after.findings.size(), 1u);
    EXPECT_EQ(after.findings[0].bytes, 8u);
    EXPECT_EQ(kdm::DescribeWriteFinding(after.findings[0]),
              "record 3, system, letter b: 8 bytes after its annotation \"QS " + sumB +
                  "\": a read stores nothing there");
    const kdm::WriteCheck between = kdm::CheckFileForWriting(
        Parse(Replaced(Sample(), " QS " + sumB + "\r\n\r", " QS " + sumB + "\r\n\r\r\n\r")));
    EXPECT_EQ(kdm::DescribeWriteFinding(between.findings.at(0)),
              "record 4: 3 bytes between two records are no record");
}

// Every record the model calls damaged or marked is named by a finding (bytes after the last record by
// the one finding that counts them), so the write's verdict can never be "writable" for a file the
// tables mark. Walked over every cut of a file and every byte of it replaced by a byte that damages.
TEST(FileVerdict, EveryRecordTheModelDistrustsIsNamedByAFinding) {
    std::vector<std::string> texts;
    for (const std::string& whole : {Sample(), Sample(true)}) {
        for (std::size_t cut = 0; cut <= whole.size(); ++cut)
            texts.push_back(whole.substr(0, cut));
        for (std::size_t at = 0; at < whole.size(); ++at) {
            for (const char byte : {'x', kdm::STX, '\r', kdm::ETX}) {
                std::string damaged = whole;
                damaged[at] = byte;
                texts.push_back(damaged);
            }
        }
    }
    int refused = 0;
    int asked = 0;
    for (const std::string& text : texts) {
        const kdm::ParameterSet set = Parse(text);
        const kdm::FileJudgement judgement = kdm::JudgeDataFile(set);
        std::vector<bool> named(set.Records().size() + 1, false);
        std::size_t trailingFrom = set.Records().size() + 1;
        for (const kdm::WriteFinding& finding : judgement.check.findings) {
            named[static_cast<std::size_t>(finding.record)] = true;
            if (finding.problem == WriteProblem::kTrailingBytes)
                trailingFrom = static_cast<std::size_t>(finding.record);
        }
        for (std::size_t k = 0; k < set.Records().size(); ++k) {
            if (set.Records()[k].Suspicion() == kdm::Suspect::kNone) continue;
            EXPECT_TRUE(named[k + 1] || k + 1 >= trailingFrom)
                << "record " << k + 1 << " of " << kdm::VisibleText(text) << "\n"
                << kdm::DescribeWriteCheck(judgement.check);
        }
        if (judgement.verdict == kdm::FileVerdict::kWritable) {
            EXPECT_EQ(set.SuspectRecords(), 0);
        }
        // Whatever the user may override is a mark or the end of a cut file.
        for (const kdm::WriteFinding& finding : judgement.check.findings) {
            EXPECT_EQ(finding.overridable, finding.problem == WriteProblem::kMarked ||
                                               finding.problem == WriteProblem::kFileCutShort);
        }
        refused += judgement.verdict == kdm::FileVerdict::kRefused ? 1 : 0;
        asked += judgement.verdict == kdm::FileVerdict::kAsk ? 1 : 0;
    }
    // The walk meets every verdict.
    EXPECT_GT(refused, 100);
    EXPECT_GT(asked, 10);
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

namespace {

// `size` bytes of noise, the same on every run, with the bytes that begin and end records frequent so
// that nearly every few bytes make a damaged record.
std::string DenseNoise(std::size_t size) {
    static constexpr char kAlphabet[] = {kdm::STX, kdm::ETX, '\r', '\n', 'P', 'g', '0', '+', 'x', ' '};
    std::string text;
    text.reserve(size);
    std::uint32_t state = 12345;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text += kAlphabet[(state >> 16) % sizeof(kAlphabet)];
    }
    return text;
}

// However many findings a file has, only kKeptFindings are kept one by one (plus the two about the
// file as a whole); the counts still cover every one, and the message says how many are not listed.
TEST(WriteCheckBounds, FindingsKeptStayBoundedAndTheCountsStayWhole) {
    const struct {
        const char* name;
        std::string text;
        bool capped;
    } kCases[] = {
        {"one damaged record", Sample() + "x", false},
        {"64 KiB of noise", DenseNoise(64 * 1024), true},
        {"8 MiB of noise", DenseNoise(8 * 1024 * 1024), true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const kdm::WriteCheck check = kdm::CheckFileForWriting(Parse(c.text));
        EXPECT_LE(check.findings.size(), kdm::kKeptFindings + 2);
        EXPECT_EQ(check.Total(), static_cast<int>(check.findings.size()) + check.unlisted);
        EXPECT_EQ(check.Blocking() + check.Overridable(), check.Total());
        int byKind = 0;
        for (std::size_t kind = 0; kind < kdm::kWriteProblemKinds; ++kind)
            byKind += check.Count(static_cast<WriteProblem>(kind));
        EXPECT_EQ(byKind, check.Total());
        EXPECT_EQ(check.unlisted > 0, c.capped) << check.Total();
        const std::string text = kdm::DescribeWriteCheck(check);
        const std::string more = "\n... and " + std::to_string(check.unlisted) + " more";
        EXPECT_EQ(text.ends_with(more), c.capped);
        // The message grows with the listed findings, not with the file.
        EXPECT_LT(text.size(), 200 * (kdm::kKeptFindings + 3));
    }
}

}  // namespace
