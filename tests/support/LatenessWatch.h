#pragma once

#include <chrono>

namespace test_support
{
    // The longest a timer on the message thread was kept from firing: how
    // long the thread went without handling an event. Made and read on the
    // message thread. The kernel's timer wakes the thread itself, with no
    // thread of the framework's between, and the time the thread was ready
    // to run but waited for a core is left out: a loaded machine adds it,
    // whatever the code does.
    class LatenessWatch
    {
    public:
        using Clock = std::chrono::steady_clock;

        LatenessWatch();
        ~LatenessWatch();

        LatenessWatch (const LatenessWatch&) = delete;
        LatenessWatch& operator= (const LatenessWatch&) = delete;

        Clock::duration longest() const { return worst; }

    private:
        static constexpr std::chrono::milliseconds interval { 10 };

        void fired();

        const int timer;
        Clock::time_point last = Clock::now();
        Clock::duration lastWaited;
        Clock::duration worst {};
    };
}
