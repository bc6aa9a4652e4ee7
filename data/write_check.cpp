// The check of a data file before a write, and whether a text is a data file at all.
#include "data/write_check.h"

#include <algorithm>

#include "link/telegram.h"
#include "link/visible_text.h"
#include "link/wire.h"

namespace kdm {
namespace {

constexpr std::size_t kChecksumAt = 12;  // index of the three checksum characters in a frame
constexpr std::size_t kChecksumLength = 3;

std::string ValueText(const Record& record) {
    const std::string shown = FormatValue(record.Value());
    const std::size_t first = shown.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return shown.substr(first, shown.find_last_not_of(' ') - first + 1);
}

bool IsLetter(std::string_view letter, char c) {
    return letter.size() == 1 && letter[0] == c;
}

// The program each record belongs to, as the tables place it.
std::vector<std::string> ProgramsOfRecords(const ParameterSet& set) {
    std::vector<std::string> programs(set.Records().size());
    for (const std::size_t k : set.SystemSection())
        programs[k] = "system";
    std::string current;
    for (const std::size_t k : set.ProgramSection()) {
        const Record& record = set.Records()[k];
        if (IsLetter(record.Letter(), 'P')) current = ValueText(record);
        programs[k] = current;
    }
    return programs;
}

// What is wrong with the frame of one telegram record past the identification, if anything.
bool ExamineFrame(const Record& record, WriteProblem& problem, std::string& reason) {
    // A telegram record keeps its frame apart from the annotation; any other record keeps every byte.
    const std::string& bytes = record.Bytes();
    if (bytes.size() < kFrameBytes - 1) {
        problem = WriteProblem::kCutShort;
        reason = "the frame is cut short (" + std::to_string(bytes.size()) + " of its " +
                 std::to_string(kFrameBytes) + " bytes)";
        return true;
    }
    if (bytes.size() < kFrameBytes || bytes[kFrameBytes - 1] != ETX) {
        problem = WriteProblem::kNoEtx;
        reason = "the frame does not end in ETX";
        return true;
    }
    const std::string_view frame = std::string_view(bytes).substr(0, kFrameBytes);
    const bool matches = frame.substr(kChecksumAt, kChecksumLength) == ComputeChecksum(frame);
    if (!matches && !record.Marked()) {
        problem = WriteProblem::kChecksum;
        reason = "its checksum does not match its characters";
        return true;
    }
    if (record.Marked() && record.Suspicion() == Suspect::kMismatch) {
        problem = WriteProblem::kMarked;
        reason = "marked \" !!!\": its checksum did not match when it was read";
        return true;
    }
    if (record.Marked()) {
        problem = WriteProblem::kChangedAfterRead;
        reason = "marked \" !!!\" and changed after it was read";
        return true;
    }
    return false;
}

}  // namespace

int WriteCheck::Blocking() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const WriteFinding& f) { return !f.overridable; }));
}

int WriteCheck::Overridable() const {
    return static_cast<int>(findings.size()) - Blocking();
}

WriteCheck CheckFileForWriting(const ParameterSet& set) {
    WriteCheck check;
    const RecordList records = set.Records();
    if (set.Identification() == nullptr) {
        WriteFinding finding;
        finding.record = records.empty() ? 0 : 1;
        finding.problem = WriteProblem::kNoIdentification;
        finding.reason = "not a data file: it does not begin with an identification telegram";
        check.findings.push_back(std::move(finding));
    }
    const std::vector<std::string> programs = ProgramsOfRecords(set);
    std::size_t programPastLimit = 0;
    // The write sends from the STX after the identification's 'g' on; every record past the first
    // that begins with STX is one frame it sends.
    for (std::size_t k = 1; k < records.size(); ++k) {
        const Record& record = records[k];
        if (!record.StartsWithStx()) continue;
        ++check.frames;
        if (IsLetter(record.Letter(), 'P') && ++check.programs == kMaxPrograms + 1) programPastLimit = k;
        WriteFinding finding;
        if (!ExamineFrame(record, finding.problem, finding.reason)) continue;
        finding.record = static_cast<int>(k + 1);
        finding.program = programs[k];
        finding.letter = std::string(record.Letter());
        finding.overridable = finding.problem == WriteProblem::kMarked;
        check.findings.push_back(std::move(finding));
    }
    if (check.programs > kMaxPrograms) {
        WriteFinding finding;
        finding.record = static_cast<int>(programPastLimit + 1);
        finding.program = programs[programPastLimit];
        finding.letter = "P";
        finding.problem = WriteProblem::kTooManyPrograms;
        finding.reason = "the file holds " + std::to_string(check.programs) +
                         " programs; a device holds at most " + std::to_string(kMaxPrograms) +
                         ", and this is the first one past them";
        check.findings.push_back(std::move(finding));
    }
    if (check.frames == 0) {
        WriteFinding finding;
        finding.problem = WriteProblem::kNoParameters;
        finding.reason = "the file holds no parameter to write";
        check.findings.push_back(std::move(finding));
    }
    return check;
}

std::string DescribeWriteFinding(const WriteFinding& finding) {
    std::string text = finding.record > 0 ? "record " + std::to_string(finding.record) : "file";
    if (!finding.program.empty()) {
        text += finding.program == "system" ? ", system" : ", program " + VisibleText(finding.program);
    }
    if (!finding.letter.empty()) text += ", letter " + VisibleText(finding.letter);
    return text + ": " + finding.reason;
}

std::string DescribeWriteCheck(const WriteCheck& check) {
    if (check.findings.empty()) return {};
    const int blocking = check.Blocking();
    const int marked = check.Overridable();
    std::string text;
    if (blocking > 0) {
        text = "Nothing was sent: the file cannot be written as it stands (" + std::to_string(blocking) +
               (blocking == 1 ? " fault" : " faults");
        if (marked > 0)
            text += ", " + std::to_string(marked) + " marked " + (marked == 1 ? "record" : "records");
        text += "):";
    } else {
        text = std::to_string(marked) + (marked == 1 ? " record is" : " records are") +
               " marked \" !!!\": the value a device would get may not be the one it sent:";
    }
    for (const WriteFinding& finding : check.findings)
        text += "\n" + DescribeWriteFinding(finding);
    return text;
}

bool HasIdentificationTelegram(const ParameterSet& set) {
    const RecordList records = set.Records();
    return !records.empty() && records.front().StartsWithStx() && IsLetter(records.front().Letter(), 'g');
}

}  // namespace kdm
