// The menu of both windows, the window titles, and where the menu commands lead.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <fstream>

#include "gui_files.h"
#include "gui_support.h"
#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/ctable.h"
#include "ui/info_dialogs.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/table_window.h"

namespace {

using guitest::ModalWatcher;

struct ExpectedItem {
    const char* popup;
    const char* text;
    int id;
};

// The menu of the English interface: popups, item texts (with their mnemonics), their order and command ids.
const ExpectedItem kExpectedMenu[] = {
    {"&File", "&Open...", 32775},
    {"&File", "&Print...", 57607},
    {"&File", "&Export report...", 32796},
    {"&File", "&History...", 32797},
    {"&File", "&Close", 32773},
    {"&KDM_Data", "&Read Dorvik device...", 32786},
    {"&KDM_Data", "&Write Dorvik device...", 32787},
    {"&KDM_Data", "&Back up the device before writing", 32798},
    {"&Help", "&Connection/Cable", 32788},
    {"&Help", "&Info", 32790},
    {"&Help", "&Help (english)", 32791},
    {"&Help", "Hi&lfe (deutsch)", 32793},
    {"&Help", "&FAQ (english)", 32792},
    {"&Help", "FA&Q (deutsch)", 32794},
    {"&Port selection", "&Port selection...", 32795},
};

const QString kVersionTitle = QStringLiteral("KDM XP  V 1.6 ");

std::string WriteFile(const QTemporaryDir& dir, const char* name, const std::string& content) {
    const std::string path = (dir.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

using guitest::SmallDataFile;

void ExpectMenu(QWidget& window) {
    auto* bar = window.findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    std::vector<std::pair<QString, QAction*>> items;
    QStringList popups;
    for (QAction* popupAction : bar->actions()) {
        QMenu* menu = popupAction->menu();
        ASSERT_NE(menu, nullptr) << popupAction->text().toStdString();
        // The table window's comparison and edit menus are its own: see gui_compare_view.cpp and
        // gui_table_editing.cpp.
        if (menu->objectName() == QLatin1String("compareMenu")) continue;
        if (menu->objectName() == QLatin1String("editMenu")) continue;
        popups << popupAction->text();
        for (QAction* action : menu->actions()) {
            if (action->menu() != nullptr) continue;  // "Recent files": see gui_windows_keys.cpp
            if (action->objectName().startsWith(QLatin1String("fileSave"))) continue;  // the table window's
            items.emplace_back(popupAction->text(), action);
        }
    }
    EXPECT_EQ(popups, QStringList({"&File", "&KDM_Data", "&Help", "&Port selection"}));
    ASSERT_EQ(items.size(), std::size(kExpectedMenu));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ExpectedItem& expected = kExpectedMenu[i];
        SCOPED_TRACE(expected.text);
        EXPECT_EQ(items[i].first, QString::fromLatin1(expected.popup));
        EXPECT_EQ(items[i].second->text(), QString::fromLatin1(expected.text));
        EXPECT_EQ(items[i].second->data().toInt(), expected.id);
        EXPECT_EQ(items[i].second->objectName(), QStringLiteral("id%1").arg(expected.id));
        EXPECT_EQ(FindMenuAction(&window, expected.id), items[i].second);
    }
}

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    CKDM_XPApp app;
};

TEST_F(MenuTest, StartWindowCarriesTheFullMenuAndTitle) {
    CKDMXPMain start(app);
    ExpectMenu(start);
    EXPECT_EQ(start.windowTitle(), kVersionTitle);
}

TEST_F(MenuTest, TableWindowCarriesTheSameMenuAndTitleWithFullPath) {
    const std::string path = WriteFile(dir, "small.kdm", SmallDataFile());
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg table(app, document, nullptr);
    table.OnInitDialog();
    ExpectMenu(table);
    // Exactly one blank between "1.6" and the path.
    EXPECT_EQ(table.windowTitle(), kVersionTitle + QString::fromStdString(path));
    EXPECT_TRUE(table.windowTitle().contains(QStringLiteral("1.6 /")));
}

TEST_F(MenuTest, OpenCancelledChangesNothingAndOpensNoWindow) {
    CKDMXPMain start(app);
    int asked = 0;
    app.promptForDataFile = [&](QString&) {
        ++asked;
        return false;
    };
    ModalWatcher watcher;
    FindMenuAction(&start, menu_id::kFileOpen)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_TRUE(app.currentDataFile.empty());
}

TEST_F(MenuTest, OpenShowsTheChosenFileInAModalTableWindowAndMakesItCurrent) {
    const std::string path = WriteFile(dir, "open.kdm", SmallDataFile());
    CKDMXPMain start(app);
    app.promptForDataFile = [&](QString& chosen) {
        chosen = QString::fromStdString(path);
        return true;
    };
    int systemRows = -1;
    ModalWatcher watcher([&](QWidget* window, int) {
        if (auto* table = qobject_cast<CKDM_XPDlg*>(window)) systemRows = table->SystemTable()->Rows();
        guitest::Reject(window);
    });
    FindMenuAction(&start, menu_id::kFileOpen)->trigger();
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].className, QStringLiteral("CKDM_XPDlg"));
    EXPECT_EQ(watcher.seen[0].title, kVersionTitle + QString::fromStdString(path));
    EXPECT_EQ(watcher.seen[0].parent, &start);
    EXPECT_EQ(systemRows, 25);  // filled before it came up
    EXPECT_EQ(app.currentDataFile, path);
}

