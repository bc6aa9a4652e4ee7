#include "ui/transfer_dialogs.h"

#include <string>

#include "ui/app.h"
#include "ui/download_dialog.h"
#include "ui/history_record.h"
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
    // The read hands its new file to the application, which opens it as a document.
    if (!saved.empty()) app.ShowDataFileWindow(saved, parent);
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
