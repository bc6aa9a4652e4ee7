// Data files and the temporary file on a real file system, in a scratch directory per test.
#include <gtest/gtest.h>

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/grid.h"
#include "data/tables.h"
#include "files/data_file.h"
#include "platform/atomic_save.h"
#include "support/dump_builder.h"

namespace {

using kdm::ReadWholeFile;
using kdm::SaveDataFile;
using kdm::TempFile;

class DataFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kdmxp-files-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("KDMXP_SETTINGS_DIR", (dir_ + "/settings").c_str(), 1);
        ::setenv("KDMXP_PORT_DIR", (dir_ + "/ports").c_str(), 1);
    }
    void TearDown() override {
        // Permission tests may have locked a directory; open it up again before removing everything.
        const std::string command = "chmod -R u+rwx '" + dir_ + "' && rm -rf '" + dir_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        DIR* d = ::opendir(dir_.c_str());
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(d);
        return names;
    }
    // Permission checks mean nothing to root: there, `body` runs in a child that has dropped to an
    // unprivileged user. Returns what `body` returned, or -1 when no such child could run.
    template <class Body>
    int Unprivileged(Body body) {
        if (::geteuid() != 0) return body();
        // The child must be able to reach the scratch directory.
        if (::chmod(dir_.c_str(), 0755) != 0) return -1;
        const pid_t pid = ::fork();
        if (pid < 0) return -1;
        if (pid == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(125);
            ::_exit(body());
        }
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 125) return -1;
        return WEXITSTATUS(status);
    }

    std::string dir_;
};

TEST_F(DataFiles, TempFilePath) {
    EXPECT_EQ(kdm::InitTempFilePath("/home/op"), "/home/op/KDM.tmp");
    EXPECT_EQ(kdm::InitTempFilePath("/"), "/KDM.tmp");
    const std::string deep = "/" + std::string(300, 'd');
    EXPECT_EQ(kdm::InitTempFilePath(deep), deep + "/KDM.tmp");
}

