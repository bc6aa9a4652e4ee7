#include "ui/app.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "data/strings.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "ui/com_select.h"
#include "ui/document.h"
#include "ui/download_dialog.h"
#include "ui/help.h"
#include "ui/history_record.h"
#include "ui/history_window.h"
#include "ui/info_dialogs.h"
#include "ui/menu.h"
#include "ui/printing.h"
#include "ui/report.h"
#include "ui/table_window.h"
#include "ui/transfer_dialogs.h"
#include "ui/upload_dialog.h"

CKDM_XPApp::CKDM_XPApp()
    : clock(kdm::TimeScaleFromEnvironment()),
      portMap(&settings, &discovery),
      port(portMap, clock),
      link(port, settings),
      uiState(QString::fromLocal8Bit(settings.LastingRoot().c_str())),
      history(kdm::DefaultHistoryLocation(), kdm::LocalHistoryIdentity()) {
    link.SetScanOrder([this] { return portMap.ScanOrder(); });
}

bool CKDM_XPApp::InitInstance() {
    // Any length: the directory is only ever used whole, never copied into a fixed buffer.
    startupDirectory = kdm::CurrentDirectory();
    tempFilePath = kdm::InitTempFilePath(startupDirectory);
    return !startupDirectory.empty();
}

QMenuBar* CKDM_XPApp::CreateMenu(QWidget* window, std::initializer_list<int> ownCommands) {
    RecentFiles recent;
    recent.list = [this] { return uiState.RecentFiles(); };
    recent.open = [this, window](const QString& path) { OnRecentFile(path, window); };
    const MenuChecks checks = [this](int id) {
        return id == menu_id::kBackupBeforeWrite && BackupBeforeWriteEnabled(settings);
    };
    QMenuBar* bar = CreateMainMenu(window, std::move(recent), checks);

    // The action of `id`, unless the window handles that command itself.
    const auto actionOf = [window, ownCommands](int id) -> QAction* {
        if (std::find(ownCommands.begin(), ownCommands.end(), id) != ownCommands.end()) return nullptr;
        return FindMenuAction(window, id);
    };
    const auto connectTo = [this, window, &actionOf](int id, void (CKDM_XPApp::*handler)(QWidget*)) {
        if (QAction* action = actionOf(id))
            QObject::connect(action, &QAction::triggered, window,
                             [this, window, handler] { (this->*handler)(window); });
    };
    connectTo(menu_id::kFileOpen, &CKDM_XPApp::OnFileOpen);
    connectTo(menu_id::kFilePrint, &CKDM_XPApp::OnFilePrint);
    connectTo(menu_id::kExportReport, &CKDM_XPApp::OnExportReport);
    connectTo(menu_id::kHistory, &CKDM_XPApp::OnHistory);
    connectTo(menu_id::kFileClose, &CKDM_XPApp::OnFileClose);
    connectTo(menu_id::kReadDevice, &CKDM_XPApp::OnReadDevice);
    connectTo(menu_id::kWriteDevice, &CKDM_XPApp::OnWriteDevice);
    if (QAction* backup = actionOf(menu_id::kBackupBeforeWrite)) {
        QObject::connect(backup, &QAction::triggered, window, [this, window, backup] {
            OnBackupBeforeWrite(window);
            // The check mark follows what the store holds, also when it did not take the change.
            backup->setChecked(BackupBeforeWriteEnabled(settings));
        });
    }
    connectTo(menu_id::kCableInfo, &CKDM_XPApp::OnCableInfo);
    connectTo(menu_id::kInfo, &CKDM_XPApp::OnInfo);
    connectTo(menu_id::kHelpEnglish, &CKDM_XPApp::OnHelpEnglish);
    connectTo(menu_id::kHelpGerman, &CKDM_XPApp::OnHelpGerman);
    connectTo(menu_id::kFaqEnglish, &CKDM_XPApp::OnFaqEnglish);
    connectTo(menu_id::kFaqGerman, &CKDM_XPApp::OnFaqGerman);
    return bar;
}

