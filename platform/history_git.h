// The device history kept as a git repository, by running the git program.
//
// Why the program and not a library: git is on every machine that syncs anything with ssh, it speaks
// every transport a remote may need (paths, file://, ssh with the user's keys and agent) without our
// linking a network stack, and a technician can inspect and repair the folder with the tools they
// know. Each call runs git directly (posix_spawnp, no shell) with a clean environment: no system or
// global configuration, no pager, no prompts (an ssh remote that would ask for a password fails
// instead of hanging), author and committer given explicitly.
//
// Layout of the folder: one commit per entry, whose message is FormatHistoryMessage, and one empty
// commit per later naming of a machine, whose message is FormatNamingMessage; the entry's data
// file at "devices/<device>/<device>_<12 hex digits of its contents' hash>.KDM", so identical contents
// share one file and a second entry with the same contents adds no second copy; two laptops that
// recorded the same contents add the same file, which merges cleanly. Entries are commits, so their ids
// are the commit ids and the same everywhere. The branch is "main"; the remote is "origin".
//
// Several processes may use one history at once (reads on several ports run side by side): every
// change of the folder happens under an advisory lock on "<folder>.lock", and a change cut short by a
// killed process (a stale git lock, a half-done merge) is cleared by the next one.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/history.h"

namespace kdm {

// Who records: shown with every entry.
struct HistoryIdentity {
    std::string host;
    std::string user;
};

// The machine's host name and the user ($USER, else $LOGNAME, else the account's name).
HistoryIdentity LocalHistoryIdentity();

// $XDG_DATA_HOME/kdmxp/history when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/kdmxp/history (the account's home when HOME is unset). Empty when there is no home.
std::string DefaultHistoryLocation();

class GitHistory final : public IHistory {
  public:
    // Nothing is touched until the first call that needs the folder.
    GitHistory(std::string location, HistoryIdentity identity);

    const std::string& Location() const override { return location_; }
    HistoryResult Record(const HistoryRecord& record, HistoryEntry& entry) override;
    HistoryResult List(std::vector<HistoryEntry>& entries) override;
    HistoryResult Find(std::string_view idOrPrefix, HistoryEntry& entry) override;
    HistoryResult ReadContents(const HistoryEntry& entry, std::string& contents) override;
    HistoryResult Name(std::string_view idOrPrefix, const std::string& name, bool wholeMachine,
                       const std::string& time, HistoryEntry& entry) override;
    HistoryResult SetRemote(const std::string& url) override;
    HistoryResult Remote(std::string& url) override;
    HistoryResult Sync(SyncReport& report, const std::function<void(SyncStage)>& stage) override;

    // Rounds of fetch, merge and push a sync tries while other laptops keep pushing in between.
    static constexpr int kMaxSyncRounds = 8;

    // Told the process id of each git program as it starts, and 0 before it is waited for: a program
    // that ends at once on a signal can end the git program with it, which then clears its own locks.
    void SetRunWatch(std::function<void(pid_t)> watch) { runWatch_ = std::move(watch); }

  private:
    struct GitRun {
        int status = -1;  // exit status; -1 when git could not be started or died of a signal
        std::string out;
        std::string err;
    };
    // Runs "git -C <location> args..." and waits for it.
    GitRun Git(const std::vector<std::string>& args) const;
    // The sentence for a failed run: what we tried, and git's own last words.
    static std::string Why(const std::string& what, const GitRun& run);
    bool Exists() const;
    // Whether the history can be read: Ok for an absent one, one that has recorded nothing yet
    // (`hasEntries` false) and a sound one; a damaged result naming what is wrong otherwise. Reads
    // .git/HEAD and the branch itself, since git sees no repository at all behind a broken HEAD.
    // `walk` also reads every entry's commit, as a sync must before it merges or sends anything.
    HistoryResult CheckReadable(bool& hasEntries, bool walk = false) const;
    // A damaged result: the repository's path, what is wrong, and what to do.
    HistoryResult Damage(const std::string& what) const;
    // The same with the most telling line of git fsck added.
    HistoryResult FsckDamage(const std::string& what) const;
    std::string FsckFinding() const;
    // Creates the repository when it is missing. Call with the lock held.
    HistoryResult Ensure();
    // Clears what a killed process left behind. Call with the lock held.
    void Recover();
    // The commit id `ref` names, or empty.
    std::string Resolve(const std::string& ref) const;
    int CountEntries(const std::vector<std::string>& range) const;
    HistoryResult MergeRemote(int& received);

    std::string location_;
    HistoryIdentity identity_;
    std::vector<std::string> environment_;
    std::function<void(pid_t)> runWatch_;
};

}  // namespace kdm
