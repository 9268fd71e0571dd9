#include "platform/soundserver/SoundServerConnection.h"

#include "platform/ErrorOutput.h"
#include "platform/soundserver/ClientFiles.h"
#include "platform/soundserver/LocalServers.h"

#include <cstdlib>

namespace platform
{
    namespace
    {
        using namespace std::chrono_literals;

        // Shorter than the panel's poll interval, so that the next poll
        // after a failure tries again.
        constexpr auto retryInterval = 1s;

        // The first read's wait: long enough for a healthy server, short
        // enough that a stopped one is not noticed in the window's start.
        constexpr auto startWait = 250ms;

        // libpulse itself would wait 30 s for a server that accepts the
        // connection and never answers.
        constexpr int connectTimeoutMilliseconds = 5000;
    }

    void SoundServerConnection::ContextDeleter::operator() (pa_context* contextToEnd) const
    {
        pa_context_set_state_callback (contextToEnd, nullptr, nullptr);
        pa_context_disconnect (contextToEnd);
        pa_context_unref (contextToEnd);
    }

    SoundServerConnection::SoundServerConnection (const char* nameToShow)
        : clientName (nameToShow),
          writes ([this] (ServerObjectRef node) { picture.fetchAgain (node); }),
          picture (writes)
    {
    }

    SoundServerConnection::~SoundServerConnection()
    {
        drop();
    }

    const ServerLists* SoundServerConnection::lists()
    {
        keepTrying();

        if (! std::exchange (hasWaitedAtStart, true) && context != nullptr)
            mainLoop.runOwnEventsUntil ([this] { return isReady() || isLost || picture.hasFailed(); }, Clock::now() + startWait);

        return isReady() ? &picture.lists() : nullptr;
    }

    unsigned SoundServerConnection::connectionNumber() const
    {
        return connectionsMade;
    }

    bool SoundServerConnection::setVolume (ServerObjectRef node, const pa_cvolume& volume)
    {
        if (! isReady() || ! writes.setVolume (node, volume))
            return false;

        picture.showVolume (node, volume);
        return true;
    }

    bool SoundServerConnection::setMute (ServerObjectRef node, bool muted)
    {
        if (! isReady() || ! writes.setMute (node, muted))
            return false;

        picture.showMute (node, muted);
        return true;
    }

    bool SoundServerConnection::isReady() const
    {
        return context != nullptr && ! isLost && picture.isListed();
    }

    void SoundServerConnection::keepTrying()
    {
        if (context != nullptr && (isLost || picture.hasFailed()))
            drop();

        if (context == nullptr && (! lastAttempt.has_value() || Clock::now() - *lastAttempt >= retryInterval))
            connect();
    }

    void SoundServerConnection::connect()
    {
        lastAttempt = Clock::now();
        const auto server = localServer();

        if (! server.has_value() || ! clientFilesAreReadable())
            return;

        context.reset (pa_context_new (mainLoop.api(), clientName));

        if (context == nullptr)
            return;

        pa_context_set_state_callback (context.get(), onStateChange, this);

        // A refusal comes as a state change too, before this returns.
        if (pa_context_connect (context.get(), server->empty() ? nullptr : server->c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        {
            drop();
            return;
        }

        startTimer (connectTimeoutMilliseconds);
    }

    // Never from inside one of libpulse's callbacks: the context goes here.
    void SoundServerConnection::drop()
    {
        stopTimer();
        picture.stop();
        writes.stop();
        context.reset();
        isLost = false;
    }

    // The local part of the server that PULSE_SERVER names, or empty for
    // libpulse's own choice; none when it names only network servers, which
    // is said once.
    std::optional<std::string> SoundServerConnection::localServer()
    {
        const auto* named = std::getenv ("PULSE_SERVER");

        if (named == nullptr)
            return std::string();

        auto local = localServersOf (named);

        if (! local.empty())
            return local;

        if (! std::exchange (hasReportedNetworkServer, true))
            ErrorOutput::writeLine (std::string (clientName) + ": the sound server \"" + named + "\" names no local socket; only sound servers of this machine are used.");

        return {};
    }

    bool SoundServerConnection::clientFilesAreReadable()
    {
        const auto problem = unreadableClientFile();

        if (problem.has_value() && ! std::exchange (hasReportedUnreadableFile, true))
            ErrorOutput::writeLine (std::string (clientName) + ": " + *problem + "; no sound server is used.");

        return ! problem.has_value();
    }

    void SoundServerConnection::stateChanged (pa_context* changed)
    {
        switch (pa_context_get_state (changed))
        {
            case PA_CONTEXT_READY:
                ++connectionsMade;
                writes.start (changed);
                picture.start (changed);
                break;

            // The context itself goes at the next read, outside libpulse.
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                isLost = true;
                stopTimer();
                picture.stop();
                writes.stop();
                break;

            case PA_CONTEXT_UNCONNECTED:
            case PA_CONTEXT_CONNECTING:
            case PA_CONTEXT_AUTHORIZING:
            case PA_CONTEXT_SETTING_NAME:
            default:
                break;
        }
    }

    // An attempt that has not come to a complete picture in time is given up.
    void SoundServerConnection::timerCallback()
    {
        stopTimer();

        if (! isReady())
            drop();
    }

    void SoundServerConnection::onStateChange (pa_context* changed, void* connection)
    {
        static_cast<SoundServerConnection*> (connection)->stateChanged (changed);
    }
}