TEST_F(MenuTest, OpenFromATableWindowStacksASecondTableWindowOverIt) {
    const std::string first = WriteFile(dir, "first.kdm", SmallDataFile());
    const std::string second = WriteFile(dir, "second.kdm", SmallDataFile());
    CKDMXPMain start(app);
    std::string next = first;
    app.promptForDataFile = [&](QString& chosen) {
        chosen = QString::fromStdString(next);
        return true;
    };
    QPointer<QWidget> firstWindow;
    bool firstStillOpenUnderSecond = false;
    ModalWatcher watcher([&](QWidget* window, int index) {
        if (index == 0) {
            firstWindow = window;
            next = second;
            // From the first window's own menu, once this handler has returned.
            QTimer::singleShot(0, window,
                               [window] { FindMenuAction(window, menu_id::kFileOpen)->trigger(); });
        } else {
            firstStillOpenUnderSecond = firstWindow && firstWindow->isVisible();
            guitest::Reject(window);
            // Back in the first window: close it too.
            QTimer::singleShot(0, firstWindow, [w = firstWindow] { guitest::Reject(w); });
        }
    });
    FindMenuAction(&start, menu_id::kFileOpen)->trigger();
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[0].title, kVersionTitle + QString::fromStdString(first));
    EXPECT_EQ(watcher.seen[1].title, kVersionTitle + QString::fromStdString(second));
    EXPECT_EQ(watcher.seen[1].parent, firstWindow);
    EXPECT_TRUE(firstStillOpenUnderSecond);
    EXPECT_EQ(app.currentDataFile, second);
}

TEST_F(MenuTest, PrintWithoutCurrentFileAsksAndStopsWhenCancelled) {
    CKDMXPMain start(app);
    int asked = 0;
    app.promptForDataFile = [&](QString&) {
        ++asked;
        return false;
    };
    ModalWatcher watcher;
    FindMenuAction(&start, menu_id::kFilePrint)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(watcher.seen.empty());  // neither a print dialog nor a table window
}

// Each Help command opens its own window, from either window; the window closes with Esc.
struct HelpCase {
    int id;
    const char* className;
    const char* title;
};
const HelpCase kHelpCases[] = {
    {menu_id::kCableInfo, "CAboutRS232", "Info RS232-Connection"},
    {menu_id::kInfo, "CAboutKDMXP", "Info KDM XP"},
    {menu_id::kFaqEnglish, "CKDMFAQ", "KDM XP - FAQ (english)"},
    {menu_id::kFaqGerman, "CKDMFAQ_D", "KDM XP FAQ (deutsch)"},
    {menu_id::kPortSelect, "CComSelect", "Select Port"},
};

TEST_F(MenuTest, HelpAndPortCommandsOpenTheirWindowsFromBothWindows) {
    const std::string path = WriteFile(dir, "help.kdm", SmallDataFile());
    CKDMXPMain start(app);
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg table(app, document, &start);
    table.OnInitDialog();
    for (QWidget* window : {static_cast<QWidget*>(&start), static_cast<QWidget*>(&table)}) {
        for (const HelpCase& c : kHelpCases) {
            SCOPED_TRACE(std::string(c.className) + " from " + window->metaObject()->className());
            ModalWatcher watcher([](QWidget* shown, int) { guitest::PressKey(shown, Qt::Key_Escape); });
            FindMenuAction(window, c.id)->trigger();
            ASSERT_EQ(watcher.seen.size(), 1u);
            EXPECT_EQ(watcher.seen[0].className, QString::fromLatin1(c.className));
            EXPECT_EQ(watcher.seen[0].title, QString::fromLatin1(c.title));
            EXPECT_EQ(watcher.seen[0].parent, window);
        }
    }
}

TEST_F(MenuTest, StartWindowEndsWithEscapeAndWithEnter) {
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        CKDMXPMain start(app);
        ModalWatcher watcher([key](QWidget* shown, int) { guitest::PressKey(shown, key); });
        start.exec();  // returns only because the key ended it
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].className, QStringLiteral("CKDMXPMain"));
    }
}

// The start-up directory may be far longer than the 59 characters the program once had room for.
TEST(Application, StartUpDirectoryOfAnyLengthGivesTheTemporaryFileBesideIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString deep = dir.path();
    for (int i = 0; i < 6; ++i)
        deep += QStringLiteral("/a-rather-long-directory-name-%1").arg(i);
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(deep));
    CKDM_XPApp app;
    const bool started = app.InitInstance();
    QDir::setCurrent(before);
    EXPECT_TRUE(started);
    const std::string expected = QDir(deep).canonicalPath().toStdString();
    EXPECT_GT(expected.size(), 200u);
    EXPECT_EQ(app.startupDirectory, expected);
    EXPECT_EQ(app.tempFilePath, expected + "/KDM.tmp");
}

// "Close" ends the whole process with exit code 1, even from a table window nested over the start window.
TEST(MenuDeathTest, CloseEndsTheProcessWithExitCodeOneFromANestedTableWindow) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir dir;
            const std::string path = WriteFile(dir, "close.kdm", SmallDataFile());
            CKDM_XPApp app;
            CKDMXPMain start(app);
            ModalWatcher watcher([](QWidget* window, int index) {
                if (index == 0) {
                    QTimer::singleShot(0, window,
                                       [window] { FindMenuAction(window, menu_id::kFileClose)->trigger(); });
                }
            });
            app.ShowDataFileWindow(path, &start);
            std::exit(7);  // reached only if Close did not end the process
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
