// The readable record of the line: one line per telegram and direction, with the milliseconds since the
// simulator started, control bytes spelled out (<STX>, <ETX>, <CR>, <LF>, <0xNN>).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kdmsim {

// Nanoseconds on CLOCK_MONOTONIC; only differences mean something.
std::int64_t MonotonicNs();

// Printable ASCII as it is, the framing and line-end bytes by name, everything else as <0xNN>.
std::string Legible(std::string_view bytes);

class TrafficLog {
  public:
    TrafficLog() = default;
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // Starts a new log at `path` (truncated). False with a reason when it cannot be created.
    bool Open(const std::string& path, std::int64_t startNs, std::string& reason);
    bool IsOpen() const { return file_ != nullptr; }

    // "   123.456 ms  tx#3         <STX>0g+I1P000--...<ETX>"; every line is flushed at once so that a
    // reader sees it while the simulator runs.
    void Bytes(std::int64_t nowNs, std::string_view label, std::string_view bytes);
    void Event(std::int64_t nowNs, std::string_view text);

  private:
    void Line(std::int64_t nowNs, std::string_view label, std::string_view text);
    std::FILE* file_ = nullptr;
    std::int64_t startNs_ = 0;
};

}  // namespace kdmsim
