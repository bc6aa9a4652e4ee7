#include "transfer/transfer_job.h"

#include "data/strings.h"
#include "transfer/pacing.h"

namespace kdm {

TransferJob::TransferJob(Link& link, IClock& clock, ITransferObserver& observer)
    : link_(link), clock_(clock), observer_(observer) {}

TransferJob::~TransferJob() {
    link_.SetWaitObserver(nullptr);
}

void TransferJob::Run() {
    if (Start() == 1) RunTimer();
}

void TransferJob::RunTimer() {
    RunTicks(clock_, kTimerIntervalMs, stopRequest_, ticking_, [this] { OnTimer(); });
}

void TransferJob::Reset() {
    stopRequest_.store(0);
    link_.ClearStop();
    outcome_ = JobOutcome::kNone;
    stoppedBy_ = StopCommand::kCancel;
}

std::optional<int> TransferJob::SearchDevice(std::string& identification) {
    observer_.OnStatus(sid::kSearching);
    link_.SetWaitObserver([this](const WaitNotice& notice) { observer_.OnWait(notice); });
    link_.SetSearchObserver([this](int portNumber) { observer_.OnSearchPort(portNumber); });
    const int result = link_.SearchDevice(identification);
    link_.SetSearchObserver(nullptr);
    if (StopIfRequested()) return std::nullopt;
    return result;
}

void TransferJob::Stop(StopCommand command) {
    ticking_ = false;
    Release();
    link_.ClosePort();
    stoppedBy_ = command;
    End(JobOutcome::kStopped);
    OnStopped();
}

void TransferJob::RequestStop(StopCommand command) {
    stopRequest_.store(1 + static_cast<int>(command));
    link_.RequestStop();
}

bool TransferJob::StopIfRequested() {
    const int request = stopRequest_.load();
    if (request != 0) {
        Stop(static_cast<StopCommand>(request - 1));
        return true;
    }
    // Ctrl-C reaches the link first, from a signal handler: a wait it cut short is a stop all the same,
    // never a silent line or a device that did not answer.
    if (!link_.StopRequested()) return false;
    Stop(StopCommand::kCancel);
    return true;
}

bool TransferJob::Pause(int ms) {
    if (WaitFor(clock_, ms, stopRequest_)) return true;
    StopIfRequested();
    return false;
}

void TransferJob::FailWith(const std::function<void()>& show) {
    ticking_ = false;
    Release();
    link_.ClosePort();
    show();
    End(JobOutcome::kFailed);
}

void TransferJob::Fail(const std::string& text) {
    FailWith([&] { observer_.ShowError(text); });
}

void TransferJob::Fail(const TransferFailure& failure) {
    FailWith([&] { observer_.OnFailure(failure); });
}

void TransferJob::FailSearch(int searchResult) {
    FailWith([&] { observer_.OnSearchFailed(searchResult, link_.LastSearchAttempts()); });
}

void TransferJob::End(JobOutcome outcome) {
    ticking_ = false;
    outcome_ = outcome;
}

}  // namespace kdm
