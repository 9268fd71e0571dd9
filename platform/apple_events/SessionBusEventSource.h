#pragma once

#include <juce_events/juce_events.h>

#include <memory>
#include <systemd/sd-bus.h>

namespace platform
{
    // On a Linux desktop the launcher and the file manager ask a running
    // program over the session bus: it owns a well-known name and serves
    // org.freedesktop.Application on the matching object path (the name's
    // dots turned into slashes). Activate is the reopen-application event,
    // Open the open-documents event, ActivateAction "quit" the quit event;
    // each goes through the Apple event table, as the signals do. The bus's
    // descriptor is watched by the message loop, so every request is handled
    // on the message thread.
    //
    // Without a session bus, when the name is owned by another program or
    // when the bus goes away, the program runs on with the signals alone and
    // says so once on stderr. Nothing here ever waits for the bus.
    class SessionBusEventSource : private juce::DeletedAtShutdown,
                                  private juce::Timer
    {
    public:
        // Connects and asks for the name; a second call changes nothing.
        // Call it once the message manager exists: the source lives until
        // the framework's shutdown.
        static void start (const juce::String& busName);

        ~SessionBusEventSource() override;

        JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (SessionBusEventSource)

    private:
        struct BusCloser
        {
            void operator() (sd_bus* bus) const;
        };

        SessionBusEventSource() = default;

        void connect (const juce::String& busName);
        void processRequests();
        void watchDescriptor();
        void stopWatching();
        void timerCallback() override;
        void giveUp (const juce::String& reason);

        static int nameRequestAnswered (sd_bus_message* reply, void* source, sd_bus_error* error);

        std::unique_ptr<sd_bus, BusCloser> bus;
        juce::String requestedName;
        juce::String failure;
        int watchedDescriptor = -1;
        short watchedEvents = 0;
        bool started = false;

        JUCE_DECLARE_NON_COPYABLE (SessionBusEventSource)
    };
}
