// The English and the German interface: which one the locale and --lang choose, and what the German
// one shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>

#include "data/strings.h"
#include "gui_support.h"
#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/menu.h"

namespace {

// The other tests see the English interface, also after a failed check here.
class LanguageTest : public ::testing::Test {
  protected:
    void TearDown() override { ui_language::Install(QStringLiteral("en")); }
};

QStringList MenuTexts(QWidget& window) {
    QStringList texts;
    auto* bar = window.findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    if (bar == nullptr) return texts;
    for (QAction* popup : bar->actions()) {
        texts << popup->text();
        for (QAction* action : popup->menu()->actions())
            texts << action->text();
    }
    return texts;
}

struct LocaleCase {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* chosen;
};

}  // namespace

TEST_F(LanguageTest, TheLocaleChoosesGermanOnlyWhenItsFirstSetVariableIsGerman) {
    const LocaleCase cases[] = {
        {"", "", "", "", "en"},
        {"", "", "", "de_DE.UTF-8", "de"},
        {"", "", "", "en_US.UTF-8", "en"},
        {"", "", "", "C", "en"},
        {"", "", "de_AT.UTF-8", "en_US.UTF-8", "de"},
        {"", "en_GB.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", "en"},
        {"", "de_CH.UTF-8", "", "en_US.UTF-8", "de"},
        {"de:en", "en_US.UTF-8", "", "en_US.UTF-8", "de"},
        {"en:de", "de_DE.UTF-8", "", "de_DE.UTF-8", "en"},
        {"fr", "", "", "de_DE.UTF-8", "en"},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(std::string(c.language) + "|" + c.lcAll + "|" + c.lcMessages + "|" + c.lang);
        const guitest::ScopedEnv language("LANGUAGE", QString::fromLatin1(c.language));
        const guitest::ScopedEnv lcAll("LC_ALL", QString::fromLatin1(c.lcAll));
        const guitest::ScopedEnv lcMessages("LC_MESSAGES", QString::fromLatin1(c.lcMessages));
        const guitest::ScopedEnv lang("LANG", QString::fromLatin1(c.lang));
        EXPECT_EQ(ui_language::FromEnvironment(), QString::fromLatin1(c.chosen));
    }
}

TEST_F(LanguageTest, TheOptionTakesEnglishOrGermanOnly) {
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("de")), QStringLiteral("de"));
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("DE")), QStringLiteral("de"));
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("de_DE")), QStringLiteral("de"));
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("en")), QStringLiteral("en"));
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("en-GB")), QStringLiteral("en"));
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("fr")), QString());
    EXPECT_EQ(ui_language::FromOption(QStringLiteral("deutsch")), QString());
    EXPECT_EQ(ui_language::FromOption(QString()), QString());
}

TEST_F(LanguageTest, TheOptionWinsOverTheLocaleAndLeavesTheOtherArguments) {
    const guitest::ScopedEnv language("LANGUAGE", QString());
    const guitest::ScopedEnv lcAll("LC_ALL", QString());
    const guitest::ScopedEnv lcMessages("LC_MESSAGES", QString());
    const guitest::ScopedEnv lang("LANG", QStringLiteral("en_US.UTF-8"));
    QString error;
    QStringList arguments({"kdmxp", "--lang", "de", "file.KDM"});
    EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QStringLiteral("de"));
    EXPECT_EQ(arguments, QStringList({"kdmxp", "file.KDM"}));
    arguments = QStringList({"kdmxp", "file.KDM"});
    EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QStringLiteral("en"));
    EXPECT_EQ(arguments, QStringList({"kdmxp", "file.KDM"}));
    {
        const guitest::ScopedEnv german("LANG", QStringLiteral("de_DE.UTF-8"));
        arguments = QStringList({"kdmxp", "--lang=en"});
        EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QStringLiteral("en"));
        EXPECT_EQ(arguments, QStringList({"kdmxp"}));
        arguments = QStringList({"kdmxp"});
        EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QStringLiteral("de"));
    }
    arguments = QStringList({"kdmxp", "--lang", "fr"});
    EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QString());
    EXPECT_EQ(error, QStringLiteral("unknown language fr (en or de)"));
    arguments = QStringList({"kdmxp", "--lang"});
    EXPECT_EQ(ui_language::TakeLanguageOption(arguments, error), QString());
    EXPECT_EQ(error, QStringLiteral("--lang needs en or de"));
}

