// Reading a whole device into the temporary file and then into a data file, one telegram per tick.
//
// Usage (on one worker thread): if (engine.StartRead()) while (engine.Running()) { engine.OnTimer();
// pace the next tick }. RunTimer() does exactly that with the 20 ms timer. RequestStop() may be called
// from any thread; the running thread then performs the stop (timer stopped, temporary file closed,
// port closed, nothing saved) at the next opportunity, even in the middle of the device search.
#pragma once

#include <atomic>
#include <string>

#include "files/data_file.h"
#include "link/link.h"
#include "platform/clock.h"
#include "transfer/observer.h"

namespace kdm {

inline constexpr int kTimerIntervalMs = 20;

class ReadEngine {
public:
    ReadEngine(Link& link, IClock& clock, ITransferObserver& observer, std::string tempPath);

    int StartRead();   // 1 when the timer runs
    void OnTimer();    // one tick
    void Stop(int command);  // IDOK / IDCANCEL: stop without question, nothing saved
    void RequestStop(int command = kIdCancel);
    // Runs ticks every 20 ms (a tick that takes longer is followed at once) until the read ends.
    void RunTimer();

    bool Running() const { return timerRunning_; }
    bool Ended() const { return ended_; }
    int DialogResult() const { return dialogResult_; }
    const std::string& SavedPath() const { return savedPath_; }
    // Telegram records stored in this read and how many of them carry " !!!".
    int StoredTelegrams() const { return stored_; }
    int ChecksumMismatches() const { return mismatches_; }

private:
    void AbortOnLinkError();
    void FinishRead();
    void AskDiscardUnsaved();
    bool TrySave();
    void EndDialog(int result);

    Link& link_;
    IClock& clock_;
    ITransferObserver& observer_;
    std::string tempPath_;
    TempFile tempFile_;
    // The process-wide read state of the original, as members.
    int telegramCount_ = 0;
    int emptyCount_ = 0;
    std::string programNo_;
    std::string lastRaw_;
    std::string lastLine_;
    bool programPhase_ = false;
    bool endSeen_ = false;
    bool finished_ = false;
    bool timerRunning_ = false;
    bool ended_ = false;
    int dialogResult_ = 0;
    std::string savedPath_;
    int stored_ = 0;
    int mismatches_ = 0;
    std::atomic<int> stopCommand_{0};
};

}  // namespace kdm
