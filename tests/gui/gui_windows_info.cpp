// The information windows and the start window: texts, pictures, and Esc acting like OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstring>
#include <functional>
#include <memory>

#include "gui_support.h"
#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/info_dialogs.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/pictures.h"

namespace {

// Pixels that differ from the picture's background: a drawing, not an empty frame.
int InkPixels(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    const QRgb background = image.pixel(0, 0);
    int ink = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            ink += image.pixel(x, y) != background ? 1 : 0;
    }
    return ink;
}

QString LabelText(QWidget& dialog, const char* name) {
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

struct InfoCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    const char* title;
    const char* textLabel;  // object name of the label holding the text, or null
    const char* text;       // UTF-8
};

const InfoCase kInfoCases[] = {
    {"about", [] { return std::make_unique<CAboutKDMXP>(nullptr); }, "Info KDM XP", "id1017",
     "KDM XP  V 1.6 "},
    {"cable", [] { return std::make_unique<CAboutRS232>(nullptr); }, "Info RS232-Connection", nullptr,
     nullptr},
    {"faq_english", [] { return std::make_unique<CKDMFAQ>(nullptr); }, "KDM XP - FAQ (english)", "faqText",
     CKDMFAQ::kText},
    {"faq_german", [] { return std::make_unique<CKDMFAQ_D>(nullptr); }, "KDM XP FAQ (deutsch)", "id1016",
     CKDMFAQ_D::kText},
};

class InfoDialogs : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoDialogs, ShowTheirExactTextsAndCloseWithEscapeLikeOk) {
    const InfoCase& c = GetParam();
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        std::unique_ptr<QDialog> dialog = c.make();
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(c.title));
        if (c.textLabel != nullptr) {
            EXPECT_EQ(LabelText(*dialog, c.textLabel), QString::fromUtf8(c.text));
        }
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("id1"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        guitest::ModalWatcher watcher([key](QWidget* shown, int) { guitest::PressKey(shown, key); });
        EXPECT_EQ(dialog->exec(), QDialog::Accepted) << "key " << key;
        EXPECT_EQ(watcher.seen.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, InfoDialogs, ::testing::ValuesIn(kInfoCases),
                         [](const ::testing::TestParamInfo<InfoCase>& tp) {
                             return std::string(tp.param.name);
                         });

// The contact lines come from the build configuration; whatever is not configured is left out, and the
// empty line stands only between addresses and numbers.
TEST(AboutBox, ContactLinesLeaveOutWhatIsNotConfigured) {
    const struct {
        const char *web, *email, *phone, *fax, *expected;
    } cases[] = {
        {"www.a.test", "i@a.test", "+1 2", "+1 3", "www.a.test\ni@a.test\n\nPhone +1 2\nFax   +1 3"},
        {"", "i@a.test", "", "", "i@a.test"},
        {"www.a.test", "", "", "+1 3", "www.a.test\n\nFax   +1 3"},
        {"", "", "+1 2", "", "Phone +1 2"},
        {"", "", "", "", ""},
        {nullptr, "i@a.test", nullptr, nullptr, "i@a.test"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContactText(c.web, c.email, c.phone, c.fax), QString::fromUtf8(c.expected)) << c.expected;

    CAboutKDMXP about(nullptr);
    EXPECT_EQ(LabelText(about, "contact"), ConfiguredContactText());
    // The old made-up lines are gone for good.
    EXPECT_FALSE(LabelText(about, "contact").contains(QStringLiteral("dorvik.example")));
    EXPECT_FALSE(LabelText(about, "contact").contains(QStringLiteral("000000")));
    auto* version = about.findChild<QLabel*>(QStringLiteral("id1017"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->alignment().testFlag(Qt::AlignHCenter));
}

// The FAQs answer for a Linux machine, the same questions with the same facts in both languages: each
// answer names the same commands, packages and device paths as its counterpart.
TEST(Faq, AnswersForLinuxTheSameQuestionsInBothLanguages) {
    const QStringList english = QString::fromUtf8(CKDMFAQ::kText).split(QStringLiteral("\n\n"));
    const QStringList german = QString::fromUtf8(CKDMFAQ_D::kText).split(QStringLiteral("\n\n"));
    ASSERT_EQ(english.size(), german.size());
    ASSERT_GE(english.size(), 4);
    static const QRegularExpression facts(QStringLiteral(
        R"(kdmxp-cli [a-z]+( --[a-z]+)?|lib[a-z0-9]+|dialout|/dev/[A-Za-z/.-]+[A-Za-z0-9.]|xdg-utils|evince|okular|apt install --reinstall)"));
    auto factsOf = [](const QString& answer) {
        QStringList found;
        for (auto it = facts.globalMatch(answer); it.hasNext();)
            found << it.next().captured(0);
        return found;
    };
    for (qsizetype i = 0; i < english.size(); ++i) {
        SCOPED_TRACE(english[i].toStdString());
        const QString question = english[i].section(QLatin1Char('\n'), 0, 0);
        EXPECT_TRUE(question.endsWith(QLatin1Char(':')) || question.endsWith(QLatin1Char('?')));
        EXPECT_FALSE(factsOf(english[i]).isEmpty());
        EXPECT_EQ(factsOf(english[i]), factsOf(german[i]));
    }
    for (const QStringList* faq : {&english, &german}) {
        const QString text = faq->join(QStringLiteral("\n\n"));
        for (const char* windowsOnly : {"regsvr", ".ocx", "system32", ":\\", "Start ->"})
            EXPECT_FALSE(text.contains(QLatin1String(windowsOnly), Qt::CaseInsensitive)) << windowsOnly;
        for (const char* needed : {"sudo adduser $USER dialout", "kdmxp-cli ports --map",
                                   "/dev/serial/by-id/", "libqt6widgets6", "xdg-utils"})
            EXPECT_TRUE(text.contains(QLatin1String(needed))) << needed;
    }
}

// A FAQ fits on the screen it opens on and keeps all its text within reach: on a screen too small for
// it (a scaled one) the text scrolls instead of being cut off.
TEST(Faq, FitsTheScreenAndScrollsTheRest) {
    const std::function<std::unique_ptr<QDialog>()> makers[] = {
        [] { return std::make_unique<CKDMFAQ>(nullptr); },
        [] { return std::make_unique<CKDMFAQ_D>(nullptr); },
    };
    for (const auto& make : makers) {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        QApplication::processEvents();
        SCOPED_TRACE(dialog->objectName().toStdString());
        const QRect screen = dialog->screen()->availableGeometry();
        EXPECT_LE(dialog->width(), screen.width());
        EXPECT_LE(dialog->height(), screen.height());
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("faqText")) != nullptr
                          ? dialog->findChild<QLabel*>(QStringLiteral("faqText"))
                          : dialog->findChild<QLabel*>(QStringLiteral("id1016"));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));  // nothing cut off
        auto* area = qobject_cast<QScrollArea*>(label->parentWidget()->parentWidget());
        ASSERT_NE(area, nullptr);
        // Either the whole text is in sight, or the scroll bar reaches the rest.
        EXPECT_TRUE(area->viewport()->height() >= label->height() ||
                    area->verticalScrollBar()->maximum() >= label->height() - area->viewport()->height());
        dialog->resize(dialog->width(), dialog->height() / 3);
        QApplication::processEvents();
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        EXPECT_GE(area->verticalScrollBar()->maximum(), label->height() - area->viewport()->height());
        EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    }
}

