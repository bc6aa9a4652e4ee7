#include "cli/progress_text.h"

#include <algorithm>
#include <cstdio>

namespace kdmcli {

void RemainingTime::Sample(long long nowMs, long long done, long long total) {
    total_ = total;
    if (done <= 0) return;
    if (firstAt_ < 0) {
        firstAt_ = nowMs;
        firstDone_ = done;
    }
    lastAt_ = nowMs;
    lastDone_ = done;
}

long long RemainingTime::RemainingMs(long long nowMs) const {
    if (total_ <= 0 || firstAt_ < 0) return -1;
    const long long units = lastDone_ - firstDone_;
    const long long span = lastAt_ - firstAt_;
    if (units < kMinimumUnits || span < kMinimumMs) return -1;
    const long long left = std::max(0LL, total_ - lastDone_);
    // Time since the last sample already counts against what is left.
    return std::max(0LL, left * span / units - (nowMs - lastAt_));
}

std::string FormatDuration(long long ms) {
    const long long seconds = std::max(0LL, ms) / 1000;
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

std::string RemainingText(long long remainingMs) {
    if (remainingMs < 0) return {};
    return ", about " + FormatDuration(remainingMs + 999) + " left";
}

std::string RowText(const PortRow& row, std::size_t width) {
    std::string line = row.port;
    line.resize(std::max(width, row.port.size()) + 2, ' ');
    if (!row.outcome.empty()) return line + row.outcome;
    std::string phase = row.phase;
    phase.resize(std::max<std::size_t>(phase.size(), 10) + 1, ' ');
    line += phase;
    if (row.done > 0 || row.total > 0) {
        line += row.unit + " " + std::to_string(row.done);
        if (row.total > 0) {
            // A device that sends more than last time must not read beyond 100 %.
            const long long percent = std::min(100LL, row.done * 100 / row.total);
            line += "/" + std::to_string(row.total) + "  " + std::to_string(percent) + "%";
        }
    }
    if (!row.program.empty()) line += "  program " + row.program;
    if (!row.wait.empty()) return line + "  " + row.wait;
    return line + RemainingText(row.remainingMs);
}

}  // namespace kdmcli
