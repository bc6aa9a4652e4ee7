// The simulated device's end of the line: a pseudo-terminal whose slave is published as DIR/COMn, the
// watch for the tool opening and closing it, and the paced sending of what the conversation queues.
//
// Opens and closes are followed through two signals, because neither is enough alone:
// - an inotify watch on the slave node reports every open and close by any program, in order, so a close
//   followed at once by a reopen is seen as both; but inotify merges identical events that follow each
//   other unread, so two closes in a row (a refused second tool, then the tool) can arrive as one;
// - the master's hang-up flag goes up when the slave's last holder closes and down with any open, so it
//   says whether anybody holds the port now; but a close and a reopen between two looks leave no trace.
// The watch wakes the simulator and orders events; the flag settles whether a close was the last. Each
// first open starts the conversation over.
#pragma once

#include <signal.h>

#include <cstdint>
#include <deque>
#include <string>

#include "sim/conversation.h"
#include "sim/faults.h"
#include "sim/parameter_set.h"
#include "sim/traffic_log.h"

namespace kdmsim {

// Exit codes of kdmxp-sim.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;   // could not start (pty, port directory, files)
inline constexpr int kExitUsage = 2;   // bad command line
inline constexpr int kExitHungUp = 3;  // the line was hung up on purpose (--hangup-after-byte, hangup fault)

struct LineOptions {
    std::string portDirectory;
    int portNumber = 1;
    std::string readyFile;  // empty: none
    std::string savePath;   // empty: nothing is saved
    int baud = 4800;        // 8N1: ten bit times per byte
    bool pacing = true;
    bool once = false;
    long hangupAfterByte = -1;
};

inline constexpr int kIdentificationRepeatMs = 2000;

class Line {
  public:
    Line(ParameterSet& set, Conversation& conversation, TrafficLog& log, LineOptions options);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Creates the pseudo-terminal, publishes it and announces "ready COMn /dev/pts/X" on stdout (and in
    // the ready file). False with a reason when any of that fails; nothing is left behind then.
    bool Start(std::string& reason);

    // Serves opens and closes until a signal unblocked by `waitMask` arrives (the caller keeps its stop
    // signals blocked everywhere else, so none is lost), until the first close with --once, or until a
    // hang-up fault. Returns the exit code.
    int Run(const sigset_t& waitMask);

    // The ready line, e.g. "ready COM3 /dev/pts/7".
    std::string ReadyLine() const;

  private:
    enum class Wait { kSignal, kReady, kTimeout };
    static std::int64_t NowNs();
    // Waits for `masterEvents` on the master (none: 0) or for news from the watch, until `untilNs` (-1:
    // no bound). `masterRevents` gets what the master reported.
    Wait WaitFor(short masterEvents, std::int64_t untilNs, const sigset_t& waitMask, short& masterRevents);
    bool SlaveHeld();
    // Reads what the watch reported, event by event, and follows each change of the number of programs
    // that hold the slave with Opened or Closed; then looks at the master's hang-up flag.
    void FollowOpeners(std::int64_t now);
    void FollowOpen(std::int64_t now);
    void FollowHangUp(std::int64_t now);
    void FollowClose(std::int64_t now);
    // Opens the slave for the simulator's own use; its open and close are not counted as the tool's.
    int OpenOwnProbe(int flags);
    void CloseOwnProbe(int fd);
    void Opened(std::int64_t now);
    void Closed(std::int64_t now);
    // Reads everything the tool sent.
    void Drain(std::int64_t now);
    // Sends what is due; returns the time of the next byte (or -1 when nothing waits on time).
    std::int64_t Pump(std::int64_t now);
    void Enqueue(std::int64_t now, bool identification, std::string_view received);
    void LogUnit(std::int64_t now, const std::string& suffix);
    void HangUp(std::int64_t now, const std::string& why);
    // Empties the slave's input after a close.
    void DiscardUnread();
    // Waits (bounded) until the tool has read what was sent before a hang-up.
    void AwaitConsumed();
    void SaveNow(std::int64_t now, const char* why);
    bool Publish(std::string& reason);
    void Unpublish();
    bool WriteReadyFile(std::string& reason);

    ParameterSet& set_;
    Conversation& conversation_;
    TrafficLog& log_;
    LineOptions options_;
    std::int64_t byteNs_;

    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    bool published_ = false;
    int lockFd_ = -1;  // holds the port name for as long as this simulator lives

    int watch_ = -1;           // inotify descriptor watching the slave node
    int openers_ = 0;          // programs other than the simulator holding the slave
    int ownOpensPending_ = 0;  // the simulator's own opens and closes still to come through the watch
    int ownClosesPending_ = 0;
    std::int64_t closeCheckNs_ = -1;   // no counted holder left: until then the hang-up flag must rise
    std::int64_t closeGiveUpNs_ = -1;  // until then a reopen not yet visible in /proc is waited for
    bool stopAfterClose_ = false;      // --once and the port was closed: nothing more is served

    bool open_ = false;
    bool hungUp_ = false;
    bool writeBlocked_ = false;
    std::deque<OutUnit> queue_;
    std::size_t nextByte_ = 0;
    bool pauseTaken_ = false;
    std::string sentOfUnit_;
    std::int64_t nextByteNs_ = 0;
    std::int64_t nextIdentificationNs_ = 0;
    long bytesSent_ = 0;
};

}  // namespace kdmsim
