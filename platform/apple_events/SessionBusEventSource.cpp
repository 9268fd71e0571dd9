#include "platform/apple_events/SessionBusEventSource.h"

#include "platform/ErrorOutput.h"
#include "platform/apple_events/AppleEvents.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <poll.h>
#include <time.h>

namespace platform
{
    namespace
    {
        constexpr auto applicationInterface = "org.freedesktop.Application";
        constexpr auto quitAction = "quit";

        // The primary-owner answer of RequestName; any other means the
        // name is someone else's.
        constexpr std::uint32_t becamePrimaryOwner = 1;

        juce::String describeError (int negativeErrno)
        {
            return juce::String (std::strerror (-negativeErrno));
        }

        // The request goes through the event table; an event that nothing
        // handled is answered as a failure.
        int dispatchAndReply (sd_bus_message* call, AEEventID event, sd_bus_error* error)
        {
            if (const auto result = AEProcessAppleEvent (kCoreEventClass, event); result != noErr)
                return sd_bus_error_setf (error, SD_BUS_ERROR_FAILED, "The request was not handled (error %d).", (int) result);

            return sd_bus_reply_method_return (call, "");
        }

        // Activate (a{sv} platform data): the reopen-application event.
        int handleActivate (sd_bus_message* call, void*, sd_bus_error* error)
        {
            return dispatchAndReply (call, kAEReopenApplication, error);
        }

        // Open (as URIs, a{sv} platform data): the open-documents event; no
        // document is opened on this platform.
        int handleOpen (sd_bus_message* call, void*, sd_bus_error* error)
        {
            return dispatchAndReply (call, kAEOpenDocuments, error);
        }

        // ActivateAction (s name, av parameter, a{sv} platform data): only
        // "quit", which takes no parameter, is the quit event.
        int handleActivateAction (sd_bus_message* call, void*, sd_bus_error* error)
        {
            const char* action = nullptr;

            if (const auto r = sd_bus_message_read (call, "s", &action); r < 0)
                return r;

            if (std::strcmp (action, quitAction) != 0)
                return sd_bus_error_setf (error, SD_BUS_ERROR_INVALID_ARGS, "There is no action named \"%s\".", action);

            if (const auto r = sd_bus_message_enter_container (call, SD_BUS_TYPE_ARRAY, "v"); r < 0)
                return r;

            if (sd_bus_message_at_end (call, 0) == 0)
                return sd_bus_error_setf (error, SD_BUS_ERROR_INVALID_ARGS, "The action \"%s\" takes no parameter.", action);

            return dispatchAndReply (call, kAEQuitApplication, error);
        }

