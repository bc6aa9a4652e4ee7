// What `kdmxp-cli read` and `write` share: the progress display on stderr, Ctrl-C handling and the
// message texts.
#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

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
    void OnTelegramCount(int count) override;
    void OnProgramNumber(const std::string& number) override;
    void OnProgressRange(int low, int high) override;
    void OnProgressPos(int position) override;
    void OnWriteProgramNumber(const std::string& number) override;
    void OnRemaining(int characters) override;
    void OnWriteComplete() override;
    void OnWriteFailed(int framesSent, int framesInFile) override;
    void ShowError(const std::string& text) override;
    bool ChooseSavePath(std::string& path) override;
    bool AskDiscardUnsaved() override;
    bool ChooseFileToWrite(std::string& path) override;
    // Nobody to ask: yes only with --allow-suspect. Either way the records are listed on stderr.
    bool AskWriteMarkedRecords(const std::string& text) override;
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
    std::string count_;
    std::string programNo_;
    std::string remaining_;
    int rangeHigh_ = 0;
    int position_ = 0;
    bool liveLineOpen_ = false;
    bool allowSuspect_ = false;
};

// Ctrl-C (and SIGTERM) during a transfer. The handler only stores atomics and asks the link to stop,
// which ends any wait at its next one-byte read; the engines take a stopped link for a stop of their
// own, so a wait cut short never passes for a silent device. A watcher thread passes the request on to
// the engine that runs as well, whose own thread then performs the stop.
class InterruptWatcher {
  public:
    explicit InterruptWatcher(kdm::Link& link);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    // What to call once an interrupt arrived (the running engine's RequestStop); may be replaced.
    void SetTarget(std::function<void()> target);
    bool Interrupted() const;

  private:
    void Watch();

    std::mutex mutex_;
    std::function<void()> target_;
    std::atomic<bool> done_{false};
    std::thread thread_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// A string-table text as std::string.
std::string Text(int stringId);

// Runs a whole read, which Ctrl-C (or SIGTERM) stops cleanly; true when it was interrupted.
bool RunInterruptibleRead(kdm::Link& link, kdm::ReadEngine& engine);

}  // namespace kdmcli
