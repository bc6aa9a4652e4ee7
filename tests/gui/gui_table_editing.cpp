// Changing values in the table window: a cell edited by double click, F2 or typing, refused entries with
// their word, marks on the cells changed since the last save, undo and redo, saving, the question before
// unsaved changes are left, and the table's headings in sight and whole.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui_support.h"
#include "support/dump_builder.h"
#include "support/file_bytes.h"
#include "ui/app.h"
#include "ui/ctable.h"
#include "ui/document.h"
#include "ui/menu.h"
#include "ui/table_window.h"

namespace {

// Type 2: a few system parameters; `programs` programs with five parameters each, program 1 with an 'E'
// cut short on the line after them.
std::string Dump(int programs = 3) {
    kdmtest::DumpBuilder dump("I1P");
    for (const char letter : {'d', 'e', 'h', 'v'})
        dump.Add(letter, kdmtest::Value(letter));
    for (int p = 1; p <= programs; ++p) {
        dump.Program(p);
        for (const char letter : {'J', 'N', 'u', 'o', 'V'})
            dump.Add(letter, kdmtest::Value(p * 1000 + letter));
        if (p == 1)
            dump.Raw(
                "\x02"
                "0E+00");
    }
    return dump.Text();
}

class EditingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("a.KDM")).toStdString();
        kdmtest::Spit(path, Dump());
        ASSERT_TRUE(document.Open(path)) << document.LoadFailure();
        window = std::make_unique<CKDM_XPDlg>(app, document, nullptr);
        window->OnInitDialog();
        window->resize(1000, 650);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        // Nothing asks on the way out.
        document.Revert();
        window.reset();
    }

    CTable* Program() const { return window->ProgramTable(); }
    // The program table's cell of `letter` for program `number` (row 2 is program 1).
    QModelIndex ProgramCell(int number, char letter) const {
        for (int c = 0; c < Program()->Cols(); ++c) {
            if (Program()->Cell(1, c).data().toString() == QString(QLatin1Char(letter)))
                return Program()->Cell(number + 1, c);
        }
        ADD_FAILURE() << "no column " << letter;
        return {};
    }
    std::string Stored(int number, char letter) const {
        const kdm::Parameter* parameter = document.Parameters().FindProgram(number)->Find(letter);
        return parameter != nullptr ? std::string(parameter->Value().substr(0, 7)) : "(none)";
    }
    // The editor open on the current cell.
    QLineEdit* Editor() const {
        return qobject_cast<QLineEdit*>(Program()->indexWidget(Program()->currentIndex()));
    }
    QAction* Action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }

    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv{"KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings"))};
    CKDM_XPApp app;
    std::string path;
    DataDocument document;
    std::unique_ptr<CKDM_XPDlg> window;
};

TEST_F(EditingTest, ACellEditedAnyWayChangesTheDocumentAndUndoRedoStepThroughIt) {
    enum class Start { kDoubleClick, kF2, kTyping };
    for (const Start start : {Start::kDoubleClick, Start::kF2, Start::kTyping}) {
        SCOPED_TRACE(static_cast<int>(start));
        const QModelIndex cell = ProgramCell(2, 'N');
        const QString shown = cell.data().toString();
        Program()->setCurrentIndex(cell);
        switch (start) {
            case Start::kDoubleClick: {
                const QPoint at = Program()->visualRect(cell).center();
                QTest::mouseClick(Program()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
                QTest::mouseDClick(Program()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
                break;
            }
            case Start::kF2:
                QTest::keyClick(Program(), Qt::Key_F2);
                break;
            case Start::kTyping:
                // The first key opens the editor and lands in it.
                QTest::keyClick(Program(), Qt::Key_Minus);
                break;
        }
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        if (start == Start::kTyping) {
            EXPECT_EQ(editor->text(), QStringLiteral("-"));
        } else {
            EXPECT_EQ(editor->text(), shown.trimmed());  // the value to change, without its blanks
            editor->clear();
            QTest::keyClick(editor, Qt::Key_Minus);
        }
        QTest::keyClicks(editor, QStringLiteral("150"));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();

        EXPECT_EQ(Stored(2, 'N'), "-000150");
        EXPECT_EQ(cell.data().toString(), QStringLiteral("-000150  "));
        EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("a.KDM*")))
            << window->windowTitle().toStdString();
        EXPECT_TRUE(Program()->Cells()->EditedNoted(cell.row(), cell.column()));
        EXPECT_TRUE(cell.data(Qt::ToolTipRole).toString().contains(shown.trimmed()))
            << cell.data(Qt::ToolTipRole).toString().toStdString();
        EXPECT_FALSE(Program()->Cells()->EditedNoted(cell.row(), cell.column() + 1));
        EXPECT_TRUE(window->EditNote().isEmpty());

        ASSERT_TRUE(Action("editUndo")->isEnabled());
        Action("editUndo")->trigger();
        EXPECT_EQ(cell.data().toString(), shown);
        EXPECT_EQ(document.Text(), Dump());
        EXPECT_FALSE(window->windowTitle().endsWith(QLatin1Char('*')));
        EXPECT_FALSE(Program()->Cells()->EditedNoted(cell.row(), cell.column()));
        ASSERT_TRUE(Action("editRedo")->isEnabled());
        Action("editRedo")->trigger();
        EXPECT_EQ(Stored(2, 'N'), "-000150");
        EXPECT_TRUE(Program()->Cells()->EditedNoted(cell.row(), cell.column()));
        Action("editUndo")->trigger();
        EXPECT_FALSE(Action("editUndo")->isEnabled());
    }
}

