// The table window gives the verdict that `kdmxp-cli show`, `diff` and the write give on the same
// damaged files (tests/support/damaged_files.h, walked through the programs in
// tests/integration/readwrite_verdict.cpp): a file cut short or with bytes that are no record says so
// below the tables, and so does a file a write would refuse or ask about.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTemporaryDir>
#include <string>

#include "gui_support.h"
#include "support/damaged_files.h"
#include "support/file_bytes.h"
#include "ui/app.h"
#include "ui/document.h"
#include "ui/table_window.h"

namespace {

using kdmtest::DamagedFile;

class TableWindowVerdict : public ::testing::TestWithParam<DamagedFile> {};

TEST_P(TableWindowVerdict, TheStatusLineSaysWhatTheWriteWouldDo) {
    const DamagedFile& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("file.KDM")).toStdString();
    kdmtest::Spit(path, c.bytes);

    CKDM_XPApp app;
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    ASSERT_TRUE(window.ReadFailure().empty()) << window.ReadFailure();
    EXPECT_EQ(window.FileVerdict(), c.verdict);
    auto* status = window.findChild<QLabel*>(QStringLiteral("status"));
    ASSERT_NE(status, nullptr);
    const QString text = status->text();
    EXPECT_EQ(status->isVisibleTo(&window), c.verdict != kdm::FileVerdict::kWritable) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("It cannot be written into a device as it stands")),
              c.verdict == kdm::FileVerdict::kRefused)
        << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("It is written into a device only after you confirm.")),
              c.verdict == kdm::FileVerdict::kAsk)
        << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("The file ends inside a record: it was cut short.")),
              std::string(c.name).rfind("cut", 0) == 0)
        << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("300 bytes after the last record are no record.")),
              std::string(c.name) == "garbageAfterTheLastRecord")
        << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, TableWindowVerdict, ::testing::ValuesIn(kdmtest::DamagedFiles()),
                         [](const ::testing::TestParamInfo<DamagedFile>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
