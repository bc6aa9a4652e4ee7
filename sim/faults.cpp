#include "sim/faults.h"

#include <charconv>

namespace kdmsim {

namespace {

// A whole decimal number from `low` to `high`, nothing else.
bool ParseNumber(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

constexpr int kMaxCount = 1'000'000;

}  // namespace

bool ParseLineFault(const std::string& text, LineFault& fault, std::string& reason) {
    const std::size_t at = text.find('@');
    const std::size_t colon = text.find(':', at == std::string::npos ? 0 : at);
    if (at == std::string::npos || colon == std::string::npos) {
        reason = "'" + text + "' is not CLASS@K:OFFSET";
        return false;
    }
    const std::string name = text.substr(0, at);
    static const std::map<std::string, LineFaultClass> kClasses = {{"drop", LineFaultClass::kDrop},
                                                                   {"flip", LineFaultClass::kFlip},
                                                                   {"dup", LineFaultClass::kDup},
                                                                   {"pause", LineFaultClass::kPause},
                                                                   {"hangup", LineFaultClass::kHangup}};
    const auto found = kClasses.find(name);
    if (found == kClasses.end()) {
        reason = "unknown fault class '" + name + "' (drop, flip, dup, pause or hangup)";
        return false;
    }
    LineFault parsed;
    parsed.kind = found->second;
    const std::string_view view(text);
    if (!ParseNumber(view.substr(at + 1, colon - at - 1), 1, kMaxCount, parsed.telegram)) {
        reason = "'" + text + "': the telegram number must be 1 or more";
        return false;
    }
    if (!ParseNumber(view.substr(colon + 1), 0, 15, parsed.offset)) {
        reason = "'" + text + "': the byte offset must be 0 to 15";
        return false;
    }
    fault = parsed;
    return true;
}

bool ParseAckError(const std::string& text, FaultPlan& plan, std::string& reason) {
    const std::string_view view(text);
    const std::size_t at = view.find('@');
    int number = 0;
    if (!ParseNumber(view.substr(0, at), 0, 99, number)) {
        reason = "'" + text + "': the error number must be 0 to 99";
        return false;
    }
    if (at == std::string_view::npos) {
        plan.ackErrorAll = number;
        return true;
    }
    int frame = 0;
    if (!ParseNumber(view.substr(at + 1), 1, kMaxCount, frame)) {
        reason = "'" + text + "': the frame number must be 1 or more";
        return false;
    }
    plan.ackErrorAt[frame] = number;
    return true;
}

bool ParseGarbage(const std::string& text, FaultPlan& plan, std::string& reason) {
    const std::string_view view(text);
    const std::size_t colon = view.find(':');
    int telegram = 0;
    int count = 0;
    if (colon == std::string_view::npos || !ParseNumber(view.substr(0, colon), 0, kMaxCount, telegram) ||
        !ParseNumber(view.substr(colon + 1), 1, 4096, count)) {
        reason = "'" + text + "' is not K:N (telegram 0 or more, 1 to 4096 bytes)";
        return false;
    }
    plan.garbageAfter[telegram] += count;
    return true;
}

}  // namespace kdmsim