TEST_F(EditingTest, RefusedEntriesChangeNothingAndSayWhy) {
    struct Case {
        int program;
        char letter;
        const char* typed;
        const char* kept;  // what the editor holds then
        bool enter;        // Enter, else Escape
        const char* word;  // in the window's edit note
    };
    const Case cases[] = {
        {1, 'J', "12a", "12", false, "sign and up to six digits"},          // the 'a' is not taken
        {1, 'J', "1234567", "123456", false, "sign and up to six digits"},  // nor a seventh digit
        {1, 'J', "5-", "5", false, "sign and up to six digits"},
        {1, 'J', "+", "+", true, "at least one digit"},
        {1, 'J', "", "", true, "at least one digit"},
        {1, 'E', "5", "5", true, "damaged record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const QModelIndex cell = ProgramCell(c.program, c.letter);
        const QString shown = cell.data().toString();
        Program()->setCurrentIndex(cell);
        Program()->edit(cell);
        ASSERT_TRUE(Program()->isPersistentEditorOpen(cell));
        QLineEdit* editor = qobject_cast<QLineEdit*>(Program()->indexWidget(cell));
        ASSERT_NE(editor, nullptr);
        editor->clear();
        QTest::keyClicks(editor, QString::fromLatin1(c.typed));
        EXPECT_EQ(editor->text(), QLatin1String(c.kept));
        QTest::keyClick(editor, c.enter ? Qt::Key_Return : Qt::Key_Escape);
        // The view commits and closes its editor on its next turn.
        QApplication::processEvents();
        EXPECT_FALSE(Program()->isPersistentEditorOpen(cell));
        EXPECT_TRUE(window->EditNote().contains(QLatin1String(c.word))) << window->EditNote().toStdString();
        EXPECT_EQ(cell.data().toString(), shown);
        EXPECT_EQ(document.Text(), Dump());
        EXPECT_FALSE(document.Modified());
    }
    // Headings, names and letters are no values.
    EXPECT_FALSE(Program()->Cells()->flags(Program()->Cell(1, 1)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(window->SystemTable()
                     ->Cells()
                     ->flags(window->SystemTable()->Cell(1, 0))
                     .testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(window->SystemTable()
                    ->Cells()
                    ->flags(window->SystemTable()->Cell(1, 2))
                    .testFlag(Qt::ItemIsEditable));
}

TEST_F(EditingTest, SaveAndSaveAsWriteTheChangesAndClearTheMarks) {
    ASSERT_EQ(document.SetValue({2, 'J'}, "42"), kdm::EditRefusal::kNone);
    const QModelIndex cell = ProgramCell(2, 'J');
    ASSERT_TRUE(Program()->Cells()->EditedNoted(cell.row(), cell.column()));

    // Ctrl+S in the window.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(kdmtest::Slurp(path), document.Text());
    EXPECT_FALSE(Program()->Cells()->EditedNoted(cell.row(), cell.column()));
    EXPECT_FALSE(window->windowTitle().endsWith(QLatin1Char('*')));

    ASSERT_EQ(document.SetValue({3, 'V'}, "-7"), kdm::EditRefusal::kNone);
    const QString copy = dir.filePath(QStringLiteral("copy"));
    window->SetSaveAsChooser([&copy](QWidget*, QString& chosen) {
        chosen = copy;
        return true;
    });
    Action("fileSaveAs")->trigger();
    const std::string saved = (copy + QStringLiteral(".KDM")).toStdString();
    EXPECT_EQ(document.Path(), saved);
    EXPECT_EQ(kdmtest::Slurp(saved), document.Text());
    EXPECT_NE(kdmtest::Slurp(path), document.Text());
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("copy.KDM")))
        << window->windowTitle().toStdString();
}

// Closing with unsaved changes asks; each answer does what it says.
TEST_F(EditingTest, ClosingWithUnsavedChangesAsks) {
    struct Case {
        QMessageBox::StandardButton answer;
        bool closes;
        bool fileChanged;
        bool stillModified;
    };
    const Case cases[] = {
        {QMessageBox::Cancel, false, false, true},
        {QMessageBox::Discard, true, false, false},
        {QMessageBox::Save, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        kdmtest::Spit(path, Dump());
        ASSERT_TRUE(document.Open(path));
        window->show();
        ASSERT_EQ(document.SetValue({std::nullopt, 'h'}, "5"), kdm::EditRefusal::kNone);
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        guitest::ModalWatcher watcher([&](QWidget* modal, int) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return guitest::Reject(modal);
            defaultButton = box->standardButton(box->defaultButton());
            box->button(c.answer)->click();
        });
        window->reject();
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("unsavedChangesBox"));
        EXPECT_EQ(defaultButton, QMessageBox::Save);
        EXPECT_EQ(window->isVisible(), !c.closes);
        EXPECT_EQ(kdmtest::Slurp(path) != Dump(), c.fileChanged);
        EXPECT_EQ(document.Modified(), c.stillModified);
    }
    // Nothing to save: no question.
    document.Revert();
    window->show();
    guitest::ModalWatcher none;
    window->reject();
    EXPECT_TRUE(none.seen.empty());
    EXPECT_FALSE(window->isVisible());
}

// Opening another file, or closing the program, from a window with unsaved changes asks first; Cancel
// leaves everything as it was, Discard takes the document back to its file and goes on.
TEST_F(EditingTest, OpeningAnotherFileOrClosingTheProgramAsksFirst) {
    const QString other = dir.filePath(QStringLiteral("other.KDM"));
    kdmtest::Spit(other.toStdString(), Dump(1));
    struct Case {
        const char* what;
        std::function<void()> act;
        QMessageBox::StandardButton answer;
        std::size_t windows;  // seen: the question, and the other file's window
    };
    const Case cases[] = {
        {"recent or dropped", [&] { app.OpenDataFile(other, window.get()); }, QMessageBox::Cancel, 1},
        {"recent or dropped", [&] { app.OpenDataFile(other, window.get()); }, QMessageBox::Discard, 2},
        {"File > Open", [&] { FindMenuAction(window.get(), menu_id::kFileOpen)->trigger(); },
         QMessageBox::Cancel, 1},
        {"close", [&] { FindMenuAction(window.get(), menu_id::kFileClose)->trigger(); }, QMessageBox::Cancel,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(document.SetValue({2, 'u'}, "77"), kdm::EditRefusal::kNone);
        guitest::ModalWatcher watcher([&](QWidget* modal, int index) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (index == 0 && box != nullptr) return box->button(c.answer)->click();
            guitest::Reject(modal);
        });
        c.act();
        ASSERT_EQ(watcher.seen.size(), c.windows);
        EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("unsavedChangesBox"));
        if (c.windows > 1) {
            EXPECT_EQ(watcher.seen[1].className, QStringLiteral("CKDM_XPDlg"));
            EXPECT_TRUE(watcher.seen[1].title.endsWith(QStringLiteral("other.KDM")));
        }
        EXPECT_EQ(document.Modified(), c.answer == QMessageBox::Cancel);
        EXPECT_EQ(kdmtest::Slurp(path), Dump());
        document.Revert();
    }
}

