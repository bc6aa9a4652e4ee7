// What the simulated device says, as pure byte handling: frames received from the tool go in, the
// telegrams to send come out as units of bytes with the injected faults already applied. No I/O and no
// clock here; the line (sim/line.h) paces the bytes and watches the port.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.h"
#include "sim/parameter_set.h"

namespace kdmsim {

// One byte for the line, with what must happen before it goes out.
struct OutByte {
    unsigned char value = 0;
    int pauseBeforeMs = 0;      // line-fault "pause"
    bool hangupBefore = false;  // line-fault "hangup": the line goes dead instead of sending this byte
};

// A telegram (or a run of garbage) as it will go out: logged as one line once its last byte is sent.
struct OutUnit {
    std::string label;  // "tx#3" or "tx#3+garbage"
    std::vector<OutByte> bytes;
};

// The 14 characters of the request telegrams the device answers.
inline constexpr std::string_view kStatusRequest = "0F+000000--539";
inline constexpr std::string_view kSystemRequest = "0s+000000--584";
inline constexpr std::string_view kProgramRequest = "0D+000000--537";

class Conversation {
  public:
    using FrameLogger = std::function<void(const std::string& label, std::string_view bytes)>;

    // `set` is the device's memory: written frames change it. Both must outlive the conversation.
    Conversation(ParameterSet& set, const FaultPlan& plan, std::uint64_t seed);

    // Called with every frame received ("rx#N", its 16 bytes) and with bytes outside frames ("rx noise").
    void SetFrameLogger(FrameLogger logger) { logger_ = std::move(logger); }

    // The tool opened the port: numbering starts again, and what a write left half-done is forgotten.
    void Begin(std::deque<OutUnit>& out);
    // The identification telegram, sent unasked after the open and now and then until the first frame.
    void QueueIdentification(std::deque<OutUnit>& out);
    // Bytes from the tool; the answers to complete frames are appended to `out`.
    void Receive(std::string_view bytes, std::deque<OutUnit>& out);
    // The line has sent everything queued: an answer that never ends (FaultPlan::endless) goes on.
    void Continue(std::deque<OutUnit>& out);
    // Bytes that never completed a frame, logged when the port closes.
    void End();

    bool AwaitingFirstFrame() const { return received_ == 0; }
    // True once a frame was written into the device during this open.
    bool WroteThisCycle() const { return wroteThisCycle_; }
    int SentCount() const { return sent_; }
    int ReceivedCount() const { return received_; }

    // The error digits an 'F' telegram carries at positions 7 and 8.
    static std::string FTelegram(int errorNumber);

  private:
    void Handle(const std::string& frame, std::deque<OutUnit>& out);
    void AnswerWithF(int errorNumber, std::deque<OutUnit>& out);
    void Queue(std::string telegram, std::deque<OutUnit>& out);
    void QueueGarbage(int afterTelegram, std::deque<OutUnit>& out);
    void StoreWritten(const std::string& telegram);
    void FlushNoise();

    ParameterSet& set_;
    const FaultPlan& plan_;
    std::uint64_t garbageState_;
    FrameLogger logger_;
    int sent_ = 0;
    int received_ = 0;
    bool statusAsked_ = false;
    bool wroteThisCycle_ = false;
    bool endlessAnswer_ = false;  // an endless answer is under way
    std::size_t endlessNext_ = 0;
    bool inFrame_ = false;
    std::string frame_;
    std::string noise_;
};

}  // namespace kdmsim
