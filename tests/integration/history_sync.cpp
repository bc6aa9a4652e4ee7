// Sharing the device history: two laptops (two history folders) and one local bare repository as their
// remote, kdmxp-cli and kdmxp-sim as a technician would use them. Interruptions are made to happen at
// a known point: a hook in the remote reports that a push has arrived and holds it there, so the tests
// act on that report, never on how long anything takes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "history_laptops.h"
#include "support/sim_process.h"

extern char** environ;

namespace kdmtest {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The ids of a listing's entries, in order: the same on every laptop.
std::vector<std::string> Ids(const nlohmann::json& entries) {
    std::vector<std::string> ids;
    for (const nlohmann::json& entry : entries)
        ids.push_back(entry["id"]);
    return ids;
}

class HistorySync : public HistoryLaptops {
  protected:
    void SetUp() override {
        HistoryLaptops::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        remote = root.File("shared.git");
        const CliResult made = Git({"init", "--quiet", "--bare", remote});
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }

    static CliResult Git(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"/usr/bin/env", "git"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, {"GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null"}, 60000);
    }
    // The commit the remote's branch names, or "" when it has none.
    std::string RemoteHead() const {
        const CliResult head =
            Git({"--git-dir", remote, "rev-parse", "--verify", "--quiet", "refs/heads/main"});
        return head.exitCode == 0 ? head.out.substr(0, 40) : std::string();
    }
    // A pre-receive hook in the remote: each push that arrives leaves a file in `arrivals`, then `wait`
    // (shell code) decides when it may go on. Bounded, so that a test that fails leaves nothing behind.
    void InstallHook(const std::string& wait) {
        arrivals = root.File("arrivals");
        std::filesystem::create_directories(arrivals);
        const std::string hook = remote + "/hooks/pre-receive";
        std::ofstream(hook) << "#!/bin/sh\n"
                               "cat >/dev/null\n"
                               "touch '"
                            << arrivals << "'/push.$$\n"
                            << "i=0\n"
                               "while [ $i -lt 1200 ]; do\n"
                            << "    " << wait << "\n"
                            << "    sleep 0.1; i=$((i + 1))\n"
                               "done\n"
                               "exit 1\n";
        ::chmod(hook.c_str(), 0755);
    }
    void RemoveHook() { std::filesystem::remove(remote + "/hooks/pre-receive"); }
    std::size_t Arrivals() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(arrivals))
            ++count;
        return count;
    }
    // Waits at most 60 s for `count` pushes to have reached the hook.
    bool WaitForArrivals(std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Arrivals() < count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // kdmxp-cli on `laptop` in a process group of its own, so that it can be killed with every git
    // process it started. stderr goes to `errPath`.
    pid_t SpawnGroup(const Laptop& laptop, const std::vector<std::string>& args, const std::string& errPath) {
        std::vector<std::string> argv = {KDMXP_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env = Environment(DataHome(laptop), laptop.user);
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool replaced = false;
            for (const std::string& own : env)
                replaced = replaced || own.rfind(name + "=", 0) == 0;
            if (!replaced) env.push_back(entry);
        }
        std::vector<char*> argp, envp;
        for (std::string& a : argv)
            argp.push_back(a.data());
        argp.push_back(nullptr);
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, argp.data(), envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        return pid;
    }

    std::string remote;
    std::string arrivals;
};

