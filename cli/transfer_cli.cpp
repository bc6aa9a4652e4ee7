#include "cli/transfer_cli.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/read_sizes.h"
#include "data/strings.h"
#include "link/waits.h"
#include "transfer/write_engine.h"

namespace kdmcli {

namespace {

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

constexpr int kBarWidth = 30;

long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string Text(int stringId) {
    return std::string(kdm::LoadString(stringId));
}

std::string IncompleteSetText(const kdm::IncompleteWrite& write) {
    return "the device now holds an incomplete parameter set (" + std::to_string(write.framesSent) + " of " +
           std::to_string(write.framesInFile) + " frames): write the file again or restore a backup";
}

std::string StopCause() {
    switch (StopSignal()) {
        case SIGHUP:
            return "Hung up";
        case SIGTERM:
            return "Stopped by SIGTERM";
        default:
            return "Stopped";
    }
}

void PrintAlways(const std::string& text) {
    PrintLine(text);
}

ProgressMode ChooseProgressMode(bool quiet) {
    if (quiet) return ProgressMode::kQuiet;
    return ::isatty(STDERR_FILENO) ? ProgressMode::kLive : ProgressMode::kLines;
}

ProgressObserver::ProgressObserver(ProgressMode mode, bool writing) : mode_(mode), writing_(writing) {}

ProgressObserver::~ProgressObserver() {
    Finish();
}

void ProgressObserver::Finish() {
    EndLiveLine();
}

void ProgressObserver::EndLiveLine() {
    if (!liveLineOpen_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    liveLineOpen_ = false;
}

void ProgressObserver::Note(const std::string& text) {
    if (mode_ == ProgressMode::kQuiet) return;
    EndLiveLine();
    PrintLine(text);
}

void ProgressObserver::Redraw() {
    if (mode_ != ProgressMode::kLive) return;
    std::string line = waiting_.empty() ? status_ : waiting_;
    if (writing_) {
        if (rangeHigh_ > 0) {
            const long filled = static_cast<long>(position_) * kBarWidth / rangeHigh_;
            line += "  [";
            for (int i = 0; i < kBarWidth; ++i)
                line += i < filled ? '#' : '.';
            line += "]";
        }
        if (!programNo_.empty()) line += "  program " + programNo_;
        if (!remaining_.empty()) line += "  to transfer " + remaining_;
        line += RemainingText(writeTime_.RemainingMs(SteadyMs()));
    } else if (stored_ > 0) {
        // The records stored so far, a count that goes on from the system block into the programs,
        // against what the last read of this device brought.
        line += "  telegrams " + std::to_string(stored_);
        if (readTotal_ > 0)
            line += "/" + std::to_string(readTotal_) + "  " +
                    std::to_string(std::min(100, stored_ * 100 / readTotal_)) + "%";
        if (!programNo_.empty()) line += "  program " + programNo_;
        line += RemainingText(readTime_.RemainingMs(SteadyMs()));
    }
    // Back to the start of the line and clear it, so a shorter text leaves nothing behind.
    std::fputs("\r\033[K", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    liveLineOpen_ = true;
}

void ProgressObserver::OnStatus(int stringId) {
    if (stringId == kdm::sid::kSearching && onSearch_) onSearch_();
    lastStatus_ = stringId;
    status_ = Text(stringId);
    if (mode_ == ProgressMode::kLines && stringId != printedStatus_) {
        printedStatus_ = stringId;
        PrintLine(status_);
    }
    Redraw();
}

// The frames the write sends are too fast to read on a terminal and too many for a log: the bar shows
// them.

void ProgressObserver::OnIdentified(const std::string& identification) {
    identification_ = identification.substr(0, identification.find('\r'));
    if (readSizes_ != nullptr) readTotal_ = LastReadSize(*readSizes_, identification_);
}

void ProgressObserver::OnRecordStored(const kdm::ReadCounts& counts) {
    stored_ = counts.stored;
    readTime_.Sample(SteadyMs(), stored_, readTotal_);
    Redraw();
}

void ProgressObserver::OnProgramNumber(const std::string& number) {
    programNo_ = number;
    Redraw();
}

void ProgressObserver::OnWriteProgramNumber(const std::string& number) {
    programNo_ = number;
    Redraw();
}

void ProgressObserver::OnRemaining(int characters) {
    remaining_ = std::to_string(characters);
    Redraw();
}

void ProgressObserver::OnWriteComplete() {
    Note(Text(kdm::sid::kTerminated));
}

void ProgressObserver::OnWriteIncomplete(const kdm::IncompleteWrite& write) {
    if (write.end == kdm::WriteEnd::kStopped) return;
    EndLiveLine();
    PrintLine(kdm::DeviceErrorText(write.errorNumber));
    PrintLine("Write failed: " + IncompleteSetText(write));
}

void ProgressObserver::OnProgressRange(int, int high) {
    rangeHigh_ = high;
    Redraw();
}

void ProgressObserver::OnProgressPos(int position) {
    position_ = position;
    // The bar runs a little beyond the file's length; the time to go is the file's.
    if (writing_) writeTime_.Sample(SteadyMs(), position, rangeHigh_ - kdm::kProgressOverhang);
    Redraw();
}

void ProgressObserver::OnSearchPort(int portNumber) {
    // 0: a port given by its device path.
    const std::string port = portNumber == 0 ? directPort_ : "COM" + std::to_string(portNumber);
    if (mode_ == ProgressMode::kLines) PrintLine("Trying " + port + " ...");
    if (mode_ == ProgressMode::kLive) {
        status_ = Text(kdm::sid::kSearching) + " " + port;
        Redraw();
    }
}

void ProgressObserver::OnWait(const kdm::WaitNotice& notice) {
    const std::string text = kdm::DescribeWait(notice);
    // On a log, the first notice of a wait is enough; a terminal counts the seconds.
    if (mode_ == ProgressMode::kLines && notice.seconds > 0 && waiting_.empty()) PrintLine(text);
    waiting_ = text;
    Redraw();
}

void ProgressObserver::ShowError(const std::string& text) {
    EndLiveLine();
    PrintLine(text);
}

bool ProgressObserver::ChooseSavePath(std::string& path) {
    if (saveOffered_ || savePath_.empty()) return false;
    saveOffered_ = true;
    path = savePath_;
    return true;
}

bool ProgressObserver::AskDiscardUnsaved() {
    // Nobody to ask: the answer is Yes, and the user learns where the data is.
    EndLiveLine();
    PrintLine("The data read was not saved; it stays in " + tempPath_);
    return true;
}

bool ProgressObserver::ChooseFileToWrite(std::string&) {
    return false;
}

bool ProgressObserver::AskWriteMarkedRecords(const kdm::WriteCheck& check) {
    EndLiveLine();
    const std::string text = kdm::DescribeWriteCheck(check);
    if (allowSuspect_) {
        // Listed even when allowed, so that a log shows which values may be wrong in the device.
        if (mode_ != ProgressMode::kQuiet) PrintLine(text + "\nWriting them as they are (--allow-suspect).");
        return true;
    }
    PrintLine(text + "\nNothing was sent. To write them as they are, add --allow-suspect.");
    return false;
}

InterruptWatcher::InterruptWatcher(bool deferNow) : defer_(deferNow) {
    thread_ = std::thread([this] { Watch(); });
}

InterruptWatcher::~InterruptWatcher() {
    done_.store(true);
    thread_.join();
}

void InterruptWatcher::SetTarget(std::function<void()> target) {
    std::lock_guard<std::mutex> lock(mutex_);
    target_ = std::move(target);
}

bool InterruptWatcher::Interrupted() const {
    return StopArrived();
}

void InterruptWatcher::Watch() {
    while (!done_.load()) {
        if (StopArrived()) {
            // Repeated on every round: a target set after the interrupt must hear of it too.
            std::lock_guard<std::mutex> lock(mutex_);
            if (target_) target_();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool RunInterruptibleRead(kdm::ReadEngine& engine) {
    InterruptWatcher watcher;
    watcher.SetTarget([&engine] { engine.RequestStop(); });
    if (engine.StartRead() == 1) engine.RunTimer();
    const bool stopped = watcher.Interrupted();
    watcher.SetTarget(nullptr);
    return stopped;
}

}  // namespace kdmcli
