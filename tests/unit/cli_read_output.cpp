// kdmxp-cli read -o with something at the name that is not a regular file, or in a directory that is
// missing or cannot be written: refused at once, before any port is searched, and left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/sim_process.h"

namespace {

class ReadOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
        ASSERT_FALSE(root_.Path().empty());
        ports_ = root_.File("ports");
        settings_ = root_.File("settings");
        work_ = root_.File("work");
        std::filesystem::create_directories(ports_);
        std::filesystem::create_directories(settings_);
        std::filesystem::create_directories(work_);
        // KDM.tmp would appear in the working directory, which kdmxp-cli inherits from this process.
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(work_);
    }
    void TearDown() override {
        if (!previous_.empty()) std::filesystem::current_path(previous_);
    }

    kdmtest::TempDir root_;
    std::string ports_, settings_, work_;
    std::filesystem::path previous_;
};

TEST_F(ReadOutput, ANameThatIsNotARegularFileIsRefusedBeforeTheSearch) {
    std::ofstream(root_.File("target.KDM")) << "keep me";
    ASSERT_EQ(::mkfifo(root_.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(root_.File("dir").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(root_.File("target.KDM").c_str(), root_.File("link.KDM").c_str()), 0);
    struct Case {
        std::string name;
        mode_t type;
    };
    std::vector<Case> cases = {{"fifo", S_IFIFO}, {"dir", S_IFDIR}, {"link.KDM", S_IFLNK}};
    // As root, `-o /dev/null` once turned /dev/null into a regular file; a copy of it stands in here.
    if (::geteuid() == 0 && ::mknod(root_.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.push_back({"null", S_IFCHR});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = root_.File(c.name);
        const kdmtest::CliResult run = kdmtest::RunCli({"read", "-q", "-o", output}, ports_, settings_);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("cannot save " + output + ": it exists and is not a regular file"),
                  std::string::npos)
            << run.err;
        // Refused before any port was tried: no search report, no temporary file.
        EXPECT_EQ(run.err.find("COM1"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(work_ + "/KDM.tmp"));
        struct stat st {};
        ASSERT_EQ(::lstat(output.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    std::ifstream in(root_.File("target.KDM"));
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
}

TEST_F(ReadOutput, ADirectoryThatIsMissingOrCannotBeWrittenIsRefusedBeforeTheSearch) {
    std::ofstream(root_.File("plain")) << "a file, not a directory";
    struct Case {
        std::string output;
        std::string says;
    };
    std::vector<Case> cases = {
        {root_.File("missing/out.KDM"), "its directory " + root_.File("missing") + " does not exist"},
        {root_.File("plain/out.KDM"), "Not a directory"},
    };
    // Root writes into any directory; a read-only one stops everybody else.
    if (::geteuid() != 0) {
        ASSERT_EQ(::mkdir(root_.File("locked").c_str(), 0555), 0);
        cases.push_back(
            {root_.File("locked/out.KDM"), "its directory " + root_.File("locked") + " cannot be written"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const kdmtest::CliResult run = kdmtest::RunCli({"read", "-q", "-o", c.output}, ports_, settings_);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("cannot save " + c.output + ": " + c.says), std::string::npos) << run.err;
        // Refused before any port was tried, so that no read is lost to it.
        EXPECT_EQ(run.err.find("COM1"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(work_ + "/KDM.tmp"));
    }
}

}  // namespace
