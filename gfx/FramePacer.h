// The wait for the next point of the frame grid: sleep to an absolute deadline a
// margin before the point, then spin the rest. The margin covers the latest of the
// recent wake-ups (a frame shown late costs two uneven intervals, so even one in a
// hundred would be seen): it rises at once with a late wake-up and falls only when
// that has left the window, and where the system wakes on time the spin stays a
// fraction of a millisecond.
#pragma once

#include <array>
#include <cstddef>

// The time source of the frame pacing; tests put a clock of their own here.
struct FrameClock {
    double (*now)() = nullptr;                     // milliseconds
    void (*sleepUntil)(double deadline) = nullptr;  // in now()'s time; null: busy wait only
};

class FramePacer {
  public:
    static constexpr double kFirstMargin = 1.0;     // ms, before anything was measured
    static constexpr double kSmallestMargin = 0.15;  // ms
    static constexpr double kLargestMargin = 4.0;    // ms

    // Returns once clock.now() has passed deadline; pump runs once while waiting.
    void WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);
    double Margin() const { return m_margin; }
    // Takes in how late a wake-up was (ms after the time asked for).
    void LearnLateness(double late);

    // The wake-ups the margin covers.
    static constexpr std::size_t kRemembered = 100;

  private:
    std::array<double, kRemembered> m_lateness{};
    std::size_t m_measured = 0;  // all wake-ups taken in; the ring's next slot is this modulo
    double m_margin = kFirstMargin;
};

// The platform clock's sleep to an absolute deadline (on the monotonic clock).
void SleepUntilPlatformTime(double deadline);
