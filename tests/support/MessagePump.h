#pragma once

#include <functional>

namespace test_support
{
    // Dispatches the messages, timers and window events that arrive within
    // the given time on the calling (message) thread.
    void pumpMessages (int milliseconds);

    // Pumps until the condition holds or the time is up; returns the condition.
    bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds);

    // Dispatches the events already read from the event loop's sources. A
    // round trip to the X server (a focus query, say) reads the events sent
    // before its reply into Xlib's own queue, where polling the connection
    // does not see them: they would wait for the next event to arrive.
    void dispatchQueuedEvents();
}
