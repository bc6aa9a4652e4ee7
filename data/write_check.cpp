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

// The program each record belongs to, as the tables place it: an index into `names`, 0 for none and 1
// for the system block. Four bytes a record, so that a file of noise stays small.
struct RecordPrograms {
    std::vector<std::uint32_t> of;
    std::vector<std::string> names{"", "system"};

    const std::string& Of(std::size_t k) const { return names[of[k]]; }
};

RecordPrograms ProgramsOfRecords(const ParameterSet& set) {
    RecordPrograms programs;
    programs.of.assign(set.Records().size(), 0);
    for (const std::size_t k : set.SystemSection())
        programs.of[k] = 1;
    std::uint32_t current = 0;
    for (const std::size_t k : set.ProgramSection()) {
        const Record& record = set.Records()[k];
        if (IsLetter(record.Letter(), 'P')) {
            programs.names.push_back(ValueText(record));
            current = static_cast<std::uint32_t>(programs.names.size() - 1);
        }
        programs.of[k] = current;
    }
    return programs;
}

// What is wrong with the frame of one telegram record past the identification, if anything. `atEnd`:
// the record is the last one and the text ends inside it, so nothing follows its bytes.
bool ExamineFrame(const Record& record, bool atEnd, WriteProblem& problem) {
    // A telegram record keeps its frame apart from the annotation; any other record keeps every byte.
    const std::string_view bytes = record.BytesView();
    if (bytes.size() < kFrameBytes - 1 || (atEnd && bytes.size() < kFrameBytes)) {
        problem = WriteProblem::kCutShort;
        return true;
    }
    if (bytes.size() < kFrameBytes || bytes[kFrameBytes - 1] != ETX) {
        problem = WriteProblem::kNoEtx;
        return true;
    }
    const std::string_view frame = std::string_view(bytes).substr(0, kFrameBytes);
    const bool matches = frame.substr(kChecksumAt, kChecksumLength) == ComputeChecksum(frame);
    if (!matches && !record.Marked()) {
        problem = WriteProblem::kChecksum;
        return true;
    }
    if (record.Marked() && record.Suspicion() == Suspect::kMismatch) {
        problem = WriteProblem::kMarked;
        return true;
    }
    if (record.Marked()) {
        problem = WriteProblem::kChangedAfterRead;
        return true;
    }
    return false;
}

// A number of bytes in words: "1 byte ... is", "300 bytes ... are".
std::string NoRecordText(std::size_t count, std::string_view where) {
    return std::to_string(count) + (count == 1 ? " byte " : " bytes ") + std::string(where) +
           (count == 1 ? " is no record" : " are no record");
}

// Why a record that begins with a whole, well-summed frame and ends with its terminator is still not
// as a read stores it: bytes after its annotation, or an annotation a read would not have written.
// The record is kept raw, so Bytes() holds all of it.
void ExamineAnnotation(const Record& record, WriteFinding& finding) {
    const std::string_view body =
        record.BytesView().substr(0, record.BytesView().size() - kRecordTerminator.size());
    const std::string_view frame = body.substr(0, kFrameBytes);
    std::string annotation(kChecksumSeparator);
    annotation += ComputeChecksum(frame);
    finding.annotation = annotation.substr(1);
    const std::string_view after = body.substr(kFrameBytes);
    if (after.starts_with(annotation) && after.size() > annotation.size()) {
        std::string_view rest = after.substr(annotation.size());
        if (rest.starts_with(kMismatchMark)) rest.remove_prefix(kMismatchMark.size());
        if (!rest.empty()) {
            finding.problem = WriteProblem::kAfterAnnotation;
            finding.bytes = rest.size();
            return;
        }
    }
    finding.problem = WriteProblem::kAnnotation;
}

}  // namespace

void WriteCheck::Add(WriteFinding finding, bool always) {
    ++total_;
    if (finding.overridable) ++overridable_;
    ++counts_[static_cast<std::size_t>(finding.problem)];
    if (always || findings.size() < kKeptFindings) {
        findings.push_back(std::move(finding));
    } else {
        ++unlisted;
    }
}

