#include "SoundServerTestSupport.h"

#include "volume/Traverser.h"

#include <cmath>
#include <limits>

using namespace sound_server_test;

namespace
{
    constexpr float volumeStep = 1.0f / 65536.0f;

    using BackEndEdgeTest = SoundServerTest;

    std::string setVolumeCommand (const std::string& kind, const std::string& name, const std::vector<unsigned>& volumes)
    {
        auto command = "pactl set-" + kind + "-volume " + name;

        for (const auto volume : volumes)
            command += " " + std::to_string (volume);

        return command;
    }

    OSStatus writeMute (AudioDeviceID id, Boolean isInput, UInt32 element, UInt32 value)
    {
        return AudioDeviceSetProperty (id, nullptr, element, isInput, kAudioDevicePropertyMute, sizeof (value), &value);
    }

    bool muteExists (AudioDeviceID id, Boolean isInput, UInt32 element)
    {
        Boolean writable = false;
        return AudioDeviceGetPropertyInfo (id, element, isInput, kAudioDevicePropertyMute, nullptr, &writable) == kAudioHardwareNoError
               && writable != 0;
    }

    // The id once the audio layer has heard of the device; 0 when it never does.
    AudioDeviceID seenDevice (const std::string& name, Boolean isInput)
    {
        AudioDeviceID id = 0;
        eventually ([&] { return (id = findDevice (name, isInput)) != 0; });
        return id;
    }

    bool levelIsRead (AudioDeviceID id, Boolean isInput, UInt32 element, float level)
    {
        return eventually ([=] { return std::abs (readLevel (id, isInput, element) - level) <= volumeStep; });
    }
}

TEST_F (BackEndEdgeTest, ElementZeroIsTheLoudestChannelAndTheOthersAreTheChannelsInOrder)
{
    struct Row
    {
        const char* kind;
        int channels;
    };

    for (const auto& row : { Row { "sink", 1 }, Row { "sink", 6 }, Row { "source", 2 } })
    {
        SCOPED_TRACE (std::string (row.kind) + " of " + std::to_string (row.channels));
        const bool isInput = std::string (row.kind) == "source";
        isInput ? source ("edge", "Edge", row.channels) : sink ("edge", "Edge", row.channels);
        const auto id = seenDevice ("Edge", isInput);
        ASSERT_NE (id, 0u);

        std::vector<unsigned> volumes;

        for (int channel = 1; channel <= row.channels; ++channel)
            volumes.push_back (8000u * (unsigned) channel + (channel == 1 ? 20000u : 0u));

        run (setVolumeCommand (row.kind, "edge", volumes));
        const auto loudest = *std::max_element (volumes.begin(), volumes.end());

        EXPECT_TRUE (levelIsRead (id, isInput, 0, (float) loudest / 65536.0f));

        for (int channel = 1; channel <= row.channels; ++channel)
            EXPECT_NEAR (readLevel (id, isInput, (UInt32) channel), (float) volumes[(size_t) channel - 1] / 65536.0f, volumeStep);

        EXPECT_EQ (readLevel (id, isInput, (UInt32) row.channels + 1), -1.0f);
        EXPECT_NE (writeLevel (id, isInput, (UInt32) row.channels + 1, 0.5f), kAudioHardwareNoError);
        EXPECT_TRUE (muteExists (id, isInput, 0));
        EXPECT_FALSE (muteExists (id, isInput, 1));

        // One channel alone, then the whole at half its loudest, keeping the
        // balance; each read back at once.
        EXPECT_EQ (writeLevel (id, isInput, (UInt32) row.channels, 0.875f), kAudioHardwareNoError);
        EXPECT_EQ (readLevel (id, isInput, (UInt32) row.channels), 0.875f);
        volumes.back() = 57344;
        EXPECT_TRUE (eventually ([&] { return volumesOf (row.kind, "edge") == volumes; }));

        EXPECT_EQ (writeLevel (id, isInput, 0, 0.4375f), kAudioHardwareNoError);
        EXPECT_EQ (readLevel (id, isInput, 0), 0.4375f);
        const auto isHalved = [&] {
            const auto halved = volumesOf (row.kind, "edge");
            bool near = halved.size() == volumes.size();

            for (size_t channel = 0; near && channel < volumes.size(); ++channel)
                near = std::abs ((double) halved[channel] - volumes[channel] / 2.0) <= 1.0;

            return near;
        };
        EXPECT_TRUE (eventually (isHalved)) << volumesOf (row.kind, "edge")[0];

        EXPECT_EQ (writeMute (id, isInput, 0, 1), kAudioHardwareNoError);
        EXPECT_TRUE (eventually ([&] { return isMuted (row.kind, "edge"); }));
        unloadAll();
    }
}