// The way to the port dialog's mapping that the FAQs describe is the one the program has.
// Each FAQ names the way to map a device as its own language's interface shows it.
TEST(Faq, NamesTheMenuItemAndButtonThatMapADevice) {
    QTemporaryDir ports;
    const guitest::ScopedEnv portDir("KDMXP_PORT_DIR", ports.path());
    // The other tests see the English interface, also when this one fails half-way.
    struct BackToEnglish {
        ~BackToEnglish() { ui_language::Install(QStringLiteral("en")); }
    } backToEnglish;
    for (const char* language : {"en", "de"}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(ui_language::Install(QString::fromLatin1(language)));
        CKDM_XPApp app;
        CKDMXPMain start(app);
        CComSelect dialog(app.settings, app.portMap, nullptr);
        auto* map = dialog.findChild<QPushButton*>(QStringLiteral("mapDevice"));
        ASSERT_NE(map, nullptr);
        auto* bar = start.findChild<QMenuBar*>(QStringLiteral("mainMenu"));
        ASSERT_NE(bar, nullptr);
        const QString way = QStringLiteral("%1 -> %2 -> %3")
                                .arg(MenuTextOf(bar->actions().constLast()->text()),
                                     MenuTextOf(FindMenuAction(&start, menu_id::kPortSelect)->text()),
                                     MenuTextOf(map->text()));
        const char* faq = std::strcmp(language, "de") == 0 ? CKDMFAQ_D::kText : CKDMFAQ::kText;
        EXPECT_TRUE(QString::fromUtf8(faq).contains(way)) << way.toStdString();
    }
}

TEST(CableInfo, ShowsTwoDrawingsAndKeepsCancelHidden) {
    CAboutRS232 cable(nullptr);
    cable.show();
    for (const char* name : {"cableRound", "cableDsub"}) {
        auto* picture = cable.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_TRUE(picture->isVisible());
        EXPECT_GT(InkPixels(picture->pixmap()), 500) << name;
    }
    auto* cancel = cable.findChild<QPushButton*>(QStringLiteral("id2"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isVisible());
}

TEST(StartWindow, ShowsItsTextInFourteenPointAndBothPictures) {
    CKDM_XPApp app;
    CKDMXPMain start(app);
    auto* text = start.findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("\n  KDM XP \n  Data store / restore for  Q4400-devices"));
    EXPECT_EQ(text->font().pointSize(), 14);
    for (const char* name : {"startPicture", "logo"}) {
        auto* picture = start.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_GT(InkPixels(picture->pixmap()), 50) << name;
    }
    EXPECT_TRUE(start.findChildren<QPushButton*>().isEmpty());  // no buttons
    EXPECT_FALSE(start.windowIcon().isNull());
}

TEST(StartWindow, FixesTheTemporaryFilePathFromTheCurrentDirectory) {
    CKDM_XPApp app;
    app.tempFilePath.clear();
    CKDMXPMain start(app);
    const std::string cwd = QDir::currentPath().toStdString();
    EXPECT_EQ(app.tempFilePath.rfind(cwd, 0), 0u) << app.tempFilePath;
    EXPECT_NE(app.tempFilePath.find("KDM.tmp"), std::string::npos);
}

}  // namespace
