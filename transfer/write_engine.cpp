#include "transfer/write_engine.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

#include "data/file_verdict.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "link/telegram.h"
#include "link/wire.h"
#include "transfer/frames.h"
#include "transfer/pacing.h"

namespace kdm {

std::string DeviceErrorText(int errorNumber) {
    std::string text(LoadString(sid::kDeviceErrorNo));
    if (errorNumber == kNoDeviceResponse) {
        text += LoadString(sid::kNoDeviceResponse);
    } else {
        text += "  " + std::to_string(errorNumber);
    }
    return text;
}

WriteEnding HistoryEnding(WriteEnd end) {
    switch (end) {
        case WriteEnd::kStopped:
            return WriteEnding::kStopped;
        case WriteEnd::kDeviceError:
            return WriteEnding::kDeviceError;
        case WriteEnd::kNoResponse:
            return WriteEnding::kNoResponse;
    }
    return WriteEnding::kOther;
}

WriteEngine::WriteEngine(Link& link, IClock& clock, ITransferObserver& observer)
    : TransferJob(link, clock, observer) {}

int WriteEngine::StartWrite() {
    observer_.OnProgressPos(0);
    std::string path;
    if (!observer_.ChooseFileToWrite(path)) {
        End(JobOutcome::kNothingChosen);
        return 0;
    }
    return Begin(path);
}

int WriteEngine::StartWriteFile(const std::string& path) {
    observer_.OnProgressPos(0);
    return Begin(path);
}

int WriteEngine::Begin(const std::string& path) {
    Reset();
    framesSent_ = 0;
    framesInFile_ = 0;
    walkedLength_ = 0;
    lastError_ = 0;
    incomplete_.reset();

    std::string reason;
    long length = 0;
    fileText_.clear();
    if (!ReadWholeFile(path, fileText_, length, reason)) {
        TransferFailure failure;
        failure.trouble = TransferTrouble::kCannotReadFile;
        failure.path = path;
        failure.reason = reason;
        Fail(failure);
        return 0;
    }
    // Positions in the file are 32-bit; refuse a file they cannot address.
    if (length > std::numeric_limits<std::int32_t>::max() - kProgressOverhang) {
        TransferFailure failure;
        failure.trouble = TransferTrouble::kFileTooLarge;
        failure.path = path;
        Fail(failure);
        return 0;
    }
    fileLength_ = static_cast<std::int32_t>(length);
    walkedLength_ = static_cast<std::int32_t>(WalkedText(fileText_).size());
    framesInFile_ = CountFrames(fileText_);
    if (!FileFitForDevice()) return 0;

    std::string identification;
    const std::optional<int> result = SearchDevice(identification);
    if (!result) return 0;
    if (*result != kSearchFound) {
        FailSearch(*result);
        return 0;
    }

    observer_.OnStatus(sid::kCheckingFile);
    int firstG = -1;
    int refusal = 0;
    const int fileOk = CheckFileForWrite(identification, fileText_, fileLength_, firstG, refusal);
    if (refusal == kWrongDeviceTypeText) {
        Fail(std::string(LoadString(sid::kWrongDeviceType)));
        return 0;
    }
    position_ = firstG;
    if (!fileOk) {
        // The window stays open with the port held until the user closes it.
        observer_.OnStatus(sid::kParameterFileError);
        return 0;
    }
    dataEnd_ = fileLength_ - static_cast<std::int32_t>(kMinimumWriteLength);
    if (!observer_.ConfirmWrite(identification)) {
        link_.ClosePort();
        End(JobOutcome::kDeclined);
        return 0;
    }

    int errorNumber = 0;
    const int statusOk = link_.RequestDeviceStatus(errorNumber);
    if (StopIfRequested()) return 0;
    if (!statusOk) {
        lastError_ = errorNumber;
        observer_.OnStatus(sid::kDownloadNotStarted);
        return 0;
    }

    observer_.OnProgressRange(0, fileLength_ + kProgressOverhang);
    observer_.OnStatus(sid::kTransferSystem);
    StartTicking();
    return 1;
}

bool WriteEngine::FileFitForDevice() {
    // A file too short to write keeps its refusal after the type check; any longer one is checked
    // whole before a port is opened, so that no frame of a damaged file reaches a device.
    if (fileLength_ <= kMinimumWriteLength) return true;
    const FileJudgement judgement = JudgeDataFile(ParseParameterSet(fileText_).set);
    if (judgement.verdict == FileVerdict::kWritable) return true;
    if (judgement.verdict == FileVerdict::kRefused) {
        FailWith([&] { observer_.OnWriteRefused(judgement.check); });
        return false;
    }
    if (observer_.AskWriteMarkedRecords(judgement.check)) return true;
    // The user's own choice: nothing to add to it.
    End(JobOutcome::kDeclined);
    return false;
}

std::int32_t WriteEngine::NextFrame(std::int32_t from) const {
    // The text up to its first NUL is known since Begin: each tick reads only up to its own frame.
    return NextFrameIn(std::string_view(fileText_).substr(0, static_cast<std::size_t>(walkedLength_)), from);
}

void WriteEngine::EndIncomplete(WriteEnd end, int errorNumber) {
    IncompleteWrite write;
    write.framesSent = framesSent_;
    write.framesInFile = framesInFile_;
    write.end = end;
    write.errorNumber = errorNumber;
    incomplete_ = write;
    observer_.OnWriteIncomplete(write);
}

void WriteEngine::OnStopped() {
    // A stop before the first frame leaves the device as it was; after it, the device holds part of the
    // file, and says so however the stop came (a key, a button, a signal).
    if (framesSent_ > 0 && !incomplete_) EndIncomplete(WriteEnd::kStopped, 0);
}

void WriteEngine::OnTimer() {
    if (!Running()) return;
    if (StopIfRequested()) return;

    const std::int32_t frameAt = NextFrame(position_);
    if (frameAt >= 0) {
        position_ = frameAt;
        const std::string frame = fileText_.substr(static_cast<std::size_t>(position_), kFrameBytes);
        const int p = FindLetter(frame, 'P', 0);
        if (p > 0) {
            observer_.OnStatus(sid::kTransferProgram);
            observer_.OnWriteProgramNumber(TakeField(frame, p + 5, 3));
        }
        link_.SendFrame(frame, static_cast<int>(kFrameBytes));
        ++framesSent_;
        observer_.OnFrameSent(frame);
        observer_.OnRemaining(std::max<std::int32_t>(0, dataEnd_ - position_));

        int errorNumber = 0;
        if (!link_.ReceiveAcknowledge(errorNumber)) {
            // An acknowledgement cut short by a stop request is not a device failure.
            if (StopIfRequested()) return;
            lastError_ = errorNumber;
            StopTicking();
            link_.ClosePort();
            // Not "communication terminated": that is what a complete write ends with. The error and
            // what the device now holds go up as one event, so that a window can show them in one box.
            EndIncomplete(errorNumber == kNoDeviceResponse ? WriteEnd::kNoResponse : WriteEnd::kDeviceError,
                          errorNumber);
            End(JobOutcome::kFailed);
            return;
        }
        observer_.OnProgressPos(position_);
        position_ += 1;
    }

    if (NextFrame(position_) < 0) {
        StopTicking();
        link_.ClosePort();
        End(JobOutcome::kCompleted);
        observer_.OnWriteComplete();
    }
}

}  // namespace kdm
