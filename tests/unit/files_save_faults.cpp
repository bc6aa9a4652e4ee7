// Saving a data file while the machine misbehaves: each system call of the save fails in turn (a full
// disk at any write, an I/O error at the flush or the close, a refused link or rename), writes come back
// short, and the saving process is killed at every step and at random moments, both where the file
// system offers unnamed files and where it does not. The destination must always be the old file or the
// new one, byte for byte; a failure must be reported and leave no stray file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "files/data_file.h"
#include "platform/atomic_save.h"
#include "platform/file_ops.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;

enum class Step { kNone, kCreate, kWrite, kSync, kSetOwner, kSetMode, kLink, kClose, kRename };

const char* StepName(Step step) {
    switch (step) {
        case Step::kNone:
            return "none";
        case Step::kCreate:
            return "create";
        case Step::kWrite:
            return "write";
        case Step::kSync:
            return "fsync";
        case Step::kSetOwner:
            return "fchown";
        case Step::kSetMode:
            return "fchmod";
        case Step::kLink:
            return "linkat";
        case Step::kClose:
            return "close";
        case Step::kRename:
            return "rename";
    }
    return "?";
}

// The real calls, with writes cut into small pieces (so a save makes many of them) and, at the n-th
// call of one step, a failure with `error` or the death of the process. With `unnamedFiles` false the
// file system behaves like one without O_TMPFILE.
class FaultyOps final : public kdm::IFileOps {
  public:
    FaultyOps(Step step, int nth, int error, bool kill, bool unnamedFiles = true)
        : step_(step), nth_(nth), error_(error), kill_(kill), unnamedFiles_(unnamedFiles) {}

    int Lstat(const std::string& path, struct stat& st) override { return real_.Lstat(path, st); }
    int OpenUnnamed(const std::string& directory, mode_t mode) override {
        ++unnamedOpens_;
        if (!unnamedFiles_) {
            errno = EOPNOTSUPP;
            return -1;
        }
        if (Hit(Step::kCreate)) return -1;
        return real_.OpenUnnamed(directory, mode);
    }
    int CreateUnique(std::string& pathTemplate, mode_t mode) override {
        ++namedCreates_;
        if (Hit(Step::kCreate)) return -1;
        return real_.CreateUnique(pathTemplate, mode);
    }
    long Write(int fd, const char* data, std::size_t count) override {
        if (Hit(Step::kWrite)) return -1;
        return real_.Write(fd, data, count < kPiece ? count : kPiece);
    }
    int Sync(int fd) override { return Hit(Step::kSync) ? -1 : real_.Sync(fd); }
    int SetOwner(int fd, uid_t owner, gid_t group) override {
        return Hit(Step::kSetOwner) ? -1 : real_.SetOwner(fd, owner, group);
    }
    int SetMode(int fd, mode_t mode) override { return Hit(Step::kSetMode) ? -1 : real_.SetMode(fd, mode); }
    int LinkUnnamed(int fd, const std::string& path) override {
        return Hit(Step::kLink) ? -1 : real_.LinkUnnamed(fd, path);
    }
    int Close(int fd) override {
        // A close that reports an error has released the descriptor all the same.
        const bool hit = Hit(Step::kClose);
        const int rc = real_.Close(fd);
        return hit ? -1 : rc;
    }
    int Rename(const std::string& from, const std::string& to) override {
        return Hit(Step::kRename) ? -1 : real_.Rename(from, to);
    }
    int Unlink(const std::string& path) override { return real_.Unlink(path); }

    bool Fired() const { return fired_; }
    int UnnamedOpens() const { return unnamedOpens_; }
    int NamedCreates() const { return namedCreates_; }

  private:
    static constexpr std::size_t kPiece = 4096;

    bool Hit(Step step) {
        if (step != step_ || ++calls_ != nth_) return false;
        fired_ = true;
        if (kill_) ::raise(SIGKILL);
        errno = error_;
        return true;
    }

    kdm::PosixFileOps real_;
    Step step_;
    int nth_;
    int error_;
    bool kill_;
    bool unnamedFiles_;
    int calls_ = 0;
    bool fired_ = false;
    int unnamedOpens_ = 0;
    int namedCreates_ = 0;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A temporary file of telegram records, large enough for many writes.
std::string NewContent(char letter, int records) {
    std::string text =
        "\x02"
        "0g+I1P000--630\r\n\r";
    for (int i = 0; i < records; ++i)
        text += std::string(
                    "\x02"
                    "0") +
                letter + "+000123--584\x03 QS 584\r\n\r";
    return text;
}

int FilesIn(const std::string& directory) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory))
        ++n;
    return n;
}

