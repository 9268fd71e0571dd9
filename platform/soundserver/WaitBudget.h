#pragma once

#include <chrono>

namespace platform
{
    // How long the calling thread may still wait for the sound server: a
    // store of waiting time that each wait draws from and that idle time
    // fills up again, to a cap. However many calls one burst of work makes,
    // together they cannot wait longer than the cap.
    class WaitBudget
    {
    public:
        using Clock = std::chrono::steady_clock;
        using Duration = std::chrono::microseconds;

        // Fills at refillPerSecond seconds of waiting per second of time.
        WaitBudget (Duration capacity, double refillPerSecond);

        Duration available (Clock::time_point now);
        void spend (Duration waited, Clock::time_point now);

    private:
        const Duration capacity;
        const double refillRate;
        Duration stored;
        Clock::time_point lastUpdate {};
        bool started = false;

        void refill (Clock::time_point now);
    };
}
