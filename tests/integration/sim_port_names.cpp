// kdmxp-sim and the port names it publishes: a name in use by another simulator is refused, and the
// first one keeps its link; a name whose simulator has gone is free again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

std::string LinkTarget(const std::string& link) {
    std::error_code error;
    return std::filesystem::read_symlink(link, error).string();
}

struct NameCase {
    const char* name;
    int secondCom;
    bool firstStoppedBefore;
    bool refused;
};

TEST(SimPortNames, ANameInUseIsRefusedAndTheFirstKeepsItsLink) {
    const std::vector<NameCase> cases = {
        {"sameNameWhileTheFirstRuns", 3, false, true},
        {"anotherName", 4, false, false},
        {"sameNameOnceTheFirstHasGone", 3, true, false},
    };
    for (const NameCase& c : cases) {
        TempDir root;
        const std::string ports = root.File("ports");
        SimProcess first;
        std::string error;
        ASSERT_TRUE(first.Start(ports, 3, {"--no-pacing"}, &error)) << c.name << ": " << error;
        if (c.firstStoppedBefore) {
            ASSERT_EQ(first.Stop(), 0) << c.name;
        }

        if (c.refused) {
            // Refused at once; were it not, it would serve until the bound ends it.
            const CliResult second = RunProcess(
                {KDMXP_SIM_PATH, "--port-dir", ports, "--com", std::to_string(c.secondCom)}, {}, 20000);
            EXPECT_EQ(second.exitCode, 1) << c.name;
            EXPECT_EQ(second.err,
                      "kdmxp-sim: COM3 in " + ports +
                          " is in use by another kdmxp-sim: stop that one first, or choose another "
                          "--com\n")
                << c.name;
            EXPECT_EQ(second.out, "") << c.name;
            EXPECT_EQ(LinkTarget(first.LinkPath()), first.DevicePath()) << c.name;
        } else {
            SimProcess second;
            ASSERT_TRUE(second.Start(ports, c.secondCom, {"--no-pacing"}, &error)) << c.name << ": " << error;
            EXPECT_EQ(LinkTarget(second.LinkPath()), second.DevicePath()) << c.name;
            if (!c.firstStoppedBefore) {
                EXPECT_EQ(LinkTarget(first.LinkPath()), first.DevicePath()) << c.name;
            }
            EXPECT_EQ(second.Stop(), 0) << c.name;
        }
    }
}

}  // namespace
}  // namespace kdmtest
