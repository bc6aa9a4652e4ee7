// The words of a transfer's progress on a terminal: how long is left, and the line a port's job shows
// while several ports are served at once. Pure functions of their input (no clock, no I/O), so that
// the wording can be checked without a device.
#pragma once

#include <string>

namespace kdmcli {

// Guesses the time to go from samples of units done (frames, telegrams) at given moments. The pace
// counts from the first unit: the search before it says nothing about the line.
class RemainingTime {
  public:
    // Too few units, or too short a span, give no honest estimate yet.
    static constexpr long long kMinimumUnits = 3;
    static constexpr long long kMinimumMs = 1000;

    // `total` <= 0: the end is not known, and neither is the time to go.
    void Sample(long long nowMs, long long done, long long total);
    // Milliseconds left, or -1 when not known.
    long long RemainingMs(long long nowMs) const;

  private:
    long long total_ = 0;
    long long firstAt_ = -1;
    long long firstDone_ = 0;
    long long lastAt_ = -1;
    long long lastDone_ = 0;
};

// "0:07", "12:30", "1:02:03".
std::string FormatDuration(long long ms);

// ", about 1:05 left", rounded up so that "0:00 left" never shows while something is still due; empty
// when not known.
std::string RemainingText(long long remainingMs);

// What a port's line shows while the jobs run.
struct PortRow {
    std::string port;     // "COM3", or a device path's last part
    std::string phase;    // "searching", "backup", "writing", "verifying", "reading"
    std::string unit;     // "frames" or "telegrams"
    long long done = 0;   // units so far
    long long total = 0;  // units in all; 0 when not known
    std::string program;  // the program whose parameters are on the line
    long long remainingMs = -1;
    std::string wait;     // a wait of 2 s or more, as DescribeWait says it; empty otherwise
    std::string outcome;  // once the job ended: its summary
};

// One line per port: "COM3   writing    frames 120/456  26%  program 3, about 0:50 left", a wait in place
// of the remaining time while one lasts; the summary once the port's job ended. `width` pads the port
// names to one column.
std::string RowText(const PortRow& row, std::size_t width);

}  // namespace kdmcli
