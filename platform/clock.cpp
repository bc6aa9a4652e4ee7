#include "platform/clock.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace kdm {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;

}  // namespace

SystemClock::SystemClock(int speedUp) : speedUp_(speedUp >= 1 && speedUp <= kMaxTimeScale ? speedUp : 1) {}

std::int64_t SystemClock::NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t ns = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    return ns * speedUp_ / kNsPerMs;
}

void SystemClock::SleepMs(int ms) {
    if (ms <= 0) return;
    const std::int64_t ns = static_cast<std::int64_t>(ms) * kNsPerMs / speedUp_;
    timespec remaining{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    // A signal (Ctrl-C with its handler) cuts the sleep short; sleep the rest, not the whole time again.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

int SystemClock::RealMs(int ms) {
    if (ms <= 0) return 0;
    return (ms + speedUp_ - 1) / speedUp_;
}

int TimeScaleFromEnvironment() {
    const char* value = std::getenv(kTimeScaleVariable);
    if (value == nullptr || *value == '\0') return 1;
    int scale = 0;
    for (const char* c = value; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return 1;
        scale = scale * 10 + (*c - '0');
        if (scale > kMaxTimeScale) return 1;
    }
    return scale >= 1 ? scale : 1;
}

}  // namespace kdm
