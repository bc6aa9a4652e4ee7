// The read and write windows as the menu commands run them, over the application's services.
#pragma once

#include <QString>
#include <functional>

class AppServices;
class QWidget;

// Replacements for the file dialogs of the transfers (tests, screenshots): true with a path, false for
// "cancelled". Null members leave the real dialogs in place.
struct TransferDialogHooks {
    std::function<bool(QWidget* parent, QString& path)> chooseSavePath;
    std::function<bool(QWidget* parent, QString& path)> chooseFileToWrite;
    // The question before a write sends anything: true for Yes.
    std::function<bool(QWidget* parent, const QString& question)> confirmWrite;
};

// "Read Dorvik device": the read window, and after a successful save a table window for the saved file
// (opened once the read window has closed). The saved read goes into the device history.
void RunReadDialog(AppServices& services, QWidget* parent);
void RunReadDialog(AppServices& services, QWidget* parent, const TransferDialogHooks& hooks);

// "Write Dorvik device": the write window; first the backup read when "Back up the device before
// writing" is on. A completed write goes into the device history. `offeredFile` (a table window's
// file) is what the open dialog offers first.
void RunWriteDialog(AppServices& services, QWidget* parent, const QString& offeredFile = QString());
void RunWriteDialog(AppServices& services, QWidget* parent, const TransferDialogHooks& hooks,
                    const QString& offeredFile = QString());
