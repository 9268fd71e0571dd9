#include "support/LatenessWatch.h"

#include <juce_events/juce_events.h>

#include <cstdint>
#include <fstream>
#include <sys/timerfd.h>
#include <unistd.h>

namespace test_support
{
    namespace
    {
        // The kernel's count for the calling thread; zero where the kernel
        // keeps none.
        LatenessWatch::Clock::duration waitedForACore()
        {
            std::ifstream schedulerStatistics ("/proc/thread-self/schedstat");
            unsigned long long running = 0, waiting = 0;
            schedulerStatistics >> running >> waiting;
            return std::chrono::nanoseconds (waiting);
        }
    }

    LatenessWatch::LatenessWatch()
        : timer (::timerfd_create (CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
          lastWaited (waitedForACore())
    {
        const itimerspec every { { 0, interval.count() * 1000000 }, { 0, interval.count() * 1000000 } };
        ::timerfd_settime (timer, 0, &every, nullptr);
        juce::LinuxEventLoop::registerFdCallback (timer, [this] (int) { fired(); });
    }

    LatenessWatch::~LatenessWatch()
    {
        juce::LinuxEventLoop::unregisterFdCallback (timer);
        ::close (timer);
    }

    void LatenessWatch::fired()
    {
        uint64_t expirations = 0;
        [[maybe_unused]] const auto bytes = ::read (timer, &expirations, sizeof (expirations));
        const auto now = Clock::now();
        const auto waited = waitedForACore();
        worst = std::max (worst, now - last - interval - (waited - lastWaited));
        last = now;
        lastWaited = waited;
    }
}
