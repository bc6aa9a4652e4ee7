#include "sim/traffic_log.h"

#include <time.h>

#include <cerrno>
#include <cstring>

#include "link/visible_text.h"

namespace kdmsim {

std::int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

std::string Legible(std::string_view bytes) {
    // Logs stay pure ASCII, so that they compare byte for byte with any tool.
    return kdm::VisibleText(bytes, {.names = kdm::VisibleStyle::Names::kLine, .hexUpTo = 0xFF});
}

TrafficLog::~TrafficLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool TrafficLog::Open(const std::string& path, std::int64_t startNs, std::string& reason) {
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        reason = path + ": " + std::strerror(errno);
        return false;
    }
    startNs_ = startNs;
    return true;
}

void TrafficLog::Bytes(std::int64_t nowNs, std::string_view label, std::string_view bytes) {
    Line(nowNs, label, Legible(bytes));
}

void TrafficLog::Event(std::int64_t nowNs, std::string_view text) {
    Line(nowNs, "--", text);
}

void TrafficLog::Line(std::int64_t nowNs, std::string_view label, std::string_view text) {
    if (file_ == nullptr) return;
    const std::int64_t us = (nowNs - startNs_) / 1000;
    std::fprintf(file_, "%10lld.%03lld ms  %-14.*s %.*s\n", static_cast<long long>(us / 1000),
                 static_cast<long long>(us % 1000), static_cast<int>(label.size()), label.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(file_);
}

}  // namespace kdmsim
