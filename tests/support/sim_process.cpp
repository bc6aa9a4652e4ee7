#include "support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "link/telegram.h"
#include "platform/clock.h"

extern char** environ;

namespace kdmtest {

namespace {

std::int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

int MsLeft(std::int64_t deadline) {
    const std::int64_t left = deadline - NowMs();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// A bound on a process getting ready or going away: both take milliseconds, but a loaded machine
// (or the sanitizers) may stretch that a lot, and only a process that hangs should run into it.
constexpr int kProcessWaitMs = 30000;

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// waitpid with a bound; the exit code or -1 when the child is still running at the end.
int WaitWithin(pid_t pid, int timeoutMs) {
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (true) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return ExitCodeOf(status);
        if (done < 0 && errno != EINTR) return -1;
        if (NowMs() >= deadline) return -1;
        usleep(2000);
    }
}

// The environment of this process with `overrides` ("NAME=value") put in place of their names.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& o : overrides)
            replaced = replaced || o.substr(0, o.find('=')) == name;
        if (!replaced) result.push_back(text);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> PointersOf(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts `argv` with stdin from /dev/null and stdout (and stderr, when `errFd` is not -1) into the given
// descriptors. -1 when it could not be started.
pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, int outFd, int errFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    // The child starts with default signal handling and nothing blocked, whatever the test runner set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args = PointersOf(argv);
    std::vector<char*> envp = PointersOf(env);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return rc == 0 ? pid : -1;
}

}  // namespace

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FrameOf(const std::string& fourteen) {
    return std::string(1, kdm::STX) + fourteen + std::string(1, kdm::ETX);
}

bool WaitForText(const std::string& path, const std::string& text, int occurrences, int timeoutMs) {
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (true) {
        std::ifstream in(path, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        int found = 0;
        for (std::size_t at = content.find(text); at != std::string::npos; at = content.find(text, at + 1)) {
            ++found;
        }
        if (found >= occurrences) return true;
        if (MsLeft(deadline) == 0) return false;
        usleep(2000);
    }
}

// --- TempDir

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const {
    return path_ + "/" + name;
}

// --- SimProcess

SimProcess::~SimProcess() {
    Stop();
}

bool SimProcess::Start(const std::string& portDir, int com, const std::vector<std::string>& args,
                       std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    Stop();
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
    std::vector<std::string> argv = {KDMXP_SIM_PATH, "--port-dir", portDir, "--com", std::to_string(com)};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = Spawn(argv, EnvironmentWith({}), pipeFds[1], -1);
    close(pipeFds[1]);
    if (pid_ < 0) {
        close(pipeFds[0]);
        return fail("cannot start " + std::string(KDMXP_SIM_PATH));
    }
    exitCode_ = -1;
    // The ready line, "ready COMn /dev/pts/X".
    std::string line;
    const std::int64_t deadline = NowMs() + kProcessWaitMs;
    while (line.find('\n') == std::string::npos) {
        pollfd entry{pipeFds[0], POLLIN, 0};
        if (poll(&entry, 1, MsLeft(deadline)) <= 0) break;
        char buffer[256];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    std::istringstream words(line);
    std::string ready;
    words >> ready >> portName_ >> devicePath_;
    if (ready != "ready" || devicePath_.empty()) {
        const int code = Stop();
        return fail("kdmxp-sim did not get ready (output '" + line + "', exit " + std::to_string(code) + ")");
    }
    linkPath_ = portDir + "/" + portName_;
    return true;
}

int SimProcess::Stop() {
    if (pid_ < 0) return exitCode_;
    kill(pid_, SIGTERM);
    int code = WaitWithin(pid_, kProcessWaitMs);
    if (code < 0) {
        kill(pid_, SIGKILL);
        code = WaitWithin(pid_, kProcessWaitMs);
    }
    pid_ = -1;
    exitCode_ = code;
    return code;
}

int SimProcess::WaitExit(int timeoutMs) {
    if (pid_ < 0) return exitCode_;
    const int code = WaitWithin(pid_, timeoutMs);
    if (code >= 0) {
        pid_ = -1;
        exitCode_ = code;
    }
    return code;
}

// --- FastProgramClock

FastProgramClock::FastProgramClock(int speedUp) {
    if (const char* value = std::getenv(kdm::kTimeScaleVariable)) previous_ = value;
    setenv(kdm::kTimeScaleVariable, std::to_string(speedUp).c_str(), 1);
}

FastProgramClock::~FastProgramClock() {
    if (previous_) {
        setenv(kdm::kTimeScaleVariable, previous_->c_str(), 1);
    } else {
        unsetenv(kdm::kTimeScaleVariable);
    }
}

// --- RunCli, RunProcess

CliResult RunCli(const std::vector<std::string>& args, const std::string& portDir,
                 const std::string& settingsDir, int timeoutMs) {
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, {"KDMXP_PORT_DIR=" + portDir, "KDMXP_SETTINGS_DIR=" + settingsDir}, timeoutMs);
}

CliResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                     int timeoutMs) {
    CliResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return result;
    }
    const pid_t pid = Spawn(argv, EnvironmentWith(environment), outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }
    const std::int64_t deadline = NowMs() + timeoutMs;
    pollfd entries[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int openPipes = 2;
    while (openPipes > 0) {
        const int left = MsLeft(deadline);
        if (left == 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(entries, 2, left) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (entries[i].fd < 0 || entries[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(entries[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(entries[i].fd);
                entries[i].fd = -1;
                --openPipes;
            }
        }
    }
    for (pollfd& entry : entries) {
        if (entry.fd >= 0) close(entry.fd);
    }
    int code = WaitWithin(pid, result.timedOut ? kProcessWaitMs : timeoutMs);
    if (code < 0) {
        kill(pid, SIGKILL);
        code = WaitWithin(pid, kProcessWaitMs);
    }
    result.exitCode = code;
    return result;
}

// --- BackgroundProcess

BackgroundProcess::BackgroundProcess(Options options) : errPath_(options.errPath) {
    int errFds[2] = {-1, -1};
    int outFds[2] = {-1, -1};
    int errFd = -1;
    if (errPath_.empty()) {
        if (pipe2(errFds, O_CLOEXEC) != 0) return;
        errPipe_ = errFds[0];
        errFd = errFds[1];
    } else {
        errFd = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    }
    int outFd = -1;
    if (options.stdoutUnread) {
        if (pipe2(outFds, O_CLOEXEC) == 0) {
            outPipe_ = outFds[0];
            outFd = outFds[1];
        }
    } else {
        outFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    }
    if (errFd >= 0 && outFd >= 0)
        pid_ = Spawn(options.argv, EnvironmentWith(options.environment), outFd, errFd);
    if (errFd >= 0) close(errFd);
    if (outFd >= 0) close(outFd);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        WaitWithin(pid_, kProcessWaitMs);
    }
    if (errPipe_ >= 0) close(errPipe_);
    if (outPipe_ >= 0) close(outPipe_);
}

void BackgroundProcess::Drain(int timeoutMs) {
    if (errPipe_ < 0) return;
    pollfd entry{errPipe_, POLLIN, 0};
    while (poll(&entry, 1, timeoutMs) > 0) {
        char buffer[4096];
        const ssize_t got = read(errPipe_, buffer, sizeof buffer);
        if (got <= 0) return;
        err_.append(buffer, static_cast<std::size_t>(got));
        timeoutMs = 0;
    }
}

bool BackgroundProcess::Says(const std::string& text, int timeoutMs) {
    if (!errPath_.empty()) return WaitForText(errPath_, text, 1, timeoutMs);
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (err_.find(text) == std::string::npos) {
        const int left = MsLeft(deadline);
        if (left == 0 || errPipe_ < 0) return false;
        const std::size_t before = err_.size();
        Drain(left);
        if (err_.size() == before) return err_.find(text) != std::string::npos;
    }
    return true;
}

std::string BackgroundProcess::Err() {
    if (!errPath_.empty()) return ReadWhole(errPath_);
    Drain(0);
    return err_;
}

void BackgroundProcess::CloseErr() {
    Drain(0);
    if (errPipe_ >= 0) close(errPipe_);
    errPipe_ = -1;
}

void BackgroundProcess::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

bool BackgroundProcess::HasRead(long long bytes, int timeoutMs) {
    const std::int64_t deadline = NowMs() + timeoutMs;
    const std::string path = "/proc/" + std::to_string(pid_) + "/io";
    while (pid_ > 0) {
        std::ifstream io(path);
        std::string name;
        long long value = 0;
        while (io >> name >> value)
            if (name == "rchar:" && value >= bytes) return true;
        if (MsLeft(deadline) == 0) return false;
        usleep(2000);
    }
    return false;
}

int BackgroundProcess::Wait(int timeoutMs) {
    if (pid_ < 0) return exitCode_;
    const int code = WaitWithin(pid_, timeoutMs);
    if (code >= 0) {
        pid_ = -1;
        exitCode_ = code;
    }
    return code;
}

// --- RawLine

RawLine::~RawLine() {
    Close();
}

bool RawLine::Open(const std::string& path) {
    Close();
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    termios t{};
    if (tcgetattr(fd_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    gone_ = false;
    pending_.clear();
    return true;
}

void RawLine::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool RawLine::Write(const std::string& bytes) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd_, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd entry{fd_, POLLOUT, 0};
            poll(&entry, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

bool RawLine::SendTelegram(const std::string& fourteen) {
    return Write(FrameOf(fourteen));
}

bool RawLine::Fill(int timeoutMs) {
    if (fd_ < 0 || gone_) return false;
    pollfd entry{fd_, POLLIN, 0};
    const int rc = poll(&entry, 1, timeoutMs);
    if (rc <= 0) return false;
    char buffer[4096];
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got > 0) {
        pending_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
    if (got == 0 || (errno != EAGAIN && errno != EINTR)) gone_ = true;
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    return false;
}

std::string RawLine::ReadFrame(int timeoutMs) {
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (true) {
        const std::size_t start = pending_.find(kdm::STX);
        if (start != std::string::npos && pending_.size() - start >= 16) {
            std::string frame = pending_.substr(start, 16);
            pending_.erase(0, start + 16);
            return frame;
        }
        if (!Fill(MsLeft(deadline)) && (gone_ || MsLeft(deadline) == 0)) return {};
    }
}

std::string RawLine::ReadBytes(std::size_t count, int timeoutMs) {
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (pending_.size() < count && fd_ >= 0 && !gone_ && MsLeft(deadline) > 0)
        Fill(MsLeft(deadline));
    std::string bytes = pending_.substr(0, count);
    pending_.erase(0, bytes.size());
    return bytes;
}

std::string RawLine::ReadUntilQuiet(int quietMs) {
    while (Fill(quietMs)) {
    }
    std::string all;
    all.swap(pending_);
    return all;
}

}  // namespace kdmtest
