// The data file as a document: edits through its undo stack (undo, redo, merged repeats, the clean
// state as "unsaved"), saving and saving as, reopening to the same bytes, and saves that fail leaving
// the file and the unsaved state alone. Also the table window as a view that follows its document.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "data/tables.h"
#include "platform/file_ops.h"
#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"
#include "ui/app.h"
#include "ui/ctable.h"
#include "ui/document.h"
#include "ui/table_window.h"

namespace {

using kdm::EditRefusal;
using kdm::ParameterAddress;

// Type 2: two system parameters, program 1 with 'V' marked for a checksum mismatch, program 2.
std::string Sample() {
    return kdmtest::DumpBuilder("I1P")
        .Add('h', "+000019--")
        .Add('v', "+000235--")
        .Program(1)
        .Add('J', "+000002--")
        .Add('V', "+172018--", /*damaged=*/true)
        .Program(2)
        .Add('J', "+000095--")
        .Text();
}

std::string ValueOf(const DataDocument& document, const ParameterAddress& where) {
    const kdm::ParameterSet& set = document.Parameters();
    const kdm::Parameter* parameter = where.program ? set.FindProgram(*where.program)->Find(where.letter)
                                                    : set.FindSystemParameter(where.letter);
    return parameter != nullptr ? std::string(parameter->Value()) : std::string("(none)");
}

// The real calls, except that every write finds the disk full.
class FullDisk final : public kdm::IFileOps {
  public:
    int Lstat(const std::string& path, struct stat& st) override { return real_.Lstat(path, st); }
    int OpenUnnamed(const std::string& directory, mode_t mode) override {
        return real_.OpenUnnamed(directory, mode);
    }
    int CreateUnique(std::string& pathTemplate, mode_t mode) override {
        return real_.CreateUnique(pathTemplate, mode);
    }
    long Write(int, const char*, std::size_t) override {
        ++writes;
        errno = ENOSPC;
        return -1;
    }
    int Sync(int fd) override { return real_.Sync(fd); }
    int SetOwner(int fd, uid_t owner, gid_t group) override { return real_.SetOwner(fd, owner, group); }
    int SetMode(int fd, mode_t mode) override { return real_.SetMode(fd, mode); }
    int LinkUnnamed(int fd, const std::string& path) override { return real_.LinkUnnamed(fd, path); }
    int Close(int fd) override { return real_.Close(fd); }
    int Rename(const std::string& from, const std::string& to) override { return real_.Rename(from, to); }
    int Unlink(const std::string& path) override { return real_.Unlink(path); }

    int writes = 0;

  private:
    kdm::PosixFileOps real_;
};

class DocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.File("a.KDM");
        kdmtest::Spit(path, Sample());
        ASSERT_TRUE(document.Open(path)) << document.LoadFailure();
    }

    kdmtest::TempDir dir;
    std::string path;
    DataDocument document;
};

TEST_F(DocumentTest, EditsGoThroughTheUndoStackAndUndoRedoGiveTheTextBack) {
    const std::string original = document.Text();
    EXPECT_EQ(original, Sample());
    EXPECT_FALSE(document.Modified());
    QSignalSpy changed(&document, &DataDocument::changed);
    QSignalSpy clean(&document, &DataDocument::cleanChanged);

    ASSERT_EQ(document.SetValue({std::nullopt, 'h'}, "5"), EditRefusal::kNone);
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(ValueOf(document, {std::nullopt, 'h'}), "+000005--");
    ASSERT_EQ(document.SetValue({1, 'V'}, "-150"), EditRefusal::kNone);
    EXPECT_EQ(ValueOf(document, {1, 'V'}), "-000150--");
    EXPECT_EQ(document.Parameters().SuspectRecords(), 0);  // the marked record is whole again
    const std::string edited = document.Text();
    EXPECT_EQ(document.UndoStack().count(), 2);
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(clean.count(), 1);
    EXPECT_FALSE(clean.takeFirst().at(0).toBool());

    document.UndoStack().undo();
    EXPECT_EQ(ValueOf(document, {1, 'V'}), "+172018--");
    EXPECT_EQ(document.Parameters().SuspectRecords(), 1);
    document.UndoStack().undo();
    EXPECT_EQ(document.Text(), original);
    EXPECT_FALSE(document.Modified());
    ASSERT_EQ(clean.count(), 1);
    EXPECT_TRUE(clean.takeFirst().at(0).toBool());
    document.UndoStack().redo();
    document.UndoStack().redo();
    EXPECT_EQ(document.Text(), edited);
    EXPECT_EQ(changed.count(), 6);
}

