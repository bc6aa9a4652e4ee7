#include "transfer/pacing.h"

#include <algorithm>

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

}  // namespace kdm
