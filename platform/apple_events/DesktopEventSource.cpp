#include "platform/apple_events/DesktopEventSource.h"

#include "platform/apple_events/AppleEvents.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <unistd.h>

namespace platform
{
    namespace
    {
        constexpr int forwardedSignals[] { SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2 };

        std::atomic<int> signalPipeWriteEnd { -1 };

        // Signals the process inherited as ignored (nohup, a background job
        // of a script): they stay ignored.
        sigset_t ignoredAtStart;
        bool ignoredAtStartKnown = false;

        sigset_t forwardedSignalSet()
        {
            sigset_t set;
            sigemptyset (&set);

            for (auto signalNumber : forwardedSignals)
                sigaddset (&set, signalNumber);

            return set;
        }

        extern "C" void writeSignalToPipe (int signalNumber)
        {
            const auto savedErrno = errno;
            const auto fd = signalPipeWriteEnd.load();

            if (fd >= 0)
            {
                const auto byte = static_cast<unsigned char> (signalNumber);
                [[maybe_unused]] const auto written = ::write (fd, &byte, 1);
            }

            errno = savedErrno;
        }

        void setHandler (int signalNumber, void (*handler) (int))
        {
            struct sigaction action {};
            action.sa_handler = handler;
            sigemptyset (&action.sa_mask);
            action.sa_flags = SA_RESTART;
            ::sigaction (signalNumber, &action, nullptr);
        }

        std::optional<AEEventID> eventForSignal (int signalNumber)
        {
            switch (signalNumber)
            {
                case SIGTERM:
                case SIGINT:
                case SIGHUP:  return kAEQuitApplication;
                case SIGUSR1: return kAEReopenApplication;
                case SIGUSR2: return kAEOpenDocuments;
                default:      return std::nullopt;
            }
        }
    }

    JUCE_IMPLEMENT_SINGLETON (DesktopEventSource)

    void DesktopEventSource::holdSignals()
    {
        if (! ignoredAtStartKnown)
        {
            sigemptyset (&ignoredAtStart);

            for (auto signalNumber : forwardedSignals)
                if (struct sigaction current {}; ::sigaction (signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
                    sigaddset (&ignoredAtStart, signalNumber);

            ignoredAtStartKnown = true;
        }

        const auto signals = forwardedSignalSet();
        ::pthread_sigmask (SIG_BLOCK, &signals, nullptr);
    }

    void DesktopEventSource::start()
    {
        getInstance();

        // What came while the signals were held is delivered now, to the
        // handlers, and reaches the message loop through the pipe.
        const auto signals = forwardedSignalSet();
        ::pthread_sigmask (SIG_UNBLOCK, &signals, nullptr);
    }

    DesktopEventSource::DesktopEventSource()
    {
        int ends[2];

        if (::pipe2 (ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return;

        readEnd = ends[0];
        writeEnd = ends[1];
        signalPipeWriteEnd = writeEnd;

        juce::LinuxEventLoop::registerFdCallback (readEnd, [this] (int) { dispatchPendingSignals(); });

        // Replaces the framework's own SIGINT handler, which would quit
        // behind the application's back.
        for (auto signalNumber : forwardedSignals)
        {
            const auto ignored = ignoredAtStartKnown && sigismember (&ignoredAtStart, signalNumber) == 1;
            setHandler (signalNumber, ignored ? SIG_IGN : writeSignalToPipe);
        }
    }

    DesktopEventSource::~DesktopEventSource()
    {
        if (readEnd >= 0)
        {
            // The handlers stay, writing nothing from now on: a quit request
            // that comes while the program is already ending must not kill it.
            signalPipeWriteEnd = -1;
            juce::LinuxEventLoop::unregisterFdCallback (readEnd);
            ::close (readEnd);
            ::close (writeEnd);
        }

        clearSingletonInstance();
    }

    void DesktopEventSource::dispatchPendingSignals()
    {
        unsigned char signalNumber = 0;

        while (::read (readEnd, &signalNumber, 1) == 1)
            if (const auto event = eventForSignal (signalNumber))
                AEProcessAppleEvent (kCoreEventClass, *event);
    }
}