// What `kdmxp --lang de` shows.
TEST_F(LanguageTest, GermanInterfaceShowsGermanMenusAndKeepsItsGermanTexts) {
    QString error;
    QStringList arguments({"kdmxp", "--lang", "de"});
    const QString chosen = ui_language::TakeLanguageOption(arguments, error);
    ASSERT_EQ(chosen, QStringLiteral("de"));
    ASSERT_TRUE(ui_language::Install(chosen));
    CKDM_XPApp app;
    CKDMXPMain start(app);
    const QStringList texts = MenuTexts(start);
    EXPECT_EQ(texts, QStringList({"&Datei",
                                  QString::fromUtf8("Ö&ffnen..."),
                                  QString::fromUtf8("&Zuletzt geöffnet"),
                                  "&Drucken...",
                                  "&Bericht exportieren...",
                                  "&Verlauf...",
                                  QString::fromUtf8("&Schließen"),
                                  "&KDM_Data",
                                  QString::fromUtf8("Dorvik-Gerät &lesen..."),
                                  QString::fromUtf8("Dorvik-Gerät &schreiben..."),
                                  QString::fromUtf8("Gerät vor dem Schreiben s&ichern"),
                                  "&Hilfe",
                                  "&Verbindung/Kabel",
                                  "&Info",
                                  "&Help (english)",
                                  "Hi&lfe (deutsch)",
                                  "&FAQ (english)",
                                  "FA&Q (deutsch)",
                                  "&Port Auswahl",
                                  "&Port Auswahl..."}));
    auto* text = start.findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().endsWith(QString::fromUtf8("Q4400-Geräte"))) << text->text().toStdString();
    // The ids stay with their items, whatever they are called.
    EXPECT_EQ(MenuTextOf(FindMenuAction(&start, menu_id::kReadDevice)->text()),
              QString::fromUtf8("Dorvik-Gerät lesen..."));

    CComSelect dialog(app.settings, app.portMap, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Port wählen"));
    auto* map = dialog.findChild<QPushButton*>(QStringLiteral("mapDevice"));
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->text(), QString::fromUtf8("Gerät &zuordnen..."));
    // The dialogs added beside the program's own speak the interface's language too.
    CMapDevice mapDialog(app.portMap, 1, nullptr);
    QStringList labels;
    for (const QLabel* label : mapDialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QString::fromUtf8("&Gerät:"))) << labels.join('|').toStdString();
    EXPECT_FALSE(labels.contains(QStringLiteral("&Device:"))) << labels.join('|').toStdString();
    EXPECT_EQ(ui_language::Text(kdm::sid::kNoDevice), QString::fromUtf8("Kein Dorvik-Gerät gefunden"));
}

TEST_F(LanguageTest, EnglishInterfaceNamesInEnglishWhatWasGerman) {
    ASSERT_TRUE(ui_language::Install(QStringLiteral("en")));
    CKDM_XPApp app;
    CKDMXPMain start(app);
    EXPECT_EQ(FindMenuAction(&start, menu_id::kCableInfo)->text(), QStringLiteral("&Connection/Cable"));
    EXPECT_EQ(FindMenuAction(&start, menu_id::kPortSelect)->text(), QStringLiteral("&Port selection..."));
    // The items that name a language open that language's documents and keep their names.
    EXPECT_EQ(FindMenuAction(&start, menu_id::kHelpGerman)->text(), QStringLiteral("Hi&lfe (deutsch)"));
    EXPECT_EQ(ui_language::Text(kdm::sid::kNoDevice), QStringLiteral("No Dorvik-device found"));
}

// The program itself: --lang takes en or de and refuses anything else before showing a window.
TEST_F(LanguageTest, ProgramRefusesAnUnknownLanguage) {
    for (const QStringList& arguments :
         {QStringList({"--lang", "fr"}), QStringList({"--lang=xx"}), QStringList({"--lang"})}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        QProcess program;
        program.start(QStringLiteral(KDMXP_GUI_PATH), arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_TRUE(program.readAllStandardError().contains("en or de"));
    }
}
