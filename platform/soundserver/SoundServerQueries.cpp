#include "platform/soundserver/SoundServerQueries.h"

#include "platform/soundserver/ServerText.h"

#include <pulse/introspect.h>

namespace platform
{
    namespace
    {
        template <typename Item>
        struct ListAnswer
        {
            std::vector<Item> items;
            bool finished = false;
        };

        struct SuccessAnswer
        {
            bool finished = false;
            bool succeeded = false;
        };

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

        // An error ends a list as its end does: what came before it stands.
        template <typename Item>
        bool endsList (ListAnswer<Item>& answer, int endOfList)
        {
            if (endOfList != 0)
                answer.finished = true;

            return answer.finished;
        }

        void addSink (pa_context*, const pa_sink_info* info, int endOfList, void* userData)
        {
            auto& answer = *static_cast<ListAnswer<ServerNode>*> (userData);

            if (! endsList (answer, endOfList) && info != nullptr)
                answer.items.push_back (nodeOf (info->index, info->card, false, info->description, info->volume, info->mute));
        }

        void addSource (pa_context*, const pa_source_info* info, int endOfList, void* userData)
        {
            auto& answer = *static_cast<ListAnswer<ServerNode>*> (userData);

            if (! endsList (answer, endOfList) && info != nullptr)
                answer.items.push_back (nodeOf (info->index, info->card, info->monitor_of_sink != PA_INVALID_INDEX,
                                                info->description, info->volume, info->mute));
        }

        void addCard (pa_context*, const pa_card_info* info, int endOfList, void* userData)
        {
            auto& answer = *static_cast<ListAnswer<ServerCard>*> (userData);

            if (! endsList (answer, endOfList) && info != nullptr)
                answer.items.push_back ({ info->index, textFromServer (pa_proplist_gets (info->proplist, PA_PROP_DEVICE_DESCRIPTION)) });
        }

        void noteSuccess (pa_context*, int success, void* userData)
        {
            auto& answer = *static_cast<SuccessAnswer*> (userData);
            answer.finished = true;
            answer.succeeded = success != 0;
        }

        struct ListsAnswer
        {
            ListAnswer<ServerCard> cards;
            ListAnswer<ServerNode> sinks;
            ListAnswer<ServerNode> sources;

            // Lists not asked for count as finished from the start.
            ListsAnswer (bool askCards, bool askSinks, bool askSources)
            {
                cards.finished = ! askCards;
                sinks.finished = ! askSinks;
                sources.finished = ! askSources;
            }

            bool isFinished() const { return cards.finished && sinks.finished && sources.finished; }

            ServerLists lists() { return { std::move (cards.items), std::move (sinks.items), std::move (sources.items) }; }
        };

        std::optional<ServerLists> exchangeLists (SoundServerConnection& connection, ListsAnswer& answer,
                                                  const SoundServerConnection::Sender& send)
        {
            if (! connection.exchange (send, [&answer] { return answer.isFinished(); }))
                return {};

            return answer.lists();
        }
    }

    SoundServerQueries::SoundServerQueries (SoundServerConnection& connectionToUse)
        : connection (connectionToUse)
    {
    }

    std::optional<ServerLists> SoundServerQueries::fetchAll()
    {
        ListsAnswer answer (true, true, true);

        return exchangeLists (connection, answer, [&answer] (pa_context* context) {
            return std::vector<pa_operation*> { pa_context_get_card_info_list (context, addCard, &answer.cards),
                                                pa_context_get_sink_info_list (context, addSink, &answer.sinks),
                                                pa_context_get_source_info_list (context, addSource, &answer.sources) };
        });
    }

    std::optional<ServerLists> SoundServerQueries::fetchAround (ServerDeviceMap::ObjectRef object, bool isInput)
    {
        using Kind = ServerDeviceMap::Kind;
        const bool isCard = object.kind == Kind::card;
        ListsAnswer answer (isCard, object.kind == Kind::sink || (isCard && ! isInput),
                            object.kind == Kind::source || (isCard && isInput));

        return exchangeLists (connection, answer, [&answer, object, isCard, isInput] (pa_context* context) {
            if (! isCard)
                return std::vector<pa_operation*> { object.kind == Kind::sink
                                                        ? pa_context_get_sink_info_by_index (context, object.index, addSink, &answer.sinks)
                                                        : pa_context_get_source_info_by_index (context, object.index, addSource, &answer.sources) };

            return std::vector<pa_operation*> { pa_context_get_card_info_by_index (context, object.index, addCard, &answer.cards),
                                                isInput ? pa_context_get_source_info_list (context, addSource, &answer.sources)
                                                        : pa_context_get_sink_info_list (context, addSink, &answer.sinks) };
        });
    }

    bool SoundServerQueries::setVolumes (const ServerNode& node, bool isInput, const std::vector<UInt32>& channelVolumes)
    {
        pa_cvolume volume;
        pa_cvolume_init (&volume);
        volume.channels = (uint8_t) std::min<size_t> (channelVolumes.size(), PA_CHANNELS_MAX);
        std::copy_n (channelVolumes.begin(), volume.channels, volume.values);

        if (! pa_cvolume_valid (&volume))
            return false;

        SuccessAnswer answer;
        const bool answered = connection.exchange ([&] (pa_context* context) {
            return std::vector<pa_operation*> { isInput ? pa_context_set_source_volume_by_index (context, node.index, &volume, noteSuccess, &answer)
                                                        : pa_context_set_sink_volume_by_index (context, node.index, &volume, noteSuccess, &answer) };
        }, [&answer] { return answer.finished; });

        return answered && answer.succeeded;
    }

    bool SoundServerQueries::setMute (const ServerNode& node, bool isInput, bool mute)
    {
        SuccessAnswer answer;
        const bool answered = connection.exchange ([&] (pa_context* context) {
            return std::vector<pa_operation*> { isInput ? pa_context_set_source_mute_by_index (context, node.index, mute, noteSuccess, &answer)
                                                        : pa_context_set_sink_mute_by_index (context, node.index, mute, noteSuccess, &answer) };
        }, [&answer] { return answer.finished; });

        return answered && answer.succeeded;
    }
}
