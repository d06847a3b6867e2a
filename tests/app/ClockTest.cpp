#include "app/Clock.h"

#include <gtest/gtest.h>

namespace {

class FakeTicks : public TickSource {
  public:
    std::int64_t rate = 1'000'000'000;
    std::int64_t now = 0;
    std::int64_t frequency() override { return rate; }
    std::int64_t counter() override { return now; }
};

TEST(Clock, FirstReadingIsZeroAndLaterOnesAreWholeMilliseconds) {
    FakeTicks ticks;
    ticks.now = 123456789;
    Clock clock{&ticks};
    EXPECT_EQ(clock.readClock(), 0.0);
    ticks.now += 16'999'999; // 16.999999 ms truncates to 16 ms
    EXPECT_EQ(clock.readClock(), 16 * 0.001);
}

TEST(Clock, TwoHundredDaysOfNanosecondTicksDoNotOverflow) {
    FakeTicks ticks;
    Clock clock{&ticks};
    clock.readClock();
    const std::int64_t days200 = 200LL * 24 * 3600 * 1'000'000'000LL + 7'000'000; // plus 7 ms
    ticks.now = days200;
    const std::int64_t expectedMs = 200LL * 24 * 3600 * 1000 + 7;
    EXPECT_EQ(elapsedMilliseconds(days200, ticks.rate), expectedMs);
    EXPECT_EQ(clock.readClock(), static_cast<double>(expectedMs) * 0.001);
}

TEST(Clock, ZeroFrequencyDoesNotDivideByZero) {
    FakeTicks ticks;
    ticks.rate = 0;
    Clock clock{&ticks};
    EXPECT_EQ(clock.readClock(), 0.0);
    ticks.now = 250;
    EXPECT_EQ(clock.readClock(), 250 * 0.001);
}

} // namespace
