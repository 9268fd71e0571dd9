#include "platform/soundserver/MessageThreadMainLoop.h"

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <poll.h>

#include <algorithm>
#include <climits>

// The events libpulse knows only as pointers.
struct pa_io_event
{
    platform::MessageThreadMainLoop* loop;
    int fd;
    pa_io_event_flags_t wanted;
    pa_io_event_cb_t callback;
    void* userdata;
    pa_io_event_destroy_cb_t destroy = nullptr;
    bool freed = false;
};

struct pa_time_event
{
    platform::MessageThreadMainLoop* loop;
    pa_time_event_cb_t callback;
    void* userdata;
    bool armed = false;
    // In libpulse's monotonic clock; the time as given is handed back.
    pa_usec_t due = 0;
    timeval given {};
    pa_time_event_destroy_cb_t destroy = nullptr;
    bool freed = false;
};

struct pa_defer_event
{
    platform::MessageThreadMainLoop* loop;
    pa_defer_event_cb_t callback;
    void* userdata;
    bool enabled = true;
    pa_defer_event_destroy_cb_t destroy = nullptr;
    bool freed = false;
};

namespace platform
{
    namespace
    {
        // libpulse marks a time of its monotonic clock with this bit of the
        // microseconds; any other time is of the wall clock.
        constexpr suseconds_t monotonicTimeFlag = 1 << 30;

        pa_usec_t monotonicTimeOf (const timeval& time)
        {
            auto plain = time;
            const bool isMonotonic = (plain.tv_usec & monotonicTimeFlag) != 0;
            plain.tv_usec &= ~monotonicTimeFlag;
            const auto usec = pa_timeval_load (&plain);

            if (isMonotonic)
                return usec;

            timeval wallNow {};
            pa_gettimeofday (&wallNow);
            const auto wall = pa_timeval_load (&wallNow);
            const auto now = pa_rtclock_now();
            return usec >= wall ? now + (usec - wall) : now - std::min (now, wall - usec);
        }

        short pollEventsOf (pa_io_event_flags_t flags)
        {
            return (short) (((flags & PA_IO_EVENT_INPUT) != 0 ? POLLIN : 0) | ((flags & PA_IO_EVENT_OUTPUT) != 0 ? POLLOUT : 0));
        }

        pa_io_event_flags_t ioFlagsOf (short revents)
        {
            return (pa_io_event_flags_t) (((revents & POLLIN) != 0 ? PA_IO_EVENT_INPUT : 0)
                                          | ((revents & POLLOUT) != 0 ? PA_IO_EVENT_OUTPUT : 0)
                                          | ((revents & POLLHUP) != 0 ? PA_IO_EVENT_HANGUP : 0)
                                          | ((revents & (POLLERR | POLLNVAL)) != 0 ? PA_IO_EVENT_ERROR : 0));
        }

        // As libpulse's own loops do, an event's destroy callback runs once
        // the callbacks of the pass are done, not inside the one freeing it,
        // which may go on using what the destroy callback frees.
        template <typename Event>
        void destroy (Event& event)
        {
            if (auto* destroyCallback = std::exchange (event.destroy, nullptr))
                destroyCallback (event.loop->api(), &event, event.userdata);
        }

        template <typename Event>
        void releaseFreed (std::vector<std::unique_ptr<Event>>& events)
        {
            // Out of the list first: a destroy callback may make or free events.
            const auto firstFreed = std::stable_partition (events.begin(), events.end(), [] (const auto& event) { return ! event->freed; });
            std::vector<std::unique_ptr<Event>> freed (std::make_move_iterator (firstFreed), std::make_move_iterator (events.end()));
            events.erase (firstFreed, events.end());

            for (const auto& event : freed)
                destroy (*event);
        }

        template <typename Event>
        void destroyAll (const std::vector<std::unique_ptr<Event>>& events)
        {
            for (size_t i = 0; i < events.size(); ++i)
                destroy (*events[i]);
        }
    }

    // The table's entries, and a guard that keeps freed events in memory
    // while callbacks run: libpulse frees events from inside them.
    struct MessageThreadMainLoop::Calls
    {
        struct Dispatching
        {
            explicit Dispatching (MessageThreadMainLoop& loopToGuard) : loop (loopToGuard) { ++loop.dispatchDepth; }

            ~Dispatching()
            {
                if (--loop.dispatchDepth == 0)
                    loop.settle();
            }

            MessageThreadMainLoop& loop;
        };

        static MessageThreadMainLoop& loopOf (pa_mainloop_api* api)
        {
            return *static_cast<MessageThreadMainLoop*> (api->userdata);
        }

        // What changes while callbacks run is settled once they are done:
        // libpulse frees and makes its socket's io event again for every
        // message it reads, which would otherwise unregister and register
        // the descriptor with the framework each time.
        static void changed (MessageThreadMainLoop& loop, bool& what)
        {
            what = true;

            if (loop.dispatchDepth == 0)
                loop.settle();
        }

