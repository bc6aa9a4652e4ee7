// For the transfer window tests: a watcher of the boxes and windows a transfer window opens. The
// transfer window is itself modal; it is left alone and not counted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui_support.h"
#include "ui/transfer_worker.h"

namespace guitest {

// The question before a write sends anything, answered Yes (tests that are about something else).
inline bool AnswerYes(QWidget*, const QString&) {
    return true;
}

// The file chooser of a transfer window answers with `file`, as a user who picks it would.
inline void ChooseWhenAsked(TransferWorker& worker, const std::string& file) {
    worker.SetOpenChooser([file](QWidget*, QString& chosen) {
        chosen = QString::fromStdString(file);
        return true;
    });
}

class BoxWatcher {
  public:
    // `handler` answers each box or window; without one they are rejected.
    explicit BoxWatcher(std::function<void(QWidget* window)> handler = {})
        : watcher_(
              [this, handler](QWidget* window, int) {
                  if (qobject_cast<TransferDialogBase*>(window) != nullptr) return;
                  seen.push_back(watcher_.seen.back());
                  if (handler) {
                      handler(window);
                  } else {
                      Reject(window);
                  }
              },
              1000) {}

    std::vector<SeenWindow> seen;

  private:
    ModalWatcher watcher_;
};

}  // namespace guitest
