#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace kdm {

std::int64_t SystemClock::NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SystemClock::SleepMs(int ms) {
    if (ms <= 0) return;
    timespec remaining{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    // A signal (Ctrl-C with its handler) cuts the sleep short; sleep the rest, not the whole time again.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace kdm
