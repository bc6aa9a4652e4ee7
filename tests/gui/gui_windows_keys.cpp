// The keyboard and the desktop around the windows: mnemonics and shortcuts that go through Qt's
// shortcut map as a user's keys do, dropping a data file on a window, and "Recent files".
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>

#include "gui_files.h"
#include "gui_support.h"
#include "ui/app.h"
#include "ui/ctable.h"
#include "ui/file_drop.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"

namespace {

using guitest::ModalWatcher;

using guitest::SmallDataFile;

// Runs the event loop until `done` or 20 s have passed.
template <typename Done>
bool SpinUntil(Done done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Every test with its own settings, so the recent files and window sizes of one do not leak.
class KeysTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string WriteFile(const char* name) {
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << SmallDataFile();
        return path;
    }
    // Shown and active, so that its shortcuts are live.
    static void Activate(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv{"KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings"))};
    CKDM_XPApp app;
};

// Each popup and each item has a mnemonic, none used twice in one menu; the shown texts (without the
// '&') are the program's own, with "..." where a dialog asks for more.
TEST_F(KeysTest, EveryMenuAndItemHasItsOwnMnemonic) {
    CKDMXPMain start(app);
    auto* bar = start.findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    std::set<QChar> popupLetters;
    int items = 0;
    for (QAction* popup : bar->actions()) {
        const QKeySequence popupKey = QKeySequence::mnemonic(popup->text());
        EXPECT_FALSE(popupKey.isEmpty()) << popup->text().toStdString();
        const qsizetype popupMarker = popup->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(popupMarker, 0);
        EXPECT_TRUE(popupLetters.insert(popup->text().at(popupMarker + 1).toLower()).second)
            << popup->text().toStdString();
        std::set<QChar> letters;
        for (QAction* action : popup->menu()->actions()) {
            if (action->isSeparator()) continue;
            ++items;
            const qsizetype marker = action->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(marker, 0) << action->text().toStdString();
            EXPECT_TRUE(letters.insert(action->text().at(marker + 1).toLower()).second)
                << "mnemonic used twice: " << action->text().toStdString();
        }
    }
    EXPECT_EQ(QStringList({"File", "KDM_Data", "Help", "Port selection"}), [&] {
        QStringList shown;
        for (QAction* popup : bar->actions())
            shown << MenuTextOf(popup->text());
        return shown;
    }());
    EXPECT_EQ(MenuTextOf(FindMenuAction(&start, menu_id::kFileOpen)->text()), QStringLiteral("Open..."));
    EXPECT_EQ(MenuTextOf(FindMenuAction(&start, menu_id::kWriteDevice)->text()),
              QStringLiteral("Write Dorvik device..."));
    EXPECT_EQ(MenuTextOf(FindMenuAction(&start, menu_id::kInfo)->text()), QStringLiteral("Info"));
    EXPECT_EQ(MenuTextOf(QStringLiteral("Save && go")), QStringLiteral("Save & go"));
    EXPECT_GE(items, 12);
}

TEST_F(KeysTest, StandardShortcutsSitOnTheirCommands) {
    const struct {
        int id;
        const char* keys;
    } kShortcuts[] = {
        {menu_id::kFileOpen, "Ctrl+O"},          {menu_id::kFilePrint, "Ctrl+P"},
        {menu_id::kFileClose, "Ctrl+Q"},         {menu_id::kReadDevice, "Ctrl+R"},
        {menu_id::kWriteDevice, "Ctrl+Shift+W"}, {menu_id::kHelpEnglish, "F1"},
    };
    const std::string path = WriteFile("keys.kdm");
    CKDMXPMain start(app);
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg table(app, document, &start);
    table.OnInitDialog();
    for (QWidget* window : {static_cast<QWidget*>(&start), static_cast<QWidget*>(&table)}) {
        for (const auto& c : kShortcuts) {
            SCOPED_TRACE(c.keys);
            EXPECT_EQ(FindMenuAction(window, c.id)->shortcut(), QKeySequence(QString::fromLatin1(c.keys)));
        }
    }
}

// A key press through the shortcut map reaches the window's menu command: Ctrl+O brings up the real
// file dialog, Ctrl+R the read window, Ctrl+Shift+W the write window and its file dialog, Alt+F the File
// menu.
TEST_F(KeysTest, CtrlOOpensTheFileDialog) {
    CKDMXPMain start(app);
    Activate(start);
    ModalWatcher watcher;  // rejects whatever comes up
    QTest::keyClick(&start, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].className, QStringLiteral("QFileDialog"));
    EXPECT_EQ(watcher.seen[0].title, QStringLiteral("Open"));
    EXPECT_EQ(watcher.seen[0].parent, &start);
    EXPECT_TRUE(app.currentDataFile.empty());
}

