// The simulated device of kdmxp-sim run in-process behind the serial-port interface, on the fake clock:
// the same conversation and the same injected line faults, but a 100-read wait costs no real time, so
// the whole fault matrix runs in seconds and every wait can be bounded exactly.
//
// Only "COM1" exists. Bytes go out as fast as they are read (like --no-pacing); a pause fault keeps the
// line quiet for its time; a hang-up makes every later read report the line gone and removes the port.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "platform/serial_port.h"
#include "sim/conversation.h"
#include "sim/faults.h"
#include "sim/parameter_set.h"
#include "support/fakes.h"

namespace kdmtest {

class DevicePort final : public kdm::ISerialPort {
  public:
    DevicePort(FakeClock& clock, kdmsim::ParameterSet& set, const kdmsim::FaultPlan& plan)
        : clock_(clock), conversation_(set, plan, 1) {}

    kdm::Status Open(const std::string& name) override {
        if (name != "COM1" || gone_) return kdm::Failure(ENOENT, name + ": no such port");
        open_ = true;
        queue_.clear();
        pauseUntil_ = -1;
        std::deque<kdmsim::OutUnit> units;
        conversation_.Begin(units);
        conversation_.QueueIdentification(units);
        Take(units);
        nextIdentificationMs_ = clock_.now + kIdentificationRepeatMs;
        return {};
    }
    kdm::Status ApplyLineSettings() override {
        if (!open_) return kdm::Failure(EBADF, "no port is open");
        return {};
    }
    void Close() override {
        if (!open_) return;
        conversation_.End();
        open_ = false;
        queue_.clear();
    }
    bool IsOpen() const override { return open_; }

    kdm::Result<unsigned char> ReadByte() override {
        ++reads;
        if (!open_ || gone_) {
            ++instantReads;
            return LineGoneFailure();
        }
        if (queue_.empty() && conversation_.AwaitingFirstFrame() && clock_.now >= nextIdentificationMs_) {
            std::deque<kdmsim::OutUnit> units;
            conversation_.QueueIdentification(units);
            Take(units);
            nextIdentificationMs_ = clock_.now + kIdentificationRepeatMs;
        }
        if (queue_.empty()) {
            // An answer that never ends goes on once the line has sent what was queued.
            std::deque<kdmsim::OutUnit> units;
            conversation_.Continue(units);
            Take(units);
        }
        if (queue_.empty()) {
            clock_.now += kReadMs;
            return SilentRead();
        }
        kdmsim::OutByte& next = queue_.front();
        if (next.hangupBefore) {
            gone_ = true;
            open_ = false;
            queue_.clear();
            ++instantReads;
            return LineGoneFailure();
        }
        if (next.pauseBeforeMs > 0 && pauseUntil_ < 0) pauseUntil_ = clock_.now + next.pauseBeforeMs;
        if (pauseUntil_ >= 0) {
            if (pauseUntil_ - clock_.now > kReadMs) {
                clock_.now += kReadMs;
                return SilentRead();
            }
            clock_.now = std::max(clock_.now, pauseUntil_);
            pauseUntil_ = -1;
        }
        const unsigned char byte = next.value;
        queue_.pop_front();
        return byte;
    }

    kdm::Result<std::size_t> Write(const void* data, std::size_t count) override {
        if (!open_ || gone_) return LineGoneFailure();
        const std::string_view bytes(static_cast<const char*>(data), count);
        written += bytes;
        std::deque<kdmsim::OutUnit> units;
        conversation_.Receive(bytes, units);
        Take(units);
        return count;
    }

    bool Gone() const { return gone_; }

    long reads = 0;
    long instantReads = 0;  // reads that came back at once (line gone): the ones that could spin
    std::string written;

  private:
    static constexpr std::int64_t kReadMs = 100;
    // As kdmxp-sim: the identification again every 2 s until the first frame.
    static constexpr std::int64_t kIdentificationRepeatMs = 2000;

    static kdm::Failure SilentRead() { return kdm::Failure(kdm::kReadTimedOut, "no byte within 100 ms"); }
    static kdm::Failure LineGoneFailure() { return kdm::Failure(kdm::kErrorHungUp, "the line hung up"); }

    void Take(std::deque<kdmsim::OutUnit>& units) {
        for (auto& unit : units) {
            for (const kdmsim::OutByte& b : unit.bytes)
                queue_.push_back(b);
        }
    }

    FakeClock& clock_;
    kdmsim::Conversation conversation_;
    std::deque<kdmsim::OutByte> queue_;
    bool open_ = false;
    bool gone_ = false;
    std::int64_t pauseUntil_ = -1;
    std::int64_t nextIdentificationMs_ = 0;
};

}  // namespace kdmtest
