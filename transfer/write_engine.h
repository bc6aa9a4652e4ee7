// Writing a data file into a device, one stored frame and its acknowledgement per tick.
// Threading and stop rules as for every TransferJob.
//
// Every complete frame (an STX and the 15 bytes after it) that follows the identification record is
// sent, in file order, unchanged; the write ends with "communication terminated" only after each of
// them was acknowledged. Before any port is opened, a file longer than kMinimumWriteLength must pass
// CheckFileForWriting (data/write_check.h): a damaged one is refused with the list of what is wrong
// (ShowError), and records marked " !!!" go out only when AskWriteMarkedRecords says yes.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/transfer_job.h"

namespace kdm {

// Bytes of a stored frame: STX, the 14 telegram characters, ETX.
// The progress bar runs this far beyond the file length.
inline constexpr int kProgressOverhang = 200;

// The status line after an acknowledgement failed: the write did not complete, and the device holds
// what it took before.
std::string WriteFailedText(int framesSent, int framesInFile);

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

  private:
    int Start() override { return StartWrite(); }
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
};

}  // namespace kdm
