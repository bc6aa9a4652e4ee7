#include "transfer/read_engine.h"

#include <algorithm>
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

std::string KeptIn(const std::string& path) {
    return "What arrived is kept in " + path;
}

}  // namespace

int SystemTelegramLimit(int type) {
    return LimitOfType(type, kSystemTableRoom, SystemLayout);
}

int ProgramTelegramLimit(int type) {
    return LimitOfType(type, kProgramTableRoom, ProgramLayout);
}

ReadEngine::ReadEngine(Link& link, IClock& clock, ITransferObserver& observer, std::string tempPath)
    : link_(link), clock_(clock), observer_(observer), tempPath_(std::move(tempPath)) {}

ReadEngine::~ReadEngine() {
    link_.SetWaitObserver(nullptr);
}

int ReadEngine::StartRead() {
    // A stop asked for before this read began belongs to an earlier one.
    stopCommand_.store(0);
    link_.ClearStop();
    ended_ = false;
    stopped_ = false;
    dialogResult_ = 0;
    savedPath_.clear();
    stored_ = mismatches_ = damaged_ = systemStored_ = programs_ = sinceProgram_ = 0;
    tempFileWritten_ = false;

    observer_.OnStatus(sid::kSearching);
    std::string identification;
    link_.SetWaitObserver([this](const WaitNotice& notice) { observer_.OnWait(notice); });
    link_.SetSearchObserver([this](int portNumber) { observer_.OnSearchPort(portNumber); });
    const int result = link_.SearchDevice(identification);
    link_.SetSearchObserver(nullptr);
    if (StopIfRequested()) return 0;
    if (result != kSearchFound) {
        observer_.ShowError(SearchFailureText(result, link_.LastSearchAttempts()));
        link_.ClosePort();
        EndDialog(kIdCancel);
        return 0;
    }

    // Everything read is filed under the device type that the identification names; a damaged one
    // would file a whole read under the wrong type without anybody noticing.
    std::string checked;
    if (!VerifyTelegram(identification, checked)) {
        link_.ClosePort();
        observer_.ShowError(kDamagedIdentificationText);
        finished_ = programPhase_ = endSeen_ = false;
        EndDialog(kIdCancel);
        return 0;
    }

    std::string heading;
    const int type = DetectDeviceType(identification, heading);
    systemLimit_ = SystemTelegramLimit(type);
    programLimit_ = ProgramTelegramLimit(type);

    std::string reason;
    if (!tempFile_.Create(tempPath_, reason)) {
        EndWithError("Cannot create the temporary file: " + reason);
        return 0;
    }
    tempFileWritten_ = true;
    observer_.OnStatus(sid::kWaitingForDevice);
    if (!tempFile_.AppendRecord(identification, reason)) {
        EndWithError("Cannot store the data read in " + tempPath_ + ": " + reason);
        return 0;
    }
    observer_.OnStatus(sid::kRequestSystem);
    link_.SendRequest(kRequestSystem);
    observer_.OnStatus(sid::kReceivingSystem);

    telegramCount_ = 0;
    programNo_.clear();
    finished_ = programPhase_ = endSeen_ = false;

    // The device needs a moment to start its answer before the first tick looks for it.
    if (!WaitFor(clock_, kFirstTickDelayMs, stopCommand_)) {
        StopIfRequested();
        return 0;
    }
    timerRunning_ = true;
    return 1;
}

void ReadEngine::OnTimer() {
    if (!timerRunning_) return;
    if (StopIfRequested()) return;

    // The window shows what arrived on the previous tick: the counter lags one tick behind.
    observer_.OnControlText(kCtlReadingParameter, lastRaw_);
    observer_.OnControlText(kCtlParameterNo, std::to_string(telegramCount_));

    lastRaw_ = link_.ReceiveParameter(lastLine_);
    if (lastRaw_.empty()) {
        // A receive cut short by a stop request is not a silent line.
        if (StopIfRequested()) return;
        ++emptyCount_;
        if (emptyCount_ > kEmptyTickLimit) {
            AbortOnLinkError();
            emptyCount_ = 0;
        }
        return;
    }
    emptyCount_ = 0;

    // Only an intact 'g' telegram ends a block. A damaged one may be a parameter whose letter the line
    // turned into a 'g' ('f' with one bit flipped): taking it as the end would drop it and file the rest
    // of the system block as programs. It is stored with its mark instead; when it really was the end,
    // the device falls silent and the read ends with "Error RS232", with everything in "KDM.tmp".
    bool hasG = Contains(lastRaw_, 'g') && !EndsWith(lastLine_, kMismatchMark);
    if (!hasG && !StoreRecord()) return;
    const int p = FindLetter(lastRaw_, 'P', 0);
    if (p >= 0 && p < 100 && !hasG) {
        programNo_ = TakeField(lastRaw_, 5, 5);
    }
    if (programPhase_) observer_.OnControlText(kCtlProgramNo, programNo_);
    if (!hasG && EndIfOverfull()) return;

    if (hasG && !programPhase_ && !endSeen_) {
        // End of the system block: ask for the programs, with a pause on each side of the request.
        observer_.OnStatus(sid::kRequestProgram);
        programPhase_ = true;
        if (!WaitFor(clock_, kProgramRequestPauseMs, stopCommand_)) {
            StopIfRequested();
            return;
        }
        link_.SendRequest(kRequestProgram);
        observer_.OnStatus(sid::kReceivingProgram);
        telegramCount_ = 0;
        // So that this 'g' cannot also count as the end of the program block below.
        lastRaw_.clear();
        hasG = false;
        if (!WaitFor(clock_, kProgramRequestPauseMs, stopCommand_)) {
            StopIfRequested();
            return;
        }
    }
    const bool endOfBlock = hasG;
    if (endOfBlock && programPhase_) endSeen_ = true;
    if (endOfBlock && programPhase_ && endSeen_) {
        observer_.OnStatus(sid::kTerminated);
        tempFile_.Close();
        finished_ = true;
    }
    if (finished_) FinishRead();
    ++telegramCount_;
}

