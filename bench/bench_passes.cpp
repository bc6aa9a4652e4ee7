// Every pass over a data file, timed for a file and for one four times its size (the ratio of the two
// stays near 4 when the work grows with the file; the goal is at most 5) and for a file at the 64 MiB
// limit; then the peak memory of show, diff and the table window as a multiple of the file's size, for
// records as a read stores them and for noise (every byte after the identification an STX).
//
// The files are built here, in a temporary directory that is removed at the end. The in-process passes
// run the core's own functions; the others run the real programs as child processes, whose peak
// memory comes from wait4 (ru_maxrss) in a launcher process that holds none of the files. Prints
// figures only; nothing is asserted.
//
//   bench_passes [--quick] [--cli PATH] [--table-window PATH]
//
// --quick leaves out the 64 MiB files. --cli and --table-window measure other builds of kdmxp-cli and
// of bench_ui (whose --open FILE shows a file in a table window and exits).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "data/grid.h"
#include "data/parameter_model.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "tests/support/dump_builder.h"
#include "transfer/frames.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kOne = 1600000;  // the size the slow passes were first seen at
constexpr std::size_t kLimit = 64u * 1024u * 1024u;
constexpr std::size_t kNoise = 8u * 1024u * 1024u;

std::string gDir;
std::string gCli = KDMXP_CLI_PATH;
std::string gTableWindow =
#ifdef KDMXP_BENCH_UI_PATH
    KDMXP_BENCH_UI_PATH;
#else
    "";
#endif

// Records as a read stores them: the system block, then programs of every letter the layout names,
// as many as the size takes (far more than a device holds, as a large file must). `shift` changes
// every value, for a file that differs from the first everywhere.
std::string Records(std::size_t size, int shift) {
    kdmtest::DumpBuilder dump("I10");
    int n = shift;
    for (const char c : std::string("devhkinmjyqpK"))
        dump.Add(c, kdmtest::Value(++n));
    for (int program = 1; dump.Text().size() + 400 < size; ++program) {
        dump.Program(program % 1000);
        for (const char c : std::string("JNuoVWEGXRYrtC"))
            dump.Add(c, kdmtest::Value(++n));
    }
    return dump.Text();
}

std::string Noise(std::size_t size) {
    std::string text = kdmtest::DumpBuilder("I10").Text();
    text.resize(size, kdm::STX);
    return text;
}

std::string Save(const std::string& name, const std::string& text) {
    const std::string path = gDir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The best of `rounds` runs (fewer once a run takes more than a second).
double Time(const std::function<void()>& work, int rounds = 5) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
        if (best > 1.0) break;
    }
    return best;
}

struct ChildRun {
    int exitCode = -1;
    double seconds = 0;
    long peakKb = 0;
    long long outputBytes = 0;
};

