#pragma once

#include <juce_events/juce_events.h>

namespace platform
{
    // On Linux the desktop's requests to a running program arrive as
    // signals: SIGTERM, SIGINT and SIGHUP ask it to quit, SIGUSR1 to reopen
    // (the dock click), SIGUSR2 to open documents. This source turns each
    // into its Apple event and dispatches it on the message thread. The
    // signal handlers do nothing but write the signal's number to a
    // self-pipe, whose read end the message loop watches.
    class DesktopEventSource : private juce::DeletedAtShutdown
    {
    public:
        // Call as early as the program can (SignalsHeldAtLoad.cpp does it
        // at load): the signals are blocked until start, so that one that
        // comes early waits instead of killing the process, and those
        // ignored at the first call are noted to stay ignored.
        static void holdSignals();

        // Takes the signals over, then lets those held since holdSignals
        // through; a second call takes nothing over again. Call it once the
        // message manager exists: the source reads its pipe in the message
        // loop, and lives until the framework's shutdown.
        static void start();

        ~DesktopEventSource() override;

        JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (DesktopEventSource)

    private:
        DesktopEventSource();

        void dispatchPendingSignals();

        int readEnd = -1;
        int writeEnd = -1;

        JUCE_DECLARE_NON_COPYABLE (DesktopEventSource)
    };
}
