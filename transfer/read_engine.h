// Reading a whole device into the temporary file and then into a data file, one telegram per tick.
//
// Usage (on one worker thread): if (engine.StartRead()) while (engine.Running()) { engine.OnTimer();
// pace the next tick }. RunTimer() does exactly that with the 20 ms timer. RequestStop() may be called
// from any thread; the running thread then performs the stop (timer stopped, temporary file closed,
// port closed, nothing saved) at the next opportunity, even in the middle of the device search.
//
// Texts given to the observer are the bytes as received: telegram texts in control 1011 still hold
// their STX and ETX, and displays render them as they see fit.
#pragma once

#include <atomic>
#include <string>

#include "files/data_file.h"
#include "link/link.h"
#include "platform/clock.h"
#include "transfer/observer.h"

namespace kdm {

// Pause between the system-parameter request and the first tick.
inline constexpr int kFirstTickDelayMs = 200;
// Pause on each side of the program-parameter request.
inline constexpr int kProgramRequestPauseMs = 100;
// Empty ticks in a row that a read survives; one more ends it with "Error RS232".
inline constexpr int kEmptyTickLimit = 5;

// A device that never stops sending would fill "KDM.tmp" without end: a read gives up once a block holds
// more than a parameter set can. Programs beyond the 255th have no place in any table or device.
inline constexpr int kMaxReadPrograms = 255;
// Telegrams of the system block, and of one program after its 'P' telegram, that a read of a device of
// `type` accepts: twice what the type's layout names (a device may send letters the tables do not show)
// and never fewer than the table has room for; for a type without layouts, the largest of any type.
int SystemTelegramLimit(int type);
int ProgramTelegramLimit(int type);

// Shown when the device's identification telegram arrives with a checksum mismatch: the read stops
// before anything is stored.
inline constexpr const char* kDamagedIdentificationText =
    "The device's identification arrived damaged (checksum mismatch); nothing was read. Start the read "
    "again.";

class ReadEngine {
  public:
    ReadEngine(Link& link, IClock& clock, ITransferObserver& observer, std::string tempPath);
    ~ReadEngine();
    ReadEngine(const ReadEngine&) = delete;
    ReadEngine& operator=(const ReadEngine&) = delete;

    int StartRead();         // 1 when the timer runs
    void OnTimer();          // one tick
    void Stop(int command);  // IDOK / IDCANCEL: stop without question, nothing saved
    void RequestStop(int command = kIdCancel);
    // Runs ticks every 20 ms (a tick that takes longer is followed at once) until the read ends.
    void RunTimer();

    bool Running() const { return timerRunning_; }
    bool Ended() const { return ended_; }
    int DialogResult() const { return dialogResult_; }
    // True when the read ended because of a stop command (RequestStop or Stop).
    bool Stopped() const { return stopped_; }
    // The data file the read was saved to; empty when it was not saved.
    const std::string& SavedPath() const { return savedPath_; }
    const std::string& TempPath() const { return tempPath_; }
    // True once this read created the temporary file; a read stopped before that (during the search)
    // left the file of an earlier read, or none, as it was.
    bool TempFileWritten() const { return tempFileWritten_; }
    // Telegram records stored in this read and how many of them carry " !!!".
    int StoredTelegrams() const { return stored_; }
    int ChecksumMismatches() const { return mismatches_; }
    // Of those marked: frames damaged on the line (cut short, without STX or ETX), which the mark
    // flags even where the checksum could not see the damage.
    int DamagedFrames() const { return damaged_; }
    // Of the stored records: those of the system block, and the program telegrams ('P') of the
    // program block.
    int SystemTelegrams() const { return systemStored_; }
    int Programs() const { return programs_; }

  private:
    void AbortOnLinkError();
    void FinishRead();
    void AskDiscardUnsaved();
    bool TrySave();
    void EndDialog(int result);
    // Stores the record of the current tick; false (after ending the read) when it cannot be written.
    bool StoreRecord();
    // Ends the read on a failure of our own side (temporary file), with the port closed.
    void EndWithError(const std::string& text);
    // Performs a pending stop request; true when there was one.
    bool StopIfRequested();
    // Ends the read when the blocks hold more than a parameter set can; true when it did.
    bool EndIfOverfull();

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
    bool stopped_ = false;
    int dialogResult_ = 0;
    std::string savedPath_;
    int stored_ = 0;
    int mismatches_ = 0;
    int damaged_ = 0;
    int systemStored_ = 0;
    int programs_ = 0;
    int sinceProgram_ = 0;  // program-block records since the last 'P' telegram
    int systemLimit_ = 0;
    int programLimit_ = 0;
    bool tempFileWritten_ = false;
    std::atomic<int> stopCommand_{0};
};

}  // namespace kdm
