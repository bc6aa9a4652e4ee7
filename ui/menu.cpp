#include "ui/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <iterator>

#include "ui/app.h"

namespace {

struct MenuItem {
    const char* text;
    int id;
};

struct Popup {
    const char* title;
    const MenuItem* items;
    int count;
};

constexpr MenuItem kFileItems[] = {
    {"Open", menu_id::kFileOpen},
    {"Print", menu_id::kFilePrint},
    {"Close", menu_id::kFileClose},
};
constexpr MenuItem kDataItems[] = {
    {"Read Dorvik device", menu_id::kReadDevice},
    {"Write Dorvik device", menu_id::kWriteDevice},
};
constexpr MenuItem kHelpItems[] = {
    {"Connection/Kabel", menu_id::kCableInfo}, {"Info", menu_id::kInfo},
    {"Help (english)", menu_id::kHelpEnglish}, {"Hilfe (deutsch)", menu_id::kHelpGerman},
    {"FAQ (english)", menu_id::kFaqEnglish},   {"FAQ (deutsch)", menu_id::kFaqGerman},
};
constexpr MenuItem kPortItems[] = {
    {"Port Auswahl", menu_id::kPortSelect},
};

constexpr Popup kPopups[] = {
    {"File", kFileItems, static_cast<int>(std::size(kFileItems))},
    {"KDM_Data", kDataItems, static_cast<int>(std::size(kDataItems))},
    {"Help", kHelpItems, static_cast<int>(std::size(kHelpItems))},
    {"Port Auswahl", kPortItems, static_cast<int>(std::size(kPortItems))},
};

QString ObjectNameOf(int id) {
    return QStringLiteral("id%1").arg(id);
}

}  // namespace

QMenuBar* CreateMainMenu(QWidget* window, std::function<void(int id)> onCommand) {
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("mainMenu"));
    // The menu belongs to the window on every desktop, as it always did; a global menu bar would move
    // it away from the nested modal windows it routes for.
    bar->setNativeMenuBar(false);
    for (const Popup& popup : kPopups) {
        // Texts stay free of '&': they are shown exactly as the program always spelled them.
        QMenu* menu = bar->addMenu(QString::fromLatin1(popup.title));
        for (int i = 0; i < popup.count; ++i) {
            const MenuItem& item = popup.items[i];
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setData(item.id);
            action->setObjectName(ObjectNameOf(item.id));
            const int id = item.id;
            QObject::connect(action, &QAction::triggered, window, [onCommand, id] { onCommand(id); });
        }
    }
    return bar;
}

QAction* FindMenuAction(QWidget* window, int id) {
    if (window == nullptr) return nullptr;
    auto* bar = window->findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    if (bar == nullptr) return nullptr;
    return bar->findChild<QAction*>(ObjectNameOf(id));
}

bool RouteToApplication(CKDM_XPApp& app, int id, QWidget* window) {
    switch (id) {
        case menu_id::kFileOpen:
            app.OnFileOpen(window);
            return true;
        case menu_id::kFilePrint:
            app.OnFilePrint(window);
            return true;
        case menu_id::kFileClose:
            app.OnFileClose(window);
        case menu_id::kReadDevice:
            app.OnReadDevice(window);
            return true;
        case menu_id::kWriteDevice:
            app.OnWriteDevice(window);
            return true;
        case menu_id::kCableInfo:
            app.OnCableInfo(window);
            return true;
        case menu_id::kInfo:
            app.OnInfo(window);
            return true;
        case menu_id::kHelpEnglish:
            app.OnHelpEnglish(window);
            return true;
        case menu_id::kHelpGerman:
            app.OnHelpGerman(window);
            return true;
        case menu_id::kFaqEnglish:
            app.OnFaqEnglish(window);
            return true;
        case menu_id::kFaqGerman:
            app.OnFaqGerman(window);
            return true;
        default:
            return false;
    }
}
