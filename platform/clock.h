// Time as the core sees it. The core never sleeps or reads a clock by itself: it asks an IClock, so tests
// can run a conversation of many seconds in microseconds and still assert every wait in milliseconds.
#pragma once

#include <cstdint>

namespace kdm {

class IClock {
  public:
    virtual ~IClock() = default;
    // Milliseconds on a monotonic clock; only differences are meaningful.
    virtual std::int64_t NowMs() = 0;
    // Blocks the calling thread for `ms` milliseconds (fake clocks just advance).
    virtual void SleepMs(int ms) = 0;
};

// The real thing: CLOCK_MONOTONIC and nanosleep (restarted on EINTR).
class SystemClock final : public IClock {
  public:
    std::int64_t NowMs() override;
    void SleepMs(int ms) override;
};

}  // namespace kdm
