// The wait for the next point of the frame grid: sleep to an absolute deadline a
// margin before the point, then spin the rest. The margin follows what the last
// wake-ups measured: it rises at once to cover a late wake-up and falls slowly,
// so the spin stays a fraction of a millisecond where the system wakes on time.
#pragma once

// The time source of the frame pacing; tests put a clock of their own here.
struct FrameClock {
    double (*now)() = nullptr;                     // milliseconds
    void (*sleepUntil)(double deadline) = nullptr;  // in now()'s time; null: busy wait only
};

class FramePacer {
  public:
    static constexpr double kFirstMargin = 1.0;     // ms, before anything was measured
    static constexpr double kSmallestMargin = 0.05;  // ms
    static constexpr double kLargestMargin = 4.0;    // ms

    // Returns once clock.now() has passed deadline; pump runs once while waiting.
    void WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);
    double Margin() const { return m_margin; }
    // Takes in how late a wake-up was (ms after the time asked for).
    void LearnLateness(double late);

  private:
    double m_margin = kFirstMargin;
};

// The platform clock's sleep to an absolute deadline (on the monotonic clock).
void SleepUntilPlatformTime(double deadline);
