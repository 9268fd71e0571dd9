#include "platform/soundserver/ServerMirror.h"

#include "platform/soundserver/ServerText.h"


#include <algorithm>

namespace platform
{
    namespace
    {
        ServerNode nodeOf (UInt32 index, UInt32 card, bool isMonitor, const char* description,
                           const pa_cvolume& volume, int mute)
        {
            ServerNode node;
            node.index = index;
            node.card = card;
            node.isMonitor = isMonitor;
            node.description = textFromServer (description);
            node.muted = mute != 0;

            const auto channels = std::min<unsigned> (volume.channels, PA_CHANNELS_MAX);
            node.channelVolumes.assign (volume.values, volume.values + channels);
            return node;
        }

        // Keeps the list in the server's order, which is that of the indexes.
        template <typename Item>
        void store (std::vector<Item>& items, Item item)
        {
            auto place = std::lower_bound (items.begin(), items.end(), item.index,
                                           [] (const Item& existing, UInt32 index) { return existing.index < index; });

            if (place != items.end() && place->index == item.index)
                *place = std::move (item);
            else
                items.insert (place, std::move (item));
        }

        template <typename Item>
        void forget (std::vector<Item>& items, UInt32 index)
        {
            items.erase (std::remove_if (items.begin(), items.end(), [index] (const Item& item) { return item.index == index; }),
                         items.end());
        }

        ServerMirror& mirrorOf (void* userData)
        {
            return *static_cast<ServerMirror*> (userData);
        }
    }

    void ServerMirror::start (pa_context* context)
    {
        clear();
        pa_context_set_subscribe_callback (context, onEvent, this);
        track (pa_context_subscribe (context, (pa_subscription_mask_t) (PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                                                        | PA_SUBSCRIPTION_MASK_CARD),
                                     onSubscribed, this));
        track (pa_context_get_card_info_list (context, onCard, this));
        track (pa_context_get_sink_info_list (context, onSink, this));
        track (pa_context_get_source_info_list (context, onSource, this));
    }

    void ServerMirror::clear()
    {
        current = {};
        fetchesUnderway = 0;
    }

    bool ServerMirror::isSettled() const
    {
        return fetchesUnderway == 0;
    }

    const ServerLists& ServerMirror::lists() const
    {
        return current;
    }

    unsigned ServerMirror::answersReceived() const
    {
        return answers;
    }

    // A request that could not be sent leaves the mirror unsettled for good,
    // so the connection gives up on it and starts afresh.
    void ServerMirror::track (pa_operation* operation)
    {
        ++fetchesUnderway;

        if (operation != nullptr)
            pa_operation_unref (operation);
    }

    void ServerMirror::follow (pa_context* context, pa_subscription_event_type_t event, UInt32 index)
    {
        const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const bool removed = (event & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;

        if (facility == PA_SUBSCRIPTION_EVENT_SINK)
            removed ? forget (current.sinks, index) : track (pa_context_get_sink_info_by_index (context, index, onSink, this));
        else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE)
            removed ? forget (current.sources, index) : track (pa_context_get_source_info_by_index (context, index, onSource, this));
        else if (facility == PA_SUBSCRIPTION_EVENT_CARD)
            removed ? forget (current.cards, index) : track (pa_context_get_card_info_by_index (context, index, onCard, this));
    }

    //==============================================================================
    void ServerMirror::onEvent (pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* mirror)
    {
        ++mirrorOf (mirror).answers;
        mirrorOf (mirror).follow (context, event, index);
    }

    void ServerMirror::onSubscribed (pa_context*, int, void* mirror)
    {
        ++mirrorOf (mirror).answers;
        --mirrorOf (mirror).fetchesUnderway;
    }

    // A fetch ends with its end of list, or with an error: an object that
    // went before its fetch was answered is announced as gone anyway.
    void ServerMirror::onSink (pa_context*, const pa_sink_info* info, int endOfList, void* userData)
    {
        auto& mirror = mirrorOf (userData);
        ++mirror.answers;

        if (endOfList != 0)
            --mirror.fetchesUnderway;
        else if (info != nullptr)
            store (mirror.current.sinks, nodeOf (info->index, info->card, false, info->description, info->volume, info->mute));
    }

    void ServerMirror::onSource (pa_context*, const pa_source_info* info, int endOfList, void* userData)
    {
        auto& mirror = mirrorOf (userData);
        ++mirror.answers;

        if (endOfList != 0)
            --mirror.fetchesUnderway;
        else if (info != nullptr)
            store (mirror.current.sources, nodeOf (info->index, info->card, info->monitor_of_sink != PA_INVALID_INDEX,
                                                   info->description, info->volume, info->mute));
    }

    void ServerMirror::onCard (pa_context*, const pa_card_info* info, int endOfList, void* userData)
    {
        auto& mirror = mirrorOf (userData);
        ++mirror.answers;

        if (endOfList != 0)
            --mirror.fetchesUnderway;
        else if (info != nullptr)
            store (mirror.current.cards, ServerCard { info->index, textFromServer (pa_proplist_gets (info->proplist, PA_PROP_DEVICE_DESCRIPTION)) });
    }
}
