#include "platform/soundserver/ServerPicture.h"

#include "platform/soundserver/ServerText.h"

#include <algorithm>
#include <optional>

namespace platform
{
    namespace
    {
        template <typename Info>
        ServerNode nodeOf (const Info& info, bool isMonitor)
        {
            ServerNode node;
            node.index = info.index;
            node.card = info.card;
            node.isMonitor = isMonitor;
            node.description = textFromServer (info.description);
            node.volume = info.volume;
            node.muted = info.mute != 0;
            return node;
        }

        ServerNode nodeOf (const pa_sink_info& info)   { return nodeOf (info, false); }
        ServerNode nodeOf (const pa_source_info& info) { return nodeOf (info, info.monitor_of_sink != PA_INVALID_INDEX); }

        ServerCard cardOf (const pa_card_info& info)
        {
            return { info.index, textFromServer (pa_proplist_gets (info.proplist, PA_PROP_DEVICE_DESCRIPTION)) };
        }

        // Kept in index order, for lookups by index.
        template <typename Item>
        typename std::vector<Item>::iterator placeOf (std::vector<Item>& items, UInt32 index)
        {
            return std::lower_bound (items.begin(), items.end(), index,
                                     [] (const Item& existing, UInt32 wanted) { return existing.index < wanted; });
        }

        template <typename Item>
        Item* findIn (std::vector<Item>& items, UInt32 index)
        {
            const auto place = placeOf (items, index);
            return place != items.end() && place->index == index ? &*place : nullptr;
        }

        template <typename Item>
        void storeIn (std::vector<Item>& items, Item item)
        {
            const auto place = placeOf (items, item.index);

            if (place != items.end() && place->index == item.index)
                *place = std::move (item);
            else
                items.insert (place, std::move (item));
        }

        template <typename Item>
        void eraseFrom (std::vector<Item>& items, UInt32 index)
        {
            const auto place = placeOf (items, index);

            if (place != items.end() && place->index == index)
                items.erase (place);
        }

        std::optional<ServerObjectKind> kindOf (pa_subscription_event_type_t event)
        {
            switch (event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK)
            {
                case PA_SUBSCRIPTION_EVENT_CARD:   return ServerObjectKind::card;
                case PA_SUBSCRIPTION_EVENT_SINK:   return ServerObjectKind::sink;
                case PA_SUBSCRIPTION_EVENT_SOURCE: return ServerObjectKind::source;
                default:                           return {};
            }
        }

        void cancel (pa_operation* operation)
        {
            if (operation == nullptr)
                return;

            pa_operation_cancel (operation);
            pa_operation_unref (operation);
        }
    }

    ServerPicture::ServerPicture (const WriteQueue& pendingWrites)
        : writes (pendingWrites)
    {
    }

    ServerPicture::~ServerPicture()
    {
        stop();
    }

    void ServerPicture::start (pa_context* contextToFollow)
    {
        stop();
        context = contextToFollow;
        pa_context_set_subscribe_callback (context, onEvent, this);

        const auto mask = (pa_subscription_mask_t) (PA_SUBSCRIPTION_MASK_CARD | PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE);
        listing = { pa_context_subscribe (context, mask, onSubscribed, this),
                    pa_context_get_card_info_list (context, onListed<pa_card_info>, this),
                    pa_context_get_sink_info_list (context, onListed<pa_sink_info>, this),
                    pa_context_get_source_info_list (context, onListed<pa_source_info>, this) };
        listsAwaited = (int) listing.size();
        failed = std::find (listing.begin(), listing.end(), nullptr) != listing.end();
    }

    void ServerPicture::stop()
    {
        if (context != nullptr)
            pa_context_set_subscribe_callback (context, nullptr, nullptr);

        for (auto* operation : listing)
            cancel (operation);

        for (auto& [object, fetch] : fetches)
            cancel (fetch.operation);

        listing.clear();
        fetches.clear();
        current = {};
        listsAwaited = 0;
        goneWhileListing.clear();
        failed = false;
        context = nullptr;
    }

    bool ServerPicture::isListed() const
    {
        return context != nullptr && listsAwaited == 0 && ! failed;
    }

    bool ServerPicture::hasFailed() const
    {
        return failed;
    }

    const ServerLists& ServerPicture::lists() const
    {
        return current;
    }

    void ServerPicture::fetchAgain (ServerObjectRef object)
    {
        fetch (object);
    }

    void ServerPicture::showVolume (ServerObjectRef node, const pa_cvolume& volume)
    {
        if (auto* shown = shownNode (node))
            shown->volume = volume;
    }

    void ServerPicture::showMute (ServerObjectRef node, bool muted)
    {
        if (auto* shown = shownNode (node))
            shown->muted = muted;
    }

    void ServerPicture::follow (pa_subscription_event_type_t event, UInt32 index)
    {
        const auto kind = kindOf (event);

        if (! kind.has_value())
            return;

        const ServerObjectRef object { *kind, index };

        switch (event & PA_SUBSCRIPTION_EVENT_TYPE_MASK)
        {
            case PA_SUBSCRIPTION_EVENT_REMOVE: forget (object); break;
            case PA_SUBSCRIPTION_EVENT_CHANGE: if (! isKnownMonitor (object)) fetch (object); break;
            default:                           fetch (object); break;
        }
    }

    // Of a monitor only its coming and going count: no search reads its
    // levels or names, and a sink's change announces its monitor's too.
    bool ServerPicture::isKnownMonitor (ServerObjectRef object)
    {
        const auto* known = shownNode (object);
        return known != nullptr && known->isMonitor;
    }

