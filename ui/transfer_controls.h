// The static controls of the read and the write window, by the ids their layouts give them, and which
// of the transfer's events each one shows. Free of Qt, so that what a window would show can be
// recorded without one.
#pragma once

#include <string>

#include "transfer/observer.h"
#include "transfer/write_engine.h"

namespace kdm {

inline constexpr int kCtlStatusLine = 1010;
inline constexpr int kCtlReadingParameter = 1011;  // read: telegram of the previous tick
inline constexpr int kCtlParameterNo = 1012;       // read: telegram counter (write: progress bar)
inline constexpr int kCtlProgramNo = 1013;         // read: program number; write: data to transfer
inline constexpr int kCtlWriteProgramNo = 1015;    // write: program number

// An observer that shows the transfer's texts where the windows show them: in a control by its id, or
// as a raw text in the status line.
class TransferControlsObserver : public ITransferObserver {
  public:
    virtual void OnControlText(int controlId, const std::string& text) = 0;
    virtual void OnStatusText(const std::string& text) = 0;

    void OnTelegramShown(const std::string& telegram) override {
        OnControlText(kCtlReadingParameter, telegram);
    }
    void OnTelegramCount(int count) override { OnControlText(kCtlParameterNo, std::to_string(count)); }
    void OnProgramNumber(const std::string& number) override { OnControlText(kCtlProgramNo, number); }
    void OnWriteProgramNumber(const std::string& number) override {
        OnControlText(kCtlWriteProgramNo, number);
    }
    // The write's status line shows each frame as it goes out.
    void OnFrameSent(const std::string& frame) override { OnStatusText(frame); }
    void OnRemaining(int characters) override { OnControlText(kCtlProgramNo, std::to_string(characters)); }
};

}  // namespace kdm
