#include "cli/stop_signals.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "cli/cli.h"
#include "link/link.h"

namespace kdmcli {
namespace {

// A signal handler reaches only plain variables: these are the whole of what it knows.
std::atomic<int> firstSignal{0};
std::atomic<int> deferrals{0};
std::atomic<kdm::Link*> stopLink{nullptr};
std::atomic<const char*> stopLine{"Stopped\n"};
std::atomic<pid_t> runningChild{0};

int ExitCodeOf(int signal) {
    return signal == SIGHUP ? kExitHungUp : kExitStopped;
}

// Only async-signal-safe calls: atomics, sigaction, kill, write, _exit.
extern "C" void OnStopSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    firstSignal.compare_exchange_strong(none, signal);
    if (signal == SIGHUP) {
        // Whatever reads our stderr may have gone with the terminal: a write into its pipe must fail,
        // not end the process before it has said and kept what it can.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, nullptr);
    }
    if (kdm::Link* link = stopLink.load()) link->RequestStop();
    if (deferrals.load() == 0) {
        if (const pid_t child = runningChild.load(); child > 0) ::kill(child, SIGTERM);
        const char* line = stopLine.load();
        // A terminal that hung up takes nothing; the exit status still tells.
        if (::write(STDERR_FILENO, line, std::strlen(line)) < 0) {
        }
        ::_exit(ExitCodeOf(firstSignal.load()));
    }
    errno = savedErrno;
}

}  // namespace

void InstallStopSignals(kdm::Link& link) {
    stopLink.store(&link);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // One handler at a time: the second signal of a burst finds the first one's work done.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = 0;  // no restart: a waiting read returns at once and the stop is seen sooner
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        sigaction(signal, nullptr, &old);
        // A signal the caller chose to ignore stays ignored (nohup, a background job of a script).
        if (old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

int StopSignal() {
    return firstSignal.load();
}

int StopExitCode() {
    return ExitCodeOf(firstSignal.load());
}

void SetStopLine(const char* line) {
    stopLine.store(line);
}

void WatchChild(pid_t pid) {
    runningChild.store(pid);
}

DeferStops::DeferStops(bool begin) {
    if (begin) Begin();
}

DeferStops::~DeferStops() {
    if (active_) deferrals.fetch_sub(1);
}

void DeferStops::Begin() {
    if (active_) return;
    active_ = true;
    deferrals.fetch_add(1);
}

}  // namespace kdmcli