WriteCheck CheckFileForWriting(const ParameterSet& set) {
    WriteCheck check;
    const RecordList records = set.Records();
    if (set.Identification() == nullptr) {
        WriteFinding finding;
        finding.record = records.empty() ? 0 : 1;
        finding.problem = WriteProblem::kNoIdentification;
        check.Add(std::move(finding));
    }
    const RecordPrograms programs = ProgramsOfRecords(set);
    // The records after the last one that begins with STX hold no telegram: bytes after the last record.
    std::size_t trailingFrom = records.size();
    while (trailingFrom > 1 && !records[trailingFrom - 1].StartsWithStx())
        --trailingFrom;
    std::size_t programPastLimit = 0;
    // The write sends from the STX after the identification's 'g' on; every record past the first
    // that begins with STX is one frame it sends.
    for (std::size_t k = 1; k < records.size(); ++k) {
        const Record& record = records[k];
        const auto add = [&](WriteFinding finding) {
            finding.record = static_cast<int>(k + 1);
            finding.program = programs.Of(k);
            finding.letter = std::string(record.Letter());
            check.Add(std::move(finding));
        };
        if (!record.StartsWithStx()) {
            // Not sent, but no part of a file a read stores either.
            WriteFinding finding;
            if (k < trailingFrom) {
                finding.problem = WriteProblem::kNotARecord;
                finding.bytes = record.Size();
            } else if (k == trailingFrom) {
                for (std::size_t t = k; t < records.size(); ++t)
                    check.trailingBytes += records[t].Size();
                finding.problem = WriteProblem::kTrailingBytes;
                finding.bytes = check.trailingBytes;
            } else {
                continue;
            }
            add(std::move(finding));
            continue;
        }
        ++check.frames;
        if (IsLetter(record.Letter(), 'P') && ++check.programs == kMaxPrograms + 1) programPastLimit = k;
        const bool terminated =
            record.Form() != RecordForm::kRaw || record.BytesView().ends_with(kRecordTerminator);
        const bool atEnd = !terminated && k + 1 == records.size();
        WriteFinding frame;
        const bool frameFault = ExamineFrame(record, atEnd, frame.problem);
        if (frameFault) {
            frame.bytes = frame.problem == WriteProblem::kCutShort ? record.BytesView().size() : 0;
            frame.overridable = frame.problem == WriteProblem::kMarked;
            add(std::move(frame));
        }
        // Only a record kept byte for byte can be damaged apart from its frame.
        if (record.Form() != RecordForm::kRaw) continue;
        if (atEnd) {
            WriteFinding cut;
            cut.problem = WriteProblem::kFileCutShort;
            cut.overridable = true;
            check.cutShort = true;
            add(std::move(cut));
        } else if (!frameFault && !terminated) {
            WriteFinding run;
            run.problem = WriteProblem::kNoTerminator;
            add(std::move(run));
        } else if (!frameFault) {
            WriteFinding annotation;
            ExamineAnnotation(record, annotation);
            add(std::move(annotation));
        }
    }
    if (check.programs > kMaxPrograms) {
        WriteFinding finding;
        finding.record = static_cast<int>(programPastLimit + 1);
        finding.program = programs.Of(programPastLimit);
        finding.letter = "P";
        finding.problem = WriteProblem::kTooManyPrograms;
        finding.programs = check.programs;
        check.Add(std::move(finding), true);
    }
    if (check.frames == 0) {
        WriteFinding finding;
        finding.problem = WriteProblem::kNoParameters;
        check.Add(std::move(finding), true);
    }
    return check;
}

std::string WriteFindingReason(const WriteFinding& finding) {
    switch (finding.problem) {
        case WriteProblem::kNoIdentification:
            return "not a data file: it does not begin with an identification telegram";
        case WriteProblem::kCutShort:
            return "the frame is cut short (" + std::to_string(finding.bytes) + " of its " +
                   std::to_string(kFrameBytes) + " bytes)";
        case WriteProblem::kNoEtx:
            return "the frame does not end in ETX";
        case WriteProblem::kChecksum:
            return "its checksum does not match its characters";
        case WriteProblem::kMarked:
            return "marked \" !!!\": its checksum did not match when it was read";
        case WriteProblem::kChangedAfterRead:
            return "marked \" !!!\" and changed after it was read";
        case WriteProblem::kNoParameters:
            return "the file holds no parameter to write";
        case WriteProblem::kTooManyPrograms:
            return "the file holds " + std::to_string(finding.programs) +
                   " programs; a device holds at most " + std::to_string(kMaxPrograms) +
                   ", and this is the first one past them";
        case WriteProblem::kFileCutShort:
            return "the file ends inside a record: it was cut short";
        case WriteProblem::kTrailingBytes:
            return NoRecordText(finding.bytes, "after the last record");
        case WriteProblem::kNotARecord:
            return NoRecordText(finding.bytes, "between two records");
        case WriteProblem::kAfterAnnotation:
            return std::to_string(finding.bytes) + (finding.bytes == 1 ? " byte" : " bytes") +
                   " after its annotation \"" + finding.annotation + "\": a read stores nothing there";
        case WriteProblem::kAnnotation:
            return "its annotation is not the \"" + finding.annotation + "\" a read writes after this frame";
        case WriteProblem::kNoTerminator:
            return "it runs into the next record without its line end (CR LF CR)";
    }
    return {};
}

std::string DescribeWriteFinding(const WriteFinding& finding) {
    std::string text = finding.record > 0 ? "record " + std::to_string(finding.record) : "file";
    if (!finding.program.empty()) {
        text += finding.program == "system" ? ", system" : ", program " + VisibleText(finding.program);
    }
    if (!finding.letter.empty()) text += ", letter " + VisibleText(finding.letter);
    return text + ": " + WriteFindingReason(finding);
}

std::string DescribeWriteCheck(const WriteCheck& check) {
    if (check.Empty()) return {};
    const int blocking = check.Blocking();
    const int marked = check.Count(WriteProblem::kMarked);
    std::string text;
    if (blocking > 0) {
        text = "Nothing was sent: the file cannot be written as it stands (" + std::to_string(blocking) +
               (blocking == 1 ? " fault" : " faults");
        if (marked > 0)
            text += ", " + std::to_string(marked) + " marked " + (marked == 1 ? "record" : "records");
        if (check.cutShort) text += ", cut short";
        text += "):";
    } else if (!check.cutShort) {
        text = std::to_string(marked) + (marked == 1 ? " record is" : " records are") +
               " marked \" !!!\": the value a device would get may not be the one it sent:";
    } else if (marked == 0) {
        text =
            "The file was cut short: a device would get only the frames before the cut and keep its own "
            "values for whatever followed:";
    } else {
        text = std::to_string(marked) + (marked == 1 ? " record is" : " records are") +
               " marked \" !!!\" and the file was cut short: the values a device would get may not be the "
               "ones it sent, and it would keep its own for whatever followed the cut:";
    }
    for (const WriteFinding& finding : check.findings)
        text += "\n" + DescribeWriteFinding(finding);
    if (check.unlisted > 0) text += "\n... and " + std::to_string(check.unlisted) + " more";
    return text;
}

bool HasIdentificationTelegram(const ParameterSet& set) {
    const RecordList records = set.Records();
    return !records.empty() && records.front().StartsWithStx() && IsLetter(records.front().Letter(), 'g');
}

}  // namespace kdm