TEST_F(DocumentTest, RefusedAndUnchangingEditsPushNothing) {
    struct Case {
        ParameterAddress where;
        const char* value;
        EditRefusal refusal;
    };
    const Case cases[] = {
        {{std::nullopt, 'h'}, "12a", EditRefusal::kBadValue},
        {{7, 'J'}, "5", EditRefusal::kNoSuchProgram},
        {{2, 'V'}, "5", EditRefusal::kNoSuchLetter},
        {{std::nullopt, 'h'}, "19", EditRefusal::kNone},  // the value it has: no byte changes
        {{2, 'J'}, "+000095", EditRefusal::kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(document.SetValue(c.where, c.value), c.refusal) << c.where.letter << '=' << c.value;
        EXPECT_EQ(document.UndoStack().count(), 0);
        EXPECT_FALSE(document.Modified());
        EXPECT_EQ(document.Text(), Sample());
    }
    // Setting a marked record to the value it holds changes bytes: its checksum and mark.
    EXPECT_EQ(document.SetValue({1, 'V'}, "172018"), EditRefusal::kNone);
    EXPECT_EQ(document.UndoStack().count(), 1);
}

// The same value typed again is one step back; back at its old value the step goes and the document
// is clean again. A save in between keeps the steps apart.
TEST_F(DocumentTest, RepeatedEditsOfOneValueMergeButNotAcrossASave) {
    ASSERT_EQ(document.SetValue({2, 'J'}, "1"), EditRefusal::kNone);
    ASSERT_EQ(document.SetValue({2, 'J'}, "2"), EditRefusal::kNone);
    ASSERT_EQ(document.SetValue({2, 'J'}, "3"), EditRefusal::kNone);
    EXPECT_EQ(document.UndoStack().count(), 1);
    ASSERT_EQ(document.SetValue({std::nullopt, 'v'}, "4"), EditRefusal::kNone);
    EXPECT_EQ(document.UndoStack().count(), 2);
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(document.Text(), Sample());

    document.UndoStack().redo();
    ASSERT_EQ(document.SetValue({2, 'J'}, "95"), EditRefusal::kNone);  // its value before the step
    EXPECT_EQ(document.UndoStack().count(), 0);
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(document.Text(), Sample());

    ASSERT_EQ(document.SetValue({2, 'J'}, "7"), EditRefusal::kNone);
    std::string reason;
    ASSERT_TRUE(document.Save(reason)) << reason;
    const std::string saved = document.Text();
    ASSERT_EQ(document.SetValue({2, 'J'}, "8"), EditRefusal::kNone);
    EXPECT_EQ(document.UndoStack().count(), 2);
    EXPECT_TRUE(document.Modified());
    document.UndoStack().undo();
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(document.Text(), saved);
}

TEST_F(DocumentTest, SaveAndSaveAsWriteTheTextAndReopenToTheSameBytes) {
    ASSERT_EQ(document.SetValue({1, 'J'}, "-42"), EditRefusal::kNone);
    QSignalSpy saved(&document, &DataDocument::saved);
    QSignalSpy renamed(&document, &DataDocument::renamed);
    std::string reason;
    ASSERT_TRUE(document.Save(reason)) << reason;
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(renamed.count(), 0);
    EXPECT_EQ(kdmtest::Slurp(path), document.Text());
    DataDocument reopened;
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_EQ(reopened.Text(), document.Text());
    EXPECT_EQ(ValueOf(reopened, {1, 'J'}), "-000042--");

    ASSERT_EQ(document.SetValue({1, 'J'}, "43"), EditRefusal::kNone);
    const std::string copy = dir.File("b.KDM");
    ASSERT_TRUE(document.SaveAs(copy, reason)) << reason;
    EXPECT_EQ(document.Path(), copy);
    EXPECT_EQ(renamed.count(), 1);
    EXPECT_EQ(saved.count(), 2);
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(kdmtest::Slurp(copy), document.Text());
    EXPECT_EQ(kdmtest::Slurp(path), reopened.Text());  // the first file as last saved
}

// A save that fails leaves the file on disk, the document's path and its unsaved edits as they were.
TEST_F(DocumentTest, AFailedSaveLeavesTheFileAndTheUnsavedStateAlone) {
    ASSERT_EQ(document.SetValue({std::nullopt, 'h'}, "77"), EditRefusal::kNone);
    const std::string edited = document.Text();
    QSignalSpy saved(&document, &DataDocument::saved);
    QSignalSpy renamed(&document, &DataDocument::renamed);

    FullDisk full;
    document.SetFileOps(&full);
    std::string reason;
    EXPECT_FALSE(document.Save(reason));
    EXPECT_GT(full.writes, 0);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_FALSE(document.SaveAs(dir.File("c.KDM"), reason));
    document.SetFileOps(nullptr);
    EXPECT_EQ(kdmtest::Slurp(path), Sample());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.File("c.KDM"))));

    // Without the fault hook: a directory that cannot be written (root may write anywhere).
    if (::geteuid() != 0) {
        const std::string locked = dir.File("locked");
        ASSERT_EQ(::mkdir(locked.c_str(), 0500), 0);
        EXPECT_FALSE(document.SaveAs(locked + "/d.KDM", reason));
        EXPECT_NE(reason.find("locked"), std::string::npos) << reason;
        ::chmod(locked.c_str(), 0700);
    }

    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.Path(), path);
    EXPECT_EQ(document.Text(), edited);
    EXPECT_EQ(document.UndoStack().count(), 1);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(renamed.count(), 0);
    // And once the disk has room again, the same edits are saved.
    ASSERT_TRUE(document.Save(reason)) << reason;
    EXPECT_EQ(kdmtest::Slurp(path), edited);
}

