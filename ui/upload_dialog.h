// CUpload: the window of a read ("Read data from Dorvik-device"). Shows the telegram of the previous
// tick (1011), the telegram counter (1012), the program number (1013) and the status line (1010) while
// the read runs on its worker, with a bar, the time elapsed and to go, and a Cancel button. No close
// box; Enter reaches the hidden OK button, Esc and Cancel stop the read alike.
#pragma once

#include <string>

#include "ui/transfer_worker.h"

class AppServices;
class UiState;

class TransferTimeLabel;

class CUpload final : public TransferDialogBase {
    Q_OBJECT
  public:
    // The read stores its records in `tempFilePath`, or when that is empty in the application's
    // temporary file.
    CUpload(AppServices& services, QWidget* parent, const std::string& tempFilePath = std::string());

    // Where the read saved its data file; empty when it saved nothing. Valid after exec().
    std::string SavedPath() const { return Worker().SavedPath(); }
    // Telegrams stored with " !!!" in the read.
    int ChecksumMismatches() const { return Worker().ChecksumMismatches(); }

    // The bar: maximum 0 while it only shows that something happens.
    int ProgressMaximum() const;
    int ProgressValue() const;
    QString TimeText() const;

    // ITransferView
    void ShowStatus(const QString& text) override;
    void ShowCounts(const TransferCounts& counts) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowBar();

    UiState& state_;
    TransferTimeLabel* time_;
    TransferCounts counts_;
    bool complete_ = false;
};
