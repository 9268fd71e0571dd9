#pragma once

#include <juce_events/juce_events.h>

#include <pulse/mainloop-api.h>
#include <pulse/sample.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace platform
{
    // libpulse's main loop interface served by the framework's Linux event
    // loop on the message thread: io events by its descriptor callbacks,
    // time events by one of its timers, defer events by a posted message.
    // No thread of its own. The loop's events may be freed from inside their
    // own callbacks; each is released once no dispatch is running.
    class MessageThreadMainLoop : private juce::Timer,
                                  private juce::AsyncUpdater
    {
    public:
        MessageThreadMainLoop();
        // Calls the destroy callbacks of the events still there; whatever
        // uses the loop (a context) must be gone first.
        ~MessageThreadMainLoop() override;

        pa_mainloop_api* api();

        // Runs this loop's own events alone until isDone holds or the
        // deadline passes, waiting for them in between; what isDone says.
        bool runOwnEventsUntil (const std::function<bool()>& isDone, std::chrono::steady_clock::time_point deadline);

    private:
        struct Calls;

        pa_mainloop_api table {};
        std::vector<std::unique_ptr<pa_io_event>> ioEvents;
        std::vector<std::unique_ptr<pa_time_event>> timeEvents;
        std::vector<std::unique_ptr<pa_defer_event>> deferEvents;
        // The events asked of the framework's loop per descriptor.
        std::map<int, short> watchedDescriptors;
        // When the framework's timer is next due, in libpulse's monotonic time.
        std::optional<pa_usec_t> timerDue;
        int dispatchDepth = 0;
        bool watchesChanged = false;
        bool hasFreedEvents = false;

        void updateWatches();
        void dispatchDescriptor (int fd);
        void dispatchIo (int fd, short revents);
        void dispatchDueTimeEvents();
        void dispatchDeferEvents();
        bool hasEnabledDeferEvent() const;
        std::optional<pa_usec_t> earliestTimeEvent() const;
        void scheduleTimer();
        // Brings the framework's loop up to date and releases freed events.
        void settle();

        void timerCallback() override;
        void handleAsyncUpdate() override;
    };
}
