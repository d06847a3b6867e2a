#pragma once
#include <chrono>

// When a long run says what it is doing: the wall clock decides only when a line is printed,
// never what the run does, so a run and its answer are the same however fast the machine is.
inline constexpr double ProgressSeconds = 5.0;

class ProgressClock {
  public:
    explicit ProgressClock(double everySeconds = ProgressSeconds)
        : every(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(everySeconds))),
          started(Clock::now()), next(started + every) {}

    // True once `everySeconds` have passed since the start or since it was last true.
    bool due() {
        const Clock::time_point now = Clock::now();
        if (now < next)
            return false;
        next = now + every;
        return true;
    }
    double seconds() const { return std::chrono::duration<double>(Clock::now() - started).count(); }

  private:
    using Clock = std::chrono::steady_clock;
    Clock::duration every;
    Clock::time_point started;
    Clock::time_point next;
};