// Starts the measured programs. A child's ru_maxrss counts the memory of the process it was started
// from (exec keeps the old high-water mark, and posix_spawn execs from the parent's memory), and this
// process holds the files it built: so the programs are started by a launcher forked before any file
// was built, which stays a few megabytes. Requests go over a pipe: the arguments, NUL-separated.
class Launcher {
  public:
    bool Start() {
        int request[2];
        int reply[2];
        if (::pipe(request) != 0 || ::pipe(reply) != 0) return false;
        const pid_t pid = ::fork();
        if (pid < 0) return false;
        if (pid == 0) {
            ::close(request[1]);
            ::close(reply[0]);
            Serve(request[0], reply[1]);
            ::_exit(0);
        }
        ::close(request[0]);
        ::close(reply[1]);
        requests_ = request[1];
        replies_ = reply[0];
        pid_ = pid;
        return true;
    }
    ~Launcher() {
        if (pid_ <= 0) return;
        ::close(requests_);
        ::close(replies_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ChildRun Run(const std::vector<std::string>& argv, const std::string& outPath) {
        std::string message = outPath + '\0';
        for (const std::string& a : argv)
            message += a + '\0';
        const std::uint64_t length = message.size();
        ChildRun run;
        if (!WriteAll(requests_, &length, sizeof length) ||
            !WriteAll(requests_, message.data(), message.size()) || !ReadAll(replies_, &run, sizeof run))
            run.exitCode = -1;
        return run;
    }

  private:
    static bool WriteAll(int fd, const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd, p, size);
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    static bool ReadAll(int fd, void* data, std::size_t size) {
        char* p = static_cast<char*>(data);
        while (size > 0) {
            const ssize_t n = ::read(fd, p, size);
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    static void Serve(int requests, int replies) {
        for (;;) {
            std::uint64_t length = 0;
            if (!ReadAll(requests, &length, sizeof length)) return;
            std::string message(length, '\0');
            if (!ReadAll(requests, message.data(), message.size())) return;
            std::vector<std::string> parts;
            for (std::size_t at = 0; at < message.size();) {
                const std::size_t end = message.find('\0', at);
                parts.push_back(message.substr(at, end - at));
                at = end + 1;
            }
            ChildRun run;
            const Clock::time_point start = Clock::now();
            const pid_t pid = ::fork();
            if (pid == 0) {
                const int in = ::open("/dev/null", O_RDONLY);
                const int out = ::open(parts[0].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                const int err = ::open("/dev/null", O_WRONLY);
                if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
                    ::dup2(err, 2) < 0)
                    ::_exit(126);
                std::vector<char*> argv;
                for (std::size_t i = 1; i < parts.size(); ++i)
                    argv.push_back(parts[i].data());
                argv.push_back(nullptr);
                ::execv(argv[0], argv.data());
                ::_exit(127);
            }
            if (pid > 0) {
                int status = 0;
                struct rusage usage {};
                while (::wait4(pid, &status, 0, &usage) < 0) {
                }
                run.seconds = Seconds(Clock::now() - start);
                run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                run.peakKb = usage.ru_maxrss;
                struct stat st {};
                if (::stat(parts[0].c_str(), &st) == 0) run.outputBytes = st.st_size;
                ::unlink(parts[0].c_str());
            }
            if (!WriteAll(replies, &run, sizeof run)) return;
        }
    }

    pid_t pid_ = -1;
    int requests_ = -1;
    int replies_ = -1;
};

Launcher gLauncher;

ChildRun RunChild(const std::vector<std::string>& argv) {
    return gLauncher.Run(argv, gDir + "/stdout");
}

// One pass: what it runs on a file (in the process or as a child) and how long that takes.
struct Pass {
    const char* name;
    std::function<double(const std::string& text, const std::string& path, const std::string& other)> run;
};

// The best of three runs, as for the passes in this process: the machine may be busy with others.
double Child(const std::vector<std::string>& argv) {
    double best = RunChild(argv).seconds;
    for (int i = 1; i < 3 && best <= 1.0; ++i)
        best = std::min(best, RunChild(argv).seconds);
    return best;
}

double Cli(std::vector<std::string> args) {
    args.insert(args.begin(), gCli);
    return Child(args);
}

std::vector<Pass> Passes() {
    std::vector<Pass> passes = {
        {"parse", [](const std::string& text, const std::string&,
                     const std::string&) { return Time([&] { (void)kdm::ParseParameterSet(text); }); }},
        {"frame count (write)",
         [](const std::string& text, const std::string&, const std::string&) {
             return Time([&] { (void)kdm::CountFrames(text); });
         }},
        {"write check (parse + check)",
         [](const std::string& text, const std::string&, const std::string&) {
             return Time([&] { (void)kdm::CheckFileForWriting(kdm::ParseParameterSet(text).set); });
         }},
        {"table filling (parse + fill)",
         [](const std::string& text, const std::string&, const std::string&) {
             return Time([&] {
                 kdm::MemoryGrid system;
                 kdm::MemoryGrid program;
                 kdm::ParameterTables tables(system, program);
                 tables.ShowDump(text);
             });
         }},
        {"kdmxp-cli write, up to the search",
         [](const std::string&, const std::string& path, const std::string&) {
             return Cli({"write", "--quiet", path});
         }},
        {"kdmxp-cli show",
         [](const std::string&, const std::string& path, const std::string&) {
             return Cli({"show", path});
         }},
        {"kdmxp-cli show --format csv",
         [](const std::string&, const std::string& path, const std::string&) {
             return Cli({"show", "--format", "csv", path});
         }},
        {"kdmxp-cli show --format json",
         [](const std::string&, const std::string& path, const std::string&) {
             return Cli({"show", "--format", "json", path});
         }},
        {"kdmxp-cli diff (every value differs)",
         [](const std::string&, const std::string& path, const std::string& other) {
             return Cli({"diff", path, other});
         }},
    };
    if (!gTableWindow.empty()) {
        passes.push_back({"table window (bench_ui --open)",
                          [](const std::string&, const std::string& path, const std::string&) {
                              return Child({gTableWindow, "--open", path});
                          }});
    }
    return passes;
}

void TimePasses(bool quick) {
    const std::string one = Records(kOne, 0);
    const std::string four = Records(4 * kOne, 0);
    const std::string onePath = Save("one.KDM", one);
    const std::string fourPath = Save("four.KDM", four);
    const std::string oneOther = Save("one-b.KDM", Records(kOne, 7));
    const std::string fourOther = Save("four-b.KDM", Records(4 * kOne, 7));
    std::string limit;
    std::string limitPath;
    std::string limitOther;
    if (!quick) {
        limit = Records(kLimit - 1024, 0);
        limitPath = Save("limit.KDM", limit);
        limitOther = Save("limit-b.KDM", Records(kLimit - 1024, 7));
    }
    std::printf("Records as a read stores them, %zu programs in the 1x file (a device holds 255)\n",
                kdm::ParseParameterSet(one).set.Programs().size());
    // The last column sets the time per byte at 64 MiB against that at 4x: near 1 when the work grows
    // with the file (caches make small files a little cheaper per byte than large ones).
    std::printf("%-38s %12s %12s %7s %12s %9s\n", "pass", "1x", "4x", "ratio", "64 MiB", "per byte");
    std::printf("%-38s %9.2f MB %9.2f MB %7s %12s %9s\n", "", static_cast<double>(one.size()) / 1e6,
                static_cast<double>(four.size()) / 1e6, "", quick ? "(--quick)" : "", "64M / 4x");
    for (const Pass& pass : Passes()) {
        const double t1 = pass.run(one, onePath, oneOther);
        const double t4 = pass.run(four, fourPath, fourOther);
        std::printf("%-38s %10.3f s %10.3f s %7.2f", pass.name, t1, t4, t4 / t1);
        if (!quick) {
            const double t64 = pass.run(limit, limitPath, limitOther);
            const double perByte =
                (t64 / static_cast<double>(limit.size())) / (t4 / static_cast<double>(four.size()));
            std::printf(" %10.3f s %9.2f", t64, perByte);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

void PeakMemory(bool quick) {
    struct File {
        const char* name;
        std::string path;
        std::string other;  // for diff
        std::size_t size;
    };
    std::vector<File> files;
    const auto add = [&files](const char* name, std::string a, std::string b) {
        const std::size_t size = a.size();
        const std::string pathA = Save(std::string(name) + ".KDM", a);
        const std::string pathB = Save(std::string(name) + "-b.KDM", b);
        files.push_back({name, pathA, pathB, size});
    };
    add("records 6.4 MB", Records(4 * kOne, 0), Records(4 * kOne, 7));
    add("noise 8 MiB", Noise(kNoise), Noise(kNoise));
    if (!quick) {
        add("records 64 MiB", Records(kLimit - 1024, 0), Records(kLimit - 1024, 7));
        add("noise 64 MiB", Noise(kLimit), Noise(kLimit));
    }
    // What a program takes with next to no file, to tell its own size from the file's.
    const std::string tiny = Save("tiny.KDM", Records(100, 0));
    struct Program {
        const char* name;
        std::function<std::vector<std::string>(const File&)> argv;
        bool twoFiles;
    };
    std::vector<Program> programs = {
        {"show",
         [](const File& f) {
             return std::vector<std::string>{gCli, "show", f.path};
         },
         false},
        {"show --format csv",
         [](const File& f) {
             return std::vector<std::string>{gCli, "show", "--format", "csv", f.path};
         },
         false},
        {"show --format json",
         [](const File& f) {
             return std::vector<std::string>{gCli, "show", "--format", "json", f.path};
         },
         false},
        {"diff",
         [](const File& f) {
             return std::vector<std::string>{gCli, "diff", f.path, f.other};
         },
         true},
    };
    if (!gTableWindow.empty()) {
        programs.push_back({"table window",
                            [](const File& f) {
                                return std::vector<std::string>{gTableWindow, "--open", f.path};
                            },
                            false});
    }
    std::printf(
        "\nPeak memory (ru_maxrss) as a multiple of the file's size (diff: of both files' sizes);\n"
        "in brackets the multiple above the program's own size (its peak for a file of 100 bytes),\n"
        "and the output's size as a multiple of the file's\n");
    std::printf("%-20s", "program");
    for (const File& f : files)
        std::printf(" %28s", f.name);
    std::printf("\n");
    for (const Program& program : programs) {
        const File tinyFile{"tiny", tiny, tiny, 100};
        const ChildRun base = RunChild(program.argv(tinyFile));
        std::printf("%-20s", program.name);
        for (const File& f : files) {
            const ChildRun run = RunChild(program.argv(f));
            const double size = static_cast<double>(f.size) * (program.twoFiles ? 2.0 : 1.0);
            const double peak = static_cast<double>(run.peakKb) * 1024.0;
            const double own = static_cast<double>(base.peakKb) * 1024.0;
            char cell[64];
            std::snprintf(cell, sizeof cell, "%5.1fx (%5.1fx) out %5.2fx", peak / size, (peak - own) / size,
                          static_cast<double>(run.outputBytes) / size);
            std::printf(" %28s", cell);
            std::fflush(stdout);
        }
        std::printf("   [own %ld KB]\n", base.peakKb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc) {
            gCli = argv[++i];
        } else if (std::strcmp(argv[i], "--table-window") == 0 && i + 1 < argc) {
            gTableWindow = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_passes [--quick] [--cli PATH] [--table-window PATH]\n");
            return 2;
        }
    }
    const char* base = std::getenv("TMPDIR");
    std::string root = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    gDir = root;
    // The programs must find no device and touch no real settings; the table window needs no screen.
    std::filesystem::create_directories(gDir + "/ports");
    ::setenv("KDMXP_PORT_DIR", (gDir + "/ports").c_str(), 1);
    ::setenv("KDMXP_SETTINGS_DIR", (gDir + "/settings").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!gLauncher.Start()) {
        std::perror("bench_passes: fork");
        return 1;
    }
    TimePasses(quick);
    PeakMemory(quick);
    std::error_code ignored;
    std::filesystem::remove_all(gDir, ignored);
    return 0;
}
