// The frame grid wait: an absolute sleep and a short spin, the spin's length learnt
// from the measured wake-ups; the platform sleep on the monotonic clock.
#include "gfx/FramePacer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

#include "gfx/GameWindow.h"

namespace {
// The margin covers the late wake-ups seen with this much to spare.
constexpr double kLatenessShare = 1.5;
constexpr double kSpare = 0.05;
// Each wake-up on time takes this share of the way down to what it needed.
constexpr double kFallShare = 0.1;
}  // namespace

void FramePacer::LearnLateness(double late) {
    if (!(late >= 0)) late = 0;  // early or unmeasurable: nothing to cover
    double needed = late * kLatenessShare + kSpare;
    if (needed > m_margin)
        m_margin = needed;
    else
        m_margin += (needed - m_margin) * kFallShare;
    m_margin = std::clamp(m_margin, kSmallestMargin, kLargestMargin);
}

void FramePacer::WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*),
                           void* context) {
    double now = clock.now();
    if (now > deadline) return;
    if (clock.sleepUntil && deadline - now > m_margin) {
        double wake = deadline - m_margin;
        clock.sleepUntil(wake);
        LearnLateness(clock.now() - wake);
    }
    pump(context);
    while (clock.now() <= deadline) {
    }
}

// The deadline is in the platform clock's time; it becomes a point on the monotonic
// clock just before the sleep, and a sleep cut short by a signal goes on to it.
void SleepUntilPlatformTime(double deadline) {
    double remaining = deadline - PlatformMilliseconds();
    if (!(remaining > 0)) return;
    timespec target{};
    clock_gettime(CLOCK_MONOTONIC, &target);
    double seconds = std::floor(remaining / 1000.0);
    target.tv_sec += time_t(seconds);
    target.tv_nsec += long((remaining - seconds * 1000.0) * 1e6);
    if (target.tv_nsec >= 1000000000L) {
        target.tv_nsec -= 1000000000L;
        ++target.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
    }
}
