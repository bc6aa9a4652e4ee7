// What a transfer window shows, as calls. The desktop dialogs and the command line are two observers.
//
// The engines call these from the thread that runs them. Calls that stand for modal boxes and dialogs
// return only when the user has answered. Texts are passed as the bytes they are: a telegram text keeps
// its STX and ETX, and each display renders control bytes in its own way.
#pragma once

#include <string>

#include "link/waits.h"

namespace kdm {

// Control ids of the two transfer windows.
inline constexpr int kCtlStatusLine = 1010;
inline constexpr int kCtlReadingParameter = 1011;  // read: telegram of the previous tick
inline constexpr int kCtlParameterNo = 1012;       // read: telegram counter (write: progress bar)
inline constexpr int kCtlProgramNo = 1013;         // read: program number; write: data to transfer
inline constexpr int kCtlWriteProgramNo = 1015;    // write: program number

// Both transfer windows drive their conversation from a timer with this interval.
inline constexpr int kTimerIntervalMs = 20;

// Dialog results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class ITransferObserver {
  public:
    virtual ~ITransferObserver() = default;

    // The status line shows string `stringId`.
    virtual void OnStatus(int stringId) = 0;
    // The status line shows a raw text (the write shows each frame it sends).
    virtual void OnStatusText(const std::string& text) = 0;
    // A static control shows `text` (ids above).
    virtual void OnControlText(int controlId, const std::string& text) = 0;
    virtual void OnProgressRange(int low, int high) = 0;
    virtual void OnProgressPos(int position) = 0;
    // The device search is about to try port `portNumber` (not a window of the original; for progress).
    virtual void OnSearchPort(int portNumber) { (void)portNumber; }
    // A wait of the link has lasted 2 s or more (notice.seconds), or an announced wait is over (0). Not
    // a window of the original either: the status line says what the conversation waits for.
    virtual void OnWait(const WaitNotice& notice) { (void)notice; }

    // Message boxes: error (title "KDM XP Error", exclamation icon) and information (given title).
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& title, const std::string& text) = 0;

    // Read: the save dialog; true with a path, false when cancelled.
    virtual bool ChooseSavePath(std::string& path) = 0;
    // Read: "Actual data not stored! / Do you realy want to break?" titled "KDM XP  V 1.6 "; true = Yes.
    virtual bool AskDiscardUnsaved() = 0;
    // Write: the file-open dialog; true with a path, false when cancelled.
    virtual bool ChooseFileToWrite(std::string& path) = 0;
    // Write, before any port is opened: the file holds records marked " !!!", listed in `text`, and
    // nothing else is wrong with it. True sends them as they are; the answer when nobody says so is No.
    virtual bool AskWriteMarkedRecords(const std::string& text) {
        (void)text;
        return false;
    }
};

}  // namespace kdm
