// The frame grid wait: an absolute sleep and a short spin, the spin's length learnt
// from the measured wake-ups; the platform sleep on the monotonic clock.
#include "gfx/FramePacer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

#include <sys/prctl.h>

#include "gfx/GameWindow.h"

void FramePacer::LearnLateness(double late) {
    if (!(late >= 0)) late = 0;  // early or unmeasurable: nothing to cover
    m_lateness[m_measured % kRemembered] = late;
    ++m_measured;
    m_margin = std::clamp(CoveredLateness() + kSpare, kSmallestMargin, kLargestMargin);
}

// One pass keeping the latest few in descending order.
double FramePacer::CoveredLateness() const {
    std::size_t count = std::min(m_measured, kRemembered);
    std::array<double, kRemembered / kWakeUpsPerUncovered + 1> latest{};
    for (std::size_t i = 0; i < count; ++i) {
        double late = m_lateness[i];
        if (late <= latest.back()) continue;
        std::size_t at = latest.size() - 1;
        for (; at > 0 && latest[at - 1] < late; --at) latest[at] = latest[at - 1];
        latest[at] = late;
    }
    return latest[count / kWakeUpsPerUncovered];
}

void FramePacer::WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*),
                           void* context) {
    if (!clock.cpuNow) return Wait(deadline, clock, pump, context);
    double start = clock.cpuNow();
    Wait(deadline, clock, pump, context);
    m_waitCpu += clock.cpuNow() - start;
}

void FramePacer::Wait(double deadline, const FrameClock& clock, void (*pump)(void*),
                      void* context) {
    double now = clock.now();
    if (now > deadline) return;
    if (clock.sleepUntil && deadline - now > m_margin) {
        double wake = deadline - m_margin;
        clock.sleepUntil(wake);
        // Messages are taken in after the sleep, so a key pressed while sleeping
        // counts in the coming frame; their time is part of the lateness the margin
        // covers.
        pump(context);
        LearnLateness(clock.now() - wake);
    } else {
        pump(context);
    }
    while (clock.now() <= deadline) {
    }
}

double ThreadCpuMilliseconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return double(used.tv_sec) * 1000.0 + double(used.tv_nsec) / 1e6;
}

// The deadline is in the platform clock's time; it becomes a point on the monotonic
// clock just before the sleep, and a sleep cut short by a signal goes on to it.
// The kernel's default timer slack lets a sleep end up to 50 us late on top of the
// scheduling: asked down to a nanosecond once, the margin can be that much smaller.
void SleepUntilPlatformTime(double deadline) {
    static const bool tightTimers = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)tightTimers;
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
