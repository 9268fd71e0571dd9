#include "support/MessagePump.h"

#include <juce_events/juce_events.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace juce
{
    // JUCE's Linux event loop step; not in its public headers.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace test_support
{
    void pumpMessages (int milliseconds)
    {
        pumpUntil ([] { return false; }, milliseconds);
    }

    bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() >= deadline)
                return false;

            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
        }

        return true;
    }

    void dispatchQueuedEvents()
    {
        for (auto fd : juce::LinuxEventLoopInternal::getRegisteredFds())
            juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (fd);
    }
}
