#pragma once

#include "platform/soundserver/ServerObjects.h"
#include "platform/soundserver/WriteQueue.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <map>
#include <set>
#include <vector>

namespace platform
{
    // The server's cards, sinks and sources as one connection has heard of
    // them: listed when it is made, then each object fetched again as soon
    // as the server announces that it came or changed, and dropped when it
    // went. One fetch of an object at a time: announcements that arrive
    // meanwhile ask for one more after it. A value the panel has written
    // shows at once, and a fetch answered while a write of it is still on
    // its way does not put the older value back.
    class ServerPicture
    {
    public:
        explicit ServerPicture (const WriteQueue& writes);
        ~ServerPicture();

        // Subscribes to the announcements and lists the three kinds.
        void start (pa_context* context);
        // Forgets everything and cancels what is on its way.
        void stop();

        // The listing is complete; what the server announced since is in as
        // far as it has been fetched.
        bool isListed() const;
        // A listing the server would not give: this picture stays incomplete.
        bool hasFailed() const;
        const ServerLists& lists() const;

        void fetchAgain (ServerObjectRef object);
        void showVolume (ServerObjectRef node, const pa_cvolume& volume);
        void showMute (ServerObjectRef node, bool muted);

    private:
        struct Fetch
        {
            ServerPicture* picture;
            ServerObjectRef object;
            pa_operation* operation = nullptr;
            bool again = false;
            // Gone since the fetch was sent: whatever it brings is stale.
            bool isStale = false;
        };

        // How a fetch ended: with what the server would tell, with the
        // object gone, or with no answer in libpulse's time.
        enum class FetchEnd
        {
            done,
            gone,
            timedOut
        };

        const WriteQueue& writes;
        pa_context* context = nullptr;
        ServerLists current;
        std::map<ServerObjectRef, Fetch> fetches;
        std::vector<pa_operation*> listing;
        int listsAwaited = 0;
        // Gone while the listing was on its way, which may still bring them.
        std::set<ServerObjectRef> goneWhileListing;
        bool failed = false;

        void follow (pa_subscription_event_type_t event, UInt32 index);
        bool isKnownMonitor (ServerObjectRef object);
        void fetch (ServerObjectRef object);
        pa_operation* requestOf (ServerObjectRef object, Fetch& fetch);
        void fetchEnded (Fetch& fetch, FetchEnd end);
        static FetchEnd endOf (pa_context* context, int endOfList);
        void forget (ServerObjectRef object);
        void listEnded (bool succeeded);
        void store (ServerObjectKind kind, ServerNode node);
        void store (const pa_sink_info& info);
        void store (const pa_source_info& info);
        void store (const pa_card_info& info);
        ServerNode* shownNode (ServerObjectRef object);

        static void onEvent (pa_context*, pa_subscription_event_type_t event, uint32_t index, void* picture);
        static void onSubscribed (pa_context*, int success, void* picture);
        template <typename Info>
        static void onListed (pa_context*, const Info* info, int endOfList, void* picture);
        template <typename Info>
        static void onFetched (pa_context* context, const Info* info, int endOfList, void* fetch);
    };
}
