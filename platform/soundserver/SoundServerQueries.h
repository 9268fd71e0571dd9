#pragma once

#include "platform/soundserver/ServerDeviceMap.h"
#include "platform/soundserver/SoundServerConnection.h"

namespace platform
{
    // The questions and orders the back end sends to the sound server, each
    // one exchange over the connection. Every call asks the server anew.
    class SoundServerQueries
    {
    public:
        explicit SoundServerQueries (SoundServerConnection& connectionToUse);

        // All cards, sinks and sources; none when the server cannot be had.
        std::optional<ServerLists> fetchAll();

        // What the server holds of the objects that make the device of one
        // object: the sink or source itself, or a card with its sinks or its
        // sources (as the scope asks). Absent objects are left out.
        std::optional<ServerLists> fetchAround (ServerDeviceMap::ObjectRef object, bool isInput);

        // False when the server cannot be had or refuses.
        bool setVolumes (const ServerNode& node, bool isInput, const std::vector<UInt32>& channelVolumes);
        bool setMute (const ServerNode& node, bool isInput, bool mute);

    private:
        SoundServerConnection& connection;
    };
}