bool ReadEngine::StoreRecord() {
    std::string reason;
    if (!tempFile_.AppendRecord(lastLine_, reason)) {
        // Going on would end in a data file that silently lacks parameters.
        EndWithError("Cannot store the data read in " + tempPath_ + ": " + reason);
        return false;
    }
    ++stored_;
    if (EndsWith(lastLine_, kMismatchMark)) ++mismatches_;
    if (link_.LastFrameDamaged()) ++damaged_;
    if (!programPhase_) {
        ++systemStored_;
    } else {
        const int p = FindLetter(lastRaw_, 'P', 0);
        if (p >= 0 && p < 100) {
            ++programs_;
            sinceProgram_ = 0;
        } else {
            ++sinceProgram_;
        }
    }
    return true;
}

bool ReadEngine::EndIfOverfull() {
    std::string what;
    if (!programPhase_ && systemStored_ > systemLimit_) {
        what = "more than " + std::to_string(systemLimit_) + " system parameters";
    } else if (programs_ > kMaxReadPrograms) {
        what = "more than " + std::to_string(kMaxReadPrograms) + " programs";
    } else if (sinceProgram_ > programLimit_) {
        what = "more than " + std::to_string(programLimit_) + " parameters " +
               (programs_ > 0 ? "in program " + programNo_ : std::string("before the first program"));
    } else {
        return false;
    }
    // What arrived so far is all in "KDM.tmp", the record that went beyond the bound included.
    EndWithError("The device sent more than a parameter set can hold (" + what + "); the read was stopped. " +
                 KeptIn(tempPath_));
    return true;
}

void ReadEngine::FinishRead() {
    timerRunning_ = false;
    link_.ClosePort();
    finished_ = programPhase_ = endSeen_ = false;
    if (TrySave()) {
        EndDialog(kIdOk);
        return;
    }
    AskDiscardUnsaved();
}

bool ReadEngine::TrySave() {
    std::string path;
    if (!observer_.ChooseSavePath(path)) return false;
    std::string reason;
    if (!SaveDataFile(tempPath_, path, reason)) {
        // The question that follows says the data is not stored; this says why.
        observer_.ShowError("The data file " + path + " was not saved: " + reason);
        return false;
    }
    savedPath_ = path;
    return true;
}

void ReadEngine::AskDiscardUnsaved() {
    if (observer_.AskDiscardUnsaved()) {
        EndDialog(kIdOk);
        return;
    }
    // One more chance to save; after that the data stays in the temporary file without a question.
    TrySave();
    EndDialog(kIdOk);
}

void ReadEngine::AbortOnLinkError() {
    timerRunning_ = false;
    tempFile_.Close();
    observer_.ShowError(std::string(LoadString(sid::kErrorRs232)) + "\n" + KeptIn(tempPath_));
    link_.ClosePort();
    finished_ = programPhase_ = endSeen_ = false;
    EndDialog(kIdOk);
}

void ReadEngine::EndWithError(const std::string& text) {
    timerRunning_ = false;
    tempFile_.Close();
    link_.ClosePort();
    observer_.ShowError(text);
    finished_ = programPhase_ = endSeen_ = false;
    EndDialog(kIdCancel);
}

void ReadEngine::Stop(int command) {
    timerRunning_ = false;
    tempFile_.Close();
    link_.ClosePort();
    finished_ = programPhase_ = endSeen_ = false;
    stopped_ = true;
    EndDialog(command);
}

void ReadEngine::RequestStop(int command) {
    stopCommand_.store(command != 0 ? command : kIdCancel);
    link_.RequestStop();
}

bool ReadEngine::StopIfRequested() {
    int command = stopCommand_.load();
    // Ctrl-C reaches the link first, from a signal handler: a wait it cut short is a stop all the same,
    // never a silent line.
    if (command == 0 && link_.StopRequested()) command = kIdCancel;
    if (command == 0) return false;
    Stop(command);
    return true;
}

void ReadEngine::RunTimer() {
    RunTicks(clock_, kTimerIntervalMs, stopCommand_, timerRunning_, [this] { OnTimer(); });
}

void ReadEngine::EndDialog(int result) {
    timerRunning_ = false;
    ended_ = true;
    dialogResult_ = result;
}

}  // namespace kdm
