// What `kdmxp-cli read` and `write` share: the progress display on stderr, stop signals during a
// transfer and the message texts.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "cli/progress_text.h"
#include "cli/stop_signals.h"
#include "link/link.h"
#include "transfer/observer.h"
#include "transfer/read_engine.h"

namespace kdmcli {

// How progress is shown: nothing but errors, one line per status change, or one live line on a terminal.
enum class ProgressMode { kQuiet, kLines, kLive };

// kLive when stderr is a terminal, kLines otherwise; kQuiet when asked.
ProgressMode ChooseProgressMode(bool quiet);

// The transfer window, drawn on stderr. Errors are always printed; everything else depends on the mode.
class ProgressObserver final : public kdm::ITransferObserver {
  public:
    ProgressObserver(ProgressMode mode, bool writing);
    ~ProgressObserver() override;
    ProgressObserver(const ProgressObserver&) = delete;
    ProgressObserver& operator=(const ProgressObserver&) = delete;

    // The read's save dialog answers with this path once; the next request is a cancel.
    void SetSavePath(const std::string& path) { savePath_ = path; }
    // Named when the data is left in the temporary file.
    void SetTempPath(const std::string& path) { tempPath_ = path; }
    // The port given with --port, shown while the search tries it.
    void SetDirectPort(const std::string& port) { directPort_ = port; }
    // The status shown last (string id), 0 when none.
    int LastStatus() const { return lastStatus_; }
    // Ends the live line so that what follows starts on a line of its own.
    void Finish();
    // Prints a line (not in quiet mode), after ending the live line.
    void Note(const std::string& text);

    void OnStatus(int stringId) override;
    void OnSearchPort(int portNumber) override;
    void OnWait(const kdm::WaitNotice& notice) override;
    void OnProgramNumber(const std::string& number) override;
    void OnProgressRange(int low, int high) override;
    void OnProgressPos(int position) override;
    void OnWriteProgramNumber(const std::string& number) override;
    void OnRemaining(int characters) override;
    void OnWriteComplete() override;
    // A failed acknowledgement is printed (errors always are); a stop is left to the command, which
    // knows what stopped it.
    void OnWriteIncomplete(const kdm::IncompleteWrite& write) override;
    // A read shows a total and the time to go where the last read of the same device is remembered
    // here (cli/read_sizes.h); null: the count alone.
    void SetReadSizes(kdm::ISettingsStore* sizes) { readSizes_ = sizes; }
    // The device's identification, once it gave it; empty before.
    const std::string& Identification() const { return identification_; }
    void OnIdentified(const std::string& identification) override;
    void OnRecordStored(const kdm::ReadCounts& counts) override;
    // Called when the device search begins, before any port is opened.
    void SetOnSearch(std::function<void()> onSearch) { onSearch_ = std::move(onSearch); }
    void ShowError(const std::string& text) override;
    bool ChooseSavePath(std::string& path) override;
    bool AskDiscardUnsaved() override;
    bool ChooseFileToWrite(std::string& path) override;
    // Nobody to ask: yes only with --allow-suspect. Either way the records are listed on stderr.
    bool AskWriteMarkedRecords(const kdm::WriteCheck& check) override;
    void SetAllowSuspect(bool allow) { allowSuspect_ = allow; }

  private:
    void Redraw();
    void EndLiveLine();

    ProgressMode mode_;
    bool writing_;
    std::string savePath_;
    bool saveOffered_ = false;
    std::string tempPath_;
    std::string directPort_;
    int lastStatus_ = 0;
    int printedStatus_ = 0;
    std::string status_;
    std::string waiting_;  // what an announced wait waits for, shown instead of the status
    std::string programNo_;
    std::string remaining_;
    int rangeHigh_ = 0;
    int position_ = 0;
    bool liveLineOpen_ = false;
    bool allowSuspect_ = false;
    std::function<void()> onSearch_;
    kdm::ISettingsStore* readSizes_ = nullptr;
    std::string identification_;
    int stored_ = 0;  // records the read stored, both blocks together
    int readTotal_ = 0;
    RemainingTime readTime_;
    RemainingTime writeTime_;  // paced by the file's characters sent
};

// A stop signal during a transfer (cli/stop_signals.h): the handler stops the link, which ends any wait
// at its next one-byte read; the engines take a stopped link for a stop of their own, so a wait cut
// short never passes for a silent device. A watcher thread passes the request on to the engine that
// runs as well, whose own thread then performs the stop.
class InterruptWatcher {
  public:
    // `deferNow`: stops are the transfer's from now on; otherwise they end the process at once until
    // Defer() (a write checks its file before it opens a port).
    explicit InterruptWatcher(bool deferNow = true);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    void Defer() { defer_.Begin(); }
    // What to call once an interrupt arrived (the running engine's RequestStop); may be replaced.
    void SetTarget(std::function<void()> target);
    bool Interrupted() const;

  private:
    void Watch();

    DeferStops defer_;
    std::mutex mutex_;
    std::function<void()> target_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// A string-table text as std::string.
std::string Text(int stringId);

// "the device now holds an incomplete parameter set (2 of 9 frames): write the file again or restore a
// backup": what every message about a write that ended part-way says.
std::string IncompleteSetText(const kdm::IncompleteWrite& write);
// How the stop came, to begin a sentence: "Stopped", "Stopped by SIGTERM", "Hung up".
std::string StopCause();
// Prints a line on stderr whatever the mode: an error, or the end of a stopped job.
void PrintAlways(const std::string& text);

// Runs a whole read, which a stop signal stops cleanly; true when it was interrupted.
bool RunInterruptibleRead(kdm::ReadEngine& engine);

}  // namespace kdmcli
