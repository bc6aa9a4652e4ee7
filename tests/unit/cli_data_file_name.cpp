// kdmxp-cli commands named a data file without its extension.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/dump_builder.h"

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class BareDataFileName : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
        char pattern[] = "/tmp/kdmxp-bare-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        if (!dir_.empty()) {
            EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
        }
    }
    // Runs kdmxp-cli in the scratch directory; returns its exit status.
    int Cli(const std::string& args) {
        const std::string command = "cd '" + dir_ +
                                    "' && KDMXP_SETTINGS_DIR=settings KDMXP_PORT_DIR=ports '" +
                                    KDMXP_CLI_PATH + "' " + args + " >stdout 2>stderr";
        const int status = std::system(command.c_str());
        out_ = Slurp(dir_ + "/stdout");
        err_ = Slurp(dir_ + "/stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir_;
    std::string out_;
    std::string err_;
};

TEST_F(BareDataFileName, ShowAndDiffFindTheFileWithTheExtensionInAnyCase) {
    std::ofstream(dir_ + "/r1.kdm", std::ios::binary)
        << kdmtest::DumpBuilder("I10").Add('A', "+00012300").Text();
    EXPECT_EQ(Cli("show r1"), 0) << err_;
    EXPECT_NE(out_.find("Device type: 1\n"), std::string::npos) << out_;
    // Both files of a comparison, each in its own letter case.
    std::ofstream(dir_ + "/r2.Kdm", std::ios::binary)
        << kdmtest::DumpBuilder("I10").Add('A', "+00012300").Text();
    EXPECT_EQ(Cli("diff r1 r2"), 0) << err_;
}

TEST_F(BareDataFileName, WithoutAnyFileTheMessageNamesTheDefaultExtension) {
    EXPECT_EQ(Cli("show r9"), 1);
    EXPECT_NE(err_.find("r9.KDM"), std::string::npos) << err_;
    // The write refuses before it looks for a device.
    EXPECT_NE(Cli("write r9"), 0);
    EXPECT_NE(err_.find("r9.KDM"), std::string::npos) << err_;
}

}  // namespace
