#include "platform/soundserver/MessageThreadMainLoop.h"

#include "support/MessagePump.h"

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <gtest/gtest.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <unistd.h>

using platform::MessageThreadMainLoop;

namespace
{
    // What the events' callbacks saw, and what they are told to do.
    struct Record
    {
        pa_mainloop_api* api = nullptr;
        int calls = 0;
        int destroyed = 0;
        pa_io_event_flags_t lastFlags = PA_IO_EVENT_NULL;
        pa_usec_t calledAt = 0;
        // Frees the event from inside its callback, after this many calls,
        // and notes whether its destroy callback had run by then.
        int freeAfter = 0;
        bool destroyedInsideItsCallback = false;
        // An io callback's replacement, made on the same descriptor.
        pa_io_event* replacement = nullptr;
        Record* replacementRecord = nullptr;
        // Another event, freed from inside this one's callback.
        pa_time_event* another = nullptr;
    };

    template <typename Event>
    void destroyed (pa_mainloop_api*, Event*, void* userdata)
    {
        ++static_cast<Record*> (userdata)->destroyed;
    }

    void onIo (pa_mainloop_api* api, pa_io_event* event, int fd, pa_io_event_flags_t flags, void* userdata);

    void onIoReplacing (pa_mainloop_api* api, pa_io_event* event, int fd, pa_io_event_flags_t, void* userdata)
    {
        auto& record = *static_cast<Record*> (userdata);
        ++record.calls;
        char byte = 0;
        EXPECT_EQ (::read (fd, &byte, 1), 1);
        api->io_free (event);
        record.replacement = api->io_new (api, fd, PA_IO_EVENT_INPUT, onIo, record.replacementRecord);
    }

    void onIo (pa_mainloop_api* api, pa_io_event* event, int, pa_io_event_flags_t flags, void* userdata)
    {
        auto& record = *static_cast<Record*> (userdata);
        record.lastFlags = flags;

        if (++record.calls == record.freeAfter)
        {
            api->io_free (event);
            record.destroyedInsideItsCallback = record.destroyed > 0;
        }
    }

    void onTime (pa_mainloop_api* api, pa_time_event* event, const timeval*, void* userdata)
    {
        auto& record = *static_cast<Record*> (userdata);
        record.calledAt = pa_rtclock_now();

        if (++record.calls == record.freeAfter)
        {
            api->time_free (event);
            record.destroyedInsideItsCallback = record.destroyed > 0;
        }
    }

    void onTimeFreeingAnother (pa_mainloop_api* api, pa_time_event*, const timeval*, void* userdata)
    {
        auto& record = *static_cast<Record*> (userdata);
        ++record.calls;
        api->time_free (std::exchange (record.another, nullptr));
    }

    void onDefer (pa_mainloop_api* api, pa_defer_event* event, void* userdata)
    {
        auto& record = *static_cast<Record*> (userdata);

        if (++record.calls == record.freeAfter)
        {
            api->defer_free (event);
            record.destroyedInsideItsCallback = record.destroyed > 0;
        }
    }

    class MessageThreadMainLoopTest : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_EQ (::pipe (pipeEnds), 0); }

        void TearDown() override
        {
            ::close (pipeEnds[0]);
            ::close (pipeEnds[1]);
        }

        void writeByte() { ASSERT_EQ (::write (pipeEnds[1], "x", 1), 1); }

        MessageThreadMainLoop loop;
        pa_mainloop_api* api = loop.api();
        int pipeEnds[2] {};
    };
}

