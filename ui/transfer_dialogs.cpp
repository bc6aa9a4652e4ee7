#include "ui/transfer_dialogs.h"

#include <string>

#include "ui/app.h"
#include "ui/download_dialog.h"
#include "ui/history_record.h"
#include "ui/table_window.h"
#include "ui/upload_dialog.h"

void RunReadDialog(CKDM_XPApp& app, QWidget* parent, const TransferDialogHooks& hooks) {
    std::string saved;
    {
        CUpload dialog(app, parent);
        dialog.Worker().SetSaveChooser(hooks.chooseSavePath);
        dialog.Worker().SetRecordInHistory(true);
        dialog.exec();
        saved = dialog.SavedPath();
    }
    if (saved.empty()) return;
    CKDM_XPDlg table(app, parent);
    table.SetFileName(saved);
    table.exec();
}

void RunReadDialog(CKDM_XPApp& app, QWidget* parent) {
    RunReadDialog(app, parent, TransferDialogHooks());
}

void RunWriteDialog(CKDM_XPApp& app, QWidget* parent, const TransferDialogHooks& hooks) {
    CDownload dialog(app, parent);
    dialog.Worker().SetOpenChooser(hooks.chooseFileToWrite);
    dialog.Worker().SetRecordInHistory(true);
    dialog.Worker().SetBackupBeforeWrite(BackupBeforeWriteEnabled(app.settings));
    dialog.exec();
}

void RunWriteDialog(CKDM_XPApp& app, QWidget* parent) {
    RunWriteDialog(app, parent, TransferDialogHooks());
}