struct StepCase {
    Step step;
    int error;
    bool unnamedFiles;  // the file system has O_TMPFILE
    bool existing;      // a file is there to be replaced
};

std::string CaseName(const testing::TestParamInfo<StepCase>& p) {
    return std::string(StepName(p.param.step)) + "_" + std::to_string(p.param.error) +
           (p.param.unnamedFiles ? "_unnamed" : "_hidden") + (p.param.existing ? "_replace" : "_new");
}

class SaveFaults : public testing::TestWithParam<StepCase> {};

TEST_P(SaveFaults, EveryFailingCallLeavesTheOldFileAndIsReported) {
    const StepCase& c = GetParam();
    kdmtest::TempDir source;
    kdmtest::TempDir target;
    const std::string temp = source.File("KDM.tmp");
    const std::string destination = target.File("device.KDM");
    const std::string fresh = NewContent('h', 2000);  // about 52 KB: a dozen writes
    const std::string old = NewContent('v', 3);
    WriteFile(temp, fresh);

    int hits = 0;
    for (int nth = 1;; ++nth) {
        SCOPED_TRACE(std::string(StepName(c.step)) + " #" + std::to_string(nth));
        fs::remove(destination);
        if (c.existing) WriteFile(destination, old);
        FaultyOps ops(c.step, nth, c.error, false, c.unnamedFiles);
        std::string reason;
        const int saved = kdm::SaveDataFile(temp, destination, reason, ops);
        // The path taken is the one the file system allows.
        EXPECT_EQ(ops.NamedCreates() > 0, !c.unnamedFiles);
        if (!ops.Fired()) {
            // Past the last call of this step: the save goes through and replaces the old file.
            EXPECT_EQ(saved, 1) << reason;
            EXPECT_EQ(ReadFile(destination), fresh);
            EXPECT_EQ(FilesIn(target.Path()), 1);
            break;
        }
        ++hits;
        EXPECT_EQ(saved, 0);
        EXPECT_NE(reason.find(std::strerror(c.error)), std::string::npos) << reason;
        EXPECT_NE(reason.find(destination), std::string::npos) << reason;
        if (c.existing) {
            EXPECT_EQ(ReadFile(destination), old);
        } else {
            EXPECT_FALSE(fs::exists(destination)) << "a failed save left a file at the destination";
        }
        EXPECT_EQ(FilesIn(target.Path()), c.existing ? 1 : 0)
            << "a stray file was left beside the destination";
        ASSERT_LT(nth, 1000);
    }
    RecordProperty("failedSaves", hits);
    EXPECT_GE(hits, 1);
    if (c.step == Step::kWrite) {
        EXPECT_GE(hits, 10);
    }
}