// Writing from the window writes the file on disk: unsaved changes are saved first, or nothing is written.
TEST_F(EditingTest, WritingWithUnsavedChangesAsksToSaveFirst) {
    guitest::ScopedEnv ports("KDMXP_PORT_DIR", dir.filePath(QStringLiteral("ports")));
    for (const QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Save}) {
        SCOPED_TRACE(answer);
        ASSERT_EQ(document.SetValue({1, 'o'}, answer == QMessageBox::Save ? "11" : "12"),
                  kdm::EditRefusal::kNone);
        guitest::ModalWatcher watcher([&](QWidget* modal, int index) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (index == 0 && box != nullptr) return box->button(answer)->click();
            guitest::Reject(modal);  // the write window, and whatever it asks
        });
        FindMenuAction(window.get(), menu_id::kWriteDevice)->trigger();
        ASSERT_GE(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].objectName, QStringLiteral("saveBeforeWriteBox"));
        if (answer == QMessageBox::Cancel) {
            EXPECT_EQ(watcher.seen.size(), 1u);  // no write window
            EXPECT_TRUE(document.Modified());
            EXPECT_EQ(kdmtest::Slurp(path), Dump());
        } else {
            EXPECT_GE(watcher.seen.size(), 2u);
            EXPECT_FALSE(document.Modified());
            EXPECT_EQ(kdmtest::Slurp(path), document.Text());
        }
    }
}

