#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"

#include <juce_core/juce_core.h>

#include <pulse/volume.h>

#include <tuple>
#include <vector>

namespace platform
{
    // What the back end takes from the sound server's answers: plain copies,
    // since libpulse's records live only as long as its callback.

    enum class ServerObjectKind : UInt32
    {
        card = 1,
        sink = 2,
        source = 3
    };

    // One of the server's objects, by kind and index.
    struct ServerObjectRef
    {
        ServerObjectKind kind;
        UInt32 index;

        bool operator< (const ServerObjectRef& other) const
        {
            return std::tie (kind, index) < std::tie (other.kind, other.index);
        }

        bool operator== (const ServerObjectRef& other) const
        {
            return kind == other.kind && index == other.index;
        }
    };

    // The two controls of a sink or a source that the panel writes.
    enum class ServerControl
    {
        volume,
        mute
    };

    // A sink or a source.
    struct ServerNode
    {
        static constexpr UInt32 noIndex = 0xffffffff;

        UInt32 index = noIndex;
        UInt32 card = noIndex;
        bool isMonitor = false;
        juce::String description;
        // The server's volumes, in the order of the channel map.
        pa_cvolume volume {};
        bool muted = false;
    };

    struct ServerCard
    {
        UInt32 index = ServerNode::noIndex;
        juce::String description;
    };

    // Some or all of the server's cards, sinks and sources, each in the
    // server's order, which is that of the indexes.
    struct ServerLists
    {
        std::vector<ServerCard> cards;
        std::vector<ServerNode> sinks;
        std::vector<ServerNode> sources;
    };
}
