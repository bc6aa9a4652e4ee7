// Waiting and ticking for the transfer engines, in a way a stop request can cut short.
//
// The engines run their conversation on one thread and may be asked to stop from another. Every wait
// is therefore cut into short slices with a look at the stop flag between them, so a stop never
// waits for the rest of a 200 ms pause. Time comes from the injected clock only.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/link.h"
#include "platform/clock.h"

namespace kdm {

// Longest single sleep inside a wait: the worst delay before a stop request is seen.
inline constexpr int kWaitSliceMs = 20;

// Sleeps until the clock reaches `deadlineMs`. Returns false as soon as `stopCommand` is non-zero
// (before or between slices), true when the deadline was reached without a stop.
bool WaitUntil(IClock& clock, std::int64_t deadlineMs, const std::atomic<int>& stopCommand);

// Sleeps `ms` milliseconds from now, with the same stop rule.
bool WaitFor(IClock& clock, int ms, const std::atomic<int>& stopCommand);

// Calls `tick` while `running` holds, like a window timer of `intervalMs`: the next tick is due one
// interval after the previous one started, so a tick that blocked on the line for longer is followed
// at once and no idle time is added between telegrams. A stop ends the wait early; the next tick
// performs it.
void RunTicks(IClock& clock, int intervalMs, const std::atomic<int>& stopCommand, const bool& running,
              const std::function<void()>& tick);

// The message both transfer windows show for a device search that did not find a device.
std::string SearchErrorText(int searchResult);
// The same, with kNoStatusReplyText on a line of its own when the device that identified itself last
// never answered its status request.
std::string SearchFailureText(int searchResult, const std::vector<SearchAttempt>& attempts);

}  // namespace kdm
