#pragma once

#include "platform/soundserver/MessageThreadMainLoop.h"
#include "platform/soundserver/ServerPicture.h"
#include "platform/soundserver/WriteQueue.h"

#include <pulse/context.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace platform
{
    // The one connection to the sound server, living in the message thread's
    // event loop: what the server sends is handled as it arrives, and no
    // call waits for it but the very first read (below). Connect, failure
    // and the server's death come as state changes. While there is no
    // connection with a complete picture of the server, reads find none; a
    // read then tries a new connection, at most once a second, never
    // starting a server, and gives up on an attempt that takes too long.
    class SoundServerConnection : private juce::Timer
    {
    public:
        explicit SoundServerConnection (const char* clientName);
        ~SoundServerConnection() override;

        // The server's cards, sinks and sources as the connection has them,
        // or null. The first call waits, at most a quarter second, for the
        // connection and its first listing, so that a healthy server's
        // devices are there from the first read on.
        const ServerLists* lists();

        // Counts the connections made. A server restarted meanwhile may give
        // an old index to another object.
        unsigned connectionNumber() const;

        // Sent now or after the write on its way, and shown in the lists at
        // once; false when there is no connection.
        bool setVolume (ServerObjectRef node, const pa_cvolume& volume);
        bool setMute (ServerObjectRef node, bool muted);

    private:
        using Clock = std::chrono::steady_clock;

        struct ContextDeleter { void operator() (pa_context* context) const; };

        const char* const clientName;
        MessageThreadMainLoop mainLoop;
        WriteQueue writes;
        ServerPicture picture;
        std::unique_ptr<pa_context, ContextDeleter> context;
        bool isLost = false;
        std::optional<Clock::time_point> lastAttempt;
        bool hasWaitedAtStart = false;
        unsigned connectionsMade = 0;
        bool hasReportedNetworkServer = false;
        bool hasReportedUnreadableFile = false;

        bool isReady() const;
        void keepTrying();
        void connect();
        void drop();
        std::optional<std::string> localServer();
        bool clientFilesAreReadable();
        void stateChanged (pa_context* changed);
        void timerCallback() override;

        static void onStateChange (pa_context* changed, void* connection);
    };
}