TEST_F (MessageThreadMainLoopTest, IoEventsFireForWhatTheyWantAndMayBeFreedOrReplacedFromTheirOwnCallback)
{
    Record reader, writer, replaced, replacement;

    // Input only when there is something to read; freed by its second call.
    reader.freeAfter = 2;
    auto* readEvent = api->io_new (api, pipeEnds[0], PA_IO_EVENT_INPUT, onIo, &reader);
    api->io_set_destroy (readEvent, destroyed<pa_io_event>);
    test_support::pumpMessages (30);
    EXPECT_EQ (reader.calls, 0);

    writeByte();
    EXPECT_TRUE (test_support::pumpUntil ([&] { return reader.calls == 1; }, 1000));
    EXPECT_EQ (reader.lastFlags, PA_IO_EVENT_INPUT);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return reader.calls == 2; }, 1000));
    test_support::pumpMessages (30);
    EXPECT_EQ (reader.calls, 2);
    EXPECT_EQ (reader.destroyed, 1);
    EXPECT_FALSE (reader.destroyedInsideItsCallback);
    char byte = 0;
    ASSERT_EQ (::read (pipeEnds[0], &byte, 1), 1);

    // Disabled, then enabled for output: the descriptor is watched anew.
    auto* writeEvent = api->io_new (api, pipeEnds[1], PA_IO_EVENT_NULL, onIo, &writer);
    test_support::pumpMessages (30);
    EXPECT_EQ (writer.calls, 0);
    api->io_enable (writeEvent, PA_IO_EVENT_OUTPUT);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return writer.calls > 0; }, 1000));
    EXPECT_EQ (writer.lastFlags, PA_IO_EVENT_OUTPUT);
    api->io_free (writeEvent);

    // A callback that reads, frees its event and makes a new one: the new
    // one hears nothing of what the old one was called for.
    replaced.replacementRecord = &replacement;
    api->io_new (api, pipeEnds[0], PA_IO_EVENT_INPUT, onIoReplacing, &replaced);
    writeByte();
    EXPECT_TRUE (test_support::pumpUntil ([&] { return replaced.calls == 1; }, 1000));
    test_support::pumpMessages (30);
    EXPECT_EQ (replacement.calls, 0);
    writeByte();
    EXPECT_TRUE (test_support::pumpUntil ([&] { return replacement.calls == 1; }, 1000));
    api->io_free (replaced.replacement);
}

TEST_F (MessageThreadMainLoopTest, TimeEventsFireOnceWhenDueInEitherClockAndDeferEventsWhileEnabled)
{
    constexpr pa_usec_t delay = 60 * PA_USEC_PER_MSEC;

    // A time of libpulse's monotonic clock carries a flag in its microseconds.
    constexpr suseconds_t monotonicFlag = 1 << 30;
    Record monotonic, wallClock, restarted;
    const auto start = pa_rtclock_now();
    timeval monotonicDue {};
    pa_timeval_store (&monotonicDue, start + delay);
    monotonicDue.tv_usec |= monotonicFlag;
    auto* monotonicEvent = api->time_new (api, &monotonicDue, onTime, &monotonic);

    timeval due {};
    pa_gettimeofday (&due);
    pa_timeval_add (&due, delay);
    wallClock.freeAfter = 1;
    auto* wallEvent = api->time_new (api, &due, onTime, &wallClock);
    api->time_set_destroy (wallEvent, destroyed<pa_time_event>);

    // Restarted from far off to sooner than the others.
    timeval later {};
    pa_gettimeofday (&later);
    pa_timeval_add (&later, 3600 * PA_USEC_PER_SEC);
    auto* restartedEvent = api->time_new (api, &later, onTime, &restarted);
    timeval sooner {};
    pa_gettimeofday (&sooner);
    pa_timeval_add (&sooner, delay / 2);
    api->time_restart (restartedEvent, &sooner);

    EXPECT_TRUE (test_support::pumpUntil ([&] { return monotonic.calls > 0 && wallClock.calls > 0 && restarted.calls > 0; }, 2000));

    for (const auto* record : { &monotonic, &wallClock })
    {
        EXPECT_GE (record->calledAt, start + delay);
        EXPECT_LT (record->calledAt, start + 10 * delay);
    }

    EXPECT_LT (restarted.calledAt, monotonic.calledAt);
    test_support::pumpMessages (2 * delay / PA_USEC_PER_MSEC);
    EXPECT_EQ (monotonic.calls + wallClock.calls + restarted.calls, 3);
    EXPECT_EQ (wallClock.destroyed, 1);
    EXPECT_FALSE (wallClock.destroyedInsideItsCallback);
    api->time_free (restartedEvent);
    api->time_free (monotonicEvent);

    // Runs at each pass of the loop while enabled; freed by its third call.
    Record deferred;
    deferred.freeAfter = 3;
    auto* deferEvent = api->defer_new (api, onDefer, &deferred);
    api->defer_set_destroy (deferEvent, destroyed<pa_defer_event>);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return deferred.calls == 3; }, 1000));
    test_support::pumpMessages (30);
    EXPECT_EQ (deferred.calls, 3);
    EXPECT_EQ (deferred.destroyed, 1);
    EXPECT_FALSE (deferred.destroyedInsideItsCallback);

    Record disabled;
    auto* disabledEvent = api->defer_new (api, onDefer, &disabled);
    api->defer_enable (disabledEvent, 0);
    test_support::pumpMessages (30);
    EXPECT_EQ (disabled.calls, 0);
    api->defer_free (disabledEvent);
}

