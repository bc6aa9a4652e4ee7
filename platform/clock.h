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
    // How long a wait of `ms` milliseconds of this clock lasts in real time: what a port hands to
    // poll() for a wait the kernel times. At least 1 for any `ms` above 0; 0 for 0 or less.
    virtual int RealMs(int ms) { return ms > 0 ? ms : 0; }
};

// The real thing: CLOCK_MONOTONIC and nanosleep (restarted on EINTR).
//
// A test facility: built with a speed-up above 1, it runs that many times faster than real time. Every
// time-out the programs count on it (the port's 100 ms reads and the waits made of them, the pauses, the
// ticks) then passes that many times sooner, while the programs still count the same milliseconds and
// say the same seconds, so a test can wait out a device time-out of a minute in a few seconds. A user's
// run always has the speed-up 1: the plain system clock, the wire's timing as the device expects it.
class SystemClock final : public IClock {
  public:
    explicit SystemClock(int speedUp = 1);
    std::int64_t NowMs() override;
    void SleepMs(int ms) override;
    int RealMs(int ms) override;
    int SpeedUp() const { return speedUp_; }

  private:
    int speedUp_;
};

// Tests start the programs with KDMXP_TIME_SCALE=<n> (n from 2 to 100) to run their SystemClock n
// times faster; anything else, or nothing, is 1. Only the programs' own start-up asks for it.
inline constexpr const char* kTimeScaleVariable = "KDMXP_TIME_SCALE";
inline constexpr int kMaxTimeScale = 100;
int TimeScaleFromEnvironment();

}  // namespace kdm
