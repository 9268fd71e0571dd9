#pragma once

#include "platform/soundserver/ServerObjects.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

namespace platform
{
    // What one connection has heard of the server's cards, sinks and
    // sources: the lists fetched when it was made, then each object fetched
    // again whenever the server announces that it came, changed or went.
    // It lives and dies with the connection, and is never read while an
    // announced change is still being fetched.
    class ServerMirror
    {
    public:
        // Subscribes to the changes and fetches the three lists.
        void start (pa_context* context);
        void clear();

        // Nothing announced or asked for is still on its way.
        bool isSettled() const;

        const ServerLists& lists() const;

        // Counts every answer and announcement received, to tell a server
        // that is busy from one that is silent.
        unsigned answersReceived() const;

    private:
        ServerLists current;
        int fetchesUnderway = 0;
        unsigned answers = 0;

        void follow (pa_context* context, pa_subscription_event_type_t event, UInt32 index);
        void track (pa_operation* operation);

        static void onEvent (pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* mirror);
        static void onSubscribed (pa_context* context, int success, void* mirror);
        static void onSink (pa_context* context, const pa_sink_info* info, int endOfList, void* mirror);
        static void onSource (pa_context* context, const pa_source_info* info, int endOfList, void* mirror);
        static void onCard (pa_context* context, const pa_card_info* info, int endOfList, void* mirror);
    };
}