TEST_F(HistorySync, TwoLaptopsSeeEachOthersReadsAndWritesAndWhatAWriteChanged) {
    const std::string before = DeviceFile(4, 2, 3, 11);
    StartSimWith(before);

    // Laptop A reads the device and syncs.
    ASSERT_EQ(Cli(kLaptopA, {"history", "remote", remote}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/a.KDM"}).exitCode, 0);
    CliResult synced = Cli(kLaptopA, {"history", "sync"});
    ASSERT_EQ(synced.exitCode, 0) << synced.err;
    EXPECT_NE(synced.err.find("Pushing to " + remote), std::string::npos) << synced.err;
    EXPECT_NE(synced.err.find("0 entries received, 1 sent"), std::string::npos) << synced.err;

    // Laptop B syncs and sees A's read, by host, user and kind.
    ASSERT_EQ(Cli(kLaptopB, {"history", "remote", remote}).exitCode, 0);
    const CliResult shown = Cli(kLaptopB, {"history", "remote"});
    EXPECT_EQ(shown.out, remote + "\n");
    synced = Cli(kLaptopB, {"history", "sync"});
    ASSERT_EQ(synced.exitCode, 0) << synced.err;
    EXPECT_NE(synced.err.find("1 entries received, 0 sent"), std::string::npos) << synced.err;
    nlohmann::json entries = ListJson(kLaptopB)["entries"];
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["kind"], "read");
    EXPECT_EQ(entries[0]["user"], "anna");
    EXPECT_EQ(entries[0]["host"], HostName());
    EXPECT_EQ(ReadWhole(entries[0]["path"].get<std::string>()), before);
    const std::string readId = entries[0]["id"];

    // B writes the device and syncs; A syncs and sees B's write after its own read.
    const std::string after = DeviceFile(4, 2, 3, 12);
    WriteFile(work + "/b.KDM", after);
    const CliResult written = Cli(kLaptopB, {"write", "--verify", "-q", work + "/b.KDM"});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    ASSERT_EQ(Cli(kLaptopB, {"history", "sync", "-q"}).exitCode, 0);
    synced = Cli(kLaptopA, {"history", "sync"});
    ASSERT_EQ(synced.exitCode, 0) << synced.err;
    EXPECT_NE(synced.err.find("1 entries received, 0 sent"), std::string::npos) << synced.err;
    entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["kind"], "write");
    EXPECT_EQ(entries[0]["user"], "bert");
    EXPECT_EQ(entries[0]["verify"], "passed");
    EXPECT_EQ(entries[0]["device"], entries[1]["device"]);
    EXPECT_EQ(entries[1]["id"], readId);  // the same id on both laptops
    EXPECT_EQ(ReadWhole(entries[0]["path"].get<std::string>()), after);
    EXPECT_EQ(RemoteHead().size(), 40u);

    // On A, what B's write changed: every value (4 system parameters, 3 in each of 2 programs).
    const std::string writeId = entries[0]["id"];
    const CliResult diff = Cli(kLaptopA, {"history", "diff", writeId.substr(0, 8), "--format", "json"});
    EXPECT_EQ(diff.exitCode, 1) << diff.err;
    const nlohmann::json changes = nlohmann::json::parse(diff.out, nullptr, false);
    ASSERT_FALSE(changes.is_discarded()) << diff.out;
    EXPECT_EQ(changes["entryA"]["id"], readId);
    EXPECT_EQ(changes["entryB"]["id"], writeId);
    EXPECT_EQ(changes["entryB"]["user"], "bert");
    ASSERT_EQ(changes["differences"].size(), 10u) << diff.out;
    for (const nlohmann::json& change : changes["differences"])
        EXPECT_EQ(change["kind"], "changed") << change.dump();
    // Both entries named give the same comparison; the text names both sides.
    const CliResult both = Cli(kLaptopA, {"history", "diff", readId, writeId, "--format", "json"});
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_EQ(both.out, diff.out);
    const CliResult text = Cli(kLaptopA, {"history", "diff", writeId});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find("entry " + readId.substr(0, 12) + " (read "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("by bert@"), std::string::npos) << text.out;
    // An entry compared with itself, and the device's first entry, which has nothing before it.
    EXPECT_EQ(Cli(kLaptopA, {"history", "diff", readId, readId}).exitCode, 0);
    const CliResult first = Cli(kLaptopA, {"history", "diff", readId});
    EXPECT_EQ(first.exitCode, 2);
    EXPECT_NE(first.err.find("is the first of device"), std::string::npos) << first.err;
    EXPECT_EQ(Cli(kLaptopA, {"history", "diff", "0000000"}).exitCode, 2);
}

TEST_F(HistorySync, WithoutARemoteOrWithItOutOfReachNothingChangesAndNothingIsLost) {
    StartSimWith(DeviceFile(3, 1, 2, 13));
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/a.KDM"}).exitCode, 0);
    const nlohmann::json before = ListJson(kLaptopA);

    CliResult synced = Cli(kLaptopA, {"history", "sync"});
    EXPECT_EQ(synced.exitCode, 1);
    EXPECT_NE(synced.err.find("No remote is set"), std::string::npos) << synced.err;
    EXPECT_NE(synced.err.find("kdmxp-cli history remote URL"), std::string::npos) << synced.err;
    EXPECT_EQ(Cli(kLaptopA, {"history", "remote"}).exitCode, 1);

    const std::string missing = root.File("moved-away.git");
    ASSERT_EQ(Cli(kLaptopA, {"history", "remote", missing}).exitCode, 0);
    synced = Cli(kLaptopA, {"history", "sync"});
    EXPECT_EQ(synced.exitCode, 1);
    EXPECT_NE(synced.err.find("Cannot reach the remote " + missing), std::string::npos) << synced.err;
    EXPECT_NE(synced.err.find("the history is unchanged"), std::string::npos) << synced.err;
    EXPECT_EQ(synced.err.find("Pushing"), std::string::npos) << synced.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ListJson(kLaptopA), before);

    // Once the remote is back, the entry recorded meanwhile goes out.
    std::filesystem::rename(remote, missing);
    synced = Cli(kLaptopA, {"history", "sync"});
    ASSERT_EQ(synced.exitCode, 0) << synced.err;
    EXPECT_NE(synced.err.find("1 sent"), std::string::npos) << synced.err;
}

