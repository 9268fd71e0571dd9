#include "platform/soundserver/ServerDeviceMap.h"

#include <algorithm>

namespace platform
{
    namespace
    {
        constexpr int kindShift = 28;
        constexpr UInt32 indexMask = (UInt32 { 1 } << kindShift) - 1;

        bool isCardlessScope (const ServerNode& source)
        {
            return ! source.isMonitor && source.card == ServerNode::noIndex;
        }

        std::optional<ServerNode> firstOfCard (const std::vector<ServerNode>& nodes, UInt32 card)
        {
            for (const auto& node : nodes)
                if (node.card == card && ! node.isMonitor)
                    return node;

            return {};
        }

        void addCards (const ServerLists& lists, std::vector<ServerDevice>& devices)
        {
            for (const auto& card : lists.cards)
            {
                const auto id = ServerDeviceMap::idOf (ServerDeviceMap::Kind::card, card.index);
                ServerDevice device { id.value_or (0), card.description,
                                      firstOfCard (lists.sinks, card.index), firstOfCard (lists.sources, card.index) };

                if (id.has_value() && (device.output.has_value() || device.input.has_value()))
                    devices.push_back (std::move (device));
            }
        }

        void addOwnNodes (const std::vector<ServerNode>& nodes, ServerDeviceMap::Kind kind, std::vector<ServerDevice>& devices)
        {
            for (const auto& node : nodes)
            {
                const auto id = ServerDeviceMap::idOf (kind, node.index);

                if (! id.has_value() || ! isCardlessScope (node))
                    continue;

                ServerDevice device { *id, node.description, {}, {} };
                (kind == ServerDeviceMap::Kind::sink ? device.output : device.input) = node;
                devices.push_back (std::move (device));
            }
        }
    }

    std::vector<ServerDevice> ServerDeviceMap::devicesOf (const ServerLists& lists)
    {
        std::vector<ServerDevice> devices;
        addCards (lists, devices);
        addOwnNodes (lists.sinks, Kind::sink, devices);
        addOwnNodes (lists.sources, Kind::source, devices);
        return devices;
    }

    // One device alone, without making all of them: every call of a search
    // looks one up.
    std::optional<ServerDevice> ServerDeviceMap::find (const ServerLists& lists, AudioDeviceID id)
    {
        const auto object = objectOf (id);

        if (! object.has_value())
            return {};

        if (object->kind == Kind::card)
        {
            for (const auto& card : lists.cards)
            {
                if (card.index != object->index)
                    continue;

                ServerDevice device { id, card.description, firstOfCard (lists.sinks, card.index), firstOfCard (lists.sources, card.index) };

                if (device.output.has_value() || device.input.has_value())
                    return device;
            }

            return {};
        }

        // The lists are in index order, and a search looks up every device:
        // a scan here would make a poll grow with the square of the sinks.
        const auto& nodes = object->kind == Kind::sink ? lists.sinks : lists.sources;
        const auto node = std::lower_bound (nodes.begin(), nodes.end(), object->index,
                                            [] (const ServerNode& existing, UInt32 index) { return existing.index < index; });

        if (node == nodes.end() || node->index != object->index || ! isCardlessScope (*node))
            return {};

        ServerDevice device { id, node->description, {}, {} };
        (object->kind == Kind::sink ? device.output : device.input) = *node;
        return device;
    }

    std::optional<AudioDeviceID> ServerDeviceMap::idOf (Kind kind, UInt32 index)
    {
        if (index > indexMask)
            return {};

        return ((UInt32) kind << kindShift) | index;
    }

    std::optional<ServerDeviceMap::ObjectRef> ServerDeviceMap::objectOf (AudioDeviceID id)
    {
        const auto kind = id >> kindShift;

        if (kind < (UInt32) Kind::card || kind > (UInt32) Kind::source)
            return {};

        return ObjectRef { (Kind) kind, id & indexMask };
    }
}
