#include "ui/menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <iterator>

#include "ui/language.h"

namespace {

struct MenuItem {
    // '&' marks the mnemonic letter; an item without one gets the first free letter of its text.
    const char* text;
    int id;
    // Portable text of the key sequence ("Ctrl+O"), or null.
    const char* shortcut = nullptr;
    // A switch with a check mark rather than a command.
    bool checkable = false;
};

struct Popup {
    const char* title;
    const MenuItem* items;
    int count;
    // The popup's action is found by this name whatever language its title is in.
    const char* objectName;
    // The "Recent files" submenu follows the item with this id (0: none in this popup).
    int recentAfter = 0;
};

// "..." on the items that ask for something more before they act (a file, a port, a printer).
constexpr MenuItem kFileItems[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Open..."), menu_id::kFileOpen, "Ctrl+O"},
    {QT_TRANSLATE_NOOP("Menu", "&Print..."), menu_id::kFilePrint, "Ctrl+P"},
    {QT_TRANSLATE_NOOP("Menu", "&Export report..."), menu_id::kExportReport},
    {QT_TRANSLATE_NOOP("Menu", "&History..."), menu_id::kHistory},
    {QT_TRANSLATE_NOOP("Menu", "&Close"), menu_id::kFileClose, "Ctrl+Q"},
};
constexpr MenuItem kDataItems[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Read Dorvik device..."), menu_id::kReadDevice, "Ctrl+R"},
    {QT_TRANSLATE_NOOP("Menu", "&Write Dorvik device..."), menu_id::kWriteDevice, "Ctrl+Shift+W"},
    {QT_TRANSLATE_NOOP("Menu", "&Back up the device before writing"), menu_id::kBackupBeforeWrite, nullptr,
     true},
};
constexpr MenuItem kHelpItems[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Connection/Kabel"), menu_id::kCableInfo},
    {QT_TRANSLATE_NOOP("Menu", "&Info"), menu_id::kInfo},
    // F1 goes to the guide in the interface's language (HelpKeyItem).
    {QT_TRANSLATE_NOOP("Menu", "&Help (english)"), menu_id::kHelpEnglish},
    {QT_TRANSLATE_NOOP("Menu", "Hi&lfe (deutsch)"), menu_id::kHelpGerman},
    {QT_TRANSLATE_NOOP("Menu", "&FAQ (english)"), menu_id::kFaqEnglish},
    {QT_TRANSLATE_NOOP("Menu", "FA&Q (deutsch)"), menu_id::kFaqGerman},
};
constexpr MenuItem kPortItems[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Port Auswahl..."), menu_id::kPortSelect},
};

constexpr Popup kPopups[] = {
    {QT_TRANSLATE_NOOP("Menu", "&File"), kFileItems, static_cast<int>(std::size(kFileItems)), kFileMenuName,
     menu_id::kFileOpen},
    {QT_TRANSLATE_NOOP("Menu", "&KDM_Data"), kDataItems, static_cast<int>(std::size(kDataItems)),
     kDataMenuName},
    {QT_TRANSLATE_NOOP("Menu", "&Help"), kHelpItems, static_cast<int>(std::size(kHelpItems)), kHelpMenuName},
    {QT_TRANSLATE_NOOP("Menu", "&Port Auswahl"), kPortItems, static_cast<int>(std::size(kPortItems)),
     kPortMenuName},
};

// The item F1 opens: the guide in the language the user reads the menus in.
int HelpKeyItem() {
    return ui_language::Current() == QLatin1String("de") ? menu_id::kHelpGerman : menu_id::kHelpEnglish;
}

// The text in the interface's language; the source holds the texts the program has always shown.
QString Translated(const char* text) {
    return QCoreApplication::translate("Menu", text);
}

QString ObjectNameOf(int id) {
    return QStringLiteral("id%1").arg(id);
}

// `text` with a mnemonic: kept when it has one, else '&' before the first letter not yet used in
// the same menu (`used` collects the letters, lower case).
QString WithMnemonic(const QString& text, QString& used) {
    const qsizetype marked = text.indexOf(QLatin1Char('&'));
    if (marked >= 0 && marked + 1 < text.size() && text[marked + 1] != QLatin1Char('&')) {
        used += text[marked + 1].toLower();
        return text;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar letter = text[i].toLower();
        if (letter.isLetterOrNumber() && !used.contains(letter)) {
            used += letter;
            QString result = text;
            result.insert(i, QLatin1Char('&'));
            return result;
        }
    }
    return text;
}

// Fills the "Recent files" submenu from the remembered list each time it opens, so that every
// window shows the list as it is now.
void FillRecentMenu(QMenu* recent, QWidget* window, const std::function<QStringList()>& list,
                    const std::function<void(const QString&)>& open) {
    recent->clear();
    const QStringList files = list();
    for (qsizetype i = 0; i < files.size(); ++i) {
        // "&1 /path/file.KDM": digits as mnemonics, '&' in a path shown as itself.
        QString shown = files[i];
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setObjectName(QStringLiteral("recentFile%1").arg(i));
        action->setData(files[i]);
        const QString path = files[i];
        QObject::connect(action, &QAction::triggered, window, [open, path] { open(path); });
    }
    if (files.isEmpty()) {
        QAction* none = recent->addAction(Translated(QT_TRANSLATE_NOOP("Menu", "(none)")));
        none->setEnabled(false);
    }
}

}  // namespace

