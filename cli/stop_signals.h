// How kdmxp-cli ends on Ctrl-C (SIGINT), SIGTERM and SIGHUP, whatever it is doing at the moment.
//
// Two ways, chosen by what runs when the signal comes:
// - Nothing that has to be wound down (reading and checking files, showing, comparing, listing the
//   history, a sync): the handler writes the line given with SetStopLine to stderr and ends the process
//   at once, so that a check of a large file or a slow git program never keeps it alive. A git program
//   the history runs (WatchChild) is ended with it, so that it clears its own locks.
// - A conversation with a device and the history entry of what it did, inside a DeferStops: the handler
//   only notes the signal and stops the link, which ends any wait at its next one-byte read. The command
//   then winds the conversation down (port closed, nothing sent after the stop), says what the device
//   now holds, keeps the history entry, and ends with StopExitCode().
//
// Either way the exit status is 130 for SIGINT and SIGTERM and 129 for SIGHUP. After a hang-up the
// terminal is gone and stderr may no longer take anything; the exit status and the history entry of a
// write cut short still say what happened, and SIGPIPE is ignored from then on, so that a dead pipe on
// stderr cannot kill the process before it has kept that entry.
#pragma once

#include <sys/types.h>

namespace kdm {
class Link;
}

namespace kdmcli {

// Installs the handlers for the whole run; `link` is the one every conversation uses.
void InstallStopSignals(kdm::Link& link);

// The first stop signal that arrived (SIGINT, SIGTERM or SIGHUP); 0 when none.
int StopSignal();
inline bool StopArrived() {
    return StopSignal() != 0;
}
// 129 after SIGHUP, 130 after SIGINT or SIGTERM (and when none arrived: the code of a stop).
int StopExitCode();

// The line the handler writes when it ends the process at once: a string literal, newline included.
void SetStopLine(const char* line);

// The process the history runs right now (0 when none), ended with SIGTERM when a stop ends this one.
void WatchChild(pid_t pid);

// While one lives (they nest), a stop signal no longer ends the process: it stops the link and is left
// to the command. Begin() may come later than construction (a write defers from its device search on).
class DeferStops {
  public:
    explicit DeferStops(bool begin = true);
    ~DeferStops();
    DeferStops(const DeferStops&) = delete;
    DeferStops& operator=(const DeferStops&) = delete;
    void Begin();

  private:
    bool active_ = false;
};

}  // namespace kdmcli
