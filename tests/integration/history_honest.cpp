// Honest endings through kdmxp-cli against kdmxp-sim: a write that ends part-way, however it ends (a
// stop signal at the moment the write waits for an acknowledgement, a device error, a line that hangs
// up), says how much of the file the device holds and leaves a history entry marked incomplete; and a
// damaged history says so, with exit status 2, instead of looking empty.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "history_laptops.h"
#include "platform/history_git.h"
#include "support/dump_builder.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A device of type 2 with 3 system parameters and 2 programs of 2: 9 frames.
std::string NineFrames(int seed) {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(seed)).Add('b', Value(seed + 1)).Add('c', Value(seed + 2));
    for (int p = 1; p <= 2; ++p) {
        dump.Program(p);
        dump.Add('A', Value(seed * 100 + p)).Add('B', Value(seed * 100 + p + 50));
    }
    return dump.Text();
}

const std::string kHolds =
    "the device now holds an incomplete parameter set (2 of 9 frames): write the file again "
    "or restore a backup\n";

struct StopCase {
    const char* name;
    int signal;
    bool stderrGone;    // the reader of stderr went away first (a closed ssh session)
    const char* cause;  // how the message begins; null when nobody can read it
    int exitCode;
    const char* ending;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteStopped : public HistoryLaptops, public ::testing::WithParamInterface<StopCase> {};

TEST_P(WriteStopped, SaysWhatTheDeviceHoldsAndKeepsAnIncompleteEntry) {
    const StopCase& c = GetParam();
    // Received frames 1 and 2 are the status requests, 3 the first written frame: the second written
    // frame is never acknowledged, and the write waits for it until the signal comes.
    StartSimWith(NineFrames(1), {"--no-ack", "4"});
    WriteFile(work + "/new.KDM", NineFrames(2));

    BackgroundProcess cli({{KDMXP_CLI_PATH, "write", work + "/new.KDM"},
                           Environment(DataHome(kLaptopA), kLaptopA.user),
                           c.stderrGone ? std::string() : root.File("err"),
                           false});
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(cli.Says("Waiting for the device to acknowledge the frame (2 s)\n")) << cli.Err();
    if (c.stderrGone) cli.CloseErr();
    cli.Signal(c.signal);
    EXPECT_EQ(cli.Wait(60000), c.exitCode);

    if (c.cause != nullptr) {
        const std::string err = cli.Err();
        EXPECT_NE(err.find(std::string(c.cause) + ": " + kHolds), std::string::npos) << err;
        EXPECT_EQ(err.find("Device error"), std::string::npos) << err;
    }
    // What the device holds is in the history whether or not anybody read the message.
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 1u) << entries.dump(2);
    EXPECT_EQ(entries[0]["kind"], "write");
    EXPECT_EQ(entries[0]["complete"], false);
    EXPECT_EQ(entries[0]["ending"], c.ending);
    EXPECT_EQ(entries[0]["framesSent"], 2);
    EXPECT_EQ(entries[0]["framesInFile"], 9);
    EXPECT_EQ(entries[0]["source"], work + "/new.KDM");
    EXPECT_EQ(ReadWhole(entries[0]["path"].get<std::string>()), NineFrames(2));
    const CliResult table = Cli(kLaptopA, {"history"});
    EXPECT_NE(table.out.find("(incomplete: 2 of 9 frames, " + std::string(c.ending) + ")"), std::string::npos)
        << table.out;
}

INSTANTIATE_TEST_SUITE_P(
    Signals, WriteStopped,
    ::testing::Values(StopCase{"ctrlC", SIGINT, false, "Stopped", 130, "stopped"},
                      StopCase{"sigterm", SIGTERM, false, "Stopped by SIGTERM", 130, "stopped"},
                      StopCase{"sighup", SIGHUP, false, "Hung up", 129, "hang-up"},
                      StopCase{"sighupWithStderrGone", SIGHUP, true, nullptr, 129, "hang-up"}),
    [](const ::testing::TestParamInfo<StopCase>& param) { return param.param.name; });

struct FailureCase {
    const char* name;
    std::vector<std::string> simArgs;
    const char* ending;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteFailed : public HistoryLaptops, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WriteFailed, IsKeptAsAnIncompleteWrite) {
    const FailureCase& c = GetParam();
    StartSimWith(NineFrames(3), c.simArgs);
    WriteFile(work + "/new.KDM", NineFrames(4));

    const CliResult write = Cli(kLaptopA, {"write", "-q", work + "/new.KDM"});

    EXPECT_EQ(write.exitCode, 1) << write.err;
    EXPECT_NE(write.err.find("Write failed: " + kHolds), std::string::npos) << write.err;
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 1u) << entries.dump(2);
    EXPECT_EQ(entries[0]["complete"], false);
    EXPECT_EQ(entries[0]["ending"], c.ending);
    EXPECT_EQ(entries[0]["framesSent"], 2);
    EXPECT_EQ(entries[0]["framesInFile"], 9);
}

