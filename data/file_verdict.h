// The one judgement of a data file that every front end gives: `kdmxp-cli show`, the table window,
// `kdmxp-cli diff` and the write (command line and desktop) call the same file damaged, or fit to be
// written, or fit only when the user says so. It is the write check's answer, so a file that one of
// them calls damaged is never written with a word of success by another.
//
// Thread safety: pure, no shared state.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/parameter_model.h"
#include "data/write_check.h"

namespace kdm {

enum class FileVerdict : std::uint8_t {
    kWritable,  // as a read stores it: a write sends it without asking
    kAsk,       // only findings a user may override (marked records, a cut after whole frames): a write
                // sends it only when the user says so (--allow-suspect, Yes to the question)
    kRefused,   // at least one finding nobody may override: nothing of it is sent
};

struct FileJudgement {
    FileVerdict verdict = FileVerdict::kWritable;
    WriteCheck check;  // what the verdict rests on, record by record
};

// The verdict of a write check.
FileVerdict VerdictOf(const WriteCheck& check);

// The judgement of a parsed data file: one pass over its records.
FileJudgement JudgeDataFile(const ParameterSet& set);

// "writable", "ask" or "refused": the words scripts get.
std::string_view FileVerdictName(FileVerdict verdict);

// "frameCutShort", "fileCutShort", "trailingBytes" ...: the word scripts get for a finding's kind.
std::string_view WriteProblemName(WriteProblem problem);

}  // namespace kdm
