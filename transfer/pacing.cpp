#include "transfer/pacing.h"

#include <algorithm>

#include "data/strings.h"
#include "link/link.h"
#include "link/telegram.h"

namespace kdm {

bool WaitUntil(IClock& clock, std::int64_t deadlineMs, const std::atomic<int>& stopCommand) {
    for (;;) {
        if (stopCommand.load() != 0) return false;
        const std::int64_t left = deadlineMs - clock.NowMs();
        if (left <= 0) return true;
        clock.SleepMs(static_cast<int>(std::min<std::int64_t>(left, kWaitSliceMs)));
    }
}

bool WaitFor(IClock& clock, int ms, const std::atomic<int>& stopCommand) {
    return WaitUntil(clock, clock.NowMs() + ms, stopCommand);
}

void RunTicks(IClock& clock, int intervalMs, const std::atomic<int>& stopCommand, const bool& running,
              const std::function<void()>& tick) {
    while (running) {
        const std::int64_t started = clock.NowMs();
        tick();
        if (!running) break;
        WaitUntil(clock, started + intervalMs, stopCommand);
    }
}

std::string SearchErrorText(int searchResult) {
    switch (searchResult) {
        case kSearchNoDevice:
            return std::string(LoadString(sid::kNoDevice));
        case kSearchNoPort:
            return std::string(LoadString(sid::kNoComIo));
        case kSearchStatusFailed:
            return std::string(LoadString(sid::kCableDefect));
        default:
            return std::string(LoadString(sid::kUnknownError));
    }
}

std::string SearchFailureText(int searchResult, const std::vector<SearchAttempt>& attempts) {
    std::string text = SearchErrorText(searchResult);
    if (searchResult == kSearchStatusFailed && !attempts.empty() &&
        attempts.back().outcome == PortOutcome::kStatusFailed &&
        attempts.back().errorNumber == kNoDeviceResponse) {
        text += '\n';
        text += kNoStatusReplyText;
    }
    return text;
}

}  // namespace kdm
