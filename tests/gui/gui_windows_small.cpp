// The windows at small sizes: whatever room a window is given (down to the least its layout allows),
// no widget lies over another and every label and button shows its whole text. The test
// "gui_windows_small_scaled" runs these again with QT_SCALE_FACTOR=2 on a 640x480 screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui_support.h"
#include "support/dump_builder.h"
#include "ui/app.h"
#include "ui/download_dialog.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/table_window.h"
#include "ui/upload_dialog.h"

namespace {

struct Placed {
    QWidget* widget;
    QRect rect;  // in the window's coordinates
};

// The widgets the window's layouts place, each where it stands in the window.
void CollectPlaced(QLayout* layout, QWidget* window, std::vector<Placed>& placed) {
    if (layout == nullptr) return;
    if (QWidget* bar = layout->menuBar(); bar != nullptr && bar->isVisibleTo(window))
        placed.push_back({bar, QRect(bar->mapTo(window, QPoint(0, 0)), bar->size())});
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* widget = item->widget()) {
            if (!widget->isVisibleTo(window)) continue;
            placed.push_back({widget, QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())});
            // A window laid out without being shown places its children's children only when asked.
            if (widget->layout() != nullptr) widget->layout()->activate();
            CollectPlaced(widget->layout(), window, placed);
        } else if (QLayout* inner = item->layout()) {
            CollectPlaced(inner, window, placed);
        }
    }
}

QString NameOf(const QWidget* widget) {
    const QString name = widget->objectName();
    return QString::fromLatin1(widget->metaObject()->className()) +
           (name.isEmpty() ? QString() : QStringLiteral(" ") + name);
}

// What is wrong with the window as it is laid out now: widgets over one another, or a text that is
// cut. Empty when nothing is.
std::vector<std::string> LayoutFaults(QWidget* window) {
    window->layout()->activate();
    std::vector<Placed> placed;
    CollectPlaced(window->layout(), window, placed);
    std::vector<std::string> faults;
    // A window whose layout places next to nothing would pass for want of anything to check.
    if (placed.size() < 3) faults.push_back("only " + std::to_string(placed.size()) + " widgets laid out");
    for (std::size_t a = 0; a < placed.size(); ++a) {
        for (std::size_t b = a + 1; b < placed.size(); ++b) {
            // A widget holds the ones its own layout places.
            if (placed[a].widget->isAncestorOf(placed[b].widget) ||
                placed[b].widget->isAncestorOf(placed[a].widget))
                continue;
            if (placed[a].rect.intersects(placed[b].rect))
                faults.push_back(
                    (NameOf(placed[a].widget) + QStringLiteral(" overlaps ") + NameOf(placed[b].widget))
                        .toStdString());
        }
        if (!window->rect().contains(placed[a].rect))
            faults.push_back(
                (NameOf(placed[a].widget) + QStringLiteral(" reaches out of the window")).toStdString());
        const QWidget* widget = placed[a].widget;
        const bool texted = qobject_cast<const QLabel*>(widget) != nullptr ||
                            qobject_cast<const QAbstractButton*>(widget) != nullptr;
        if (!texted) continue;
        const QSize needed = widget->minimumSizeHint();
        if (widget->width() < needed.width() || widget->height() < needed.height())
            faults.push_back((NameOf(widget) + QStringLiteral(" cuts its text: %1x%2 of %3x%4")
                                                   .arg(widget->width())
                                                   .arg(widget->height())
                                                   .arg(needed.width())
                                                   .arg(needed.height()))
                                 .toStdString());
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class SmallWindows : public ::testing::Test {
  protected:
    void TearDown() override { ui_language::Install(QStringLiteral("en")); }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("small.KDM")).toStdString();
        kdmtest::DumpBuilder dump("I1P");
        for (const char letter : std::string("dehvkijnm"))
            dump.Add(letter, kdmtest::Value(1000 + letter));
        for (int p = 1; p <= 12; ++p) {
            dump.Program(p);
            for (const char letter : std::string("JNuoVW"))
                dump.Add(letter, kdmtest::Value(2000 + p));
        }
        std::ofstream(path, std::ios::binary) << dump.Text();
        document.Open(path);
    }

    QTemporaryDir dir;
    guitest::ScopedEnv settingsEnv{"KDMXP_SETTINGS_DIR", dir.filePath(QStringLiteral("settings"))};
    CKDM_XPApp app;
    std::string path;
    DataDocument document;
};

struct WindowCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>(CKDM_XPApp&, DataDocument&)> make;
};

// The transfer windows are laid out without being shown: shown, they would start their transfer.
const WindowCase kWindows[] = {
    {"start", [](CKDM_XPApp& app, DataDocument&) { return std::make_unique<CKDMXPMain>(app); }},
    {"table",
     [](CKDM_XPApp& app, DataDocument& document) {
         auto window = std::make_unique<CKDM_XPDlg>(app, document, nullptr);
         window->OnInitDialog();
         return std::unique_ptr<QWidget>(std::move(window));
     }},
    {"write", [](CKDM_XPApp& app, DataDocument&) { return std::make_unique<CDownload>(app, nullptr); }},
    {"read", [](CKDM_XPApp& app, DataDocument&) { return std::make_unique<CUpload>(app, nullptr); }},
};

// The least each window can be made (a transfer window's size is fixed) fits a 640x480 screen.
TEST_F(SmallWindows, EachWindowFitsASmallScreen) {
    for (const WindowCase& c : kWindows) {
        SCOPED_TRACE(c.name);
        for (const char* language : {"en", "de"}) {
            SCOPED_TRACE(language);
            ASSERT_TRUE(ui_language::Install(QString::fromLatin1(language)));
            std::unique_ptr<QWidget> window = c.make(app, document);
            window->resize(1, 1);
            window->layout()->activate();
            EXPECT_LE(window->width(), 640);
            EXPECT_LE(window->height(), 480);
        }
    }
}

TEST_F(SmallWindows, NoWidgetLiesOverAnotherAndNoTextIsCut) {
    // The room a small screen gives, and less than any window needs (the layout's least).
    const QSize kSizes[] = {QSize(640, 480), QSize(400, 300), QSize(1, 1)};
    for (const char* language : {"en", "de"}) {
        ASSERT_TRUE(ui_language::Install(QString::fromLatin1(language)));
        for (const WindowCase& c : kWindows) {
            for (const QSize& size : kSizes) {
                SCOPED_TRACE(std::string(language) + ": " + c.name + " at " + std::to_string(size.width()) +
                             "x" + std::to_string(size.height()));
                std::unique_ptr<QWidget> window = c.make(app, document);
                window->resize(size);
                const std::vector<std::string> faults = LayoutFaults(window.get());
                EXPECT_TRUE(faults.empty()) << Joined(faults);
            }
        }
    }
}

}  // namespace
