// The wait for the next point of the frame grid: sleep to an absolute deadline a
// margin before the point, then spin the rest. The margin covers all but the very
// latest of the recent wake-ups: a frame shown late is seen as two uneven
// intervals, so the rare wake-up the system delays by milliseconds is let through
// rather than paid for with that much spinning in every frame for seconds after.
#pragma once

#include <array>
#include <cstddef>

// The time source of the frame pacing; tests put a clock of their own here.
struct FrameClock {
    double (*now)() = nullptr;                     // milliseconds
    void (*sleepUntil)(double deadline) = nullptr;  // in now()'s time; null: busy wait only
    // The CPU time of the waiting thread (ms), where the waits' own cost is measured.
    double (*cpuNow)() = nullptr;
};

class FramePacer {
  public:
    static constexpr double kFirstMargin = 1.0;     // ms, before anything was measured
    static constexpr double kSmallestMargin = 0.15;  // ms
    static constexpr double kLargestMargin = 4.0;    // ms
    // The margin covers the lateness of the wake-ups remembered with kSpare to
    // spare, all but the latest one in kWakeUpsPerUncovered of them: while fewer
    // than that are remembered, all of them.
    static constexpr std::size_t kRemembered = 500;  // about 8 seconds at 60 frames a second
    static constexpr std::size_t kWakeUpsPerUncovered = 250;
    static constexpr double kSpare = 0.05;  // ms

    // Returns once clock.now() has passed deadline; pump runs once while waiting.
    void WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);
    double Margin() const { return m_margin; }
    // Takes in how late a wake-up was (ms after the time asked for).
    void LearnLateness(double late);
    // The CPU time all the waits took, where the clock measures it (ms).
    double WaitCpu() const { return m_waitCpu; }

  private:
    void Wait(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);
    // The lateness the margin covers: the latest remembered after the uncovered ones.
    double CoveredLateness() const;

    std::array<double, kRemembered> m_lateness{};
    std::size_t m_measured = 0;  // all wake-ups taken in; the ring's next slot is this modulo
    double m_margin = kFirstMargin;
    double m_waitCpu = 0;
};

// The platform clock's sleep to an absolute deadline (on the monotonic clock).
void SleepUntilPlatformTime(double deadline);
// The CPU time the calling thread has used (ms).
double ThreadCpuMilliseconds();