    void ServerPicture::fetch (ServerObjectRef object)
    {
        if (context == nullptr)
            return;

        const auto [entry, isNew] = fetches.try_emplace (object, Fetch { this, object });

        if (! isNew)
        {
            entry->second.again = true;
            return;
        }

        entry->second.operation = requestOf (object, entry->second);

        if (entry->second.operation == nullptr)
            fetches.erase (entry);
    }

    pa_operation* ServerPicture::requestOf (ServerObjectRef object, Fetch& fetch)
    {
        switch (object.kind)
        {
            case ServerObjectKind::card:   return pa_context_get_card_info_by_index (context, object.index, onFetched<pa_card_info>, &fetch);
            case ServerObjectKind::sink:   return pa_context_get_sink_info_by_index (context, object.index, onFetched<pa_sink_info>, &fetch);
            case ServerObjectKind::source: return pa_context_get_source_info_by_index (context, object.index, onFetched<pa_source_info>, &fetch);
        }

        return nullptr;
    }

    // The fetch's record goes here, inside its own callback, after which
    // libpulse calls it no more.
    void ServerPicture::fetchEnded (Fetch& fetch, FetchEnd end)
    {
        const auto object = fetch.object;
        pa_operation_unref (std::exchange (fetch.operation, nullptr));

        // A change announced before the server stopped is missing from the
        // picture: the server is asked again, and answers once it goes on.
        if (end == FetchEnd::timedOut && ! fetch.isStale)
            fetch.again = true;

        if (end == FetchEnd::gone && ! fetch.again)
            forget (object);

        if (fetch.again)
        {
            fetch.again = false;
            fetch.isStale = false;
            fetch.operation = requestOf (object, fetch);
        }

        if (fetch.operation == nullptr)
            fetches.erase (object);
    }

    void ServerPicture::forget (ServerObjectRef object)
    {
        switch (object.kind)
        {
            case ServerObjectKind::card:   eraseFrom (current.cards, object.index); break;
            case ServerObjectKind::sink:   eraseFrom (current.sinks, object.index); break;
            case ServerObjectKind::source: eraseFrom (current.sources, object.index); break;
        }

        if (const auto underway = fetches.find (object); underway != fetches.end())
        {
            underway->second.isStale = true;
            underway->second.again = false;
        }

        if (listsAwaited > 0)
            goneWhileListing.insert (object);
    }

    void ServerPicture::listEnded (bool succeeded)
    {
        failed = failed || ! succeeded;

        if (--listsAwaited > 0)
            return;

        for (auto* operation : listing)
            pa_operation_unref (operation);

        listing.clear();
        goneWhileListing.clear();
    }

    void ServerPicture::store (ServerObjectKind kind, ServerNode node)
    {
        const ServerObjectRef object { kind, node.index };

        if (goneWhileListing.count (object) != 0)
            return;

        // What the panel wrote stands until its last write is answered.
        if (const auto* shown = shownNode (object))
        {
            if (writes.isPending (object, ServerControl::volume))
                node.volume = shown->volume;

            if (writes.isPending (object, ServerControl::mute))
                node.muted = shown->muted;
        }

        storeIn (kind == ServerObjectKind::sink ? current.sinks : current.sources, std::move (node));
    }

    void ServerPicture::store (const pa_sink_info& info)
    {
        store (ServerObjectKind::sink, nodeOf (info));
    }

    void ServerPicture::store (const pa_source_info& info)
    {
        store (ServerObjectKind::source, nodeOf (info));
    }

    void ServerPicture::store (const pa_card_info& info)
    {
        if (goneWhileListing.count ({ ServerObjectKind::card, info.index }) == 0)
            storeIn (current.cards, cardOf (info));
    }

    ServerNode* ServerPicture::shownNode (ServerObjectRef object)
    {
        if (object.kind == ServerObjectKind::card)
            return nullptr;

        return findIn (object.kind == ServerObjectKind::sink ? current.sinks : current.sources, object.index);
    }

    // Any other failure (the connection went, or the server would not say)
    // leaves the picture as it is.
    ServerPicture::FetchEnd ServerPicture::endOf (pa_context* context, int endOfList)
    {
        if (endOfList > 0)
            return FetchEnd::done;

        switch (pa_context_errno (context))
        {
            case PA_ERR_NOENTITY: return FetchEnd::gone;
            case PA_ERR_TIMEOUT:  return FetchEnd::timedOut;
            default:              return FetchEnd::done;
        }
    }

    //==============================================================================
    void ServerPicture::onEvent (pa_context*, pa_subscription_event_type_t event, uint32_t index, void* picture)
    {
        static_cast<ServerPicture*> (picture)->follow (event, index);
    }

    void ServerPicture::onSubscribed (pa_context*, int success, void* picture)
    {
        static_cast<ServerPicture*> (picture)->listEnded (success != 0);
    }

    template <typename Info>
    void ServerPicture::onListed (pa_context*, const Info* info, int endOfList, void* userData)
    {
        auto& picture = *static_cast<ServerPicture*> (userData);

        if (endOfList != 0)
            picture.listEnded (endOfList > 0);
        else if (info != nullptr)
            picture.store (*info);
    }

    template <typename Info>
    void ServerPicture::onFetched (pa_context* context, const Info* info, int endOfList, void* userData)
    {
        auto& fetch = *static_cast<Fetch*> (userData);

        if (endOfList != 0)
            fetch.picture->fetchEnded (fetch, endOf (context, endOfList));
        else if (info != nullptr && ! fetch.isStale)
            fetch.picture->store (*info);
    }
}
