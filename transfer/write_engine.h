// Writing a data file into a device, one stored frame and its acknowledgement per tick.
// Threading and stop rules as for every TransferJob.
//
// Every complete frame (an STX and the 15 bytes after it) that follows the identification record is
// sent, in file order, unchanged; the write ends with "communication terminated" only after each of
// them was acknowledged. A write that ends after sending some of them (a failed acknowledgement, a
// stop) tells the observer so with OnWriteIncomplete. Before any port is opened, a file longer than
// kMinimumWriteLength is judged as `show` judges it (JudgeDataFile, data/file_verdict.h): a damaged one
// is refused with the list of what is wrong (ShowError), and one with records marked " !!!" or cut short
// after whole frames goes out only when AskWriteMarkedRecords says yes. Once the device identified
// itself as a type the file is meant for, ConfirmWrite is asked before anything else is sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/history.h"
#include "transfer/transfer_job.h"

namespace kdm {

// Bytes of a stored frame: STX, the 14 telegram characters, ETX.
// The progress bar runs this far beyond the file length.
inline constexpr int kProgressOverhang = 200;

// The error box of a failed acknowledgement: "Device error no:" and the device's error number, or
// "No device response" when no 'F' telegram came.
std::string DeviceErrorText(int errorNumber);

// How the device history names such an end. A hang-up of the command line's terminal is a stop to the
// engine; only the command line can tell it apart.
WriteEnding HistoryEnding(WriteEnd end);

class WriteEngine final : public TransferJob {
  public:
    WriteEngine(Link& link, IClock& clock, ITransferObserver& observer);

    // Asks for the file through the observer, reads it, searches the device, checks, starts the timer.
    int StartWrite();
    // Same without the file dialog (command line, tests).
    int StartWriteFile(const std::string& path);
    void OnTimer() override;

    // True only after "communication terminated" following the last frame.
    bool Completed() const { return Outcome() == JobOutcome::kCompleted; }
    int FramesSent() const { return framesSent_; }
    // Frames the file holds, all of which a complete write sends (known once the file was read).
    int FramesInFile() const { return framesInFile_; }
    int LastErrorNumber() const { return lastError_; }
    // Set once the write ended after some frames but not all (OnWriteIncomplete told the observer).
    const std::optional<IncompleteWrite>& Incomplete() const { return incomplete_; }

  private:
    int Start() override { return StartWrite(); }
    void OnStopped() override;
    void EndIncomplete(WriteEnd end, int errorNumber);
    int Begin(const std::string& path);
    // The check of the whole file before the search; false when the write ended there.
    bool FileFitForDevice();
    // STX index of the first complete frame at or after `from`, or -1.
    std::int32_t NextFrame(std::int32_t from) const;

    std::string fileText_;
    std::int32_t fileLength_ = 0;
    std::int32_t walkedLength_ = 0;  // bytes before the first NUL: what the walk sees
    std::int32_t position_ = 0;
    std::int32_t dataEnd_ = 0;
    int framesSent_ = 0;
    int framesInFile_ = 0;
    int lastError_ = 0;
    std::optional<IncompleteWrite> incomplete_;
};

}  // namespace kdm
