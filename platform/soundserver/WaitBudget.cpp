#include "platform/soundserver/WaitBudget.h"

#include <algorithm>

namespace platform
{
    WaitBudget::WaitBudget (Duration capacityToKeep, double refillPerSecond)
        : capacity (capacityToKeep),
          refillRate (refillPerSecond),
          stored (capacityToKeep)
    {
    }

    WaitBudget::Duration WaitBudget::available (Clock::time_point now)
    {
        refill (now);
        return stored;
    }

    // The time spent waiting refills nothing.
    void WaitBudget::spend (Duration waited, Clock::time_point now)
    {
        refill (now - waited);
        stored = std::max (Duration::zero(), stored - waited);
        lastUpdate = std::max (lastUpdate, now);
    }

    void WaitBudget::refill (Clock::time_point now)
    {
        if (started && now > lastUpdate)
        {
            const auto idle = std::chrono::duration_cast<Duration> (now - lastUpdate);
            stored = std::min (capacity, stored + Duration ((Duration::rep) ((double) idle.count() * refillRate)));
        }

        started = true;
        lastUpdate = std::max (lastUpdate, now);
    }
}
