#pragma once

#include <functional>

namespace test_support
{
    // Dispatches the messages, timers and window events that arrive within
    // the given time on the calling (message) thread.
    void pumpMessages (int milliseconds);

    // Pumps until the condition holds or the time is up; returns the condition.
    bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds);
}