QMenuBar* CreateMainMenu(QWidget* window, RecentFiles recent, MenuChecks checks) {
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("mainMenu"));
    // The menu belongs to the window on every desktop, as it always did; a global menu bar would move
    // it away from the nested modal windows it routes for.
    bar->setNativeMenuBar(false);
    QString usedInBar;
    for (const Popup& popup : kPopups) {
        QMenu* menu = bar->addMenu(WithMnemonic(Translated(popup.title), usedInBar));
        menu->setObjectName(QLatin1String(popup.objectName));
        menu->menuAction()->setObjectName(QLatin1String(popup.objectName) + QLatin1String("Action"));
        QString used;
        for (int i = 0; i < popup.count; ++i) {
            const MenuItem& item = popup.items[i];
            QAction* action = menu->addAction(WithMnemonic(Translated(item.text), used));
            action->setData(item.id);
            action->setObjectName(ObjectNameOf(item.id));
            if (item.checkable) {
                action->setCheckable(true);
                const int id = item.id;
                const auto refresh = [action, checks, id] { action->setChecked(checks && checks(id)); };
                refresh();
                QObject::connect(menu, &QMenu::aboutToShow, action, refresh);
            }
            const char* shortcut = item.id == HelpKeyItem() ? "F1" : item.shortcut;
            if (shortcut != nullptr) {
                action->setShortcut(QKeySequence(QString::fromLatin1(shortcut), QKeySequence::PortableText));
                // Each window carries its own menu: the keys act in the window that has the focus.
                action->setShortcutContext(Qt::WindowShortcut);
            }
            if (item.id == popup.recentAfter && recent.list && recent.open) {
                QMenu* files =
                    menu->addMenu(WithMnemonic(Translated(QT_TRANSLATE_NOOP("Menu", "&Recent files")), used));
                files->setObjectName(QStringLiteral("recentFiles"));
                files->menuAction()->setObjectName(QStringLiteral("recentFilesMenu"));
                QObject::connect(files, &QMenu::aboutToShow, window, [files, window, recent] {
                    FillRecentMenu(files, window, recent.list, recent.open);
                });
                FillRecentMenu(files, window, recent.list, recent.open);
            }
        }
    }
    return bar;
}

QString MenuTextOf(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

QAction* FindMenuAction(QWidget* window, int id) {
    if (window == nullptr) return nullptr;
    auto* bar = window->findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    if (bar == nullptr) return nullptr;
    return bar->findChild<QAction*>(ObjectNameOf(id));
}
