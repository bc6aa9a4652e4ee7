// Which file a name typed without its extension stands for, and the PDF name printing proposes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "files/data_file_name.h"

namespace {

using kdm::PdfNameFor;
using kdm::ResolveDataFileName;

class DataFileName : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kdmxp-name-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Touch(const std::string& name) const { std::ofstream(Path(name)) << "x"; }
    // Some file systems do not tell letter cases apart; the preference cases mean nothing there.
    bool CaseSensitive() const {
        Touch("probe.KDM");
        struct stat info {};
        const bool sensitive = ::stat(Path("probe.kdm").c_str(), &info) != 0;
        ::unlink(Path("probe.KDM").c_str());
        return sensitive;
    }

    std::string dir_;
};

TEST_F(DataFileName, ANameThatExistsAsTypedIsUsedAsTyped) {
    Touch("r1");
    Touch("r1.KDM");
    EXPECT_EQ(ResolveDataFileName(Path("r1"), "kdm"), Path("r1"));
    // A directory of that name exists too: it is what was named.
    ASSERT_EQ(::mkdir(Path("sub").c_str(), 0700), 0);
    Touch("sub.KDM");
    EXPECT_EQ(ResolveDataFileName(Path("sub"), "kdm"), Path("sub"));
    // With an extension the name is never changed, whether it exists or not.
    EXPECT_EQ(ResolveDataFileName(Path("r1.KDM"), "kdm"), Path("r1.KDM"));
    EXPECT_EQ(ResolveDataFileName(Path("r1.kdm"), "kdm"), Path("r1.kdm"));
    EXPECT_EQ(ResolveDataFileName(Path("r1.txt"), "kdm"), Path("r1.txt"));
}

TEST_F(DataFileName, OneCaseVariantOfTheExtensionIsFound) {
    if (!CaseSensitive()) GTEST_SKIP() << "the file system does not tell letter cases apart";
    for (const std::string extension : {"KDM", "kdm", "Kdm", "kDm", "KdM"}) {
        SCOPED_TRACE(extension);
        Touch("r1." + extension);
        EXPECT_EQ(ResolveDataFileName(Path("r1"), "kdm"), Path("r1." + extension));
        EXPECT_EQ(ResolveDataFileName(Path("r1"), "KDM"), Path("r1." + extension));
        ASSERT_EQ(::unlink(Path("r1." + extension).c_str()), 0);
    }
}

struct Preference {
    std::vector<std::string> present;
    std::string chosen;
};

class DataFileNamePreference : public DataFileName, public ::testing::WithParamInterface<Preference> {};

TEST_P(DataFileNamePreference, SeveralVariantsGiveTheFirstInOrderOfPreference) {
    if (!CaseSensitive()) GTEST_SKIP() << "the file system does not tell letter cases apart";
    for (const std::string& extension : GetParam().present)
        Touch("r1." + extension);
    // The preference does not depend on the default extension's own spelling.
    EXPECT_EQ(ResolveDataFileName(Path("r1"), "kdm"), Path("r1." + GetParam().chosen));
    EXPECT_EQ(ResolveDataFileName(Path("r1"), "KDM"), Path("r1." + GetParam().chosen));
}

INSTANTIATE_TEST_SUITE_P(Variants, DataFileNamePreference,
                         ::testing::Values(Preference{{"kdm", "KDM", "Kdm"}, "KDM"},
                                           Preference{{"KDM", "kdm"}, "KDM"},
                                           Preference{{"Kdm", "kdm"}, "kdm"},
                                           Preference{{"kDM", "Kdm"}, "Kdm"},
                                           Preference{{"kDM", "KdM", "kdM"}, "kdM"}));

TEST_F(DataFileName, WithoutAnyVariantTheDefaultExtensionIsAppendedAsGiven) {
    EXPECT_EQ(ResolveDataFileName(Path("r1"), "kdm"), Path("r1.kdm"));
    EXPECT_EQ(ResolveDataFileName(Path("r1"), "KDM"), Path("r1.KDM"));
    // A directory with the extension is no data file.
    ASSERT_EQ(::mkdir(Path("r2.KDM").c_str(), 0700), 0);
    EXPECT_EQ(ResolveDataFileName(Path("r2"), "kdm"), Path("r2.kdm"));
    // A dot in a directory name does not count as the file's extension.
    ASSERT_EQ(::mkdir(Path("old.d").c_str(), 0700), 0);
    Touch("old.d/r3.KDM");
    EXPECT_EQ(ResolveDataFileName(Path("old.d/r3"), "kdm"), Path("old.d/r3.KDM"));
    EXPECT_EQ(ResolveDataFileName(Path("old.d/r4"), "kdm"), Path("old.d/r4.kdm"));
    EXPECT_EQ(ResolveDataFileName("", "kdm"), "");
}

TEST_F(DataFileName, RelativeNamesAreTakenFromTheCurrentDirectory) {
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
    Touch("r1.KDM");
    const std::string resolved = ResolveDataFileName("r1", "kdm");
    const std::string missing = ResolveDataFileName("r9", "kdm");
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(resolved, "r1.KDM");
    EXPECT_EQ(missing, "r9.kdm");
}

TEST(PdfName, IsTheDataFilesNameWithPdfInItsDirectory) {
    EXPECT_EQ(PdfNameFor("/data/r1.KDM"), "/data/r1.pdf");
    EXPECT_EQ(PdfNameFor("/data/r1.kdm"), "/data/r1.pdf");
    EXPECT_EQ(PdfNameFor("/data/r1"), "/data/r1.pdf");
    EXPECT_EQ(PdfNameFor("/data.old/r1"), "/data.old/r1.pdf");
    EXPECT_EQ(PdfNameFor("/data/line 3.2026.KDM"), "/data/line 3.2026.pdf");
    EXPECT_EQ(PdfNameFor("/data/.KDM"), "/data/.KDM.pdf");
    EXPECT_EQ(PdfNameFor("r1.KDM"), "r1.pdf");
    EXPECT_EQ(PdfNameFor(""), "");
}

}  // namespace