TEST_F(EditingTest, EditMenuAndSaveItemsWithTheirKeys) {
    auto* bar = window->findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    ASSERT_NE(bar, nullptr);
    ASSERT_GE(bar->actions().size(), 2);
    QMenu* edit = bar->actions()[1]->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->objectName(), QStringLiteral("editMenu"));
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("&Edit"));
    struct Case {
        const char* name;
        const char* text;
        const char* keys;
    };
    const Case cases[] = {
        {"editUndo", "&Undo", "Ctrl+Z"},
        {"editRedo", "&Redo", "Ctrl+Shift+Z"},
        {"fileSave", "&Save", "Ctrl+S"},
        {"fileSaveAs", "Save &As...", "Ctrl+Shift+S"},
    };
    for (const Case& c : cases) {
        QAction* action = Action(c.name);
        ASSERT_NE(action, nullptr) << c.name;
        EXPECT_EQ(action->text(), QLatin1String(c.text));
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(c.keys)));
    }
    // Save sits in the File menu, after Open and its Recent files.
    QMenu* file = bar->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->actions().indexOf(Action("fileSave")), 2);
    EXPECT_EQ(file->actions().indexOf(Action("fileSaveAs")), 3);
    // Undo by its keys.
    ASSERT_EQ(document.SetValue({1, 'J'}, "3"), kdm::EditRefusal::kNone);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(document.Modified());
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(document.Modified());
}

// The names and letters stay in sight at program 60, above the rows that scroll, and cover none of them.
TEST(TableHeadings, StayInSightWhenTheProgramsScroll) {
    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv("KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings")));
    const std::string path = dir.filePath(QStringLiteral("many.KDM")).toStdString();
    kdmtest::Spit(path, Dump(80));
    DataDocument document;
    ASSERT_TRUE(document.Open(path));
    CKDM_XPApp app;
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CTable* program = window.ProgramTable();
    QTableView* headings = program->HeadingsView();
    ASSERT_NE(headings, program);

    for (const int number : {1, 60, 80}) {
        SCOPED_TRACE(number);
        program->scrollTo(program->Cell(number + 1, 0), QAbstractItemView::PositionAtCenter);
        QApplication::processEvents();
        const QRect shownRow = program->visualRect(program->Cell(number + 1, 0));
        EXPECT_TRUE(program->viewport()->rect().contains(shownRow.center()));
        // The headings: visible, at the top, both rows whole, and above the rows that scroll.
        EXPECT_TRUE(headings->isVisible());
        EXPECT_EQ(headings->geometry().top(), program->frameWidth());
        EXPECT_EQ(headings->height(), program->HeadingsHeight());
        EXPECT_GT(program->HeadingsHeight(), 0);
        for (int row = 0; row < 2; ++row) {
            const QRect heading = headings->visualRect(program->Cell(row, 1));
            EXPECT_GE(heading.top(), 0);
            EXPECT_LE(heading.bottom(), headings->viewport()->height());
        }
        EXPECT_GE(program->viewport()->geometry().top(), headings->geometry().bottom());
        EXPECT_TRUE(program->isRowHidden(0));
        EXPECT_TRUE(program->isRowHidden(1));
    }
    // They follow the table's columns.
    program->setColumnWidth(3, 150);
    EXPECT_EQ(headings->columnWidth(3), 150);
    program->horizontalScrollBar()->setValue(program->horizontalScrollBar()->maximum());
    EXPECT_EQ(headings->horizontalScrollBar()->value(), program->horizontalScrollBar()->value());
}