// Sent telegram 5 is the acknowledgement of the second written frame (1: identification, 2 and 3: the
// status replies, 4: the first acknowledgement).
INSTANTIATE_TEST_SUITE_P(
    Ends, WriteFailed,
    ::testing::Values(FailureCase{"deviceError", {"--ack-error", "12@4"}, "device-error"},
                      FailureCase{"lineHungUp", {"--fault", "hangup@5:0"}, "no-response"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

// --- A damaged history ----------------------------------------------------------------------------

struct Damage {
    const char* name;
    // Damages the history at the path given, whose entries are the ids given, newest first.
    void (*apply)(const std::string& history, const std::vector<std::string>& ids);
    const char* says;  // after "The history PATH is damaged: "
};

void PrintTo(const Damage& c, std::ostream* os) {
    *os << c.name;
}

void Put(const std::string& path, const std::string& text) {
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Cuts the stored object of commit `id` short, as a full disk or a copy broken off would.
void Truncate(const std::string& history, const std::string& id) {
    const std::string path = history + "/.git/objects/" + id.substr(0, 2) + "/" + id.substr(2);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::filesystem::resize_file(path, 20);
}

const Damage kDamages[] = {
    {"emptyHead", [](const std::string& h, const auto&) { Put(h + "/.git/HEAD", ""); },
     ".git/HEAD is empty (it should say \"ref: refs/heads/main\")"},
    {"headWithoutReference", [](const std::string& h, const auto&) { Put(h + "/.git/HEAD", "main\n"); },
     ".git/HEAD names neither a branch nor a commit"},
    {"branchMissing",
     [](const std::string& h, const auto&) { std::filesystem::remove(h + "/.git/refs/heads/main"); },
     "its branch refs/heads/main is missing, though it stores 3 commits"},
    {"branchDamaged", [](const std::string& h, const auto&) { Put(h + "/.git/refs/heads/main", "xyz\n"); },
     "the branch file .git/refs/heads/main is damaged"},
    {"newestEntryTruncated", [](const std::string& h, const auto& ids) { Truncate(h, ids[0]); },
     "its branch names commit "},
    {"olderEntryTruncated", [](const std::string& h, const auto& ids) { Truncate(h, ids[1]); },
     "its entries cannot be read"},
    {"repositoryGone", [](const std::string& h, const auto&) { std::filesystem::remove_all(h + "/.git"); },
     "its git repository (.git) is missing"},
};

class DamagedHistory : public HistoryLaptops, public ::testing::WithParamInterface<Damage> {
  protected:
    // Three entries recorded straight into laptop A's history; their ids, newest first.
    std::vector<std::string> ThreeEntries() {
        kdm::GitHistory history(HistoryOf(kLaptopA), {"laptop-a", "anna"});
        std::vector<std::string> ids;
        for (int n = 0; n < 3; ++n) {
            kdm::HistoryRecord record;
            record.contents = NineFrames(10 + n);
            record.identification = record.contents.substr(0, 15);
            record.deviceType = 2;
            record.time = kdm::FormatHistoryTime(1'800'000'000'000 + n * 1000);
            kdm::HistoryEntry entry;
            const kdm::HistoryResult kept = history.Record(record, entry);
            EXPECT_TRUE(kept.ok) << kept.reason;
            ids.insert(ids.begin(), entry.id);
        }
        return ids;
    }
};

TEST_P(DamagedHistory, SaysWhyAndExitsTwoInsteadOfListingNothing) {
    const Damage& c = GetParam();
    const std::vector<std::string> ids = ThreeEntries();
    ASSERT_EQ(ListJson(kLaptopA)["entries"].size(), 3u);
    c.apply(HistoryOf(kLaptopA), ids);

    const std::string damaged = "The history " + HistoryOf(kLaptopA) + " is damaged: " + c.says;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"history"},
                                               {"history", "--json"},
                                               {"history", "sync"},
                                               {"history", "diff", ids[0].substr(0, 8)}}) {
        SCOPED_TRACE(args.back());
        const CliResult run = Cli(kLaptopA, args);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(damaged), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("git -C " + HistoryOf(kLaptopA) + " fsck"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("No entries"), std::string::npos) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedHistory, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& param) { return param.param.name; });

TEST_F(HistoryLaptops, AReadIntoADamagedHistoryIsSavedButNotRecordedOverTheEntriesItCannotSee) {
    StartSimWith(NineFrames(5));
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/first.KDM"}).exitCode, 0);
    const nlohmann::json before = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(before.size(), 1u);
    const std::string branch = HistoryOf(kLaptopA) + "/.git/refs/heads/main";
    const std::string id = ReadWhole(branch);
    std::filesystem::remove(branch);

    const CliResult read = Cli(kLaptopA, {"read", "-o", work + "/second.KDM"});

    // The data file is saved; the exit status says that the history lacks it.
    EXPECT_EQ(read.exitCode, 2) << read.err;
    EXPECT_EQ(ReadWhole(work + "/second.KDM"), NineFrames(5));
    EXPECT_NE(read.err.find("is damaged: its branch refs/heads/main is missing"), std::string::npos)
        << read.err;
    // Before, the entry became the first of a new history that hid the one before it.
    EXPECT_FALSE(std::filesystem::exists(branch));
    WriteFile(branch, id);
    const nlohmann::json after = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0]["id"], before[0]["id"]);
}

}  // namespace
}  // namespace kdmtest