std::vector<StepCase> AllStepCases() {
    const std::pair<Step, int> faults[] = {
        {Step::kCreate, ENOSPC}, {Step::kCreate, EACCES}, {Step::kWrite, ENOSPC}, {Step::kWrite, EIO},
        {Step::kWrite, EFBIG},   {Step::kSync, EIO},      {Step::kSync, ENOSPC},  {Step::kSetMode, EPERM},
        {Step::kLink, ENOSPC},   {Step::kLink, EIO},      {Step::kClose, EIO},    {Step::kClose, ENOSPC},
        {Step::kRename, EIO},    {Step::kRename, ENOSPC},
    };
    std::vector<StepCase> cases;
    for (const bool unnamedFiles : {true, false}) {
        for (const bool existing : {true, false}) {
            for (const auto& [step, error] : faults) {
                // Without unnamed files nothing is linked; a new file's mode is the umask's, set at
                // creation; a new unnamed file takes its name by a link and is never renamed.
                if (step == Step::kLink && !unnamedFiles) continue;
                if (step == Step::kSetMode && !existing) continue;
                if (step == Step::kRename && unnamedFiles && !existing) continue;
                cases.push_back({step, error, unnamedFiles, existing});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveFaults, testing::ValuesIn(AllStepCases()), CaseName);

// The real calls, with the first `refusals` changes of owner refused as they are for an ordinary user
// saving over a file that another user owns.
class OwnerRefusingOps final : public kdm::IFileOps {
  public:
    explicit OwnerRefusingOps(int refusals) : refusals_(refusals) {}
    int Lstat(const std::string& path, struct stat& st) override { return real_.Lstat(path, st); }
    int OpenUnnamed(const std::string& directory, mode_t mode) override {
        return real_.OpenUnnamed(directory, mode);
    }
    int CreateUnique(std::string& pathTemplate, mode_t mode) override {
        return real_.CreateUnique(pathTemplate, mode);
    }
    long Write(int fd, const char* data, std::size_t count) override { return real_.Write(fd, data, count); }
    int Sync(int fd) override { return real_.Sync(fd); }
    int SetOwner(int fd, uid_t owner, gid_t group) override {
        asked.emplace_back(owner, group);
        if (static_cast<int>(asked.size()) <= refusals_) {
            errno = EPERM;
            return -1;
        }
        return real_.SetOwner(fd, owner, group);
    }
    int SetMode(int fd, mode_t mode) override { return real_.SetMode(fd, mode); }
    int LinkUnnamed(int fd, const std::string& path) override { return real_.LinkUnnamed(fd, path); }
    int Close(int fd) override { return real_.Close(fd); }
    int Rename(const std::string& from, const std::string& to) override { return real_.Rename(from, to); }
    int Unlink(const std::string& path) override { return real_.Unlink(path); }

    std::vector<std::pair<uid_t, gid_t>> asked;

  private:
    kdm::PosixFileOps real_;
    int refusals_;
};

// What does not stop a save, and what does not make it fall back to a hidden name.
TEST(SaveFaultsSide, AnOwnerThatCannotBeKeptDoesNotStopTheSaveButAnIoErrorDoes) {
    kdmtest::TempDir dir;
    const std::string destination = dir.File("device.KDM");
    for (const int refusals : {0, 1, 2}) {
        SCOPED_TRACE(refusals);
        WriteFile(destination, "old");
        ASSERT_EQ(::chmod(destination.c_str(), 0640), 0);
        struct stat before {};
        ASSERT_EQ(::stat(destination.c_str(), &before), 0);
        // 1: owner and group refused, the group alone is then tried; 2: that is refused too.
        OwnerRefusingOps ops(refusals);
        std::string reason;
        EXPECT_EQ(kdm::SaveBytesAtomically(destination, "new", reason, ops), 1) << reason;
        EXPECT_EQ(ReadFile(destination), "new");
        ASSERT_EQ(ops.asked.size(), refusals == 0 ? 1u : 2u);
        EXPECT_EQ(ops.asked[0], std::make_pair(before.st_uid, before.st_gid));
        if (refusals > 0) {
            EXPECT_EQ(ops.asked[1], std::make_pair(static_cast<uid_t>(-1), before.st_gid));
        }
        struct stat after {};
        ASSERT_EQ(::stat(destination.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(FilesIn(dir.Path()), 1);
    }
    WriteFile(destination, "old");
    FaultyOps broken(Step::kSetOwner, 1, EIO, false);
    std::string reason;
    EXPECT_EQ(kdm::SaveBytesAtomically(destination, "new", reason, broken), 0);
    EXPECT_NE(reason.find(std::strerror(EIO)), std::string::npos) << reason;
    EXPECT_EQ(ReadFile(destination), "old");
    EXPECT_EQ(FilesIn(dir.Path()), 1);
}

TEST(SaveFaultsSide, OnlyAFileSystemWithoutUnnamedFilesLeadsToTheHiddenName) {
    kdmtest::TempDir dir;
    const std::string destination = dir.File("device.KDM");
    // EISDIR is what a kernel without O_TMPFILE answers; EOPNOTSUPP a file system without it.
    for (const int error : {EISDIR, EOPNOTSUPP}) {
        SCOPED_TRACE(error);
        FaultyOps ops(Step::kCreate, 1, error, false);
        std::string reason;
        ASSERT_EQ(kdm::SaveBytesAtomically(destination, "data", reason, ops), 1) << reason;
        EXPECT_EQ(ops.NamedCreates(), 1);
        EXPECT_EQ(ReadFile(destination), "data");
        EXPECT_EQ(FilesIn(dir.Path()), 1);
    }
    // Anything else is the directory's own trouble, which a hidden name would meet as well.
    FaultyOps denied(Step::kCreate, 1, EACCES, false);
    std::string reason;
    EXPECT_EQ(kdm::SaveBytesAtomically(destination, "other", reason, denied), 0);
    EXPECT_EQ(denied.NamedCreates(), 0);
    EXPECT_NE(reason.find(std::strerror(EACCES)), std::string::npos) << reason;
    EXPECT_EQ(ReadFile(destination), "data");
}

TEST(SaveFaultsSide, TheHiddenNameLeavesRoomForTheLongestDestinationName) {
    kdmtest::TempDir dir;
    const long longest = ::pathconf(dir.Path().c_str(), _PC_NAME_MAX);
    ASSERT_GE(longest, 14);
    const std::string destination = dir.File(std::string(static_cast<std::size_t>(longest), 'n'));
    for (const char* content : {"first", "second"}) {
        SCOPED_TRACE(content);
        FaultyOps ops(Step::kNone, 0, 0, false, false);
        std::string reason;
        ASSERT_EQ(kdm::SaveBytesAtomically(destination, content, reason, ops), 1) << reason;
        EXPECT_EQ(ops.NamedCreates(), 1);
        EXPECT_EQ(ReadFile(destination), content);
        EXPECT_EQ(FilesIn(dir.Path()), 1);
    }
}

// Runs `save` in a child that may die; returns how the child ended (its exit code, or 128 + signal).
template <typename Save>
int InChild(Save save) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(save());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

struct KillCase {
    bool unnamedFiles;
    bool existing;
};

class SaveKilled : public testing::TestWithParam<KillCase> {};

TEST_P(SaveKilled, AtEveryStepTheDestinationIsTheOldFileOrTheNewOne) {
    const KillCase& c = GetParam();
    kdmtest::TempDir source;
    kdmtest::TempDir dir;
    const std::string temp = source.File("KDM.tmp");
    const std::string destination = dir.File("device.KDM");
    const std::string fresh = NewContent('h', 2000);
    const std::string old = NewContent('v', 3);
    WriteFile(temp, fresh);

    int killed = 0;
    int leftBehind = 0;
    for (Step step : {Step::kCreate, Step::kWrite, Step::kSync, Step::kSetOwner, Step::kSetMode, Step::kLink,
                      Step::kClose, Step::kRename}) {
        for (int nth = 1; nth < 1000; ++nth) {
            SCOPED_TRACE(std::string(StepName(step)) + " #" + std::to_string(nth));
            fs::remove_all(dir.Path());
            fs::create_directory(dir.Path());
            if (c.existing) WriteFile(destination, old);
            const int end = InChild([&] {
                FaultyOps ops(step, nth, 0, true, c.unnamedFiles);
                std::string reason;
                return kdm::SaveDataFile(temp, destination, reason, ops) == 1 ? 0 : 1;
            });
            const bool present = fs::exists(destination);
            const std::string now = ReadFile(destination);
            if (c.existing || present) {
                EXPECT_TRUE(now == old || now == fresh) << "torn: " << now.size() << " bytes";
            }
            if (end != 128 + SIGKILL) {
                // This step has no call number nth: the save ran to its end.
                EXPECT_EQ(end, 0);
                EXPECT_EQ(now, fresh);
                EXPECT_EQ(FilesIn(dir.Path()), 1);
                break;
            }
            ++killed;
            // The new content shows only once the whole file was written, flushed and named: a new
            // unnamed file is named by its link, before the close; a replacement only by the rename.
            const bool named = step == Step::kClose && c.unnamedFiles && !c.existing;
            if (named) {
                EXPECT_EQ(now, fresh);
            } else if (c.existing) {
                EXPECT_EQ(now, old);
            } else {
                EXPECT_FALSE(present);
            }
            // An unnamed file leaves nothing behind, unless it was killed between taking its hidden
            // name and the rename.
            const int strays = FilesIn(dir.Path()) - (present ? 1 : 0);
            if (c.unnamedFiles && (!c.existing || (step != Step::kClose && step != Step::kRename))) {
                EXPECT_EQ(strays, 0);
            }
            EXPECT_LE(strays, 1);
            leftBehind += strays;
        }
    }
    RecordProperty("kills", killed);
    RecordProperty("straysAfterKills", leftBehind);
    EXPECT_GE(killed, 15);
}

INSTANTIATE_TEST_SUITE_P(Paths, SaveKilled,
                         testing::Values(KillCase{true, true}, KillCase{true, false}, KillCase{false, true},
                                         KillCase{false, false}),
                         [](const testing::TestParamInfo<KillCase>& p) {
                             return std::string(p.param.unnamedFiles ? "unnamed" : "hidden") +
                                    (p.param.existing ? "_replace" : "_new");
                         });

TEST(SaveKilledRandomly, AtRandomMomentsTheDestinationIsNeverTorn) {
    kdmtest::TempDir dir;
    const std::string tempA = dir.File("a.tmp");
    const std::string tempB = dir.File("b.tmp");
    const std::string destination = dir.File("device.KDM");
    const std::string a = NewContent('h', 40000);  // about 1 MB each, so a kill often lands mid-save
    const std::string b = NewContent('v', 40000);
    WriteFile(tempA, a);
    WriteFile(tempB, b);
    WriteFile(destination, a);

    std::mt19937 random(20240607);
    int torn = 0;
    for (int round = 0; round < 24; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0;; ++i) {
                std::string reason;
                kdm::SaveDataFile(i % 2 == 0 ? tempB : tempA, destination, reason);
            }
        }
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 40000)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const std::string now = ReadFile(destination);
        if (now != a && now != b) ++torn;
    }
    EXPECT_EQ(torn, 0);
}

}  // namespace