TEST_F (BackEndEdgeTest, WritesTheServerCannotTakeAreRefusedAndChangeNothing)
{
    sink ("edge", "Edge");
    const auto id = seenDevice ("Edge", false);
    ASSERT_NE (id, 0u);
    run ("pactl set-sink-volume edge 30% 60% && pactl set-sink-mute edge 0");
    const auto before = volumesOf ("sink", "edge");
    ASSERT_TRUE (levelIsRead (id, false, 2, (float) before[1] / 65536.0f));

    for (const auto level : { -0.1f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1.0e6f })
    {
        SCOPED_TRACE (level);
        EXPECT_NE (writeLevel (id, false, 0, level), kAudioHardwareNoError);
        EXPECT_NE (writeLevel (id, false, 1, level), kAudioHardwareNoError);
    }

    const UInt32 twoBytes = 0;
    EXPECT_NE (AudioDeviceSetProperty (id, nullptr, 0, false, kAudioDevicePropertyVolumeScalar, 2, &twoBytes), kAudioHardwareNoError);
    EXPECT_NE (writeMute (id, false, 0, 2), kAudioHardwareNoError);
    EXPECT_NE (writeMute (id, false, 1, 1), kAudioHardwareNoError);
    EXPECT_NEAR (readLevel (id, false, 0), (float) before[1] / 65536.0f, volumeStep);
    catchUp();
    EXPECT_EQ (volumesOf ("sink", "edge"), before);
    EXPECT_FALSE (isMuted ("sink", "edge"));

    // Above the normal volume is within the server's limits.
    EXPECT_EQ (writeLevel (id, false, 0, 2.0f), kAudioHardwareNoError);
    EXPECT_NEAR (readLevel (id, false, 0), 2.0f, volumeStep);
}

TEST_F (BackEndEdgeTest, NamesAreTheDescriptionsAsTheServerHasThem)
{
    const std::string names[] { "Größe Klangkarte – 音響", "", std::string (2000, 'k') };

    for (const auto& name : names)
    {
        SCOPED_TRACE (name.substr (0, 40));
        sink ("named", name);
        EXPECT_NE (seenDevice (name, false), 0u);
        unloadAll();
    }

    // A name reference needs room for a pointer; the caller's smaller room stays untouched.
    sink ("named", "Named");
    const auto id = seenDevice ("Named", false);
    UInt32 room = 4;
    UInt32 value = 0xabababab;
    EXPECT_NE (AudioDeviceGetProperty (id, 0, false, kAudioDevicePropertyDeviceNameCFString, &room, &value), kAudioHardwareNoError);
    EXPECT_EQ (value, 0xababababu);
}

TEST_F (BackEndEdgeTest, TheDeviceListWritesOnlyWholeIdsThatFitAndStaysDistinctForTwoHundredSinks)
{
    loadSoundDevice();
    UInt32 listSize = 0;
    ASSERT_EQ (AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &listSize, nullptr), kAudioHardwareNoError);
    EXPECT_EQ (listSize, 2 * sizeof (AudioDeviceID));

    // The list grows between the size and the fetch.
    sinks ("extra", "Extra", 200);

    std::vector<AudioDeviceID> all;
    EXPECT_TRUE (eventually ([&] { return (all = deviceIds()).size() == 202; }));

    for (const auto room : { listSize, (UInt32) 6, (UInt32) 0 })
    {
        SCOPED_TRACE (room);
        std::vector<AudioDeviceID> ids (8, 0xabababab);
        auto written = room;
        ASSERT_EQ (AudioHardwareGetProperty (kAudioHardwarePropertyDevices, &written, ids.data()), kAudioHardwareNoError);
        EXPECT_EQ (written, room / 4 * 4);
        EXPECT_EQ (ids[written / 4], 0xababababu);
    }

    EXPECT_EQ (std::count (all.begin(), all.end(), 0u), 0);
    std::sort (all.begin(), all.end());
    EXPECT_EQ (std::adjacent_find (all.begin(), all.end()), all.end());

    volume::Traverser traverser (deviceName, 2, 2);
    bool input = false, output = false;
    EXPECT_TRUE (traverser.isDeviceConnected (input, output) && input && output);
}
