// The information windows and the start window: exact texts, pictures, and Esc acting like OK.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>

#include "gui_support.h"
#include "ui/app.h"
#include "ui/info_dialogs.h"
#include "ui/main_window.h"
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
     "Program shows no data table:\n"
     "Copy the file msflxgrd.ocx from program-directory to c:\\windowsystem32.\n"
     "Then register it with: \n"
     "Start -> Run-> regsvr \"c:\\windows\\system32\\msflxgrd.ocx\". \n"
     " Message \"DLLRegisterServer.. succeeded) appears."},
    {"faq_german", [] { return std::make_unique<CKDMFAQ_D>(nullptr); }, "KDM XP FAQ (deutsch)", "id1016",
     "Daten-Tabelle  erscheint nicht:\n"
     "Grund: Steuerelemtent nicht registriert.  Kopieren Sie msflxgrd.ocx aus  Programm-Verzeichnis in  "
     "C:\\windows\\system32. Registrieren mit: \n"
     "Start -> Ausführen regsvr32 \"C:\\windows\\system32\\msflxgrd.ocx\" ."},
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

TEST(AboutBox, ShowsContactLinesWithPhoneAndFaxAfterAnEmptyLine) {
    CAboutKDMXP about(nullptr);
    const QStringList lines = LabelText(about, "contact").split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("www.")));
    EXPECT_TRUE(lines[1].contains(QLatin1Char('@')));
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Phone")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("Fax")));
    auto* version = about.findChild<QLabel*>(QStringLiteral("id1017"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->alignment().testFlag(Qt::AlignHCenter));
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
