// How close a bench of devices served at once comes to the time of one: N simulated devices paced at
// 4800 baud, a write (and a read) of all of them in one `kdmxp-cli` command timed against the same
// command for one device alone, with the tool's CPU time per device. Goal for 6 devices: at most 1.25
// times one device's time, under 10 % of one core per device. Prints figures only.
//
// Usage: bench_many [DEVICES [PROGRAMS]]   (default 6 devices of 20 programs)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/spawn.h"

namespace {

using kdmbench::Spawn;

struct Run {
    int exitCode = -1;
    double seconds = 0;
    double cpuSeconds = 0;  // user + system of the tool
};

Run TimeCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> argv = {KDMXP_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto start = std::chrono::steady_clock::now();
    Run run;
    const pid_t pid = Spawn(argv, env, -1);
    if (pid < 0) return run;
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

// Starts a simulated device on COMn, paced at 4800 baud; its pid, or -1 when it did not get ready.
pid_t StartDevice(const std::string& ports, int com, int programs) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t sim = Spawn({KDMXP_SIM_PATH, "--port-dir", ports, "--com", std::to_string(com), "--programs",
                             std::to_string(programs), "--seed", std::to_string(com), "--baud", "4800"},
                            {}, pipeFds[1]);
    ::close(pipeFds[1]);
    std::string ready;
    char c = 0;
    while (sim > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        ready += c;
    ::close(pipeFds[0]);
    return ready.rfind("ready", 0) == 0 ? sim : -1;
}

void Report(const char* what, int devices, const Run& one, const Run& many) {
    std::printf("%-5s one device %7.2f s (exit %d)   %d devices %7.2f s (exit %d)   ratio %.3f\n", what,
                one.seconds, one.exitCode, devices, many.seconds, many.exitCode, many.seconds / one.seconds);
    std::printf(
        "      tool CPU: one %.2f s = %.1f %% of a core;  %d devices %.2f s = %.1f %% of a core per device\n",
        one.cpuSeconds, 100.0 * one.cpuSeconds / one.seconds, devices, many.cpuSeconds,
        100.0 * many.cpuSeconds / many.seconds / devices);
}

}  // namespace

int main(int argc, char** argv) {
    const int devices = argc > 1 ? std::atoi(argv[1]) : 6;
    const int programs = argc > 2 ? std::atoi(argv[2]) : 20;
    if (devices < 1 || devices > 30 || programs < 0 || programs > 255) {
        std::fprintf(stderr, "usage: bench_many [DEVICES (1-30) [PROGRAMS (0-255)]]\n");
        return 2;
    }
    const char* base = std::getenv("TMPDIR");
    std::string root = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string ports = root + "/ports", settings = root + "/settings", work = root + "/work";
    for (const auto& d : {ports, settings, work})
        std::filesystem::create_directories(d);
    // The history of the benchmark stays in its own directory.
    const std::vector<std::string> env = {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings,
                                          "XDG_DATA_HOME=" + root + "/data"};

    std::vector<pid_t> sims;
    std::vector<std::string> allPorts;
    for (int com = 1; com <= devices; ++com) {
        const pid_t sim = StartDevice(ports, com, programs);
        if (sim < 0) {
            std::fprintf(stderr, "kdmxp-sim on COM%d did not get ready\n", com);
            for (const pid_t started : sims)
                ::kill(started, SIGTERM);
            return 1;
        }
        sims.push_back(sim);
        allPorts.push_back("--port");
        allPorts.push_back("COM" + std::to_string(com));
    }
    // kdmxp-cli keeps KDM.tmp of a single read in its working directory.
    std::filesystem::current_path(work);

    std::printf(
        "%d kdmxp-sim paced at 4800 baud, %d programs each; whole commands incl. process start and "
        "search (machine load from other work counts too)\n",
        devices, programs);
    std::vector<std::string> args = {"read", "--quiet", "-o", work + "/one.KDM", "--port", "COM1"};
    const Run readOne = TimeCli(args, env);
    args = {"read", "--quiet", "-o", work + "/bench"};
    args.insert(args.end(), allPorts.begin(), allPorts.end());
    // With a single device the command above is the same read: one port alone takes the usual path.
    const Run readMany = devices > 1 ? TimeCli(args, env) : readOne;
    Report("read", devices, readOne, readMany);

    args = {"write", "--quiet", work + "/one.KDM", "--port", "COM1"};
    const Run writeOne = TimeCli(args, env);
    args = {"write", "--quiet", work + "/one.KDM"};
    args.insert(args.end(), allPorts.begin(), allPorts.end());
    const Run writeMany = devices > 1 ? TimeCli(args, env) : writeOne;
    Report("write", devices, writeOne, writeMany);

    for (const pid_t sim : sims) {
        ::kill(sim, SIGTERM);
        int status = 0;
        ::waitpid(sim, &status, 0);
    }
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(root, ignored);
    const bool ok =
        readOne.exitCode == 0 && readMany.exitCode == 0 && writeOne.exitCode == 0 && writeMany.exitCode == 0;
    return ok ? 0 : 1;
}
