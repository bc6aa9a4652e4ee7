// The system clock a test may speed up: the programs count the same milliseconds, real time passes
// faster, and a user's run (no KDMXP_TIME_SCALE) gets the plain clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform_temp.h"

namespace {

using platformtest::ScopedEnv;

std::int64_t RealNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct ScaleCase {
    std::optional<std::string> value;
    int scale;
};

TEST(TimeScale, OnlyAWholeNumberFromOneToAHundredSpeedsTheClockUp) {
    const ScaleCase cases[] = {
        {std::nullopt, 1}, {"", 1},
        {"1", 1},          {"10", 10},
        {"100", 100},      {"0", 1},
        {"-5", 1},         {"101", 1},
        {"10x", 1},        {" 10", 1},
        {"2.5", 1},        {"ten", 1},
        {"+7", 1},         {"99999999999999999999", 1},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.value.value_or("(unset)"));
        const ScopedEnv env(kdm::kTimeScaleVariable, c.value);
        EXPECT_EQ(kdm::TimeScaleFromEnvironment(), c.scale);
    }
}

TEST(SystemClock, RealWaitsAreTheClocksWaitsDividedBySpeedUpAndRoundedUp) {
    struct Case {
        int speedUp, ms, real;
    };
    const Case cases[] = {
        {1, 100, 100},
        {1, 1, 1},
        {1, 0, 0},
        {1, -3, 0},
        {10, 100, 10},
        {10, 95, 10},
        {10, 1, 1},
        {10, 0, 0},
        {100, 100, 1},
        {100, 250, 3},
        // Out of range: the plain clock.
        {0, 100, 100},
        {-4, 100, 100},
        {101, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("speed-up " + std::to_string(c.speedUp) + ", " + std::to_string(c.ms) + " ms");
        kdm::SystemClock clock(c.speedUp);
        EXPECT_EQ(clock.RealMs(c.ms), c.real);
    }
}

// The clock is read between the outer and the inner real-time readings, so whatever the machine's load,
// the clock's time lies between speed-up times the inner and speed-up times the outer real time.
TEST(SystemClock, ASpedUpClockCountsItsMillisecondsAndSleepsThemFaster) {
    for (const int speedUp : {1, 10, 100}) {
        SCOPED_TRACE("speed-up " + std::to_string(speedUp));
        kdm::SystemClock clock(speedUp);
        const int sleepMs = 10 * speedUp;  // 10 ms of real time
        const std::int64_t outerStart = RealNowMs();
        const std::int64_t clockStart = clock.NowMs();
        const std::int64_t innerStart = RealNowMs();
        clock.SleepMs(sleepMs);
        const std::int64_t innerEnd = RealNowMs();
        const std::int64_t clockEnd = clock.NowMs();
        const std::int64_t outerEnd = RealNowMs();

        const std::int64_t clockElapsed = clockEnd - clockStart;
        EXPECT_GE(clockElapsed, sleepMs);
        EXPECT_GE(clockElapsed, speedUp * (innerEnd - innerStart - 1));
        EXPECT_LE(clockElapsed, speedUp * (outerEnd - outerStart + 1));
        // A clock whose sleeps ignore the speed-up would need the full time of its milliseconds.
        if (speedUp == 100) {
            EXPECT_LT(innerEnd - innerStart, sleepMs);
        }
    }
}

}  // namespace
