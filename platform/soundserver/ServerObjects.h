#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace platform
{
    // What the back end takes from the sound server's answers: plain copies,
    // since libpulse's records live only as long as its callback.

    // A sink or a source.
    struct ServerNode
    {
        static constexpr UInt32 noIndex = 0xffffffff;

        UInt32 index = noIndex;
        UInt32 card = noIndex;
        bool isMonitor = false;
        juce::String description;
        // The server's raw volumes, in the order of the channel map.
        std::vector<UInt32> channelVolumes;
        bool muted = false;
    };

    struct ServerCard
    {
        UInt32 index = ServerNode::noIndex;
        juce::String description;
    };

    // Some or all of the server's cards, sinks and sources, each in the
    // server's order.
    struct ServerLists
    {
        std::vector<ServerCard> cards;
        std::vector<ServerNode> sinks;
        std::vector<ServerNode> sources;
    };
}
