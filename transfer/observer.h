// What happens in a transfer, as events, and what it asks of the user. The desktop windows and the
// command line are two observers; each shows the events it has room for.
//
// The jobs call these from the thread that runs them. Calls that stand for boxes and dialogs return
// only when the user has answered. Texts are passed as the bytes they are: a telegram keeps its STX and
// ETX, and each display renders control bytes in its own way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/write_check.h"
#include "link/link.h"
#include "link/waits.h"

namespace kdm {

// How far a read got, after each record it stored in the temporary file.
struct ReadCounts {
    int stored = 0;      // telegram records stored
    int system = 0;      // of those, the system block's
    int programs = 0;    // program telegrams ('P') stored
    int mismatches = 0;  // records marked " !!!"
    int damaged = 0;     // of those, frames damaged on the line (cut short, without STX or ETX)
};

// Why a write ended after sending some of its frames but before every one was acknowledged.
enum class WriteEnd : std::uint8_t {
    kStopped,      // a stop command (Esc, Cancel, a stop signal on the command line)
    kDeviceError,  // the device answered a frame with an error number
    kNoResponse,   // no acknowledgement came: a silent device, a cut line, a port that went away
};

// A write that ended part-way: the device now holds an incomplete parameter set, the file's first
// `framesSent` frames (the last of them perhaps not taken) over what it held before.
struct IncompleteWrite {
    int framesSent = 0;
    int framesInFile = 0;
    WriteEnd end = WriteEnd::kStopped;
    int errorNumber = 0;  // the device's error number; 300 (no 'F' telegram) for kNoResponse
};

// Why a transfer failed on its own side (the file, the temporary file, what the device sent), for the
// front ends to word.
enum class TransferTrouble : std::uint8_t {
    kDamagedIdentification,  // the identification arrived damaged
    kCannotCreateTemp,       // the temporary file `path` could not be created: `reason`
    kCannotStore,            // the temporary file `path` took no more: `reason`
    kTooManySystem,          // more than `limit` system parameters; what arrived is in `path`
    kTooManyPrograms,        // more than `limit` programs; what arrived is in `path`
    kTooManyInProgram,       // more than `limit` parameters in program `program` (empty: before the
                             // first program); what arrived is in `path`
    kNotSaved,               // the data file `path` was not saved: `reason`
    kLineSilent,             // the device stopped sending; what arrived is in `path`
    kCannotReadFile,         // the data file `path` to write cannot be read: `reason` (may be empty)
    kFileTooLarge,           // the file `path` is too large to be a data file
};

struct TransferFailure {
    TransferTrouble trouble = TransferTrouble::kDamagedIdentification;
    int limit = 0;
    std::string program;
    std::string path;
    std::string reason;  // the system's words, as they came
};

// The English words of `failure`, as the command line prints them.
std::string DescribeTransferFailure(const TransferFailure& failure);

class ITransferObserver {
  public:
    virtual ~ITransferObserver() = default;

    // Both jobs.
    // The status line shows string `stringId`.
    virtual void OnStatus(int stringId) = 0;
    // The device search is about to try port `portNumber` (0: the one port given by its path).
    virtual void OnSearchPort(int portNumber) { (void)portNumber; }
    // A wait of the link has lasted 2 s or more (notice.seconds), or an announced wait is over (0): what
    // the conversation waits for.
    virtual void OnWait(const WaitNotice& notice) { (void)notice; }

    // The read. At the start of each tick: the telegram that arrived on the previous tick (empty on the
    // first tick and on the one after the program request), and the telegrams counted in the block
    // before it.
    virtual void OnTelegramShown(const std::string& telegram) { (void)telegram; }
    virtual void OnTelegramCount(int count) { (void)count; }
    // On each tick of the program block: the number of the program whose parameters arrive.
    virtual void OnProgramNumber(const std::string& number) { (void)number; }
    // The device identified itself; its identification is the temporary file's first record.
    virtual void OnIdentified(const std::string& identification) { (void)identification; }
    // A telegram record was stored in the temporary file.
    virtual void OnRecordStored(const ReadCounts& counts) { (void)counts; }
    // The data read was saved as the data file `path`.
    virtual void OnSaved(const std::string& path) { (void)path; }

    // The write. Its bar runs from `low` to `high`, positions being characters of the file.
    virtual void OnProgressRange(int low, int high) { (void)low, (void)high; }
    virtual void OnProgressPos(int position) { (void)position; }
    // A program's first frame is about to go out: its program number.
    virtual void OnWriteProgramNumber(const std::string& number) { (void)number; }
    // `frame` was sent; `characters` of the file's data are left to transfer after it.
    virtual void OnFrameSent(const std::string& frame) { (void)frame; }
    virtual void OnRemaining(int characters) { (void)characters; }
    // Every frame was acknowledged: the write says "communication terminated".
    virtual void OnWriteComplete() {}
    // The write ended after at least one frame and before the last acknowledgement: a failed
    // acknowledgement (in place of the error box, whose text DeviceErrorText gives), or a stop. Each
    // front end says that the device holds an incomplete parameter set, and how much of the file.
    virtual void OnWriteIncomplete(const IncompleteWrite& write) { (void)write; }

    // Error box (title "KDM XP Error", exclamation icon).
    virtual void ShowError(const std::string& text) = 0;
    // Error boxes whose words each front end chooses; by default ShowError with the English words.
    // The device search found no device (`searchResult` as the link's search returns it); `attempts`
    // says what became of each port tried.
    virtual void OnSearchFailed(int searchResult, const std::vector<SearchAttempt>& attempts);
    virtual void OnFailure(const TransferFailure& failure);
    // Write, before any port is opened: the file cannot be written as it stands.
    virtual void OnWriteRefused(const WriteCheck& check);
    // Read: the save dialog; true with a path, false when cancelled.
    virtual bool ChooseSavePath(std::string& path) = 0;
    // Read: "Actual data not stored! / Do you realy want to break?" titled "KDM XP  V 1.6 "; true = Yes.
    virtual bool AskDiscardUnsaved() = 0;
    // Write: the file-open dialog; true with a path, false when cancelled.
    virtual bool ChooseFileToWrite(std::string& path) = 0;
    // Write, before any port is opened: the file holds records marked " !!!" or was cut short after
    // whole frames, as `check` lists, and nothing else is wrong with it. True sends it as it is; the
    // answer when nobody says so is No.
    virtual bool AskWriteMarkedRecords(const WriteCheck& check) {
        (void)check;
        return false;
    }
    // Write: the device identified itself (`identification`) as one the file is meant for, and no
    // frame of the file has gone out. True goes on; false ends the write with the device unchanged
    // (JobOutcome::kDeclined). The command line's write is confirmation enough: yes by default.
    virtual bool ConfirmWrite(const std::string& identification) {
        (void)identification;
        return true;
    }
};

}  // namespace kdm
