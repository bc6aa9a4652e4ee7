// How close `kdmxp-cli read` and `write` come to the speed of the line: a device of 20 programs in
// kdmxp-sim paced at 4800 baud, each whole command timed from start to exit and set against its lower
// bound, the wire time of every byte exchanged (10 bits a byte) plus the waits the conversation
// prescribes (200 + 100 + 100 ms for a read, none for a write). The bytes are counted from the
// simulator's log, one 16-byte frame per logged telegram in either direction. Prints figures only.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/spawn.h"

namespace {

constexpr double kBaud = 4800.0;
constexpr double kBitsPerByte = 10.0;
constexpr int kFrameBytes = 16;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

using kdmbench::Spawn;

int WaitExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct Run {
    int exitCode = -1;
    double seconds = 0;
    long sent = 0;      // frames the device sent (paced by the simulator)
    long received = 0;  // frames the tool sent (a pseudo-terminal delivers them at once)
};

// Frames logged by the simulator since byte `from` of its log.
void CountFrames(const std::string& log, std::size_t from, Run& run) {
    std::istringstream lines(log.substr(std::min(from, log.size())));
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" tx#") != std::string::npos) ++run.sent;
        if (line.find(" rx#") != std::string::npos) ++run.received;
    }
}

Run TimeCli(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const std::string& log) {
    const std::size_t logBefore = Slurp(log).size();
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(argv, env, -1);
    Run run;
    if (pid < 0) return run;
    run.exitCode = WaitExit(pid);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The simulator logs a frame once it went over the line; give it a moment to write the last one.
    ::usleep(200000);
    CountFrames(Slurp(log), logBefore, run);
    return run;
}

double WireSeconds(long frames) {
    return static_cast<double>(frames * kFrameBytes) * kBitsPerByte / kBaud;
}

// Two bounds: the paced one counts what the simulator sends at 4800 baud (the tool's own bytes reach it
// through the pseudo-terminal at once); the line one counts every byte both ways, as on a real cable
// where request and answer never overlap.
void Report(const char* what, const Run& run, double fixedWaits) {
    const double paced = WireSeconds(run.sent) + fixedWaits;
    const double line = WireSeconds(run.sent + run.received) + fixedWaits;
    std::printf("%-5s exit %d  %7.3f s  device sent %5ld bytes, tool sent %5ld bytes, waits %.3f s\n", what,
                run.exitCode, run.seconds, run.sent * kFrameBytes, run.received * kFrameBytes, fixedWaits);
    std::printf("      paced bound %7.3f s  ratio %.3f   |   line bound (both ways) %7.3f s  ratio %.3f\n",
                paced, run.seconds / paced, line, run.seconds / line);
}

}  // namespace

int main() {
    const char* base = std::getenv("TMPDIR");
    std::string root = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string ports = root + "/ports", settings = root + "/settings", work = root + "/work";
    const std::string log = root + "/sim.log";
    for (const auto& d : {ports, settings, work})
        std::filesystem::create_directories(d);
    const std::vector<std::string> env = {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings};

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return 1;
    const pid_t sim =
        Spawn({KDMXP_SIM_PATH, "--port-dir", ports, "--com", "1", "--programs", "20", "--log", log}, {},
              pipeFds[1]);
    ::close(pipeFds[1]);
    std::string ready;
    char c = 0;
    while (sim > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        ready += c;
    ::close(pipeFds[0]);
    if (ready.rfind("ready", 0) != 0) {
        std::fprintf(stderr, "kdmxp-sim did not get ready\n");
        return 1;
    }
    // kdmxp-cli keeps KDM.tmp in its working directory.
    std::filesystem::current_path(work);

    std::printf("kdmxp-sim paced at 4800 baud, 20 programs; whole commands incl. process start and search\n");
    const Run read = TimeCli({"read", "--quiet", "-o", work + "/device.KDM"}, env, log);
    Report("read", read, 0.400);
    const Run write = TimeCli({"write", "--quiet", work + "/device.KDM"}, env, log);
    Report("write", write, 0.0);
    std::printf("data file: %zu bytes\n", Slurp(work + "/device.KDM").size());

    ::kill(sim, SIGTERM);
    WaitExit(sim);
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(root, ignored);
    return read.exitCode == 0 && write.exitCode == 0 ? 0 : 1;
}
