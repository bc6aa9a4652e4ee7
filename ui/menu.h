// The menu both windows carry: four popups with fixed texts, order and command ids. Each action keeps
// its command id in QAction::data() and is named "id<command>" so that it can be found by id. Every
// popup and item has a mnemonic (Alt+F, Alt+K, ...), the common commands have the usual shortcuts
// (Ctrl+O, Ctrl+P, Ctrl+R, Ctrl+Q; Write takes Ctrl+Shift+W, since Ctrl+W closes a window on Linux and
// a slip of the finger must not start a write; F1 opens the guide in the interface's language), and
// items that ask for more before they act end in "...". The File popup holds a "Recent files" submenu
// when the window passes the list to it.
//
// The menu only builds the actions: whoever handles a command connects its action's triggered(), the
// application object most of them, the window the few it handles itself.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenuBar;
class QWidget;

namespace menu_id {
inline constexpr int kFileOpen = 32775;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFileClose = 32773;
inline constexpr int kReadDevice = 32786;
inline constexpr int kWriteDevice = 32787;
inline constexpr int kCableInfo = 32788;
inline constexpr int kInfo = 32790;
inline constexpr int kHelpEnglish = 32791;
inline constexpr int kHelpGerman = 32793;
inline constexpr int kFaqEnglish = 32792;
inline constexpr int kFaqGerman = 32794;
inline constexpr int kPortSelect = 32795;
inline constexpr int kExportReport = 32796;
inline constexpr int kHistory = 32797;
inline constexpr int kBackupBeforeWrite = 32798;
}  // namespace menu_id

// The popups' object names (their actions: the name followed by "Action"), the same in every language.
inline constexpr const char* kFileMenuName = "fileMenu";
inline constexpr const char* kDataMenuName = "dataMenu";
inline constexpr const char* kHelpMenuName = "helpMenu";
inline constexpr const char* kPortMenuName = "portMenu";

// The data files for "Recent files": `list` gives them when the submenu opens, `open` opens one.
struct RecentFiles {
    std::function<QStringList()> list;
    std::function<void(const QString& path)> open;
};

// Whether the checkable item `id` is on ("Back up the device before writing"); asked each time its
// popup opens, so that every window shows the stored state.
using MenuChecks = std::function<bool(int id)>;

// Builds the menu bar for `window`, its actions not yet connected to anything. Without `recent` the
// File popup has no "Recent files"; without `checks` the checkable items show unchecked.
QMenuBar* CreateMainMenu(QWidget* window, RecentFiles recent = {}, MenuChecks checks = {});

// An item's text as shown, without the '&' of its mnemonic ("&Open..." gives "Open...").
QString MenuTextOf(const QString& text);

// The action of command `id` in the menu of `window`, or null.
QAction* FindMenuAction(QWidget* window, int id);