        static pa_io_event* ioNew (pa_mainloop_api* api, int fd, pa_io_event_flags_t events, pa_io_event_cb_t callback, void* userdata)
        {
            auto& loop = loopOf (api);
            loop.ioEvents.push_back (std::make_unique<pa_io_event> (pa_io_event { &loop, fd, events, callback, userdata }));
            auto* event = loop.ioEvents.back().get();
            changed (loop, loop.watchesChanged);
            return event;
        }

        static void ioEnable (pa_io_event* event, pa_io_event_flags_t events)
        {
            event->wanted = events;
            changed (*event->loop, event->loop->watchesChanged);
        }

        static void ioFree (pa_io_event* event)
        {
            event->loop->watchesChanged = true;
            free (event);
        }

        template <typename Event>
        static void free (Event* event)
        {
            event->freed = true;
            changed (*event->loop, event->loop->hasFreedEvents);
        }

        template <typename Event, typename DestroyCallback>
        static void setDestroy (Event* event, DestroyCallback destroy)
        {
            event->destroy = destroy;
        }

        static pa_time_event* timeNew (pa_mainloop_api* api, const timeval* time, pa_time_event_cb_t callback, void* userdata)
        {
            auto& loop = loopOf (api);
            loop.timeEvents.push_back (std::make_unique<pa_time_event> (pa_time_event { &loop, callback, userdata }));
            auto* event = loop.timeEvents.back().get();
            timeRestart (event, time);
            return event;
        }

        static void timeRestart (pa_time_event* event, const timeval* time)
        {
            event->armed = time != nullptr;

            if (time != nullptr)
            {
                event->given = *time;
                event->due = monotonicTimeOf (*time);
            }

            event->loop->scheduleTimer();
        }

        static pa_defer_event* deferNew (pa_mainloop_api* api, pa_defer_event_cb_t callback, void* userdata)
        {
            auto& loop = loopOf (api);
            loop.deferEvents.push_back (std::make_unique<pa_defer_event> (pa_defer_event { &loop, callback, userdata }));
            loop.triggerAsyncUpdate();
            return loop.deferEvents.back().get();
        }

        static void deferEnable (pa_defer_event* event, int enable)
        {
            event->enabled = enable != 0;

            if (event->enabled)
                event->loop->triggerAsyncUpdate();
        }

        // Only a program's own loop ends itself.
        static void quit (pa_mainloop_api*, int) {}
    };

    MessageThreadMainLoop::MessageThreadMainLoop()
    {
        table.userdata = this;
        table.io_new = Calls::ioNew;
        table.io_enable = Calls::ioEnable;
        table.io_free = Calls::ioFree;
        table.io_set_destroy = Calls::setDestroy<pa_io_event, pa_io_event_destroy_cb_t>;
        table.time_new = Calls::timeNew;
        table.time_restart = Calls::timeRestart;
        table.time_free = Calls::free<pa_time_event>;
        table.time_set_destroy = Calls::setDestroy<pa_time_event, pa_time_event_destroy_cb_t>;
        table.defer_new = Calls::deferNew;
        table.defer_enable = Calls::deferEnable;
        table.defer_free = Calls::free<pa_defer_event>;
        table.defer_set_destroy = Calls::setDestroy<pa_defer_event, pa_defer_event_destroy_cb_t>;
        table.quit = Calls::quit;
    }

    MessageThreadMainLoop::~MessageThreadMainLoop()
    {
        stopTimer();
        cancelPendingUpdate();

        for (const auto& [fd, events] : watchedDescriptors)
            juce::LinuxEventLoop::unregisterFdCallback (fd);

        watchedDescriptors.clear();

        // Nothing is released while the destroy callbacks run; the lists go
        // with the loop.
        ++dispatchDepth;
        destroyAll (ioEvents);
        destroyAll (timeEvents);
        destroyAll (deferEvents);
    }

    pa_mainloop_api* MessageThreadMainLoop::api()
    {
        return &table;
    }

    bool MessageThreadMainLoop::runOwnEventsUntil (const std::function<bool()>& isDone, std::chrono::steady_clock::time_point deadline)
    {
        using namespace std::chrono;

        while (! isDone())
        {
            const auto now = steady_clock::now();

            if (now >= deadline)
                return false;

            std::vector<pollfd> descriptors;

            for (const auto& [fd, events] : watchedDescriptors)
                descriptors.push_back ({ fd, events, 0 });

            auto wait = ceil<milliseconds> (deadline - now);

            if (const auto due = earliestTimeEvent())
                wait = std::min (wait, ceil<milliseconds> (microseconds (*due - std::min (*due, pa_rtclock_now()))));

            if (hasEnabledDeferEvent())
                wait = milliseconds::zero();

            if (::poll (descriptors.data(), (nfds_t) descriptors.size(), (int) wait.count()) > 0)
                for (const auto& descriptor : descriptors)
                    if (descriptor.revents != 0 && watchedDescriptors.count (descriptor.fd) != 0)
                        dispatchIo (descriptor.fd, descriptor.revents);

            dispatchDueTimeEvents();

            if (hasEnabledDeferEvent())
                dispatchDeferEvents();
        }

        return true;
    }

