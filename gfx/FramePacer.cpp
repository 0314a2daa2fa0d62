// The frame grid wait: a long and a short absolute sleep and a short spin, the
// margins learnt from the measured wake-ups; the platform sleep on the monotonic clock.
#include "gfx/FramePacer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <ctime>

#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "gfx/GameWindow.h"

void LatenessWindow::Learn(double late) {
    if (!(late >= 0)) late = 0;  // early or unmeasurable: nothing to cover
    m_lateness[m_measured % kRemembered] = late;
    ++m_measured;
}

// One pass keeping the latest few in descending order.
double LatenessWindow::Covered() const {
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

void FramePacer::LearnLateness(double late) {
    m_longWakeUps.Learn(late);
    m_margin = std::clamp(m_longWakeUps.Covered() + kSpare, kSmallestMargin, kLargestMargin);
}

void FramePacer::LearnSpinLateness(double late) {
    m_shortWakeUps.Learn(late);
    m_spinMargin =
        std::clamp(m_shortWakeUps.Covered() + kSpare, kSmallestSpinMargin, kLargestSpinMargin);
}

void FramePacer::WaitUntil(double deadline, const FrameClock& clock, void (*pump)(void*),
                           void* context) {
    if (!clock.cpuNow) return Wait(deadline, clock, pump, context);
    double start = clock.cpuNow();
    Wait(deadline, clock, pump, context);
    m_waitCpu += clock.cpuNow() - start;
}

// Messages are taken in after the last sleep, so a key pressed while sleeping counts
// in the coming frame; their time is part of the lateness the spin margin covers.
void FramePacer::Wait(double deadline, const FrameClock& clock, void (*pump)(void*),
                      void* context) {
    double now = clock.now();
    if (now > deadline) return pump(context);
    bool pumped = false;
    if (clock.sleepUntil) {
        double longWake = deadline - m_spinMargin - m_margin;
        if (longWake > now) {
            clock.sleepUntil(longWake);
            now = clock.now();
            LearnLateness(now - longWake);
        }
        double shortWake = deadline - m_spinMargin;
        if (shortWake - now > kShortestSleep) {
            clock.sleepUntil(shortWake);
            pump(context);
            pumped = true;
            LearnSpinLateness(clock.now() - shortWake);
        }
    }
    if (!pumped) pump(context);
    while (clock.now() <= deadline) {
    }
}

double ThreadCpuMilliseconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return double(used.tv_sec) * 1000.0 + double(used.tv_nsec) / 1e6;
}

namespace {
// The scheduler's per-thread attributes as the kernel lays them out (the first
// version of the structure).
struct SchedulingAttributes {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime;  // ns; for ordinary threads, the slice asked for
    uint64_t deadline;
    uint64_t period;
};

constexpr uint64_t kShortSlice = 100000;  // ns, the shortest the kernel grants
constexpr uint64_t kResetOnFork = 1;      // the one flag an ordinary thread may carry

// A thread that wakes while another runs on its core waits, by default, until the
// other has used its slice (milliseconds): a thread that asks for a short slice of
// its own is run at once instead. Its priority and policy stay as they are; where
// the kernel knows no such request, the sleeps simply stay as they were.
bool AskForShortSlices() {
    SchedulingAttributes attributes{};
    if (syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0) != 0) return false;
    if (attributes.policy != SCHED_OTHER) return false;
    attributes.size = sizeof attributes;
    attributes.flags &= kResetOnFork;
    attributes.runtime = kShortSlice;
    return syscall(SYS_sched_setattr, 0, &attributes, 0) == 0;
}
}  // namespace

// The deadline is in the platform clock's time; it becomes a point on the monotonic
// clock just before the sleep, and a sleep cut short by a signal goes on to it.
// The kernel's default timer slack lets a sleep end up to 50 us late on top of the
// scheduling: asked down to a nanosecond once, the margin can be that much smaller.
// Both the timer slack and the slice belong to the thread that paces the frames.
void SleepUntilPlatformTime(double deadline) {
    static const bool tightTimers = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    static const bool shortSlices = AskForShortSlices();
    (void)tightTimers;
    (void)shortSlices;
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
