// The menu both windows carry: four popups with fixed texts, order and command ids. Each action keeps
// its command id in QAction::data() and is named "id<command>" so that it can be found by id.
#pragma once

#include <functional>

class QAction;
class QMenuBar;
class QWidget;
class CKDM_XPApp;

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
}  // namespace menu_id

// Builds the menu bar for `window`. Choosing an item calls `onCommand` with its id.
QMenuBar* CreateMainMenu(QWidget* window, std::function<void(int id)> onCommand);

// The action of command `id` in the menu of `window`, or null.
QAction* FindMenuAction(QWidget* window, int id);

// The commands no window handles itself: passes `id` to the application's handler. Returns false for an
// id the application does not handle.
bool RouteToApplication(CKDM_XPApp& app, int id, QWidget* window);
