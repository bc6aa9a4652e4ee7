// Reading a whole device into the temporary file and then into a data file, one telegram per tick.
//
// Threading and stop rules as for every TransferJob: a stop performed by the running thread closes the
// temporary file and the port and saves nothing.
//
// Telegrams given to the observer are the bytes as received, STX and ETX included; displays render them
// as they see fit.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "files/data_file.h"
#include "transfer/transfer_job.h"

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

// Where a read stands.
enum class ReadPhase {
    kSearching,     // the search and the request for the system block, before the first tick
    kSystemBlock,   // ticks store the system parameters, up to the 'g' that ends them
    kProgramBlock,  // ticks store the program parameters, up to the 'g' that ends them
    kOver,          // nothing more is received: saving, or ended
};

class ReadEngine final : public TransferJob {
  public:
    ReadEngine(Link& link, IClock& clock, ITransferObserver& observer, std::string tempPath);

    // Before StartRead, for the read that backs a device up before a write: called once the device
    // identified itself, before anything is requested from it. False ends the read at once with
    // nothing read (port closed, JobOutcome::kDeclined); the gate has told the user why. A device of
    // another type than the file to be written must not cost a whole read.
    using DeviceGate = std::function<bool(const std::string& identification)>;
    void SetDeviceGate(DeviceGate gate) { gate_ = std::move(gate); }

    int StartRead();  // 1 when the timer runs
    void OnTimer() override;

    // The data file the read was saved to; empty when it was not saved.
    const std::string& SavedPath() const { return savedPath_; }
    const std::string& TempPath() const { return tempPath_; }
    // True once this read created the temporary file; a read stopped before that (during the search)
    // left the file of an earlier read, or none, as it was.
    bool TempFileWritten() const { return tempFileWritten_; }
    // Telegram records stored in this read and how many of them carry " !!!".
    int StoredTelegrams() const { return counts_.stored; }
    int ChecksumMismatches() const { return counts_.mismatches; }
    // Of those marked: frames damaged on the line (cut short, without STX or ETX), which the mark
    // flags even where the checksum could not see the damage.
    int DamagedFrames() const { return counts_.damaged; }
    // Of the stored records: those of the system block, and the program telegrams ('P') of the
    // program block.
    int SystemTelegrams() const { return counts_.system; }
    int Programs() const { return counts_.programs; }

  private:
    int Start() override { return StartRead(); }
    void Release() override;
    // The device fell silent: "Error RS232", with what arrived kept in the temporary file.
    void EndOnSilence();
    // Both blocks have arrived: the port is closed and the user saves the data.
    void FinishRead();
    void AskDiscardUnsaved();
    bool TrySave();
    // Stores the record of the current tick; false (after ending the read) when it cannot be written.
    bool StoreRecord();
    // Ends the read when the blocks hold more than a parameter set can; true when it did.
    bool EndIfOverfull();

    std::string tempPath_;
    TempFile tempFile_;
    ReadPhase phase_ = ReadPhase::kOver;
    int telegramCount_ = 0;
    int emptyCount_ = 0;
    std::string programNo_;
    std::string lastRaw_;
    std::string lastLine_;
    std::string savedPath_;
    ReadCounts counts_;
    int sinceProgram_ = 0;  // program-block records since the last 'P' telegram
    int systemLimit_ = 0;
    int programLimit_ = 0;
    bool tempFileWritten_ = false;
    DeviceGate gate_;
};

}  // namespace kdm
