#include "platform/soundserver/LocalServers.h"
#include "platform/soundserver/ServerDeviceMap.h"
#include "platform/soundserver/ServerText.h"

#include <gtest/gtest.h>

using namespace platform;

namespace
{
    constexpr UInt32 none = ServerNode::noIndex;

    ServerNode node (UInt32 index, UInt32 card, const char* description, bool isMonitor = false)
    {
        ServerNode result;
        result.index = index;
        result.card = card;
        result.description = description;
        result.isMonitor = isMonitor;
        pa_cvolume_set (&result.volume, 2, PA_VOLUME_NORM);
        return result;
    }

    // "name: out=sink index in=source index" per device, in list order.
    std::vector<std::string> describe (const ServerLists& lists)
    {
        std::vector<std::string> devices;

        for (const auto& device : ServerDeviceMap::devicesOf (lists))
        {
            auto text = device.name.toStdString() + ":";
            text += device.output.has_value() ? " out=" + std::to_string (device.output->index) : std::string();
            text += device.input.has_value() ? " in=" + std::to_string (device.input->index) : std::string();
            devices.push_back (text);
        }

        return devices;
    }
}

TEST (ServerDeviceMap, CardsAreDevicesOfTheirFirstSinkAndSourceAndTheRestStandAlone)
{
    struct Row
    {
        const char* server;
        ServerLists lists;
        std::vector<std::string> devices;
    };

    const Row rows[] {
        { "a card with a sink, a monitor and a source",
          { { { 0, "Card" } }, { node (3, 0, "Card Out") }, { node (4, 0, "Monitor", true), node (5, 0, "Card In") } },
          { "Card: out=3 in=5" } },
        { "a card with a sink and only its monitor",
          { { { 0, "Card" } }, { node (3, 0, "Card Out") }, { node (4, 0, "Monitor", true) } },
          { "Card: out=3" } },
        { "a card without sinks or sources, and its profile's leftovers elsewhere",
          { { { 0, "Off" } }, { node (1, none, "Null") }, { node (2, none, "Monitor of Null", true) } },
          { "Null: out=1" } },
        { "a card with two sinks, and a card-less source",
          { { { 7, "Card" } }, { node (9, 7, "Second"), node (8, 7, "First") }, { node (2, none, "Mic") } },
          { "Card: out=9", "Mic: in=2" } },
        { "cards before card-less sinks before card-less sources",
          { { { 1, "Card" } }, { node (0, none, "Null"), node (2, 1, "Card Out") }, { node (0, none, "Null In") } },
          { "Card: out=2", "Null: out=0", "Null In: in=0" } },
        { "an index too large for an id", { {}, { node (0x10000000, none, "Huge") }, {} }, {} },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.server);
        EXPECT_EQ (describe (row.lists), row.devices);
    }
}

TEST (ServerDeviceMap, IdsAreNonZeroDistinctAcrossKindsAndLeadBackToTheirObject)
{
    using Kind = ServerDeviceMap::Kind;
    std::vector<AudioDeviceID> ids;

    for (const auto kind : { Kind::card, Kind::sink, Kind::source })
    {
        for (const UInt32 index : { 0u, 1u, 0x0fffffffu })
        {
            const auto id = ServerDeviceMap::idOf (kind, index);
            ASSERT_TRUE (id.has_value());
            EXPECT_NE (*id, 0u);
            const auto object = ServerDeviceMap::objectOf (*id);
            ASSERT_TRUE (object.has_value());
            EXPECT_EQ (object->kind, kind);
            EXPECT_EQ (object->index, index);
            ids.push_back (*id);
        }
    }

    std::sort (ids.begin(), ids.end());
    EXPECT_EQ (std::adjacent_find (ids.begin(), ids.end()), ids.end());
    EXPECT_FALSE (ServerDeviceMap::objectOf (0).has_value());
    EXPECT_FALSE (ServerDeviceMap::objectOf (0x40000001).has_value());

    // Lists that changed since the id was handed out find nothing.
    ServerLists lists { {}, { node (3, none, "Null") }, {} };
    EXPECT_TRUE (ServerDeviceMap::find (lists, *ServerDeviceMap::idOf (Kind::sink, 3)).has_value());
    EXPECT_FALSE (ServerDeviceMap::find (lists, *ServerDeviceMap::idOf (Kind::source, 3)).has_value());
    EXPECT_FALSE (ServerDeviceMap::find (lists, *ServerDeviceMap::idOf (Kind::sink, 4)).has_value());
}

TEST (ServerText, BrokenUtf8NeverBecomesAGoodName)
{
    struct Row
    {
        const char* text;
        juce::String expected;
    };

    const Row rows[] {
        { "Quenmar K-DAR7 Sound Device", "Quenmar K-DAR7 Sound Device" },
        { "Gr\xc3\xb6\xc3\x9f" "e \xe9\x9f\xb3 \xf0\x9f\x94\x8a", juce::String::fromUTF8 ("Gr\xc3\xb6\xc3\x9f" "e \xe9\x9f\xb3 \xf0\x9f\x94\x8a") },
        { "Quenmar K-DAR7 Sound Device\xff", "Quenmar K-DAR7 Sound Device_" },
        { "Quenmar K-DAR7 Sound Devic\xc3", "Quenmar K-DAR7 Sound Devic_" }, // cut short where a good name goes on
        { "\xc1\x81", "__" },                                             // an overlong 'A'
        { "\xed\xa0\x80" "x", "___x" },                                    // a surrogate
        { "", "" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.text);
        EXPECT_EQ (textFromServer (row.text), row.expected);
    }

    EXPECT_EQ (textFromServer (nullptr), "");
}

TEST (LocalServers, OnlyLocalSocketsAreKeptSinceAHostNameLookupCanBlockForSeconds)
{
    const std::pair<const char*, const char*> rows[] {
        { "unix:/run/user/1000/pulse/native", "unix:/run/user/1000/pulse/native" },
        { "/tmp/server", "/tmp/server" },
        { "{0123abcd}unix:/tmp/a  tcp:host /tmp/b", "{0123abcd}unix:/tmp/a /tmp/b" },
        { "garbage", "" },                                              // a bare host name
        { "tcp:127.0.0.1:4713 tcp6:[::1] tcp4:localhost", "" },
        { "{0123abcd}tcp:host", "" },
        { "{unclosed unix:/tmp/a", "unix:/tmp/a" },
        { "unix:relative", "" },
        { "  ", "" },
    };

    for (const auto& [list, expected] : rows)
        EXPECT_EQ (localServersOf (list), expected) << list;
}
