#include "platform/apple_events/DesktopEventSource.h"

#include "platform/apple_events/AppleEvents.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace platform
{
    namespace
    {
        constexpr int forwardedSignals[] { SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2 };

        std::atomic<int> signalPipeWriteEnd { -1 };

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

    void DesktopEventSource::start()
    {
        getInstance();
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
            setHandler (signalNumber, writeSignalToPipe);
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
