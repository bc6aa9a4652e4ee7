#include "ui/transfer_dialogs.h"

#include <string>

#include "ui/app_services.h"

void RunReadDialog(AppServices& services, QWidget* parent, const TransferDialogHooks& hooks) {
    ReadRequest request;
    request.chooseSavePath = hooks.chooseSavePath;
    request.recordInHistory = true;
    const std::string saved = services.RunRead(parent, request);
    // The read hands its new file to the application, which opens it as a document.
    if (!saved.empty()) services.ShowDataFileWindow(saved, parent);
}

void RunReadDialog(AppServices& services, QWidget* parent) {
    RunReadDialog(services, parent, TransferDialogHooks());
}

void RunWriteDialog(AppServices& services, QWidget* parent, const TransferDialogHooks& hooks,
                    const QString& offeredFile) {
    WriteRequest request;
    request.chooseFileToWrite = hooks.chooseFileToWrite;
    request.confirmWrite = hooks.confirmWrite;
    request.offeredFile = offeredFile;
    request.recordInHistory = true;
    services.RunWrite(parent, request);
}

void RunWriteDialog(AppServices& services, QWidget* parent, const QString& offeredFile) {
    RunWriteDialog(services, parent, TransferDialogHooks(), offeredFile);
}