        // sd-bus answers a call whose arguments do not match the signature
        // with an error of its own before any handler runs. Same-user calls
        // only reach the session bus, so no privilege check (which would ask
        // the bus and wait) is wanted.
        const sd_bus_vtable applicationMethods[] {
            SD_BUS_VTABLE_START (0),
            SD_BUS_METHOD ("Activate", "a{sv}", "", handleActivate, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD ("Open", "asa{sv}", "", handleOpen, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD ("ActivateAction", "sava{sv}", "", handleActivateAction, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END
        };

        // From now to a CLOCK_MONOTONIC time in microseconds, at least 1.
        int millisecondsUntil (std::uint64_t deadline)
        {
            timespec now {};
            ::clock_gettime (CLOCK_MONOTONIC, &now);
            const auto nowMicroseconds = (std::uint64_t) now.tv_sec * 1'000'000u + (std::uint64_t) now.tv_nsec / 1000u;
            const auto left = deadline > nowMicroseconds ? (deadline - nowMicroseconds + 999u) / 1000u : 0u;
            return (int) std::clamp<std::uint64_t> (left, 1u, std::numeric_limits<int>::max());
        }

        juce::String objectPathFor (const juce::String& busName)
        {
            return "/" + busName.replaceCharacter ('.', '/');
        }
    }

    void SessionBusEventSource::BusCloser::operator() (sd_bus* busToClose) const
    {
        sd_bus_close_unref (busToClose);
    }

    JUCE_IMPLEMENT_SINGLETON (SessionBusEventSource)

    void SessionBusEventSource::start (const juce::String& busName)
    {
        auto* source = getInstance();

        if (! source->started)
        {
            source->started = true;
            source->connect (busName);
        }
    }

    SessionBusEventSource::~SessionBusEventSource()
    {
        stopWatching();
        bus.reset();
        clearSingletonInstance();
    }

    // Connecting, the greeting and the name request all go on without
    // waiting: their answers are read in the message loop.
    void SessionBusEventSource::connect (const juce::String& busName)
    {
        requestedName = busName;
        sd_bus* opened = nullptr;

        if (const auto r = sd_bus_open_user (&opened); r == -ENOMEDIUM)
            return giveUp ("no session bus (neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set)");
        else if (r < 0)
            return giveUp ("no session bus (" + describeError (r) + ")");

        bus.reset (opened);

        if (const auto r = sd_bus_add_object_vtable (bus.get(), nullptr, objectPathFor (busName).toRawUTF8(),
                                                     applicationInterface, applicationMethods, this); r < 0)
            return giveUp ("cannot serve on the session bus (" + describeError (r) + ")");

        if (const auto r = sd_bus_request_name_async (bus.get(), nullptr, busName.toRawUTF8(), 0,
                                                      &SessionBusEventSource::nameRequestAnswered, this); r < 0)
            return giveUp ("cannot ask the session bus for the name " + busName + " (" + describeError (r) + ")");

        watchDescriptor();
    }

    int SessionBusEventSource::nameRequestAnswered (sd_bus_message* reply, void* sourcePointer, sd_bus_error*)
    {
        auto& source = *static_cast<SessionBusEventSource*> (sourcePointer);

        if (const auto* error = sd_bus_message_get_error (reply))
        {
            // sd-bus itself answers NoReply when the connection closed or
            // the greeting or the request timed out: nothing was refused.
            source.failure = sd_bus_error_has_name (error, SD_BUS_ERROR_NO_REPLY)
                           ? "no session bus answered (" + juce::String (error->message) + ")"
                           : "the session bus refused the name " + source.requestedName + " (" + error->message + ")";
            return 0;
        }

        std::uint32_t answer = 0;

        if (sd_bus_message_read (reply, "u", &answer) < 0 || answer != becamePrimaryOwner)
            source.failure = "the session bus name " + source.requestedName + " is owned by another program";

        return 0;
    }

    // Handles everything that has come in, then watches for what the
    // connection waits for next. The connection is dropped only after
    // sd-bus has returned.
    void SessionBusEventSource::processRequests()
    {
        int r = 0;

        while ((r = sd_bus_process (bus.get(), nullptr)) > 0)
        {
        }

        if (r < 0)
            return giveUp ("lost the session bus (" + describeError (r) + ")");

        if (failure.isNotEmpty())
            return giveUp (failure);

        watchDescriptor();
    }

    // The message loop polls for what sd-bus asks: reading always, writing
    // while a message waits to be sent; and the timer wakes it when a wait
    // of sd-bus's own (the greeting, the name request) runs out.
    void SessionBusEventSource::watchDescriptor()
    {
        const auto descriptor = sd_bus_get_fd (bus.get());
        const auto wanted = sd_bus_get_events (bus.get());
        std::uint64_t deadline = 0;
        const auto timeoutKnown = sd_bus_get_timeout (bus.get(), &deadline);

        if (const auto r = std::min ({ descriptor, wanted, timeoutKnown }); r < 0)
            return giveUp ("lost the session bus (" + describeError (r) + ")");

        if (const auto events = static_cast<short> (wanted | POLLIN); descriptor != watchedDescriptor || events != watchedEvents)
        {
            stopWatching();
            juce::LinuxEventLoop::registerFdCallback (descriptor, [this] (int) { processRequests(); }, events);
            watchedDescriptor = descriptor;
            watchedEvents = events;
        }

        if (deadline == std::numeric_limits<std::uint64_t>::max())
            stopTimer();
        else
            startTimer (millisecondsUntil (deadline));
    }

    void SessionBusEventSource::timerCallback()
    {
        stopTimer();
        processRequests();
    }

    void SessionBusEventSource::stopWatching()
    {
        stopTimer();

        if (watchedDescriptor < 0)
            return;

        juce::LinuxEventLoop::unregisterFdCallback (watchedDescriptor);
        watchedDescriptor = -1;
        watchedEvents = 0;
    }

    void SessionBusEventSource::giveUp (const juce::String& reason)
    {
        stopWatching();
        bus.reset();

        auto* application = juce::JUCEApplicationBase::getInstance();
        const auto line = (application != nullptr ? application->getApplicationName() + ": " : juce::String())
                        + reason + "; the desktop's requests arrive as signals only";
        ErrorOutput::writeLine (line.toStdString());
    }
}
