// What kdmxp-cli show (every format) and diff (text and JSON) print for ordinary and damaged files,
// byte for byte: each output's exit status, length and 64-bit FNV-1a digest of stdout and stderr, as
// recorded in cli_outputs.expected. The files are the corpus's, a few built ones and seeded mutations
// of two of them. A change to any of these outputs must be deliberate; to record them again:
//   KDMXP_RECORD_OUTPUTS=tests/unit/cli_outputs.expected build/debug/tests/cli_tests
//   --gtest_filter='Outputs.*'
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/random.h"
#include "support/sim_process.h"

namespace {

using kdmtest::DumpBuilder;
using kdmtest::Value;

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

using kdmtest::Random;

// A few bytes changed, inserted, removed or repeated; the bytes that mean something the likeliest.
std::string Mutated(std::string text, Random& random) {
    static const std::string kBytes = std::string("\x02\x03\r\n\r !QSPg0123456789+-") + '\0';
    for (std::size_t step = 0, steps = 1 + random.Below(3); step < steps; ++step) {
        const std::size_t at = random.Below(text.size() + 1);
        const char byte = kBytes[random.Below(kBytes.size())];
        switch (random.Below(4)) {
            case 0:
                if (at < text.size()) text[at] = byte;
                break;
            case 1:
                text.insert(at, 1, byte);
                break;
            case 2:
                if (at < text.size()) text.erase(at, 1 + random.Below(20));
                break;
            default:
                text.insert(at, text.substr(random.Below(text.size() + 1), random.Below(40)));
                break;
        }
    }
    return text;
}

// Files by name, in a stable order.
std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    const std::filesystem::path corpus = std::filesystem::path(KDMXP_SOURCE_DIR) / "tests/fuzz/corpus/dump";
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        files[entry.path().filename().string()] = kdmtest::Slurp(entry.path().string());

    DumpBuilder sample("I10");
    sample.Add('d', "+000001--")
        .Add('e', "+12,456--")
        .Add('v', "+1\"3456--")
        .Add('h',
             "+\xe4"
             "23456--",
             true);
    sample.Program(1).Add('N', "+000123--").Add('#', "+0\r\n456--").Add('&', "+00g000--");
    sample.Program(2).Add('u', "-000050--").Add('N', "+0\x1b[2J0--");
    files["sample.kdm"] = sample.Text();
    files["noise.kdm"] = DumpBuilder("I10").Text() + std::string(300, '\x02');
    DumpBuilder many("I1K");
    for (int p = 1; p <= 300; ++p)
        many.Program(p).Add('N', Value(p));
    files["many.kdm"] = many.Text();
    DumpBuilder twice("E20");
    twice.Add('N', Value(1)).Program(4).Add('N', Value(2)).Program(4).Add('N', Value(3)).Program(3);
    files["twice.kdm"] = twice.Text();
    const std::string read = files.at("sim_type1_p3.kdm");
    files["cut.kdm"] = read.substr(0, read.size() / 2);
    std::string etxLess = read;
    std::erase(etxLess, '\x03');
    files["etx_removed.kdm"] = etxLess;
    Random random(2811);
    for (const char* name : {"sim_type1_p3.kdm", "sim_type2_p2.kdm"}) {
        const std::string original = files.at(name);
        for (int i = 0; i < 10; ++i)
            files["mutated_" + std::to_string(i) + "_" + name] = Mutated(original, random);
    }
    return files;
}

struct Command {
    std::string name;
    std::vector<std::string> args;  // file names relative to the test's directory
};

std::vector<Command> Commands(const std::map<std::string, std::string>& files) {
    const std::vector<std::vector<std::string>> formats = {
        {},
        {"--format", "json"},
        {"--format", "csv"},
        {"--format", "csv", "--table", "program"},
        {"--format", "grid-json"},
        {"--format", "grid-csv"},
        {"--format", "grid-csv", "--table", "program"},
    };
    std::vector<Command> runs;
    for (const auto& [name, bytes] : files) {
        for (const std::vector<std::string>& format : formats) {
            Command run{"show " + name, {"show", name}};
            for (const std::string& a : format) {
                run.name += " " + a;
                run.args.push_back(a);
            }
            runs.push_back(run);
        }
        for (const std::string other : {"sim_type1_p3.kdm", "mixed_damaged_cut.kdm"}) {
            runs.push_back({"diff " + name + " " + other, {"diff", name, other}});
            runs.push_back(
                {"diff --format json " + other + " " + name, {"diff", "--format", "json", other, name}});
        }
    }
    return runs;
}

std::string Line(const std::string& name, const kdmtest::CliResult& result) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "exit %d out %zu %016llx err %zu %016llx", result.exitCode,
                  result.out.size(), static_cast<unsigned long long>(Fnv1a(result.out)), result.err.size(),
                  static_cast<unsigned long long>(Fnv1a(result.err)));
    return name + " | " + buffer;
}

TEST(Outputs, ShowAndDiffPrintWhatTheyPrintedBefore) {
    if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
    kdmtest::TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::map<std::string, std::string> files = Files();
    for (const auto& [name, bytes] : files)
        kdmtest::Spit(dir.File(name), bytes);
    // Outputs name the files as given: relative names from the test's directory keep them the same.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());

    // Four at a time: each command only reads the files, and nearly 400 programs one after the other
    // took most of a minute under the sanitizers.
    const std::vector<Command> runs = Commands(files);
    std::vector<kdmtest::CliResult> results(runs.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&] {
            for (std::size_t i; (i = next++) < runs.size();)
                results[i] = kdmtest::RunCli(runs[i].args, dir.File("ports"), dir.File("settings"));
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    std::filesystem::current_path(before);
    std::vector<std::string> lines;
    std::map<std::string, std::string> outputs;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        lines.push_back(Line(runs[i].name, results[i]));
        outputs[runs[i].name] = "stdout:\n" + results[i].out + "\nstderr:\n" + results[i].err;
    }

    if (const char* record = std::getenv("KDMXP_RECORD_OUTPUTS")) {
        std::ofstream out(record, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        GTEST_SKIP() << "recorded " << lines.size() << " outputs in " << record;
    }
    const std::string expected =
        kdmtest::Slurp(std::string(KDMXP_SOURCE_DIR) + "/tests/unit/cli_outputs.expected");
    ASSERT_FALSE(expected.empty());
    std::vector<std::string> recorded;
    for (std::size_t at = 0, end; (end = expected.find('\n', at)) != std::string::npos; at = end + 1)
        recorded.push_back(expected.substr(at, end - at));
    ASSERT_EQ(lines.size(), recorded.size());
    int differing = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == recorded[i]) continue;
        // The first few in full, so that the change can be seen.
        const std::string name = lines[i].substr(0, lines[i].find(" | "));
        EXPECT_EQ(lines[i], recorded[i]) << (++differing <= 3 ? outputs[name] : std::string());
    }
}

}  // namespace