TEST_F(KeysTest, CtrlOInATableWindowOpensTheFileDialogOverIt) {
    const std::string path = WriteFile("over.kdm");
    CKDMXPMain start(app);
    QPointer<QWidget> table;
    ModalWatcher watcher([&](QWidget* window, int index) {
        if (index == 0) {
            table = window;
            // The nested window is active now: its own shortcut.
            QTimer::singleShot(0, window,
                               [window] { QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier); });
            return;
        }
        guitest::Reject(window);
        QTimer::singleShot(0, table, [table] { guitest::Reject(table); });
    });
    app.ShowDataFileWindow(path, &start);
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1].className, QStringLiteral("QFileDialog"));
    EXPECT_EQ(watcher.seen[1].parent, table);
}

TEST_F(KeysTest, CtrlRAndCtrlShiftWStartTheTransfers) {
    CKDMXPMain start(app);
    Activate(start);
    // The transfer windows ask at once, so only what they ask is sure to be seen; its owner tells which
    // window asked.
    {
        // No port at all: the read window comes up and reports that no port opens.
        QString owner;
        ModalWatcher watcher([&owner](QWidget* window, int) {
            if (qobject_cast<QMessageBox*>(window) == nullptr) return;
            owner = QString::fromLatin1(window->parentWidget()->metaObject()->className());
            guitest::Reject(window);
        });
        QTest::keyClick(&start, Qt::Key_R, Qt::ControlModifier);
        EXPECT_EQ(owner, QStringLiteral("CUpload"));
        EXPECT_TRUE(std::any_of(
            watcher.seen.begin(), watcher.seen.end(),
            [](const guitest::SeenWindow& seen) { return seen.text == QStringLiteral("No COM-IO found"); }));
    }
    Activate(start);  // back from the read window
    {
        // The write asks for its file first; cancelled, the window closes at once.
        QString owner;
        ModalWatcher watcher([&owner](QWidget* window, int) {
            if (qobject_cast<QFileDialog*>(window) == nullptr) return;
            owner = QString::fromLatin1(window->parentWidget()->metaObject()->className());
            guitest::Reject(window);
        });
        QTest::keyClick(&start, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(owner, QStringLiteral("CDownload"));
    }
}

// Ctrl+W closes the table window, as it closes windows everywhere on Linux, and starts nothing; Write
// from a table window offers the file it shows.
TEST_F(KeysTest, InATableWindowCtrlWClosesItAndWriteOffersItsFile) {
    const std::string path = WriteFile("shown.kdm");
    CKDMXPMain start(app);
    struct Step {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        bool closes;    // the table window closes at the key
        bool asksFile;  // the write's file dialog comes up, offering the table window's file
    };
    for (const Step& step : {Step{"Ctrl+W", Qt::ControlModifier, true, false},
                             Step{"Ctrl+Shift+W", Qt::ControlModifier | Qt::ShiftModifier, false, true}}) {
        SCOPED_TRACE(step.name);
        bool closedByKey = false;
        bool asked = false;
        QStringList offered;
        ModalWatcher watcher([&](QWidget* window, int index) {
            if (index == 0) {
                QTimer::singleShot(0, window, [window, &step, &closedByKey] {
                    QPointer<QWidget> table(window);
                    // A write runs its windows within the key press; a close is over when it returns.
                    QTest::keyClick(window, Qt::Key_W, step.modifiers);
                    closedByKey = table.isNull() || !table->isVisible();
                    if (!closedByKey) guitest::Reject(table);
                });
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(window);
            if (dialog == nullptr) return;  // the write window, which ends once its dialog is cancelled
            asked = true;
            offered = dialog->selectedFiles();
            guitest::Reject(window);
        });
        app.ShowDataFileWindow(path, &start);
        EXPECT_EQ(closedByKey, step.closes);
        EXPECT_EQ(asked, step.asksFile);
        if (step.asksFile) {
            EXPECT_EQ(offered, QStringList{QString::fromStdString(path)});
        }
    }
}

TEST_F(KeysTest, CtrlPWithoutAFileAsksForOne) {
    CKDMXPMain start(app);
    Activate(start);
    int asked = 0;
    app.promptForDataFile = [&](QString&) {
        ++asked;
        return false;
    };
    QTest::keyClick(&start, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
}

TEST_F(KeysTest, AltFOpensTheFileMenu) {
    CKDMXPMain start(app);
    Activate(start);
    auto* bar = start.findChild<QMenuBar*>();
    QMenu* file = bar->actions().front()->menu();
    ASSERT_FALSE(file->isVisible());
    QTest::keyClick(&start, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(SpinUntil([file] { return file->isVisible(); }));
    QTest::keyClick(file, Qt::Key_Escape);
    EXPECT_TRUE(SpinUntil([file] { return !file->isVisible(); }));
}

// Drag and drop, as the desktop delivers it: enter, then drop.
struct DropResult {
    bool enterAccepted = false;
    bool dropAccepted = false;
};

DropResult DropOn(QWidget& window, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    DropResult result;
    result.enterAccepted = enter.isAccepted();
    if (!result.enterAccepted) return result;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    result.dropAccepted = drop.isAccepted();
    return result;
}

TEST_F(KeysTest, DroppingADataFileOpensItOnEitherWindow) {
    const std::string path = WriteFile("dropped.KDM");
    const std::string second = WriteFile("second.kdm");
    CKDMXPMain start(app);
    QString shownOverStart;
    QString shownOverTable;
    QPointer<QWidget> firstTable;
    ModalWatcher watcher([&](QWidget* window, int index) {
        auto* table = qobject_cast<CKDM_XPDlg*>(window);
        ASSERT_NE(table, nullptr);
        if (index == 0) {
            firstTable = window;
            shownOverStart = QString::fromStdString(table->FileName());
            // A second file dropped on this table window opens over it.
            QTimer::singleShot(0, window, [window, second] {
                EXPECT_TRUE(
                    DropOn(*window, {QUrl::fromLocalFile(QString::fromStdString(second))}).dropAccepted);
            });
            return;
        }
        shownOverTable = QString::fromStdString(table->FileName());
        EXPECT_EQ(table->parentWidget(), firstTable);
        EXPECT_EQ(table->SystemTable()->Rows(), 25);
        guitest::Reject(window);
        QTimer::singleShot(0, firstTable, [w = firstTable] { guitest::Reject(w); });
    });
    const DropResult result = DropOn(start, {QUrl::fromLocalFile(QString::fromStdString(path))});
    EXPECT_TRUE(result.enterAccepted);
    EXPECT_TRUE(result.dropAccepted);
    // The window opens once the drop is over, from the event loop.
    ASSERT_TRUE(SpinUntil([&] { return watcher.seen.size() >= 2 && !firstTable; }));
    EXPECT_EQ(shownOverStart.toStdString(), path);
    EXPECT_EQ(shownOverTable.toStdString(), second);
    EXPECT_EQ(app.currentDataFile, second);  // as with Open: Print prints it
}

TEST_F(KeysTest, DragsWithoutOneDataFileAreRefused) {
    const std::string kdm = WriteFile("one.kdm");
    const std::string text = dir.filePath(QStringLiteral("notes.txt")).toStdString();
    std::ofstream(text) << "x";
    CKDMXPMain start(app);
    ModalWatcher watcher;
    const QList<QList<QUrl>> refused = {
        {QUrl::fromLocalFile(QString::fromStdString(text))},
        {QUrl::fromLocalFile(QString::fromStdString(kdm)), QUrl::fromLocalFile(QString::fromStdString(kdm))},
        {QUrl(QStringLiteral("https://example.org/one.kdm"))},
        {QUrl::fromLocalFile(dir.path() + QStringLiteral("/folder.kdm"))},
    };
    QDir(dir.path()).mkdir(QStringLiteral("folder.kdm"));
    for (const QList<QUrl>& urls : refused) {
        SCOPED_TRACE(urls.front().toString().toStdString());
        EXPECT_FALSE(DropOn(start, urls).enterAccepted);
    }
    QApplication::processEvents();
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(KeysTest, RecentFilesListTheLatestFirstAndOpenFromTheMenu) {
    const std::string first = WriteFile("first.kdm");
    const std::string second = WriteFile("second.kdm");
    {
        CKDMXPMain start(app);
        ModalWatcher watcher([](QWidget* window, int) { guitest::Reject(window); });
        app.OpenDataFile(QString::fromStdString(first), &start);
        app.OpenDataFile(QString::fromStdString(second), &start);
        app.OpenDataFile(QString::fromStdString(first), &start);
        ASSERT_EQ(watcher.seen.size(), 3u);
    }
    EXPECT_EQ(app.uiState.RecentFiles(),
              QStringList({QString::fromStdString(first), QString::fromStdString(second)}));

    // Another run of the program finds the list in the File menu.
    CKDM_XPApp later;
    CKDMXPMain start(later);
    auto* recent = start.findChild<QMenu*>(QStringLiteral("recentFiles"));
    ASSERT_NE(recent, nullptr);
    const QList<QAction*> entries = recent->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 ") + QString::fromStdString(first));
    EXPECT_EQ(entries[1]->text(), QStringLiteral("&2 ") + QString::fromStdString(second));
    QString opened;
    ModalWatcher watcher([&](QWidget* window, int) {
        if (auto* table = qobject_cast<CKDM_XPDlg*>(window))
            opened = QString::fromStdString(table->FileName());
        guitest::Reject(window);
    });
    entries[1]->trigger();
    EXPECT_EQ(opened.toStdString(), second);
    EXPECT_EQ(later.currentDataFile, second);
}

// A file that is gone since it was opened is taken off the list with a word, and no empty table
// window comes up; the files still there stay listed.
TEST_F(KeysTest, ARecentFileThatIsGoneIsTakenOffTheListWithAWord) {
    const std::string kept = WriteFile("kept.kdm");
    const std::string gone = WriteFile("gone.kdm");
    app.uiState.AddRecentFile(QString::fromStdString(kept));
    app.uiState.AddRecentFile(QString::fromStdString(gone));
    ASSERT_EQ(std::remove(gone.c_str()), 0);
    CKDMXPMain start(app);
    auto* recent = start.findChild<QMenu*>(QStringLiteral("recentFiles"));
    ASSERT_NE(recent, nullptr);
    const struct {
        std::string path;
        const char* window;  // what comes up
        QStringList listAfter;
    } kCases[] = {
        {gone, "QMessageBox", {QString::fromStdString(kept)}},
        {kept, "CKDM_XPDlg", {QString::fromStdString(kept)}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.path);
        emit recent->aboutToShow();
        QAction* entry = nullptr;
        for (QAction* action : recent->actions())
            if (action->data().toString() == QString::fromStdString(c.path)) entry = action;
        ASSERT_NE(entry, nullptr);
        QString text;
        ModalWatcher watcher([&](QWidget* window, int) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) text = box->text();
            guitest::Reject(window);
        });
        entry->trigger();
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].className, QString::fromLatin1(c.window));
        if (watcher.seen[0].className == QStringLiteral("QMessageBox")) {
            EXPECT_EQ(text, QString::fromStdString(c.path) +
                                QStringLiteral(" is no longer there: it was taken off the recent files."));
        }
        EXPECT_EQ(app.uiState.RecentFiles(), c.listAfter);
    }
}

TEST(UiStateStore, RecentFilesAreDistinctAndLimited) {
    QTemporaryDir dir;
    UiState state(dir.path());
    for (int i = 0; i < UiState::kMaxRecentFiles + 3; ++i)
        state.AddRecentFile(dir.filePath(QStringLiteral("f%1.kdm").arg(i)));
    state.AddRecentFile(dir.filePath(QStringLiteral("f5.kdm")));
    const QStringList files = state.RecentFiles();
    ASSERT_EQ(files.size(), UiState::kMaxRecentFiles);
    EXPECT_EQ(files.front(), dir.filePath(QStringLiteral("f5.kdm")));
    EXPECT_EQ(files.count(dir.filePath(QStringLiteral("f5.kdm"))), 1);
    EXPECT_EQ(files[1], dir.filePath(QStringLiteral("f10.kdm")));
    EXPECT_FALSE(files.contains(dir.filePath(QStringLiteral("f0.kdm"))));
}

TEST(UiStateStore, ValuesSurviveANewStoreAndDamageReadsAsNothing) {
    QTemporaryDir dir;
    const QString id = QString(QChar(2)) + QStringLiteral("0g+I1P/00\\--630");
    {
        UiState state(dir.path());
        state.SetWindowSize(QStringLiteral("CKDM_XPDlg"), QSize(1000, 700));
        state.SetColumnWidths(QStringLiteral("program"), {40, 50, 60});
        state.SetLastReadSize(id, UiState::ReadSize{12, 300});
    }
    UiState state(dir.path());
    EXPECT_EQ(state.WindowSize(QStringLiteral("CKDM_XPDlg")), QSize(1000, 700));
    EXPECT_FALSE(state.WindowSize(QStringLiteral("other")).isValid());
    EXPECT_EQ(state.ColumnWidths(QStringLiteral("program")), QList<int>({40, 50, 60}));
    UiState::ReadSize size;
    ASSERT_TRUE(state.LastReadSize(id, size));
    EXPECT_EQ(size.programs, 12);
    EXPECT_EQ(size.telegrams, 300);
    EXPECT_FALSE(state.LastReadSize(id + QLatin1Char('x'), size));

    QTemporaryDir other;
    std::ofstream(other.filePath(QStringLiteral("ui.conf")).toStdString()) << "[columns]\nprogram=40,x,60\n";
    UiState damaged(other.path());
    EXPECT_TRUE(damaged.ColumnWidths(QStringLiteral("program")).isEmpty());
}

}  // namespace
