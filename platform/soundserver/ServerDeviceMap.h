#pragma once

#include "platform/soundserver/ServerObjects.h"

#include <optional>

namespace platform
{
    // One device of the audio layer as the sound server's objects make it.
    // Both scopes carry one name.
    struct ServerDevice
    {
        AudioDeviceID id = 0;
        juce::String name;
        std::optional<ServerNode> output;
        std::optional<ServerNode> input;
    };

    // How the server's cards, sinks and sources become the audio layer's
    // devices. A card is one device: its first sink is the output scope, its
    // first source that is no monitor the input scope, both named by the
    // card's description. A sink or a source of no card is a device of that
    // one scope, named by its own description. Monitor sources never count.
    class ServerDeviceMap
    {
    public:
        using Kind = ServerObjectKind;
        using ObjectRef = ServerObjectRef;

        // Cards with at least one scope, then the sinks of no card, then the
        // sources of no card, each in the server's order.
        static std::vector<ServerDevice> devicesOf (const ServerLists& lists);

        // The device with that id that the lists make, if any.
        static std::optional<ServerDevice> find (const ServerLists& lists, AudioDeviceID id);

        // Ids are the object's kind in the top four bits over its server
        // index: never 0, distinct across kinds, and as stable as the index.
        // An index too large for the id makes no device.
        static std::optional<AudioDeviceID> idOf (Kind kind, UInt32 index);
        static std::optional<ObjectRef> objectOf (AudioDeviceID id);
    };
}
