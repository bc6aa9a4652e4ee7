// The verdict on a data file, shared by every front end.
#include "data/file_verdict.h"

namespace kdm {

FileVerdict VerdictOf(const WriteCheck& check) {
    if (check.Blocking() > 0) return FileVerdict::kRefused;
    return check.Empty() ? FileVerdict::kWritable : FileVerdict::kAsk;
}

FileJudgement JudgeDataFile(const ParameterSet& set) {
    FileJudgement judgement;
    judgement.check = CheckFileForWriting(set);
    judgement.verdict = VerdictOf(judgement.check);
    return judgement;
}

std::string_view FileVerdictName(FileVerdict verdict) {
    switch (verdict) {
        case FileVerdict::kAsk:
            return "ask";
        case FileVerdict::kRefused:
            return "refused";
        case FileVerdict::kWritable:
            break;
    }
    return "writable";
}

std::string_view WriteProblemName(WriteProblem problem) {
    switch (problem) {
        case WriteProblem::kNoIdentification:
            return "noIdentification";
        case WriteProblem::kCutShort:
            return "frameCutShort";
        case WriteProblem::kNoEtx:
            return "noEtx";
        case WriteProblem::kChecksum:
            return "checksum";
        case WriteProblem::kMarked:
            return "marked";
        case WriteProblem::kChangedAfterRead:
            return "changedAfterRead";
        case WriteProblem::kNoParameters:
            return "noParameters";
        case WriteProblem::kTooManyPrograms:
            return "tooManyPrograms";
        case WriteProblem::kFileCutShort:
            return "fileCutShort";
        case WriteProblem::kTrailingBytes:
            return "trailingBytes";
        case WriteProblem::kNotARecord:
            return "notARecord";
        case WriteProblem::kAfterAnnotation:
            return "bytesAfterAnnotation";
        case WriteProblem::kAnnotation:
            return "annotation";
        case WriteProblem::kNoTerminator:
            return "noTerminator";
    }
    return "unknown";
}

}  // namespace kdm
