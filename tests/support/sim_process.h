// Running the real programs in integration tests: kdmxp-sim on a pseudo-terminal in a temporary port
// directory, kdmxp-cli with its port directory and settings store confined to temporary directories, and
// a raw view of a port for tests that talk to the simulator byte by byte.
//
// Every wait here is bounded; nothing asserts on time. Processes are ended by their own process id.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace kdmtest {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;

  private:
    std::string path_;
};

// kdmxp-sim (KDMXP_SIM_PATH) serving one port.
class SimProcess {
  public:
    SimProcess() = default;
    ~SimProcess();  // Stop()
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Runs `kdmxp-sim --port-dir portDir --com com <args>` and waits for its ready line (at most 30 s, a
    // bound for a loaded machine; it normally comes within milliseconds).
    // False (with the reason in `error`) when it did not get ready; the process is gone then.
    bool Start(const std::string& portDir, int com, const std::vector<std::string>& args,
               std::string* error = nullptr);

    const std::string& PortName() const { return portName_; }      // "COM3"
    const std::string& DevicePath() const { return devicePath_; }  // "/dev/pts/7"
    const std::string& LinkPath() const { return linkPath_; }      // "<portDir>/COM3"
    pid_t Pid() const { return pid_; }

    // SIGTERM, then waits for the exit (SIGKILL after 30 s). Returns the exit code, 128 + the signal
    // number when it died of a signal, or -1 when it was not running.
    int Stop();
    // Waits at most `timeoutMs` for the process to end by itself; its exit code (as Stop) or -1.
    int WaitExit(int timeoutMs);

  private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string portName_;
    std::string devicePath_;
    std::string linkPath_;
};

struct CliResult {
    int exitCode = -1;  // 128 + signal when killed; -1 when it could not be started
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] a path) with this process's environment plus `environment` ("NAME=value"
// entries replace variables of the same name), stdin from /dev/null, capturing both outputs. Killed
// after `timeoutMs`.
CliResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                     int timeoutMs = 120000);

// Runs kdmxp-cli (KDMXP_CLI_PATH) with KDMXP_PORT_DIR and KDMXP_SETTINGS_DIR set to the given
// directories, stdin from /dev/null, capturing both outputs. Killed after `timeoutMs`.
CliResult RunCli(const std::vector<std::string>& args, const std::string& portDir,
                 const std::string& settingsDir, int timeoutMs = 120000);

// A program running in the background, so that a test can wait for what it says (or does) and signal it
// at that point. Its stderr goes into a file, or into a pipe this object reads (and may close, to stand
// for a reader that went away); its stdout into /dev/null, or into a pipe nobody reads, in which the
// program's output stops it once the pipe is full.
class BackgroundProcess {
  public:
    struct Options {
        std::vector<std::string> argv;         // argv[0] a path
        std::vector<std::string> environment;  // "NAME=value", in place of this process's variables
        std::string errPath;                   // empty: stderr into a pipe
        bool stdoutUnread = false;
    };
    explicit BackgroundProcess(Options options);
    ~BackgroundProcess();  // SIGKILL and reaped when still running
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // True once stderr holds `text`, within `timeoutMs`.
    bool Says(const std::string& text, int timeoutMs = 60000);
    // What stderr held so far.
    std::string Err();
    // Closes the reading end of the stderr pipe: the program's next write into it fails.
    void CloseErr();
    void Signal(int signal);
    // True once the program has read at least `bytes` bytes (/proc/PID/io), within `timeoutMs`.
    bool HasRead(long long bytes, int timeoutMs = 60000);
    // Waits at most `timeoutMs` for the exit: its code, or 128 + the signal that ended it; -1 when it is
    // still running then.
    int Wait(int timeoutMs);

  private:
    void Drain(int timeoutMs);
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string errPath_;
    int errPipe_ = -1;
    int outPipe_ = -1;
    std::string err_;
};

// While one lives, the programs this test starts (kdmxp-cli, and the desktop application's objects
// made in this process) run their clocks `speedUp` times faster than real time (KDMXP_TIME_SCALE): for
// the tests that wait out a device's time-out of up to a minute. The simulator keeps real time. The
// variable is put back as it was when the object goes.
class FastProgramClock {
  public:
    explicit FastProgramClock(int speedUp);
    ~FastProgramClock();
    FastProgramClock(const FastProgramClock&) = delete;
    FastProgramClock& operator=(const FastProgramClock&) = delete;

  private:
    std::optional<std::string> previous_;
};

// A port opened the way a simple terminal program would: raw, no echo, byte reads with a bound.
class RawLine {
  public:
    RawLine() = default;
    ~RawLine();
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;

    // How long a read waits for bytes that are due: far more than the simulator ever needs, so that
    // only bytes that never come run into it, however loaded the machine is.
    static constexpr int kFrameWaitMs = 20000;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const std::string& bytes);
    // Writes STX, the 14 characters and ETX.
    bool SendTelegram(const std::string& fourteen);
    // The next frame: skips bytes up to an STX, then returns STX and the 15 bytes after it. Empty when
    // no complete frame came within `timeoutMs` (what did come stays in Pending()).
    std::string ReadFrame(int timeoutMs = kFrameWaitMs);
    // Exactly `count` bytes, Pending() first; fewer only when the line is gone or `timeoutMs` ran out.
    // Whatever came beyond `count` stays in Pending().
    std::string ReadBytes(std::size_t count, int timeoutMs = kFrameWaitMs);
    // Everything that arrives until the line stays quiet for `quietMs` (or it is gone).
    std::string ReadUntilQuiet(int quietMs);
    // True once a read reported the other end gone (hang-up, EIO).
    bool Gone() const { return gone_; }
    const std::string& Pending() const { return pending_; }

  private:
    // Reads what is there within `timeoutMs` into pending_; false when nothing came.
    bool Fill(int timeoutMs);
    int fd_ = -1;
    bool gone_ = false;
    std::string pending_;
};

// Waits at most `timeoutMs` until the file at `path` holds `text` at least `occurrences` times, for
// example until the simulator's --log shows that it saw the port close. True when it did.
bool WaitForText(const std::string& path, const std::string& text, int occurrences, int timeoutMs = 20000);

// The whole file, or "" when it cannot be read: for failure messages that show a simulator's log.
std::string ReadWhole(const std::string& path);

// "STX + 14 + ETX" of a 14-character telegram.
std::string FrameOf(const std::string& fourteen);

}  // namespace kdmtest
