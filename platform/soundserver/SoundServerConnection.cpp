#include "platform/soundserver/SoundServerConnection.h"

#include "platform/soundserver/LocalServers.h"

#include <pulse/introspect.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace platform
{
    namespace
    {
        using namespace std::chrono_literals;

        // However many calls it makes, one poll of the panel waits at most
        // this long in all; the budget is full again after two idle seconds,
        // the panel's poll interval.
        constexpr WaitBudget::Duration waitCapacity = 200ms;
        constexpr double waitRefillPerSecond = 0.1;

        // Less than this left is not worth a try.
        constexpr WaitBudget::Duration shortestWait = 2ms;

        // After a failure nothing is tried for this long; shorter than the
        // poll interval, so the next poll reconnects.
        constexpr auto retryDelay = 1000ms;

        // A question answered this recently, with no write since, stands for
        // a new one: the three searches of a poll, a fraction of a
        // millisecond apart, ask the server once.
        constexpr auto answerStaysCurrentFor = 2ms;

        bool isAlive (pa_context* context)
        {
            return PA_CONTEXT_IS_GOOD (pa_context_get_state (context));
        }

        void finish (const std::vector<pa_operation*>& operations)
        {
            for (auto* operation : operations)
            {
                if (operation == nullptr)
                    continue;

                if (pa_operation_get_state (operation) == PA_OPERATION_RUNNING)
                    pa_operation_cancel (operation);

                pa_operation_unref (operation);
            }
        }
    }

    void SoundServerConnection::MainLoopDeleter::operator() (pa_mainloop* loop) const
    {
        pa_mainloop_free (loop);
    }

    void SoundServerConnection::ContextDeleter::operator() (pa_context* contextToEnd) const
    {
        pa_context_disconnect (contextToEnd);
        pa_context_unref (contextToEnd);
    }

    SoundServerConnection::SoundServerConnection (const char* nameToShow)
        : clientName (nameToShow),
          mainLoop (pa_mainloop_new()),
          budget (waitCapacity, waitRefillPerSecond)
    {
    }

    SoundServerConnection::~SoundServerConnection()
    {
        takeOverConnection();
    }

    std::shared_future<void> SoundServerConnection::connectAhead()
    {
        // A second call must not drop a thread still running.
        takeOverConnection();

        std::promise<void> tried;
        auto result = tried.get_future().share();

        connecting = std::thread ([this, tried = std::move (tried)]() mutable {
            listsNow (false);
            tried.set_value();
        });

        return result;
    }

    void SoundServerConnection::takeOverConnection()
    {
        if (connecting.joinable())
            connecting.join();
    }

    const ServerLists* SoundServerConnection::lists (bool askServer)
    {
        takeOverConnection();
        return listsNow (askServer);
    }

    const ServerLists* SoundServerConnection::listsNow (bool askServer)
    {
        if (askServer && lastAnswerAt.has_value() && Clock::now() - *lastAnswerAt < answerStaysCurrentFor)
            askServer = false;

        bool answered = ! askServer;
        const auto noteAnswer = [] (pa_context*, const pa_server_info*, void* flag) { *static_cast<bool*> (flag) = true; };
        const bool settled = exchangeNow ([&] (pa_context* readyContext) {
            return askServer ? std::vector<pa_operation*> { pa_context_get_server_info (readyContext, noteAnswer, &answered) }
                             : std::vector<pa_operation*>();
        }, [&] { return answered && mirror.isSettled(); });

        if (settled && askServer)
            lastAnswerAt = Clock::now();

        return settled ? &mirror.lists() : nullptr;
    }

    bool SoundServerConnection::exchange (const Sender& send, const std::function<bool()>& isAnswered)
    {
        takeOverConnection();
        // What the exchange changes is announced after its answer.
        lastAnswerAt.reset();
        return exchangeNow (send, isAnswered);
    }

    bool SoundServerConnection::exchangeNow (const Sender& send, const std::function<bool()>& isAnswered)
    {
        const auto start = Clock::now();

        if (mainLoop == nullptr || start < retryAfter)
            return false;

        const auto allowed = budget.available (start);

        if (allowed < shortestWait)
            return false;

        const auto deadline = start + allowed;
        const auto answersBefore = mirror.answersReceived();
        const bool answered = (isReady() || connect (deadline)) && sendAndWait (send, isAnswered, deadline);

        const auto end = Clock::now();
        budget.spend (std::chrono::duration_cast<WaitBudget::Duration> (end - start), end);

        // A server still sending what the connection asked for (many
        // devices, many changes at once) is busy, not gone: the next call
        // goes on from there.
        const bool busy = isReady() && mirror.answersReceived() != answersBefore;

        if (! answered && ! busy)
        {
            // A connection that failed or fell silent is not trusted again:
            // late answers to abandoned requests must never be taken for new
            // ones, and what it heard may be incomplete.
            context.reset();
            mirror.clear();
            lastAnswerAt.reset();
            retryAfter = end + retryDelay;
        }

        return answered;
    }

    unsigned SoundServerConnection::connectionNumber()
    {
        takeOverConnection();
        return connectionsMade;
    }

    bool SoundServerConnection::isReady() const
    {
        return context != nullptr && pa_context_get_state (context.get()) == PA_CONTEXT_READY;
    }

    bool SoundServerConnection::connect (Clock::time_point deadline)
    {
        const auto server = localServer();

        if (! server.has_value())
            return false;

        context.reset (pa_context_new (pa_mainloop_get_api (mainLoop.get()), clientName));

        if (context == nullptr
            || pa_context_connect (context.get(), server->empty() ? nullptr : server->c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;

        if (! runUntil ([this] { return pa_context_get_state (context.get()) == PA_CONTEXT_READY; }, deadline))
            return false;

        ++connectionsMade;
        mirror.start (context.get());
        return runUntil ([this] { return mirror.isSettled(); }, deadline) && isReady();
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

        if (! hasReportedNetworkServer)
            std::cerr << clientName << ": the sound server \"" << named << "\" names no local socket; only sound servers of this machine are used.\n";

        hasReportedNetworkServer = true;
        return {};
    }

    // What the server has sent meanwhile (announced changes above all),
    // without waiting for more.
    void SoundServerConnection::dispatchArrived()
    {
        constexpr int mostRounds = 1000;

        for (int round = 0; round < mostRounds && pa_mainloop_iterate (mainLoop.get(), 0, nullptr) > 0; ++round)
        {
        }
    }

    bool SoundServerConnection::sendAndWait (const Sender& send, const std::function<bool()>& isAnswered,
                                             Clock::time_point deadline)
    {
        dispatchArrived();
        const auto operations = send (context.get());
        const bool allSent = std::none_of (operations.begin(), operations.end(), [] (auto* operation) { return operation == nullptr; });
        const bool answered = allSent && runUntil (isAnswered, deadline) && isReady();
        finish (operations);
        return answered;
    }

    bool SoundServerConnection::runUntil (const std::function<bool()>& isDone, Clock::time_point deadline)
    {
        while (! isDone())
        {
            const auto now = Clock::now();

            if (! isAlive (context.get()) || now >= deadline)
                return false;

            const auto remaining = std::chrono::duration_cast<std::chrono::microseconds> (deadline - now);

            if (pa_mainloop_prepare (mainLoop.get(), (int) std::max<std::chrono::microseconds::rep> (1, remaining.count())) < 0
                || pa_mainloop_poll (mainLoop.get()) < 0
                || pa_mainloop_dispatch (mainLoop.get()) < 0)
                return false;
        }

        return true;
    }
}