TEST_F(DataFiles, CurrentDirectoryOfAnyLength) {
    std::string deep = dir_;
    for (int i = 0; i < 12; ++i) {
        deep += "/" + std::string(40, static_cast<char>('a' + i));
        ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
    }
    ASSERT_GT(deep.size(), 500u);
    const std::string before = kdm::CurrentDirectory();
    ASSERT_FALSE(before.empty());
    ASSERT_EQ(::chdir(deep.c_str()), 0);
    const std::string inside = kdm::CurrentDirectory();
    ASSERT_EQ(::chdir(before.c_str()), 0);
    char* real = ::realpath(deep.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(inside, real);
    std::free(real);
}

TEST_F(DataFiles, RecordLayoutOnDisk) {
    const std::string path = kdm::InitTempFilePath(dir_);
    std::string reason;
    TempFile temp;
    ASSERT_EQ(temp.Create(path, reason), 1) << reason;
    const std::string ident =
        "\x02"
        "0g+I10000--572";
    ASSERT_EQ(temp.AppendRecord(ident, reason), 1);
    ASSERT_EQ(temp.AppendRecord("\x02"
                                "0s+000000--584\x03 QS 584",
                                reason),
              1);
    ASSERT_EQ(temp.AppendRecord("\x02"
                                "0s+000000--585\x03 QS 584 !!!",
                                reason),
              1);
    temp.Close();
    EXPECT_FALSE(temp.IsOpen());
    const std::string bytes = Read(path);
    ASSERT_EQ(bytes.size(), 18u + 26u + 30u);
    EXPECT_EQ(bytes.substr(0, 18), ident + "\r\n\r");
    EXPECT_EQ(bytes.substr(18, 26), std::string("\x02"
                                                "0s+000000--584\x03 QS 584\r\n\r"));
    EXPECT_EQ(bytes.substr(bytes.size() - 7), " !!!\r\n\r");
    EXPECT_EQ(temp.AppendRecord("late", reason), 0);
}

TEST_F(DataFiles, CreateTruncatesAndKeepsWhatWasWrittenAfterClose) {
    const std::string path = Path("KDM.tmp");
    Write(path, std::string(500, 'x'));
    std::string reason;
    {
        TempFile temp;
        ASSERT_EQ(temp.Create(path, reason), 1) << reason;
        ASSERT_EQ(temp.AppendRecord("abc", reason), 1);
    }  // destructor closes
    EXPECT_EQ(Read(path), "abc\r\n\r");
}

TEST_F(DataFiles, SymlinkAtTheTempNameIsNotFollowed) {
    const std::string target = Path("precious");
    Write(target, "keep me");
    ASSERT_EQ(::symlink(target.c_str(), Path("KDM.tmp").c_str()), 0);
    std::string reason;
    TempFile temp;
    EXPECT_EQ(temp.Create(Path("KDM.tmp"), reason), 0);
    EXPECT_NE(reason.find("symbolic link"), std::string::npos) << reason;
    EXPECT_EQ(Read(target), "keep me");
}

TEST_F(DataFiles, NonRegularTempNamesAreRefused) {
    ASSERT_EQ(::mkdir(Path("KDM.tmp").c_str(), 0700), 0);
    std::string reason;
    TempFile temp;
    EXPECT_EQ(temp.Create(Path("KDM.tmp"), reason), 0);
    EXPECT_FALSE(reason.empty());

    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    reason.clear();
    EXPECT_EQ(temp.Create(Path("fifo"), reason), 0);  // must not hang either
    EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
}

TEST_F(DataFiles, SecondReadInTheSameDirectoryIsRefused) {
    const std::string path = Path("KDM.tmp");
    std::string reason;
    TempFile first;
    ASSERT_EQ(first.Create(path, reason), 1) << reason;
    ASSERT_EQ(first.AppendRecord("first", reason), 1);
    TempFile second;
    EXPECT_EQ(second.Create(path, reason), 0);
    EXPECT_EQ(reason, "another read is using " + path);
    // The refused one truncated nothing.
    EXPECT_EQ(Read(path), "first\r\n\r");
    first.Close();
    EXPECT_EQ(second.Create(path, reason), 1) << reason;
    EXPECT_EQ(Read(path), "");
}

TEST_F(DataFiles, UnwritableStartupDirectoryStopsTheRead) {
    ASSERT_EQ(::mkdir(Path("ro").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(Path("ro").c_str(), 0555), 0);
    const std::string path = kdm::InitTempFilePath(Path("ro"));
    // 1: refused with the system's reason and nothing left open.
    const int outcome = Unprivileged([&] {
        std::string reason;
        TempFile temp;
        const int created = temp.Create(path, reason);
        return created == 0 && !temp.IsOpen() && reason == "cannot create " + path + ": Permission denied"
                   ? 1
                   : 0;
    });
    if (outcome < 0) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(outcome, 1);
}

TEST_F(DataFiles, ReadWholeFile) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"plain",
         "\x02"
         "0g+I10000--572\r\n\r",
         "\x02"
         "0g+I10000--572\r\n\r"},
        {"empty", "", ""},
        {"nul cut", std::string("abc\0def", 7), "abc"},
        {"nul first", std::string("\0abc", 4), ""},
        {"high bytes", "\xe4\xff\x80", "\xe4\xff\x80"},
    };
    for (const Case& c : cases) {
        Write(Path("f.kdm"), c.bytes);
        std::string text = "stale";
        long length = -1;
        std::string reason;
        ASSERT_EQ(ReadWholeFile(Path("f.kdm"), text, length, reason), 1) << c.name << reason;
        EXPECT_EQ(text, c.text) << c.name;
        EXPECT_EQ(length, static_cast<long>(c.bytes.size())) << c.name;
    }
}

TEST_F(DataFiles, ReadWholeFileFailures) {
    std::string text;
    long length = 0;
    std::string reason;
    EXPECT_EQ(ReadWholeFile(Path("missing.kdm"), text, length, reason), 0);
    EXPECT_EQ(reason, "cannot open " + Path("missing.kdm") + ": No such file or directory");

    EXPECT_EQ(ReadWholeFile(dir_, text, length, reason), 0);
    EXPECT_EQ(reason, dir_ + " is a directory");

    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(Path("fifo"), text, length, reason), 0);
    EXPECT_NE(reason.find("not a regular file"), std::string::npos);

    // A sparse file far beyond any data file.
    Write(Path("huge"), "");
    ASSERT_EQ(::truncate(Path("huge").c_str(), 65L * 1024 * 1024), 0);
    EXPECT_EQ(ReadWholeFile(Path("huge"), text, length, reason), 0);
    EXPECT_NE(reason.find("too large"), std::string::npos) << reason;

    Write(Path("secret.kdm"), "x");
    ASSERT_EQ(::chmod(Path("secret.kdm").c_str(), 0), 0);
    const std::string secret = Path("secret.kdm");
    const int outcome = Unprivileged([&] {
        std::string t;
        long n = 0;
        std::string why;
        return ReadWholeFile(secret, t, n, why) == 0 && why == "cannot open " + secret + ": Permission denied"
                   ? 1
                   : 0;
    });
    if (outcome < 0) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(outcome, 1);
}