bool CKDM_XPApp::PromptForDataFile(QWidget* parent, QString& path) {
    QString chosen;
    bool confirmed = false;
    if (promptForDataFile) {
        confirmed = promptForDataFile(chosen);
    } else {
        QFileDialog dialog(parent, QCoreApplication::translate("Start", "Open"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A name that does not exist may be entered: the table window then says it cannot be read.
        dialog.setFileMode(QFileDialog::AnyFile);
        // No default suffix: the dialog would append "kdm" as spelled and miss "r1.KDM" when "r1" is
        // typed. The extension is found below, in whatever letter case the file has it.
        dialog.setNameFilter(QStringLiteral("KDM DataFiles (*.kdm)"));
        // Without QDir::CaseSensitive in the filter, "*.kdm" also lists "*.KDM" files.
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().front();
            confirmed = true;
        }
    }
    if (!confirmed || chosen.isEmpty()) return false;
    const std::string resolved = kdm::ResolveDataFileName(chosen.toLocal8Bit().toStdString(), "kdm");
    path = QFileInfo(QString::fromLocal8Bit(resolved.c_str())).absoluteFilePath();
    currentDataFile = path.toLocal8Bit().toStdString();
    return true;
}

void CKDM_XPApp::ShowDataFileWindow(const std::string& path, QWidget* parent) {
    // The document lives as long as its window; a file that cannot be opened still gets its window,
    // which says why.
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(*this, document, parent);
    window.exec();
}

std::string CKDM_XPApp::RunRead(QWidget* parent, const ReadRequest& request) {
    CUpload read(*this, parent, request.tempFilePath);
    read.Worker().SetSaveChooser(request.chooseSavePath);
    read.Worker().SetRecordInHistory(request.recordInHistory);
    if (request.onReadWindow) request.onReadWindow(&read);
    read.exec();
    return read.SavedPath();
}

void CKDM_XPApp::RunWrite(QWidget* parent, const WriteRequest& request) {
    CDownload write(*this, parent);
    write.Worker().SetOpenChooser(request.chooseFileToWrite);
    write.Worker().SetWriteConfirmer(request.confirmWrite);
    write.Worker().SetOfferedFile(request.offeredFile);
    write.Worker().SetRecordInHistory(request.recordInHistory);
    write.Worker().SetBackupBeforeWrite(BackupBeforeWriteEnabled(settings));
    write.exec();
}

TransferContext CKDM_XPApp::Transfers() {
    return TransferContext{link, clock, portMap, history, tempFilePath};
}

void CKDM_XPApp::SetTempFileDirectory(const std::string& directory) {
    tempFilePath = kdm::InitTempFilePath(directory);
}

void CKDM_XPApp::SelectPort(QWidget* parent) {
    RunPortSelect(settings, portMap, parent);
}

namespace {

// Another file is about to be opened from `parent`: a table window with unsaved changes asks first.
bool MayLeaveDocument(QWidget* parent) {
    auto* table = qobject_cast<CKDM_XPDlg*>(parent);
    return table == nullptr || table->MaybeSaveChanges();
}

}  // namespace

void CKDM_XPApp::OpenDataFile(const QString& path, QWidget* parent) {
    if (!MayLeaveDocument(parent)) return;
    currentDataFile = QFileInfo(path).absoluteFilePath().toLocal8Bit().toStdString();
    ShowDataFileWindow(currentDataFile, parent);
}

void CKDM_XPApp::OnRecentFile(const QString& path, QWidget* parent) {
    if (QFileInfo::exists(path)) {
        OpenDataFile(path, parent);
        return;
    }
    uiState.RemoveRecentFile(path);
    QMessageBox box(
        QMessageBox::Information,
        QString::fromLatin1(kdm::kVersionTitle.data(), static_cast<qsizetype>(kdm::kVersionTitle.size())),
        QCoreApplication::translate("Start", "%1 is no longer there: it was taken off the recent files.")
            .arg(QDir::toNativeSeparators(path)),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("KdmRecentFileGone"));
    box.exec();
}

void CKDM_XPApp::OnFileOpen(QWidget* parent) {
    if (!MayLeaveDocument(parent)) return;
    QString path;
    if (!PromptForDataFile(parent, path)) return;
    ShowDataFileWindow(currentDataFile, parent);
}

void CKDM_XPApp::OnFilePrint(QWidget* parent) {
    if (currentDataFile.empty()) {
        QString path;
        if (!PromptForDataFile(parent, path)) return;
    }
    PrintDataFile(currentDataFile, parent);
    // Shown whether or not anything was printed.
    ShowDataFileWindow(currentDataFile, parent);
}

void CKDM_XPApp::OnExportReport(QWidget* parent) {
    std::string path;
    if (const auto* table = qobject_cast<CKDM_XPDlg*>(parent)) {
        path = table->FileName();
    } else {
        if (currentDataFile.empty()) {
            QString chosen;
            if (!PromptForDataFile(parent, chosen)) return;
        }
        path = currentDataFile;
    }
    ExportReportInteractive(path, parent, chooseReportDestination);
}

void CKDM_XPApp::OnFileClose(QWidget* parent) {
    (void)parent;
    // Unsaved changes in any table window, however deep, are the user's to save or discard first.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* table = qobject_cast<CKDM_XPDlg*>(window);
        if (table != nullptr && table->isVisible() && !table->MaybeSaveChanges()) return;
    }
    // Then at once, from any depth of nested windows: nothing is closed or removed first.
    std::_Exit(1);
}

void CKDM_XPApp::OnReadDevice(QWidget* parent) {
    RunReadDialog(*this, parent);
}

void CKDM_XPApp::OnWriteDevice(QWidget* parent) {
    // The write takes the file from disk: unsaved changes of the file shown are saved first. From a
    // table window, the file it shows is the one most likely meant.
    QString offered;
    if (auto* table = qobject_cast<CKDM_XPDlg*>(parent)) {
        if (!table->SaveBeforeWriting()) return;
        offered = QString::fromLocal8Bit(table->FileName().c_str());
    }
    RunWriteDialog(*this, parent, offered);
}

void CKDM_XPApp::OnHistory(QWidget* parent) {
    HistoryWindow window(*this, history, parent);
    window.exec();
}

void CKDM_XPApp::OnBackupBeforeWrite(QWidget* parent) {
    (void)parent;
    SetBackupBeforeWriteEnabled(settings, !BackupBeforeWriteEnabled(settings));
}

void CKDM_XPApp::OnCableInfo(QWidget* parent) {
    CAboutRS232 dialog(parent);
    dialog.exec();
}

void CKDM_XPApp::OnInfo(QWidget* parent) {
    CAboutKDMXP dialog(parent);
    dialog.exec();
}

void CKDM_XPApp::OnHelpEnglish(QWidget* parent) {
    ShowHelp(parent, startupDirectory, kHelpDocumentEnglish);
}

void CKDM_XPApp::OnHelpGerman(QWidget* parent) {
    ShowHelp(parent, startupDirectory, kHelpDocumentGerman);
}

void CKDM_XPApp::OnFaqEnglish(QWidget* parent) {
    CKDMFAQ dialog(parent);
    dialog.exec();
}

void CKDM_XPApp::OnFaqGerman(QWidget* parent) {
    CKDMFAQ_D dialog(parent);
    dialog.exec();
}