// Where the window has room, a heading shows its name whole; with none, the columns keep the layout's
// widths. The system table is as high as its rows, not its 25.
TEST(TableHeadings, ShowTheirNamesWholeWhereThereIsRoomAndTheSplitFollowsTheContent) {
    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv("KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings")));
    const std::string path = dir.filePath(QStringLiteral("few.KDM")).toStdString();
    kdmtest::Spit(path, Dump(2));
    DataDocument document;
    ASSERT_TRUE(document.Open(path));
    CKDM_XPApp app;
    struct Case {
        QSize size;
        bool whole;
    };
    for (const Case& c : {Case{QSize(1900, 700), true}, Case{QSize(700, 500), false}}) {
        SCOPED_TRACE(c.size.width());
        CKDM_XPDlg window(app, document, nullptr);
        window.OnInitDialog();
        window.resize(c.size);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        CTable* program = window.ProgramTable();
        int cut = 0;
        for (int col = 0; col < program->Cols(); ++col) {
            for (int row = 0; row < 2; ++row) {
                if (!program->Written(row, col)) continue;
                const QModelIndex heading = program->Cell(row, col);
                const int wanted = QFontMetrics(heading.data(Qt::FontRole).value<QFont>())
                                       .horizontalAdvance(heading.data().toString());
                if (program->columnWidth(col) < wanted) ++cut;
            }
        }
        if (c.whole) {
            EXPECT_EQ(cut, 0);
        } else {
            EXPECT_GT(cut, 0);
            for (int col = 0; col < program->Cols(); ++col)
                EXPECT_EQ(program->columnWidth(col), program->TwipsToPixels(1000)) << col;
        }
        // Four system parameters: rows up to the last of them, where the layout puts it, and no
        // empty rows below it.
        CTable* system = window.SystemTable();
        const int rows = system->RowsInUse();
        EXPECT_LT(rows, 25);
        EXPECT_TRUE(system->Written(rows - 1, 1));
        EXPECT_LE(system->height(),
                  system->UsedContentSize().height() + system->horizontalScrollBar()->height());
        EXPECT_LT(system->height(), system->FullContentSize().height());
        window.accept();
    }
}

// A table filled again starts from empty cells: a value set on a record marked for a checksum mismatch
// is no longer red, and undone it is red again.
TEST(TableRefill, ASuspectValueSetIsNoLongerMarkedAndItsUndoMarksItAgain) {
    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv("KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings")));
    const std::string path = dir.filePath(QStringLiteral("marked.KDM")).toStdString();
    kdmtest::Spit(path, kdmtest::DumpBuilder("I1P")
                            .Add('h', kdmtest::Value(19))
                            .Program(1)
                            .Add('J', kdmtest::Value(2))
                            .Add('V', kdmtest::Value(172018), /*damaged=*/true)
                            .Text());
    DataDocument document;
    ASSERT_TRUE(document.Open(path));
    CKDM_XPApp app;
    CKDM_XPDlg window(app, document, nullptr);
    window.OnInitDialog();
    CTable* program = window.ProgramTable();
    QModelIndex cell;
    for (int c = 0; c < program->Cols(); ++c) {
        if (program->Cell(1, c).data().toString() == QStringLiteral("V")) cell = program->Cell(2, c);
    }
    ASSERT_TRUE(cell.isValid());
    struct Step {
        std::function<void()> act;
        bool red;
        const char* tip;
    };
    const Step steps[] = {
        {[] {}, true, CTable::kSuspectToolTip},
        {[&document] {
             document.SetValue({1, 'V'}, "-5");
         },
         false, "Changed, not saved; it was 172018"},
        {[&document] { document.UndoStack().undo(); }, true, CTable::kSuspectToolTip},
        {[&document] { document.UndoStack().redo(); }, false, "Changed, not saved; it was 172018"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.tip);
        step.act();
        EXPECT_EQ(cell.data(Qt::ForegroundRole).isValid(), step.red);
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), QLatin1String(step.tip));
    }
    document.Revert();
}

}  // namespace
