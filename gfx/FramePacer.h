// The wait for the next point of the frame grid: a long sleep to an absolute
// deadline, a short second sleep to just before the point, then a spin for the
// rest. Each sleep's margin covers all but the very latest of its recent wake-ups:
// a frame shown late is seen as two uneven intervals, so the rare wake-up the
// system delays by milliseconds is let through rather than paid for with that much
// spinning in every frame for seconds after. The long sleep's margin costs no
// spinning, as the short sleep takes it up; only the short sleep's margin is spun.
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

// The lateness of the last wake-ups of one kind of sleep, and how much of it a
// margin covers: all of it until kWakeUpsPerUncovered are remembered, then all but
// the latest one in kWakeUpsPerUncovered.
class LatenessWindow {
  public:
    static constexpr std::size_t kRemembered = 500;  // about 8 seconds at 60 frames a second
    static constexpr std::size_t kWakeUpsPerUncovered = 250;

    // Takes in how late a wake-up was (ms after the time asked for).
    void Learn(double late);
    // The lateness a margin covers (0 before anything was learnt).
    double Covered() const;

  private:
    std::array<double, kRemembered> m_lateness{};
    std::size_t m_measured = 0;  // all wake-ups taken in; the ring's next slot is this modulo
};

class FramePacer {
  public:
    // The long sleep ends this much before the short sleep's target.
    static constexpr double kFirstMargin = 1.0;     // ms, before anything was measured
    static constexpr double kSmallestMargin = 0.15;  // ms
    static constexpr double kLargestMargin = 4.0;    // ms
    // The short sleep ends this much before the grid point: the spin. At most a
    // millisecond (6 % of a core at 60 frames a second): where more than one
    // wake-up in 250 is later than that, frames are shown late rather than the
    // spin taking ever more of the core.
    static constexpr double kFirstSpinMargin = 0.25;     // ms
    static constexpr double kSmallestSpinMargin = 0.05;  // ms
    static constexpr double kLargestSpinMargin = 1.0;    // ms
    // Each margin covers its lateness with this much to spare.
    static constexpr double kSpare = 0.05;  // ms
    // A short sleep shorter than this is spun instead.
    static constexpr double kShortestSleep = 0.04;  // ms

    // Returns once clock.now() has passed deadline; pump runs once, after the last
    // sleep (at once where the deadline has passed).
    void WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);
    double Margin() const { return m_margin; }
    double SpinMargin() const { return m_spinMargin; }
    // Take in how late a long and a short sleep's wake-up was (ms).
    void LearnLateness(double late);
    void LearnSpinLateness(double late);
    // The CPU time all the waits took, where the clock measures it (ms).
    double WaitCpu() const { return m_waitCpu; }

  private:
    void Wait(double deadline, const FrameClock& clock, void (*pump)(void*), void* context);

    LatenessWindow m_longWakeUps;
    LatenessWindow m_shortWakeUps;
    double m_margin = kFirstMargin;
    double m_spinMargin = kFirstSpinMargin;
    double m_waitCpu = 0;
};

// The platform clock's sleep to an absolute deadline (on the monotonic clock).
void SleepUntilPlatformTime(double deadline);
// The CPU time the calling thread has used (ms).
double ThreadCpuMilliseconds();