TEST_F(HistorySync, ASyncKilledWhilePushingLosesNothingAndTheNextOneCompletesIt) {
    StartSimWith(DeviceFile(3, 1, 2, 14));
    ASSERT_EQ(Cli(kLaptopA, {"history", "remote", remote}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/a.KDM"}).exitCode, 0);
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 1u);

    // The push stops in the remote's hook: the objects have gone over, the branch is not moved yet.
    InstallHook(": held until killed");
    const std::string err = root.File("sync.err");
    const pid_t sync = SpawnGroup(kLaptopA, {"history", "sync"}, err);
    ASSERT_GT(sync, 0);
    const bool arrived = WaitForArrivals(1);
    ::kill(-sync, SIGKILL);
    int status = 0;
    ::waitpid(sync, &status, 0);
    ASSERT_TRUE(arrived) << ReadWhole(err);
    EXPECT_NE(ReadWhole(err).find("Pushing to " + remote), std::string::npos) << ReadWhole(err);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(RemoteHead(), "");

    // The entry is still there, and the next sync sends it.
    EXPECT_EQ(ListJson(kLaptopA)["entries"], entries);
    RemoveHook();
    const CliResult again = Cli(kLaptopA, {"history", "sync"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.err.find("1 sent"), std::string::npos) << again.err;
    EXPECT_EQ(RemoteHead(), entries[0]["id"]);
    ASSERT_EQ(Cli(kLaptopB, {"history", "remote", remote}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopB, {"history", "sync", "-q"}).exitCode, 0);
    EXPECT_EQ(Ids(ListJson(kLaptopB)["entries"]), Ids(entries));
}

TEST_F(HistorySync, TwoSyncsAtOnceBothArriveAndNothingIsLost) {
    StartSimWith(DeviceFile(3, 1, 2, 15));
    for (const Laptop& laptop : {kLaptopA, kLaptopB}) {
        ASSERT_EQ(Cli(laptop, {"history", "remote", remote}).exitCode, 0);
        ASSERT_EQ(Cli(laptop, {"read", "-q", "-o", work + "/" + laptop.folder + ".KDM"}).exitCode, 0);
    }
    // Both pushes are held until both have arrived; then both try to move the branch from the same
    // starting point, and only one of them can.
    InstallHook("[ $(ls '" + root.File("arrivals") + "' | wc -l) -ge 2 ] && exit 0");
    CliResult a, b;
    std::thread other([&] { b = Cli(kLaptopB, {"history", "sync"}); });
    a = Cli(kLaptopA, {"history", "sync"});
    other.join();

    ASSERT_EQ(a.exitCode, 0) << a.err;
    ASSERT_EQ(b.exitCode, 0) << b.err;
    // The one that lost took the winner's entry in and pushed again.
    EXPECT_EQ(Count(a.err + b.err, "Pushing to "), 3u) << a.err << b.err;
    EXPECT_GE(Arrivals(), 3u);
    // One more sync each, and both laptops and the remote hold both entries.
    ASSERT_EQ(Cli(kLaptopA, {"history", "sync", "-q"}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopB, {"history", "sync", "-q"}).exitCode, 0);
    const nlohmann::json listA = ListJson(kLaptopA)["entries"];
    const nlohmann::json listB = ListJson(kLaptopB)["entries"];
    ASSERT_EQ(listA.size(), 2u);
    EXPECT_EQ(Ids(listA), Ids(listB));
    EXPECT_NE(listA[0]["user"], listA[1]["user"]);
    const CliResult count =
        Git({"--git-dir", remote, "rev-list", "--count", "--no-merges", "refs/heads/main"});
    EXPECT_EQ(count.out, "2\n");
}

}  // namespace
}  // namespace kdmtest