    // The framework's loop takes one set of events per descriptor, fixed
    // when it is registered: a change registers it anew.
    void MessageThreadMainLoop::updateWatches()
    {
        std::map<int, short> wanted;

        for (const auto& event : ioEvents)
            if (! event->freed && event->wanted != PA_IO_EVENT_NULL)
                wanted[event->fd] = (short) (wanted[event->fd] | pollEventsOf (event->wanted));

        for (const auto& [fd, events] : watchedDescriptors)
            if (const auto kept = wanted.find (fd); kept == wanted.end() || kept->second != events)
                juce::LinuxEventLoop::unregisterFdCallback (fd);

        for (const auto& [fd, events] : wanted)
            if (const auto watched = watchedDescriptors.find (fd); watched == watchedDescriptors.end() || watched->second != events)
                juce::LinuxEventLoop::registerFdCallback (fd, [this] (int readyFd) { dispatchDescriptor (readyFd); }, events);

        watchedDescriptors = std::move (wanted);
    }

    // The framework says only which descriptor is ready, not for what.
    void MessageThreadMainLoop::dispatchDescriptor (int fd)
    {
        const auto watched = watchedDescriptors.find (fd);

        if (watched == watchedDescriptors.end())
            return;

        pollfd descriptor { fd, watched->second, 0 };

        if (::poll (&descriptor, 1, 0) > 0)
            dispatchIo (fd, descriptor.revents);
    }

    // What the callbacks sent (an answer's next request, above all) goes
    // out in the same pass, not a message later.
    void MessageThreadMainLoop::dispatchIo (int fd, short revents)
    {
        const auto happened = ioFlagsOf (revents);

        {
            const Calls::Dispatching guard (*this);

            // Only the events there before the first callback: a callback may
            // free its event and make a new one, which the revents are not for.
            for (size_t i = 0, existing = ioEvents.size(); i < existing; ++i)
            {
                auto* event = ioEvents[i].get();
                const auto events = (pa_io_event_flags_t) (happened & (event->wanted | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR));

                if (! event->freed && event->fd == fd && event->wanted != PA_IO_EVENT_NULL && events != PA_IO_EVENT_NULL)
                    event->callback (&table, event, fd, events, event->userdata);
            }
        }

        if (hasEnabledDeferEvent())
            dispatchDeferEvents();
    }

    void MessageThreadMainLoop::dispatchDueTimeEvents()
    {
        const auto now = pa_rtclock_now();
        const Calls::Dispatching guard (*this);

        for (size_t i = 0, existing = timeEvents.size(); i < existing; ++i)
        {
            auto* event = timeEvents[i].get();

            if (event->freed || ! event->armed || event->due > now)
                continue;

            event->armed = false;
            const auto given = event->given;
            event->callback (&table, event, &given, event->userdata);
        }
    }

    void MessageThreadMainLoop::dispatchDeferEvents()
    {
        {
            const Calls::Dispatching guard (*this);

            for (size_t i = 0, existing = deferEvents.size(); i < existing; ++i)
            {
                auto* event = deferEvents[i].get();

                if (! event->freed && event->enabled)
                    event->callback (&table, event, event->userdata);
            }
        }

        // An event left enabled runs again, after what else is waiting.
        if (hasEnabledDeferEvent())
            triggerAsyncUpdate();
    }

    bool MessageThreadMainLoop::hasEnabledDeferEvent() const
    {
        return std::any_of (deferEvents.begin(), deferEvents.end(), [] (const auto& event) { return ! event->freed && event->enabled; });
    }

    std::optional<pa_usec_t> MessageThreadMainLoop::earliestTimeEvent() const
    {
        std::optional<pa_usec_t> earliest;

        for (const auto& event : timeEvents)
            if (! event->freed && event->armed)
                earliest = std::min (event->due, earliest.value_or (event->due));

        return earliest;
    }

    // libpulse makes a time event for every request it sends, due when the
    // answer is overdue, and frees it when the answer comes: the timer is
    // set again only for an event due before it.
    void MessageThreadMainLoop::scheduleTimer()
    {
        const auto earliest = earliestTimeEvent();

        if (! earliest.has_value())
        {
            if (timerDue.has_value())
                stopTimer();

            timerDue.reset();
            return;
        }

        if (timerDue.has_value() && *timerDue <= *earliest)
            return;

        const auto now = pa_rtclock_now();
        const auto waitMilliseconds = (*earliest - std::min (*earliest, now) + 999) / 1000;
        startTimer ((int) std::min<pa_usec_t> (waitMilliseconds, INT_MAX));
        timerDue = *earliest;
    }

    void MessageThreadMainLoop::settle()
    {
        if (std::exchange (watchesChanged, false))
            updateWatches();

        if (! std::exchange (hasFreedEvents, false))
            return;

        // What the destroy callbacks change is settled after them.
        const Calls::Dispatching guard (*this);
        releaseFreed (ioEvents);
        releaseFreed (timeEvents);
        releaseFreed (deferEvents);
    }

    void MessageThreadMainLoop::timerCallback()
    {
        stopTimer();
        timerDue.reset();
        dispatchDueTimeEvents();
        scheduleTimer();
    }

    void MessageThreadMainLoop::handleAsyncUpdate()
    {
        dispatchDeferEvents();
    }
}