TEST_F(DataFiles, SaveIsByteIdenticalAndReplaces) {
    std::string bytes =
        kdmtest::DumpBuilder("I10").Add('d', kdmtest::Value(1)).Add('e', "+000002--", true).Text();
    bytes += std::string("\0tail\r", 6);  // even bytes no reader shows are copied
    Write(Path("KDM.tmp"), bytes);
    Write(Path("old.kdm"),
          "previous content that is longer than the new one would ever be, surely " + std::string(2000, 'p'));
    std::string reason;
    ASSERT_EQ(SaveDataFile(Path("KDM.tmp"), Path("old.kdm"), reason), 1) << reason;
    EXPECT_EQ(Read(Path("old.kdm")), bytes);
    ASSERT_EQ(SaveDataFile(Path("KDM.tmp"), Path("new.kdm"), reason), 1) << reason;
    EXPECT_EQ(Read(Path("new.kdm")), bytes);
    // No helper file is left behind, and the temporary file stays.
    std::vector<std::string> names = Entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"KDM.tmp", "new.kdm", "old.kdm"}));
}

TEST_F(DataFiles, NewFilesFollowTheUmaskAndReplacementsKeepTheirMode) {
    // The parameter set holds the device's password: a private file must stay private.
    Write(Path("KDM.tmp"), "data with the Password parameter");
    std::string reason;
    const std::pair<mode_t, mode_t> fresh[] = {{022, 0644}, {077, 0600}, {002, 0664}};
    for (const auto& [mask, expected] : fresh) {
        const std::string path = Path("new" + std::to_string(mask) + ".kdm");
        const mode_t old = ::umask(mask);
        const int saved = SaveDataFile(Path("KDM.tmp"), path, reason);
        ::umask(old);
        ASSERT_EQ(saved, 1) << reason;
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, expected) << "umask " << mask;
    }
    for (const mode_t mode : {0600u, 0444u, 0640u, 0664u, 0604u}) {
        const std::string path = Path("kept.kdm");
        Write(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const mode_t old = ::umask(022);
        const int saved = SaveDataFile(Path("KDM.tmp"), path, reason);
        ::umask(old);
        ASSERT_EQ(saved, 1) << reason;
        EXPECT_EQ(Read(path), "data with the Password parameter");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
}

TEST_F(DataFiles, AReplacementKeepsItsOwnerAndGroupWhereTheProcessMayChangeThem) {
    Write(Path("KDM.tmp"), "new data");
    const std::string path = Path("owned.kdm");
    Write(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    uid_t owner = ::geteuid();
    gid_t group = ::getegid();
    if (::geteuid() == 0) {
        owner = 65534;
        group = 65534;
    } else {
        // An ordinary user may give a file any group of their own.
        std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
        const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
        for (int i = 0; i < n; ++i)
            if (groups[static_cast<std::size_t>(i)] != group) group = groups[static_cast<std::size_t>(i)];
    }
    ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
    std::string reason;
    ASSERT_EQ(SaveDataFile(Path("KDM.tmp"), path, reason), 1) << reason;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Read(path), "new data");

    // Someone who may write the directory but not give files away still saves, and the mode stays.
    ASSERT_EQ(::mkdir(Path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(Path("shared").c_str(), 0777), 0);
    const std::string theirs = Path("shared/theirs.kdm");
    Write(theirs, "old");
    ASSERT_EQ(::chmod(theirs.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(Path("KDM.tmp").c_str(), 0644), 0);
    if (::geteuid() == 0) {
        const std::string temp = Path("KDM.tmp");
        const int outcome = Unprivileged([&] {
            std::string why;
            struct stat now {};
            return SaveDataFile(temp, theirs, why) == 1 && ::stat(theirs.c_str(), &now) == 0 &&
                           now.st_uid == ::geteuid() && (now.st_mode & 07777) == 0600
                       ? 1
                       : 0;
        });
        if (outcome < 0) GTEST_SKIP() << "no unprivileged user to run as";
        EXPECT_EQ(outcome, 1);
        EXPECT_EQ(Read(theirs), "new data");
    }
}

TEST_F(DataFiles, DestinationsThatAreNotRegularFilesAreRefusedAndLeftAlone) {
    Write(Path("KDM.tmp"), "new data");
    Write(Path("target"), "keep me");
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(Path("adir").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(Path("target").c_str(), Path("link").c_str()), 0);
    ASSERT_EQ(::symlink(Path("nowhere").c_str(), Path("dangling").c_str()), 0);
    struct Case {
        const char* name;
        mode_t type;
    };
    std::vector<Case> cases = {
        {"fifo", S_IFIFO}, {"adir", S_IFDIR}, {"link", S_IFLNK}, {"dangling", S_IFLNK}};
    // A copy of /dev/null: what `read -o /dev/null` run as root turned into a regular file.
    if (::geteuid() == 0 && ::mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.push_back({"null", S_IFCHR});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string reason;
        EXPECT_EQ(kdm::CheckSaveDestination(Path(c.name), reason), 0);
        EXPECT_EQ(SaveDataFile(Path("KDM.tmp"), Path(c.name), reason), 0);
        EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
        EXPECT_NE(reason.find(Path(c.name)), std::string::npos) << reason;
        struct stat st {};
        ASSERT_EQ(::lstat(Path(c.name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    EXPECT_EQ(Read(Path("target")), "keep me");
    EXPECT_NE(::access(Path("nowhere").c_str(), F_OK), 0);
    std::string reason;
    EXPECT_EQ(kdm::CheckSaveDestination(Path("target"), reason), 1) << reason;
    EXPECT_EQ(kdm::CheckSaveDestination(Path("absent.kdm"), reason), 1) << reason;
    EXPECT_EQ(kdm::CheckSaveDestination(Path("adir/"), reason), 0);
    // Nothing was left beside them.
    EXPECT_EQ(Entries().size(), cases.size() + 2);
}

TEST_F(DataFiles, NamesUpToTheSystemLimitCanBeSaved) {
    Write(Path("KDM.tmp"), "new data");
    const long longest = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
    ASSERT_GE(longest, 14);
    for (const long length : {longest - 7, longest - 1, longest}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(static_cast<std::size_t>(length) - 4, 'n') + ".KDM";
        std::string reason;
        ASSERT_EQ(SaveDataFile(Path("KDM.tmp"), Path(name), reason), 1) << reason;
        Write(Path("KDM.tmp"), "newer data");
        ASSERT_EQ(SaveDataFile(Path("KDM.tmp"), Path(name), reason), 1) << reason;
        EXPECT_EQ(Read(Path(name)), "newer data");
        ASSERT_EQ(::unlink(Path(name).c_str()), 0);
        Write(Path("KDM.tmp"), "new data");
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"KDM.tmp"});
}

TEST_F(DataFiles, ATempFileWithOtherNamesIsRefusedAndTheirContentKept) {
    Write(Path("device.KDM"), "precious");
    ASSERT_EQ(::link(Path("device.KDM").c_str(), Path("KDM.tmp").c_str()), 0);
    std::string reason;
    TempFile temp;
    EXPECT_EQ(temp.Create(Path("KDM.tmp"), reason), 0);
    EXPECT_FALSE(temp.IsOpen());
    EXPECT_NE(reason.find("hard links"), std::string::npos) << reason;
    EXPECT_EQ(Read(Path("device.KDM")), "precious");
    // Once it is the only name again, the temporary file is used as always.
    ASSERT_EQ(::unlink(Path("device.KDM").c_str()), 0);
    EXPECT_EQ(temp.Create(Path("KDM.tmp"), reason), 1) << reason;
    EXPECT_EQ(Read(Path("KDM.tmp")), "");
}

TEST_F(DataFiles, FailedSaveLeavesTheOldFile) {
    Write(Path("KDM.tmp"), "new data");
    std::string reason;

    // The directory vanished (or never existed).
    EXPECT_EQ(SaveDataFile(Path("KDM.tmp"), Path("gone/x.kdm"), reason), 0);
    EXPECT_NE(reason.find("No such file or directory"), std::string::npos) << reason;

    // No temporary file: nothing is touched.
    Write(Path("keep.kdm"), "old data");
    EXPECT_EQ(SaveDataFile(Path("missing.tmp"), Path("keep.kdm"), reason), 0);
    EXPECT_EQ(Read(Path("keep.kdm")), "old data");

    // A directory in the way of the name.
    ASSERT_EQ(::mkdir(Path("adir").c_str(), 0700), 0);
    EXPECT_EQ(SaveDataFile(Path("KDM.tmp"), Path("adir"), reason), 0);
    EXPECT_EQ(SaveDataFile(Path("KDM.tmp"), "", reason), 0);

    ASSERT_EQ(::mkdir(Path("locked").c_str(), 0700), 0);
    Write(Path("locked/old.kdm"), "old data");
    ASSERT_EQ(::chmod(Path("locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(Path("KDM.tmp").c_str(), 0644), 0);
    const std::string temp = Path("KDM.tmp");
    const std::string locked = Path("locked/old.kdm");
    const int outcome = Unprivileged([&] {
        std::string why;
        return SaveDataFile(temp, locked, why) == 0 && why.find("Permission denied") != std::string::npos ? 1
                                                                                                          : 0;
    });
    if (outcome < 0) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(outcome, 1);
    EXPECT_EQ(Read(locked), "old data");
    std::vector<std::string> names = Entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"KDM.tmp", "adir", "keep.kdm", "locked"}));
    EXPECT_EQ(::chmod(Path("locked").c_str(), 0700), 0);
    EXPECT_EQ(::access(Path("locked/old.kdm").c_str(), F_OK), 0);
}

TEST(FileMatchesDevice, KeysFromTheFirstG) {
    const std::string device =
        "\x02"
        "0g+I10000--572";
    struct Case {
        std::string file;
        int match;
    };
    const Case cases[] = {
        {device + "\r\n\r\x02"
                  "0d+000001--",
         1},
        {"xx" + device, 1},
        {"\x02"
         "0g+I10001--573",
         1},  // only five characters count
        {"\x02"
         "0G+I10000--572",
         0},
        {"\x02"
         "0g-I10000--572",
         0},
        {"\x02"
         "0g+i10000--572",
         0},
        {"\x02"
         "0g+I20000--572",
         0},
        {"\x02"
         "0g+I11000--572",
         0},
        {"\x02"
         "0h+I10000--572",
         0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::FileMatchesDevice(device, c.file), c.match) << c.file;
    // Without any 'g' both keys are the first five characters.
    EXPECT_EQ(kdm::FileMatchesDevice("abcdefgh", "abcdeZZZ"), 0);  // 'g' in the device text only
    EXPECT_EQ(kdm::FileMatchesDevice("abcdeXXX", "abcdeZZZ"), 1);
}

TEST(CheckFileForWrite, TypeThenLength) {
    const std::string device =
        "\x02"
        "0g+I10000--572";
    const std::string ident = device + "\r\n\r";  // 18 bytes
    struct Case {
        std::string file;
        int result;
        int failure;
        int firstG;
    };
    const Case cases[] = {
        {ident, 0, kdm::kParameterFileErrorText, 2},
        {ident + std::string(17, 'x'), 0, kdm::kParameterFileErrorText, 2},  // 35 bytes
        {ident + std::string(18, 'x'), 1, 0, 2},                             // 36 bytes
        {"\x02"
         "0g+I20000--572\r\n\r" +
             std::string(40, 'x'),
         0, kdm::kWrongDeviceTypeText, -1},
        {"zz" + ident + std::string(40, 'x'), 1, 0, 4},
    };
    for (const Case& c : cases) {
        int firstG = 99;
        int failure = 99;
        EXPECT_EQ(kdm::CheckFileForWrite(device, c.file, static_cast<long>(c.file.size()), firstG, failure),
                  c.result)
            << c.file.size();
        EXPECT_EQ(failure, c.failure) << c.file.size();
        EXPECT_EQ(firstG, c.firstG) << c.file.size();
    }
}

TEST_F(DataFiles, ShowDataFile) {
    kdm::MemoryGrid system;
    kdm::MemoryGrid program;
    kdm::ParameterTables tables(system, program);
    std::string reason;
    EXPECT_EQ(kdm::ShowDataFile(tables, Path("nothing.kdm"), reason), 0);
    EXPECT_NE(reason.find("nothing.kdm"), std::string::npos);
    EXPECT_EQ(system.Rows(), 0);
    EXPECT_EQ(program.Rows(), 0);
    EXPECT_EQ(system.CellWrites() + program.CellWrites(), 0);

    Write(Path("one.kdm"), kdmtest::DumpBuilder("E20").Add('d', "+000042--").Text());
    EXPECT_EQ(kdm::ShowDataFile(tables, Path("one.kdm"), reason), 1);
    EXPECT_EQ(system.Cell(1, 2), " 000042  ");
}

}  // namespace
