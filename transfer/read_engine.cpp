#include "transfer/read_engine.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/strings.h"
#include "data/tables.h"
#include "link/telegram.h"
#include "link/wire.h"
#include "transfer/pacing.h"

namespace kdm {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Room in the tables: the system table's rows below its heading, the program table's columns.
constexpr int kSystemTableRoom = kSystemRows - 1;
constexpr int kProgramTableRoom = kProgramCols;

int BlockLimit(const Layout* layout, int room) {
    const int named = layout != nullptr ? static_cast<int>(layout->entries.size()) : 0;
    return std::max(2 * named, room);
}

template <typename LayoutOf>
int LimitOfType(int type, int room, LayoutOf layoutOf) {
    if (const Layout* layout = layoutOf(type)) return BlockLimit(layout, room);
    int largest = room;
    for (const int known : KnownDeviceTypes())
        largest = std::max(largest, BlockLimit(layoutOf(known), room));
    return largest;
}

TransferFailure ReadFailure(TransferTrouble trouble, std::string path = {}, std::string reason = {}) {
    TransferFailure failure;
    failure.trouble = trouble;
    failure.path = std::move(path);
    failure.reason = std::move(reason);
    return failure;
}

}  // namespace

int SystemTelegramLimit(int type) {
    return LimitOfType(type, kSystemTableRoom, SystemLayout);
}

int ProgramTelegramLimit(int type) {
    return LimitOfType(type, kProgramTableRoom, ProgramLayout);
}

ReadEngine::ReadEngine(Link& link, IClock& clock, ITransferObserver& observer, std::string tempPath)
    : TransferJob(link, clock, observer), tempPath_(std::move(tempPath)) {}

int ReadEngine::StartRead() {
    Reset();
    phase_ = ReadPhase::kSearching;
    savedPath_.clear();
    counts_ = ReadCounts();
    sinceProgram_ = 0;
    tempFileWritten_ = false;

    std::string identification;
    const std::optional<int> result = SearchDevice(identification);
    if (!result) return 0;
    if (*result != kSearchFound) {
        observer_.OnSearchFailed(*result, link_.LastSearchAttempts());
        link_.ClosePort();
        End(JobOutcome::kFailed);
        return 0;
    }

    // Everything read is filed under the device type that the identification names; a damaged one
    // would file a whole read under the wrong type without anybody noticing.
    std::string checked;
    if (!VerifyTelegram(identification, checked)) {
        Fail(ReadFailure(TransferTrouble::kDamagedIdentification));
        return 0;
    }

    if (gate_ && !gate_(identification)) {
        link_.ClosePort();
        End(JobOutcome::kDeclined);
        return 0;
    }

    std::string heading;
    const int type = DetectDeviceType(identification, heading);
    systemLimit_ = SystemTelegramLimit(type);
    programLimit_ = ProgramTelegramLimit(type);

    std::string reason;
    if (!tempFile_.Create(tempPath_, reason)) {
        Fail(ReadFailure(TransferTrouble::kCannotCreateTemp, tempPath_, reason));
        return 0;
    }
    tempFileWritten_ = true;
    observer_.OnStatus(sid::kWaitingForDevice);
    if (!tempFile_.AppendRecord(identification, reason)) {
        Fail(ReadFailure(TransferTrouble::kCannotStore, tempPath_, reason));
        return 0;
    }
    observer_.OnIdentified(identification);
    observer_.OnStatus(sid::kRequestSystem);
    link_.SendRequest(kRequestSystem);
    observer_.OnStatus(sid::kReceivingSystem);

    telegramCount_ = 0;
    programNo_.clear();
    phase_ = ReadPhase::kSystemBlock;

    // The device needs a moment to start its answer before the first tick looks for it.
    if (!Pause(kFirstTickDelayMs)) return 0;
    StartTicking();
    return 1;
}

