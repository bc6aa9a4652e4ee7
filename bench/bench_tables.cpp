// Opening a data file and filling both tables: time per file and cells written per second, for the
// largest file a device can produce (255 programs, every column used) and for a typical one.
// Prints figures only; nothing is asserted.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "data/grid.h"
#include "data/tables.h"
#include "tests/support/dump_builder.h"

namespace {

// Type 1: 13 named system letters and 15 named program letters.
constexpr const char* kSystemLetters = "devhkinmjyqpK";
constexpr const char* kProgramLetters = "JNuoVWEGXRYrtC";

std::string MakeDump(int programs, bool everyColumn) {
    kdmtest::DumpBuilder dump("I10");
    int n = 0;
    for (const char* c = kSystemLetters; *c != '\0'; ++c)
        dump.Add(*c, kdmtest::Value(++n));
    // Fill the unlisted system rows too (14 to 24).
    if (everyColumn) {
        for (const char c : std::string("ABDFHLMOQST"))
            dump.Add(c, kdmtest::Value(++n));
    }
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (const char* c = kProgramLetters; *c != '\0'; ++c)
            dump.Add(*c, kdmtest::Value(++n));
        // Columns 15 to 18.
        if (everyColumn) {
            for (const char c : std::string("abcf"))
                dump.Add(c, kdmtest::Value(++n));
        }
    }
    return dump.Text();
}

void Measure(const char* name, const std::string& path, long bytes) {
    using Clock = std::chrono::steady_clock;
    int rounds = 0;
    long cells = 0;
    const Clock::time_point start = Clock::now();
    Clock::duration spent{};
    // At least 50 rounds and at least half a second.
    while (rounds < 50 || spent < std::chrono::milliseconds(500)) {
        kdm::MemoryGrid system;
        kdm::MemoryGrid program;
        kdm::ParameterTables tables(system, program);
        std::string reason;
        if (!kdm::ShowDataFile(tables, path, reason)) {
            std::fprintf(stderr, "%s\n", reason.c_str());
            std::exit(1);
        }
        cells += system.CellWrites() + program.CellWrites();
        ++rounds;
        spent = Clock::now() - start;
    }
    const double seconds = std::chrono::duration<double>(spent).count();
    std::printf("%-34s %7ld bytes %6ld cells/file %9.3f ms/file %12.0f cells/s\n", name, bytes,
                cells / rounds, 1000.0 * seconds / rounds, static_cast<double>(cells) / seconds);
}

}  // namespace

int main() {
    char dir[] = "/tmp/kdmxp-bench-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return 1;
    struct Case {
        const char* name;
        int programs;
        bool every;
    };
    const Case cases[] = {
        {"largest (255 programs, all cells)", 255, true},
        {"typical (20 programs)", 20, false},
    };
    for (const Case& c : cases) {
        const std::string dump = MakeDump(c.programs, c.every);
        const std::string path = std::string(dir) + "/bench.kdm";
        std::ofstream(path, std::ios::binary) << dump;
        Measure(c.name, path, static_cast<long>(dump.size()));
        ::unlink(path.c_str());
    }
    ::rmdir(dir);
    return 0;
}
