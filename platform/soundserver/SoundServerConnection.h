#pragma once

#include "platform/soundserver/ServerMirror.h"
#include "platform/soundserver/WaitBudget.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform
{
    // The one connection to the sound server, driven synchronously on the
    // calling thread over a libpulse main loop of its own: every callback of
    // the server runs inside a call of this class. Only the first connection
    // may be made ahead, on a thread that the first call waits for. It never
    // starts a server. Waiting draws from one shared budget, so a server that
    // stops answering costs one short wait, after which calls fail at once
    // until a retry delay has passed; the first call after it reconnects.
    class SoundServerConnection
    {
    public:
        // Sends the requests of one exchange on a ready context; a null
        // operation means that a request could not be sent.
        using Sender = std::function<std::vector<pa_operation*> (pa_context*)>;

        explicit SoundServerConnection (const char* clientName);
        ~SoundServerConnection();

        // Connects on a thread of its own, so that the server answers while
        // the caller does other work; the first call below takes the
        // connection over, waiting for the thread if need be. Meant for
        // before any other call; the thread keeps the caller's signal mask.
        // The result is ready once the thread has tried, connected or not.
        std::shared_future<void> connectAhead();

        // The server's cards, sinks and sources; null when the server cannot
        // be had. Asking the server, they are as it has them now: it answers
        // a question after every change that it announced before. A question
        // answered within the last 2 ms, with nothing written since, stands
        // for a new one. Otherwise they are as the connection last heard,
        // with what has arrived since.
        const ServerLists* lists (bool askServer);

        // Connects if need be, sends the requests and runs the main loop
        // until isAnswered holds. False when the server cannot be reached,
        // fails or does not answer in time; no request's callback runs after
        // that.
        bool exchange (const Sender& send, const std::function<bool()>& isAnswered);

        // Counts the connections made. A server restarted meanwhile may give
        // an old index to another object.
        unsigned connectionNumber();

    private:
        using Clock = WaitBudget::Clock;

        struct MainLoopDeleter { void operator() (pa_mainloop* loop) const; };
        struct ContextDeleter { void operator() (pa_context* context) const; };

        const char* const clientName;
        std::unique_ptr<pa_mainloop, MainLoopDeleter> mainLoop;
        std::unique_ptr<pa_context, ContextDeleter> context;
        ServerMirror mirror;
        WaitBudget budget;
        Clock::time_point retryAfter {};
        std::optional<Clock::time_point> lastAnswerAt;
        unsigned connectionsMade = 0;
        bool hasReportedNetworkServer = false;
        std::thread connecting;

        // Every public call takes the connection over first; the connecting
        // thread calls only what follows.
        void takeOverConnection();
        const ServerLists* listsNow (bool askServer);
        bool exchangeNow (const Sender& send, const std::function<bool()>& isAnswered);
        bool isReady() const;
        bool connect (Clock::time_point deadline);
        std::optional<std::string> localServer();
        void dispatchArrived();
        bool sendAndWait (const Sender& send, const std::function<bool()>& isAnswered, Clock::time_point deadline);
        bool runUntil (const std::function<bool()>& isDone, Clock::time_point deadline);
    };
}