void ReadEngine::OnTimer() {
    if (!Running()) return;
    if (StopIfRequested()) return;

    // The window shows what arrived on the previous tick: the counter lags one tick behind.
    observer_.OnTelegramShown(lastRaw_);
    observer_.OnTelegramCount(telegramCount_);

    lastRaw_ = link_.ReceiveParameter(lastLine_);
    if (lastRaw_.empty()) {
        // A receive cut short by a stop request is not a silent line.
        if (StopIfRequested()) return;
        ++emptyCount_;
        if (emptyCount_ > kEmptyTickLimit) {
            EndOnSilence();
            emptyCount_ = 0;
        }
        return;
    }
    emptyCount_ = 0;

    // Only an intact 'g' telegram ends a block. A damaged one may be a parameter whose letter the line
    // turned into a 'g' ('f' with one bit flipped): taking it as the end would drop it and file the rest
    // of the system block as programs. It is stored with its mark instead; when it really was the end,
    // the device falls silent and the read ends with "Error RS232", with everything in "KDM.tmp".
    const bool endOfBlock = Contains(lastRaw_, 'g') && !EndsWith(lastLine_, kMismatchMark);
    if (!endOfBlock && !StoreRecord()) return;
    const int p = FindLetter(lastRaw_, 'P', 0);
    if (p >= 0 && p < 100 && !endOfBlock) {
        programNo_ = TakeField(lastRaw_, 5, 5);
    }
    if (phase_ == ReadPhase::kProgramBlock) observer_.OnProgramNumber(programNo_);
    if (!endOfBlock && EndIfOverfull()) return;

    if (endOfBlock && phase_ == ReadPhase::kSystemBlock) {
        // End of the system block: ask for the programs, with a pause on each side of the request.
        observer_.OnStatus(sid::kRequestProgram);
        phase_ = ReadPhase::kProgramBlock;
        if (!Pause(kProgramRequestPauseMs)) return;
        link_.SendRequest(kRequestProgram);
        observer_.OnStatus(sid::kReceivingProgram);
        telegramCount_ = 0;
        // So that this 'g' cannot also count as the end of the program block.
        lastRaw_.clear();
        if (!Pause(kProgramRequestPauseMs)) return;
    } else if (endOfBlock && phase_ == ReadPhase::kProgramBlock) {
        observer_.OnStatus(sid::kTerminated);
        tempFile_.Close();
        FinishRead();
    }
    ++telegramCount_;
}

bool ReadEngine::StoreRecord() {
    std::string reason;
    if (!tempFile_.AppendRecord(lastLine_, reason)) {
        // Going on would end in a data file that silently lacks parameters.
        Fail(ReadFailure(TransferTrouble::kCannotStore, tempPath_, reason));
        return false;
    }
    ++counts_.stored;
    if (EndsWith(lastLine_, kMismatchMark)) ++counts_.mismatches;
    if (link_.LastFrameDamaged()) ++counts_.damaged;
    if (phase_ == ReadPhase::kSystemBlock) {
        ++counts_.system;
    } else {
        const int p = FindLetter(lastRaw_, 'P', 0);
        if (p >= 0 && p < 100) {
            ++counts_.programs;
            sinceProgram_ = 0;
        } else {
            ++sinceProgram_;
        }
    }
    observer_.OnRecordStored(counts_);
    return true;
}

bool ReadEngine::EndIfOverfull() {
    // What arrived so far is all in "KDM.tmp", the record that went beyond the bound included.
    TransferFailure overfull = ReadFailure(TransferTrouble::kTooManySystem, tempPath_);
    if (phase_ == ReadPhase::kSystemBlock && counts_.system > systemLimit_) {
        overfull.limit = systemLimit_;
    } else if (counts_.programs > kMaxReadPrograms) {
        overfull.trouble = TransferTrouble::kTooManyPrograms;
        overfull.limit = kMaxReadPrograms;
    } else if (sinceProgram_ > programLimit_) {
        overfull.trouble = TransferTrouble::kTooManyInProgram;
        overfull.limit = programLimit_;
        if (counts_.programs > 0) overfull.program = programNo_;
    } else {
        return false;
    }
    Fail(overfull);
    return true;
}

void ReadEngine::FinishRead() {
    StopTicking();
    phase_ = ReadPhase::kOver;
    link_.ClosePort();
    if (!TrySave()) AskDiscardUnsaved();
    End(JobOutcome::kCompleted);
}

bool ReadEngine::TrySave() {
    std::string path;
    if (!observer_.ChooseSavePath(path)) return false;
    std::string reason;
    if (!SaveDataFile(tempPath_, path, reason)) {
        // The question that follows says the data is not stored; this says why.
        observer_.OnFailure(ReadFailure(TransferTrouble::kNotSaved, path, reason));
        return false;
    }
    savedPath_ = path;
    observer_.OnSaved(path);
    return true;
}

void ReadEngine::AskDiscardUnsaved() {
    if (observer_.AskDiscardUnsaved()) return;
    // One more chance to save; after that the data stays in the temporary file without a question.
    TrySave();
}

void ReadEngine::EndOnSilence() {
    StopTicking();
    Release();
    observer_.OnFailure(ReadFailure(TransferTrouble::kLineSilent, tempPath_));
    link_.ClosePort();
    End(JobOutcome::kLineSilent);
}

void ReadEngine::Release() {
    phase_ = ReadPhase::kOver;
    tempFile_.Close();
}

}  // namespace kdm
