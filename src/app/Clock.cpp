#include "app/Clock.h"

std::int64_t elapsedMilliseconds(std::int64_t elapsed, std::int64_t frequency) {
    const std::int64_t q = elapsed / frequency;
    const std::int64_t r = elapsed % frequency;
    return q * 1000 + r * 1000 / frequency;
}

double Clock::readClock() {
    if (clockFrequency == 0) {
        clockFrequency = ticks->frequency();
        // A counter that claims no rate would divide by zero: count it as one tick a millisecond.
        if (clockFrequency <= 0)
            clockFrequency = 1000;
        clockStart = ticks->counter();
    }
    const std::int64_t now = ticks->counter();
    return static_cast<double>(elapsedMilliseconds(now - clockStart, clockFrequency)) * 0.001;
}

void Clock::moveOrigin(std::int64_t seconds) {
    // No more ticks than have passed since the origin, so this cannot overflow.
    clockStart += seconds * clockFrequency;
}
