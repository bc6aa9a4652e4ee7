// CUpload: the window of a read ("Read data from Dorvik-device"). Shows the telegram of the previous
// tick (1011), the telegram counter (1012), the program number (1013) and the status line (1010) while
// the read runs on its worker. No close box; Enter and Esc reach the hidden OK and Cancel buttons.
#pragma once

#include <string>

#include "ui/transfer_worker.h"

class CUpload final : public TransferDialogBase {
    Q_OBJECT
  public:
    CUpload(CKDM_XPApp& app, QWidget* parent);

    // Where the read saved its data file; empty when it saved nothing. Valid after exec().
    std::string SavedPath() const { return Worker().SavedPath(); }
    // Telegrams stored with " !!!" in the read.
    int ChecksumMismatches() const { return Worker().ChecksumMismatches(); }
};
