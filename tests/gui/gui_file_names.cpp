// Names typed into the Open dialog without an extension.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "gui_support.h"
#include "ui/app.h"

namespace {

using guitest::ModalWatcher;

void Touch(const QTemporaryDir& dir, const QString& name) {
    std::ofstream((dir.path() + QLatin1Char('/') + name).toStdString(), std::ios::binary)
        << guitest::IdentificationRecord("I10");
}

// Runs the Open dialog of `app` in `dir`, types `typed` and confirms it; returns whether a file was
// chosen and what `path` became.
bool OpenTyped(CKDM_XPApp& app, const QTemporaryDir& dir, const QString& typed, QString& path) {
    bool typedIntoDialog = false;
    ModalWatcher watcher([&](QWidget* window, int) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        auto* edit =
            dialog == nullptr ? nullptr : dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit == nullptr) {
            guitest::Reject(window);
            return;
        }
        dialog->setDirectory(dir.path());
        edit->setText(typed);
        typedIntoDialog = true;
        // As the Open button does: through QDialog, where accept() is public.
        static_cast<QDialog*>(dialog)->accept();
    });
    const bool chosen = app.PromptForDataFile(nullptr, path);
    EXPECT_TRUE(typedIntoDialog) << "no file dialog with a name field came up";
    return chosen;
}

TEST(OpenDialog, ABareNameFindsTheSavedFileWhateverTheCaseOfItsExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // What a read saves.
    Touch(dir, QStringLiteral("r1.KDM"));
    CKDM_XPApp app;
    QString path;
    ASSERT_TRUE(OpenTyped(app, dir, QStringLiteral("r1"), path));
    const QString expected = dir.filePath(QStringLiteral("r1.KDM"));
    EXPECT_EQ(path, expected);
    EXPECT_EQ(app.currentDataFile, expected.toStdString());
}

TEST(OpenDialog, ABareNameWithNoFileBecomesTheDefaultExtensionAndANameThatExistsStays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CKDM_XPApp app;
    QString path;
    ASSERT_TRUE(OpenTyped(app, dir, QStringLiteral("r2"), path));
    EXPECT_EQ(app.currentDataFile, dir.filePath(QStringLiteral("r2.kdm")).toStdString());

    Touch(dir, QStringLiteral("r3"));
    Touch(dir, QStringLiteral("r3.KDM"));
    ASSERT_TRUE(OpenTyped(app, dir, QStringLiteral("r3"), path));
    EXPECT_EQ(app.currentDataFile, dir.filePath(QStringLiteral("r3")).toStdString());
}

}  // namespace
