#include "sim/conversation.h"

#include "link/telegram.h"
#include "link/wire.h"

namespace kdmsim {

namespace {

// Any letter that is neither 'F' nor 'g' would do; this one names nothing in any layout.
constexpr char kOtherLetter = 'Z';

std::string TwoDigits(int number) {
    std::string digits(2, '0');
    digits[0] = static_cast<char>('0' + (number / 10) % 10);
    digits[1] = static_cast<char>('0' + number % 10);
    return digits;
}

// The checksum digits replaced by the next number, so the sum no longer matches.
std::string WithWrongChecksum(std::string telegram) {
    int sum = 0;
    for (std::size_t i = 11; i < 14; ++i)
        sum = sum * 10 + (telegram[i] - '0');
    sum = (sum + 1) % 1000;
    for (std::size_t i = 14; i-- > 11;) {
        telegram[i] = static_cast<char>('0' + sum % 10);
        sum /= 10;
    }
    return telegram;
}

}  // namespace

Conversation::Conversation(ParameterSet& set, const FaultPlan& plan, std::uint64_t seed)
    : set_(set), plan_(plan), garbageState_((seed ^ 0x5A17E5EEDULL) | 1) {}  // xorshift must not start at 0

std::string Conversation::FTelegram(int errorNumber) {
    return MakeTelegram('F', "+0000" + TwoDigits(errorNumber) + "--");
}

void Conversation::Begin(std::deque<OutUnit>& out) {
    sent_ = 0;
    received_ = 0;
    statusAsked_ = false;
    wroteThisCycle_ = false;
    endlessAnswer_ = false;
    endlessNext_ = 0;
    inFrame_ = false;
    frame_.clear();
    noise_.clear();
    QueueGarbage(0, out);
}

void Conversation::Continue(std::deque<OutUnit>& out) {
    if (!endlessAnswer_) return;
    // One telegram at a time, so that the queue stays short however long the answer runs.
    if (set_.system.empty()) {
        Queue(MakeTelegram(kOtherLetter, "+000000--"), out);
    } else {
        Queue(set_.system[endlessNext_++ % set_.system.size()], out);
    }
}

void Conversation::End() {
    if (inFrame_) noise_ += frame_;
    inFrame_ = false;
    frame_.clear();
    FlushNoise();
}

void Conversation::QueueIdentification(std::deque<OutUnit>& out) {
    Queue(set_.identification, out);
}

void Conversation::Receive(std::string_view bytes, std::deque<OutUnit>& out) {
    // Framing as the tool itself does it: a frame is an STX and the 15 bytes after it, whatever they are.
    for (char byte : bytes) {
        if (!inFrame_) {
            if (byte != kdm::STX) {
                noise_ += byte;
                continue;
            }
            FlushNoise();
            inFrame_ = true;
            frame_.assign(1, byte);
            continue;
        }
        frame_ += byte;
        if (frame_.size() == kdm::kFrameBytes) {
            inFrame_ = false;
            Handle(frame_, out);
        }
    }
}

void Conversation::FlushNoise() {
    if (noise_.empty()) return;
    if (logger_) logger_("rx noise", noise_);
    noise_.clear();
}

void Conversation::Handle(const std::string& frame, std::deque<OutUnit>& out) {
    ++received_;
    if (logger_) logger_("rx#" + std::to_string(received_), frame);
    const std::string telegram = frame.substr(1, kTelegramLength);
    if (telegram == kStatusRequest) {
        statusAsked_ = true;
        AnswerWithF(plan_.statusError, out);
    } else if (telegram == kSystemRequest) {
        if (plan_.endless) {
            endlessAnswer_ = true;
            Continue(out);
            return;
        }
        for (const std::string& t : set_.system)
            Queue(t, out);
        Queue(set_.identification, out);
    } else if (telegram == kProgramRequest) {
        for (const Program& program : set_.programs) {
            Queue(program.header, out);
            for (const std::string& t : program.parameters)
                Queue(t, out);
        }
        Queue(set_.identification, out);
    } else {
        // A device takes parameters only from a tool that has asked for its status first.
        if (statusAsked_) StoreWritten(telegram);
        const auto named = plan_.ackErrorAt.find(received_);
        AnswerWithF(named != plan_.ackErrorAt.end() ? named->second : plan_.ackErrorAll, out);
    }
}

void Conversation::AnswerWithF(int errorNumber, std::deque<OutUnit>& out) {
    if (plan_.noAck.count(received_) != 0) return;
    if (plan_.nonFBeforeAck.count(received_) != 0) Queue(MakeTelegram(kOtherLetter, "+000000--"), out);
    Queue(FTelegram(errorNumber), out);
}

void Conversation::StoreWritten(const std::string& telegram) {
    // The first written frame of an open starts a new parameter set; the frames then fill it in the
    // order received, so reading the device afterwards gives back exactly what was written.
    if (!wroteThisCycle_) {
        set_.system.clear();
        set_.programs.clear();
        wroteThisCycle_ = true;
    }
    if (telegram[1] == 'P') {
        set_.programs.push_back(Program{telegram, {}});
    } else if (set_.programs.empty()) {
        set_.system.push_back(telegram);
    } else {
        set_.programs.back().parameters.push_back(telegram);
    }
}

void Conversation::Queue(std::string telegram, std::deque<OutUnit>& out) {
    const int number = ++sent_;
    if (plan_.Silenced(number)) return;
    if (plan_.badChecksum.count(number) != 0) telegram = WithWrongChecksum(std::move(telegram));
    const std::string frame = std::string(1, kdm::STX) + telegram + kdm::ETX;

    OutUnit unit;
    unit.label = "tx#" + std::to_string(number);
    int pendingPauseMs = 0;  // a pause aimed at a dropped byte comes before the next one
    for (std::size_t offset = 0; offset < frame.size(); ++offset) {
        OutByte byte{static_cast<unsigned char>(frame[offset])};
        bool drop = false;
        int copies = 1;
        for (const LineFault& fault : plan_.lineFaults) {
            if (fault.telegram != number || static_cast<std::size_t>(fault.offset) != offset) continue;
            switch (fault.kind) {
                case LineFaultClass::kDrop:
                    drop = true;
                    break;
                case LineFaultClass::kFlip:
                    byte.value ^= kFlipMask;
                    break;
                case LineFaultClass::kDup:
                    ++copies;
                    break;
                case LineFaultClass::kPause:
                    pendingPauseMs = kPauseFaultMs;
                    break;
                case LineFaultClass::kHangup:
                    byte.hangupBefore = true;
                    break;
            }
        }
        if (byte.hangupBefore) {
            // Nothing after a hang-up reaches the line, so the unit ends here.
            byte.pauseBeforeMs = pendingPauseMs;
            unit.bytes.push_back(byte);
            out.push_back(std::move(unit));
            return;
        }
        if (drop) continue;
        byte.pauseBeforeMs = pendingPauseMs;
        pendingPauseMs = 0;
        for (int i = 0; i < copies; ++i) {
            unit.bytes.push_back(byte);
            byte.pauseBeforeMs = 0;
        }
    }
    out.push_back(std::move(unit));
    QueueGarbage(number, out);
}

void Conversation::QueueGarbage(int afterTelegram, std::deque<OutUnit>& out) {
    const auto found = plan_.garbageAfter.find(afterTelegram);
    if (found == plan_.garbageAfter.end() || plan_.Silenced(afterTelegram + 1)) return;
    OutUnit unit;
    unit.label = "tx#" + std::to_string(afterTelegram) + "+garbage";
    for (int i = 0; i < found->second; ++i) {
        // xorshift: deterministic noise; an STX would start a telegram, which garbage must not do.
        garbageState_ ^= garbageState_ << 13;
        garbageState_ ^= garbageState_ >> 7;
        garbageState_ ^= garbageState_ << 17;
        unsigned char value = static_cast<unsigned char>(garbageState_ >> 24);
        if (value == static_cast<unsigned char>(kdm::STX)) value = 0x7F;
        unit.bytes.push_back(OutByte{value});
    }
    out.push_back(std::move(unit));
}

}  // namespace kdmsim
