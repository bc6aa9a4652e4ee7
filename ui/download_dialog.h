// CDownload: the window of a write ("Write data to Dorvik-device"). A progress bar (1012), the data
// still to transfer (1013), the program number of the last program frame (1015) and the status line
// (1010) while the write runs on its worker, and the time elapsed and to go. The bar stands at its end
// once the last frame went out. Cancel is visible; Enter reaches the hidden default OK. When the backup
// before writing is on, the window first shows "Backing up the device..." and the read's progress.
// "Verify after writing" (remembered between runs) reads the device back after a complete write and
// compares it with the file; the heading says so while it runs.
#pragma once

#include "ui/transfer_worker.h"

class AppServices;
class QCheckBox;
class QLabel;
class QPushButton;
class TransferTimeLabel;
class UiState;

class CDownload final : public TransferDialogBase {
    Q_OBJECT
  public:
    CDownload(AppServices& services, QWidget* parent);

    int ProgressMinimum() const;
    int ProgressMaximum() const;
    int ProgressValue() const;
    QString TimeText() const;

    // ITransferView
    void ShowProgressRange(int low, int high) override;
    void ShowProgressPos(int position) override;
    void ShowWriteComplete() override;
    // The backup read before the write: its own heading, and a bar of the read's progress.
    void ShowBackingUp(bool backingUp) override;
    void ShowVerifying(bool verifying) override;
    void ShowCounts(const TransferCounts& counts) override;
    QCheckBox* VerifyBox() const { return verify_; }
    // The heading above the bar ("Data transfer active", or "Backing up the device..." first).
    QString HeadingText() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // A read (the backup or the read-back) runs: its own heading, and a bar of its progress.
    void ShowReading(bool reading, const QString& heading);

    UiState& state_;
    QCheckBox* verify_;
    QLabel* heading_;
    TransferTimeLabel* time_;
    bool reading_ = false;
};
