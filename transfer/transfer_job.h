// What a read and a write have in common: one conversation with a device, driven by the ticks of a
// timer on one thread, which another thread may ask to stop.
//
// Usage (on one worker thread): if (job.StartRead() / StartWrite...()) job.RunTimer(); or job.Run().
// RequestStop() may be called from any thread; the running thread then performs the stop (timer
// stopped, port closed, nothing saved) at its next look, even in the middle of the device search or of
// a pause.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "link/link.h"
#include "platform/clock.h"
#include "transfer/observer.h"

namespace kdm {

// Both kinds of job drive their conversation from a timer with this interval.
inline constexpr int kTimerIntervalMs = 20;

// The two commands that stop a job from outside: the window's OK (Enter) and Cancel (Esc, the button,
// Ctrl-C on the command line).
enum class StopCommand { kOk, kCancel };

// How a job ended.
enum class JobOutcome {
    kNone,           // not ended: not started, running, or a write that refused to start and holds the port
    kCompleted,      // read: both blocks arrived (saved or not); write: every frame acknowledged
    kStopped,        // a stop command ended it (StoppedBy() says which)
    kFailed,         // an error was shown
    kLineSilent,     // read: the device fell silent; what arrived stays in the temporary file
    kNothingChosen,  // write: no file was chosen
    kDeclined,       // write: the user would not send records marked " !!!", or not into this device;
                     // read: the device gate turned the device away (ReadEngine::SetDeviceGate)
};

class TransferJob {
  public:
    virtual ~TransferJob();
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    // Starts the job and runs its ticks until it ends.
    void Run();
    // One tick of the timer.
    virtual void OnTimer() = 0;
    // Runs ticks every kTimerIntervalMs (a tick that takes longer is followed at once) until the job
    // ends.
    void RunTimer();
    // Ends the job at once, without a question and without saving: on the running thread, or when
    // nothing runs (a write that holds its port after refusing to start).
    void Stop(StopCommand command = StopCommand::kCancel);
    // Asks the running thread to stop; from any thread.
    void RequestStop(StopCommand command = StopCommand::kCancel);

    bool Running() const { return ticking_; }
    bool Ended() const { return outcome_ != JobOutcome::kNone; }
    JobOutcome Outcome() const { return outcome_; }
    bool Stopped() const { return outcome_ == JobOutcome::kStopped; }
    // The command that stopped the job; meaningful once Stopped().
    StopCommand StoppedBy() const { return stoppedBy_; }

  protected:
    TransferJob(Link& link, IClock& clock, ITransferObserver& observer);

    // Everything before the first tick; 1 when ticks are to follow.
    virtual int Start() = 0;
    // The beginning of every start: a stop asked for before belongs to an earlier job.
    void Reset();
    // The device search, telling the observer of each port tried and each long wait. Empty when a stop
    // request ended the job during the search; otherwise the link's search result.
    std::optional<int> SearchDevice(std::string& identification);
    // Performs a pending stop request; true when there was one. A stop that reached only the link
    // (Ctrl-C) counts as a Cancel.
    bool StopIfRequested();
    // Sleeps `ms`; false when a stop request cut the pause short, and the stop was performed.
    bool Pause(int ms);
    void StartTicking() { ticking_ = true; }
    void StopTicking() { ticking_ = false; }
    // The ticks stop, the port is closed, the error is shown, and the job has failed.
    void Fail(const std::string& text);
    void Fail(const TransferFailure& failure);
    // The same for a search that found no device.
    void FailSearch(int searchResult);
    // The same, the error shown by `show`.
    void FailWith(const std::function<void()>& show);
    void End(JobOutcome outcome);
    // What a job holds besides the port, given up before the port is closed by a stop or a failure.
    virtual void Release() {}
    // After a stop was performed (port closed, outcome kStopped), on the thread that performed it.
    virtual void OnStopped() {}

    Link& link_;
    IClock& clock_;
    ITransferObserver& observer_;

  private:
    bool ticking_ = false;
    JobOutcome outcome_ = JobOutcome::kNone;
    StopCommand stoppedBy_ = StopCommand::kCancel;
    // 0, or 1 + the StopCommand asked for.
    std::atomic<int> stopRequest_{0};
};

}  // namespace kdm
