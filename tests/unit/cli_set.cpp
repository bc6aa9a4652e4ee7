// kdmxp-cli set, run as a program on built data files: what it prints and saves for the settings it
// takes, what it refuses (and that a refusal writes nothing), and where it saves.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "data/parameter_model.h"
#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// Type 2: two system parameters, program 1 with 'V' marked for a checksum mismatch, program 2 with 'E'
// cut short on the line.
std::string Sample() {
    return DumpBuilder("I1P")
        .Add('h', "+000019--")
        .Add('v', "+000235--")
        .Program(1)
        .Add('J', "+000002--")
        .Add('V', "+172018--", /*damaged=*/true)
        .Program(2)
        .Add('J', "+000095--")
        .Raw(
            "\x02"
            "0E+00")
        .Add('G', "-000068--")
        .Text();
}

// The stored value (sign and six digits) of a parameter in the file at `path`; "(none)" without it.
std::string StoredValue(const std::string& path, std::optional<int> program, char letter) {
    const kdm::ParameterSet set = kdm::ParseParameterSet(Slurp(path)).set;
    const kdm::Parameter* parameter = nullptr;
    if (program) {
        if (const kdm::Program* p = set.FindProgram(*program)) parameter = p->Find(letter);
    } else {
        parameter = set.FindSystemParameter(letter);
    }
    return parameter != nullptr ? std::string(parameter->Value().substr(0, 7)) : "(none)";
}

class SetCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
        file = dir.File("a.KDM");
        Spit(file, Sample());
    }
    CliResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), "set");
        return RunCli(args, dir.File("ports"), dir.File("settings"), 30000);
    }

    TempDir dir;
    std::string file;
};

TEST_F(SetCommand, PrintsAndSavesEachChange) {
    struct Expected {
        std::optional<int> program;
        char letter;
        const char* stored;
    };
    struct Case {
        std::vector<std::string> settings;
        const char* printed;
        std::vector<Expected> after;
        int lengthChange = 0;  // a " !!!" that goes
    };
    const Case cases[] = {
        {{"h=5"}, "h Language: +000019 -> +000005\n", {{std::nullopt, 'h', "+000005"}, {1, 'J', "+000002"}}},
        {{"P2:J=-123", "v=+7"},
         "P2 J Sensor no.: +000095 -> -000123\nv Dimension: +000235 -> +000007\n",
         {{2, 'J', "-000123"}, {std::nullopt, 'v', "+000007"}, {1, 'J', "+000002"}}},
        // A record marked for a checksum mismatch takes the value it should have.
        {{"P1:V=-150"}, "P1 V Gain 1: +172018 -> -000150\n", {{1, 'V', "-000150"}}, -4},
        // The later of two settings of one parameter wins.
        {{"P1:J=1", "P1:J=999999"},
         "P1 J Sensor no.: +000002 -> +000001\nP1 J Sensor no.: +000001 -> +999999\n",
         {{1, 'J', "+999999"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings.front());
        const std::string out = dir.File("b.KDM");
        std::vector<std::string> args = {file};
        args.insert(args.end(), c.settings.begin(), c.settings.end());
        args.insert(args.end(), {"-o", out});
        const CliResult r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.printed);
        EXPECT_EQ(r.err, "");
        for (const Expected& e : c.after)
            EXPECT_EQ(StoredValue(out, e.program, e.letter), e.stored) << e.letter;
        // FILE stays as it was.
        EXPECT_EQ(Slurp(file), Sample());
        EXPECT_EQ(static_cast<long>(Slurp(out).size()), static_cast<long>(Sample().size()) + c.lengthChange);
    }
}

TEST_F(SetCommand, RefusesAndWritesNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* said;  // on standard error
    };
    const std::string out = dir.File("b.KDM");
    const Case cases[] = {
        {{file, "h=12a", "-o", out}, "h=12a: the value must be an optional sign and 1 to 6 digits"},
        {{file, "h=1234567", "-o", out}, "h=1234567: the value must be"},
        {{file, "h=", "-o", out}, "h=: the value must be"},
        {{file, "P7:J=5", "-o", out}, "P7:J=5: the file holds no program 7"},
        {{file, "P2:V=5", "-o", out}, "P2:V=5: program 2 holds no parameter V"},
        {{file, "Q=5", "-o", out}, "Q=5: the system block holds no parameter Q"},
        {{file, "P2:E=5", "-o", out}, "P2:E=5: the record of E in program 2 is damaged"},
        {{file, "h5", "-o", out}, "h5: a setting is LETTER=VALUE or P<number>:LETTER=VALUE"},
        {{file, "P2J=5", "-o", out}, "P2J=5: a setting is"},
        {{file, "Px:J=5", "-o", out}, "Px:J=5: a setting is"},
        {{file, "hv=5", "-o", out}, "hv=5: a setting is"},
        // One refused setting among good ones: none of them is saved.
        {{file, "h=5", "P7:J=5", "--in-place"}, "P7:J=5: the file holds no program 7"},
        {{file, "h=5"}, "nothing written: give -o OUT for a new file or --in-place"},
        {{file, "h=5", "-o", out, "--in-place"}, "--output excludes --in-place"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const CliResult r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("->"), std::string::npos) << r.out;
        EXPECT_EQ(Slurp(file), Sample());
        EXPECT_NE(::access(out.c_str(), F_OK), 0);
    }
}

TEST_F(SetCommand, InPlaceKeepsTheModeAndQuietPrintsNothing) {
    struct Case {
        mode_t mode;
        bool quiet;
    };
    for (const Case& c : {Case{0640, true}, Case{0600, false}, Case{0664, true}}) {
        SCOPED_TRACE(c.mode);
        Spit(file, Sample());
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        std::vector<std::string> args = {file, "P2:G=42", "--in-place"};
        if (c.quiet) args.push_back("--quiet");
        const CliResult r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.quiet ? "" : "P2 G 2-sheet Value: -000068 -> +000042\n");
        EXPECT_EQ(StoredValue(file, 2, 'G'), "+000042");
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
    }
}

// Only the set record changes: every byte before and after it is the file's.
TEST_F(SetCommand, EveryOtherByteStays) {
    const std::string out = dir.File("b.KDM");
    const CliResult r = Cli({file, "P1:J=-77", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string before = Sample();
    const std::string after = Slurp(out);
    ASSERT_EQ(after.size(), before.size());
    std::size_t first = 0;
    while (first < before.size() && before[first] == after[first])
        ++first;
    std::size_t last = before.size();
    while (last > first && before[last - 1] == after[last - 1])
        --last;
    // Within one record: from its value (telegram positions 2 to 8) to the sum after " QS ".
    EXPECT_LE(last - first, 20u);
    EXPECT_EQ(before.rfind('\x02', first), after.rfind('\x02', first));
    EXPECT_EQ(after.substr(after.rfind('\x02', first) + 1, 9), "0J-000077");
}

}  // namespace
}  // namespace kdmtest
