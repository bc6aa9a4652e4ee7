// Saving a data file while the machine misbehaves: each system call of the save fails in turn (a full
// disk at any write, an I/O error at the flush or the close, a refused rename), writes come back short,
// and the saving process is killed at every step and at random moments. The destination must always be
// the old file or the new one, byte for byte; a failure must be reported and leave no stray file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "files/data_file.h"
#include "files/file_ops.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;

enum class Step { kCreate, kWrite, kSync, kSetMode, kClose, kRename };

const char* StepName(Step step) {
    switch (step) {
        case Step::kCreate:
            return "create";
        case Step::kWrite:
            return "write";
        case Step::kSync:
            return "fsync";
        case Step::kSetMode:
            return "fchmod";
        case Step::kClose:
            return "close";
        case Step::kRename:
            return "rename";
    }
    return "?";
}

// The real calls, with writes cut into small pieces (so a save makes many of them) and, at the n-th
// call of one step, a failure with `error` or the death of the process.
class FaultyOps final : public kdm::IFileOps {
  public:
    FaultyOps(Step step, int nth, int error, bool kill)
        : step_(step), nth_(nth), error_(error), kill_(kill) {}

    int CreateUnique(std::string& pathTemplate) override {
        if (Hit(Step::kCreate)) return -1;
        return real_.CreateUnique(pathTemplate);
    }
    long Write(int fd, const char* data, std::size_t count) override {
        if (Hit(Step::kWrite)) return -1;
        return real_.Write(fd, data, count < kPiece ? count : kPiece);
    }
    int Sync(int fd) override { return Hit(Step::kSync) ? -1 : real_.Sync(fd); }
    int SetMode(int fd, mode_t mode) override { return Hit(Step::kSetMode) ? -1 : real_.SetMode(fd, mode); }
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
    int calls_ = 0;
    bool fired_ = false;
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
};

class SaveFaults : public testing::TestWithParam<StepCase> {};

TEST_P(SaveFaults, EveryFailingCallLeavesTheOldFileAndIsReported) {
    kdmtest::TempDir source;
    kdmtest::TempDir target;
    const std::string temp = source.File("KDM.tmp");
    const std::string destination = target.File("device.KDM");
    const std::string fresh = NewContent('h', 2000);  // about 52 KB: a dozen writes
    const std::string old = NewContent('v', 3);
    WriteFile(temp, fresh);

    int hits = 0;
    for (int nth = 1;; ++nth) {
        SCOPED_TRACE(std::string(StepName(GetParam().step)) + " #" + std::to_string(nth));
        WriteFile(destination, old);
        FaultyOps ops(GetParam().step, nth, GetParam().error, false);
        std::string reason;
        const int saved = kdm::SaveDataFile(temp, destination, reason, ops);
        if (!ops.Fired()) {
            // Past the last call of this step: the save goes through and replaces the old file.
            EXPECT_EQ(saved, 1) << reason;
            EXPECT_EQ(ReadFile(destination), fresh);
            break;
        }
        ++hits;
        EXPECT_EQ(saved, 0);
        EXPECT_NE(reason.find(std::strerror(GetParam().error)), std::string::npos) << reason;
        EXPECT_EQ(ReadFile(destination), old);
        EXPECT_EQ(FilesIn(target.Path()), 1) << "a stray file was left beside the destination";
        ASSERT_LT(nth, 1000);
    }
    EXPECT_GE(hits, 1);
    if (GetParam().step == Step::kWrite) {
        EXPECT_GE(hits, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveFaults,
                         testing::Values(StepCase{Step::kCreate, ENOSPC}, StepCase{Step::kCreate, EACCES},
                                         StepCase{Step::kWrite, ENOSPC}, StepCase{Step::kWrite, EIO},
                                         StepCase{Step::kWrite, EFBIG}, StepCase{Step::kSync, EIO},
                                         StepCase{Step::kSync, ENOSPC}, StepCase{Step::kSetMode, EPERM},
                                         StepCase{Step::kClose, EIO}, StepCase{Step::kClose, ENOSPC},
                                         StepCase{Step::kRename, EIO}, StepCase{Step::kRename, ENOSPC}),
                         [](const testing::TestParamInfo<StepCase>& p) {
                             return std::string(StepName(p.param.step)) + "_" + std::to_string(p.param.error);
                         });

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

TEST(SaveKilled, AtEveryStepTheDestinationIsTheOldFileOrTheNewOne) {
    kdmtest::TempDir dir;
    const std::string temp = dir.File("KDM.tmp");
    const std::string destination = dir.File("device.KDM");
    const std::string fresh = NewContent('h', 2000);
    const std::string old = NewContent('v', 3);
    WriteFile(temp, fresh);

    int killed = 0;
    for (Step step :
         {Step::kCreate, Step::kWrite, Step::kSync, Step::kSetMode, Step::kClose, Step::kRename}) {
        for (int nth = 1; nth < 1000; ++nth) {
            SCOPED_TRACE(std::string(StepName(step)) + " #" + std::to_string(nth));
            WriteFile(destination, old);
            const int end = InChild([&] {
                FaultyOps ops(step, nth, 0, true);
                std::string reason;
                return kdm::SaveDataFile(temp, destination, reason, ops) == 1 ? 0 : 1;
            });
            const std::string now = ReadFile(destination);
            EXPECT_TRUE(now == old || now == fresh) << "torn: " << now.size() << " bytes";
            if (end != 128 + SIGKILL) {
                // This step has no call number nth: the save ran to its end.
                EXPECT_EQ(end, 0);
                EXPECT_EQ(now, fresh);
                break;
            }
            ++killed;
            // A process killed before its rename leaves the old file in place.
            if (step != Step::kRename) {
                EXPECT_EQ(now, old);
            }
        }
    }
    EXPECT_GE(killed, 15);
}

TEST(SaveKilled, AtRandomMomentsTheDestinationIsNeverTorn) {
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
