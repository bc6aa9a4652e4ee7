// The file print-to-file proposes: the data file's own name with ".pdf", beside it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "gui_support.h"
#include "ui/printing.h"

namespace {

using guitest::ModalWatcher;

TEST(PrintToFile, ProposesTheDataFilesNameWithPdfBesideItAndKeepsTheJobName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::ofstream(dir.filePath(QStringLiteral("r1.KDM")).toStdString(), std::ios::binary)
        << guitest::IdentificationRecord("I10");
    QString proposed;
    QString docName;
    bool sawPrintDialog = false;
    ModalWatcher watcher([&](QWidget* window, int) {
        if (auto* dialog = qobject_cast<QPrintDialog*>(window)) {
            sawPrintDialog = true;
            docName = dialog->printer()->docName();
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                proposed = edit->text();
        }
        guitest::Reject(window);
    });
    PrintDataFile(dir.filePath(QStringLiteral("r1.KDM")).toStdString(), nullptr);
    ASSERT_TRUE(sawPrintDialog);
    EXPECT_EQ(proposed, dir.filePath(QStringLiteral("r1.pdf")));
    EXPECT_EQ(docName.toStdString(), kPrintDocumentName);
}

}  // namespace
