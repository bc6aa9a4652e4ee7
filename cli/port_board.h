// The display of several ports served at once: one line per port, and at the end one summary line per
// port. The ports' jobs run on threads of their own; every call here may come from any of them.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cli/progress_text.h"
#include "transfer/observer.h"

namespace kdmcli {

// kLive: a terminal; the lines are redrawn in place. kLines: a log; a port's phase changes, long waits
// and its summary are printed as they come, one line each, the port first. kQuiet: failures only.
enum class BoardMode { kQuiet, kLines, kLive };

class PortBoard {
  public:
    // A live redraw comes at most this often; a new phase, a wait and an end are shown at once.
    static constexpr long long kRedrawMs = 200;

    // `nowMs` is a monotonic clock in milliseconds. `width` (0: unlimited) cuts live lines so that none
    // wraps, which would break the redraw in place.
    PortBoard(BoardMode mode, std::vector<std::string> ports, std::FILE* out,
              std::function<long long()> nowMs, std::size_t width = 0);
    PortBoard(const PortBoard&) = delete;
    PortBoard& operator=(const PortBoard&) = delete;

    std::size_t Size() const { return rows_.size(); }
    // Changes row `index` and shows it. A change of phase starts its time estimate afresh.
    void Change(std::size_t index, const std::function<void(PortRow&)>& change);
    // Runs `work`, which may print on the same stream, with the live lines out of its way.
    void Aside(const std::function<void()>& work);
    // Ends a port's job: its summary takes the place of its progress line. A failure is shown in every
    // mode.
    void End(std::size_t index, bool failed, const std::string& summary);

  private:
    void Draw(bool force);
    void Erase();
    void Print(const std::string& line);

    BoardMode mode_;
    std::FILE* out_;
    std::function<long long()> nowMs_;
    std::size_t width_;
    std::size_t portWidth_ = 0;
    std::mutex mutex_;
    std::vector<PortRow> rows_;
    std::vector<RemainingTime> times_;
    bool drawn_ = false;
    long long lastDraw_ = -1;
};

// The observer of one port's job: what the transfer reports goes into the port's line; the questions a
// window would ask get the answers of the command line.
class PortObserver final : public kdm::ITransferObserver {
  public:
    PortObserver(PortBoard& board, std::size_t index) : board_(board), index_(index) {}

    // The read's save dialog answers with this path once; the next request is a cancel.
    void SetSavePath(const std::string& path) {
        savePath_ = path;
        saveOffered_ = false;
    }
    void SetAllowSuspect(bool allow) { allowSuspect_ = allow; }
    // Told the identification as soon as the device gave it (a read).
    void SetOnIdentified(std::function<void(const std::string&)> onIdentified) {
        onIdentified_ = std::move(onIdentified);
    }
    // The text of the last error the job showed, and the last status; empty when none.
    const std::string& LastError() const { return lastError_; }
    int LastStatus() const { return lastStatus_; }

    void OnStatus(int stringId) override;
    void OnWait(const kdm::WaitNotice& notice) override;
    void OnProgramNumber(const std::string& number) override;
    void OnIdentified(const std::string& identification) override;
    void OnRecordStored(const kdm::ReadCounts& counts) override;
    void OnWriteProgramNumber(const std::string& number) override;
    void OnFrameSent(const std::string& frame) override;
    void ShowError(const std::string& text) override;
    bool ChooseSavePath(std::string& path) override;
    bool AskDiscardUnsaved() override { return true; }
    bool ChooseFileToWrite(std::string&) override { return false; }
    bool AskWriteMarkedRecords(const kdm::WriteCheck&) override { return allowSuspect_; }

  private:
    PortBoard& board_;
    std::size_t index_;
    std::string savePath_;
    bool saveOffered_ = false;
    bool allowSuspect_ = false;
    std::string lastError_;
    int lastStatus_ = 0;
    std::function<void(const std::string&)> onIdentified_;
};

}  // namespace kdmcli