// libpulse frees the request timeouts of other requests from inside a
// callback; a loop that goes first frees what it still has.
TEST_F (MessageThreadMainLoopTest, AnEventFreedByAnotherIsNeverCalledAndTheLoopFreesWhatIsLeftWhenItGoes)
{
    timeval due {};
    pa_timeval_store (&due, pa_rtclock_now() + 20 * PA_USEC_PER_MSEC);
    due.tv_usec |= 1 << 30;

    // Both due in one pass; the first frees the second.
    Record freeing, freed;
    auto* freeingEvent = api->time_new (api, &due, onTimeFreeingAnother, &freeing);
    freeing.another = api->time_new (api, &due, onTime, &freed);
    api->time_set_destroy (freeing.another, destroyed<pa_time_event>);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return freeing.calls > 0; }, 1000));
    test_support::pumpMessages (30);
    EXPECT_EQ (freed.calls, 0);
    EXPECT_EQ (freed.destroyed, 1);
    api->time_free (freeingEvent);

    Record io, time, defer;
    {
        MessageThreadMainLoop goingFirst;
        auto* other = goingFirst.api();
        other->io_set_destroy (other->io_new (other, pipeEnds[0], PA_IO_EVENT_INPUT, onIo, &io), destroyed<pa_io_event>);
        other->time_set_destroy (other->time_new (other, &due, onTime, &time), destroyed<pa_time_event>);
        other->defer_set_destroy (other->defer_new (other, onDefer, &defer), destroyed<pa_defer_event>);
    }

    EXPECT_EQ (io.destroyed + time.destroyed + defer.destroyed, 3);
    const auto watched = juce::LinuxEventLoopInternal::getRegisteredFds();
    EXPECT_EQ (std::count (watched.begin(), watched.end(), pipeEnds[0]), 0);

    writeByte();
    test_support::pumpMessages (60);
    EXPECT_EQ (io.calls + time.calls + defer.calls, 0);
}

// The one wait allowed: only this loop's events run, and no longer than asked.
TEST_F (MessageThreadMainLoopTest, RunningItsOwnEventsWaitsForThemAndEndsAtTheDeadline)
{
    using Clock = std::chrono::steady_clock;
    using namespace std::chrono_literals;
    Record reader;
    auto* readEvent = api->io_new (api, pipeEnds[0], PA_IO_EVENT_INPUT, onIo, &reader);

    auto start = Clock::now();
    EXPECT_FALSE (loop.runOwnEventsUntil ([&] { return reader.calls > 0; }, start + 50ms));
    EXPECT_GE (Clock::now() - start, 50ms);
    EXPECT_LT (Clock::now() - start, 500ms);

    writeByte();
    start = Clock::now();
    EXPECT_TRUE (loop.runOwnEventsUntil ([&] { return reader.calls > 0; }, start + 5s));
    EXPECT_LT (Clock::now() - start, 500ms);
    api->io_free (readEvent);
}