TEST(Document, FilesThatCannotBeOpenedOrSavedWhole) {
    kdmtest::TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;  // none written for "missing.KDM"
        bool opens;
        const char* failure;  // in LoadFailure(), or in Save's reason
    };
    const Case cases[] = {
        {"missing.KDM", "", false, "missing.KDM"},
        {"notes.KDM", "hello\r\n\r", false, "not a data file"},
        {"nul.KDM", Sample() + std::string("\0tail", 5), true, "NUL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        if (std::string(c.name) != "missing.KDM") kdmtest::Spit(path, c.bytes);
        DataDocument document;
        EXPECT_EQ(document.Open(path), c.opens);
        EXPECT_EQ(document.Path(), path);
        std::string reason;
        EXPECT_FALSE(document.Save(reason));
        const std::string said = c.opens ? reason : document.LoadFailure();
        EXPECT_NE(said.find(c.failure), std::string::npos) << said;
        if (std::string(c.name) != "missing.KDM") {
            EXPECT_EQ(kdmtest::Slurp(path), c.bytes);
        }
    }
}

// The table window shows its document as it now is: an edit and its undo reach the cells.
TEST_F(DocumentTest, TheTableWindowFollowsItsDocument) {
    CKDM_XPApp app;
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    const auto shown = [&window](int row, int col) {
        return window.ProgramTable()->Cell(row, col).data().toString().toStdString();
    };
    const auto column = [&window](char letter) {
        for (int c = 0; c < window.ProgramTable()->Cols(); ++c) {
            if (window.ProgramTable()->Cell(1, c).data().toString() == QString(QLatin1Char(letter))) return c;
        }
        return -1;
    };
    const int v = column('V');
    ASSERT_GE(v, 0);
    EXPECT_EQ(shown(2, v), " 172018  ");
    EXPECT_EQ(window.SuspectValues(), 1);
    ASSERT_EQ(document.SetValue({1, 'V'}, "-150"), EditRefusal::kNone);
    EXPECT_EQ(shown(2, v), "-000150  ");
    EXPECT_EQ(window.SuspectValues(), 0);
    document.UndoStack().undo();
    EXPECT_EQ(shown(2, v), " 172018  ");
    EXPECT_EQ(window.SuspectValues(), 1);

    std::string reason;
    ASSERT_TRUE(document.SaveAs(dir.File("renamed.KDM"), reason)) << reason;
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral("renamed.KDM")))
        << window.windowTitle().toStdString();
}

}  // namespace
