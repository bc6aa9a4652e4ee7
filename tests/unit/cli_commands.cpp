// kdmxp-cli with no command or a mistyped one: the usage, or the commands there are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace {

using kdmtest::Contains;

struct CommandCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string out;  // a part of stdout
    std::string err;  // all of stderr
};

const char* const kCommands = "Commands: ports search show read write diff set history";

TEST(CliCommands, NoneOrAMistypedOneSaysWhatThereIs) {
    const std::vector<CommandCase> cases = {
        {"bare", {}, 2, "Usage: kdmxp-cli [OPTIONS] SUBCOMMAND", ""},
        {"aLetterSwapped",
         {"shwo", "file.KDM"},
         2,
         "",
         std::string("kdmxp-cli: unknown command 'shwo'\nDid you mean 'show'?\n") + kCommands +
             "\nSee kdmxp-cli --help, or kdmxp-cli COMMAND --help.\n"},
        {"twoLettersOff",
         {"histroy"},
         2,
         "",
         std::string("kdmxp-cli: unknown command 'histroy'\nDid you mean 'history'?\n") + kCommands +
             "\nSee kdmxp-cli --help, or kdmxp-cli COMMAND --help.\n"},
        {"nothingClose",
         {"flash"},
         2,
         "",
         std::string("kdmxp-cli: unknown command 'flash'\n") + kCommands +
             "\nSee kdmxp-cli --help, or kdmxp-cli COMMAND --help.\n"},
        {"aCommandStillRuns", {"show", "--help"}, 0, "Usage: kdmxp-cli show [OPTIONS] FILE", ""},
    };
    kdmtest::TempDir root;
    for (const CommandCase& c : cases) {
        const kdmtest::CliResult r = kdmtest::RunCli(c.args, root.File("ports"), root.Path(), 30000);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(Contains(r.out, c.out)) << c.name << ": " << r.out;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
    // The usage lists every command.
    const kdmtest::CliResult bare = kdmtest::RunCli({}, root.File("ports"), root.Path(), 30000);
    for (const char* command : {"ports", "search", "show", "read", "write", "diff", "history"})
        EXPECT_TRUE(Contains(bare.out, std::string("  ") + command + " ")) << command << ": " << bare.out;
}

}  // namespace
