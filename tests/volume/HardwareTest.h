#pragma once

#include "platform/coreaudio/AudioHardware.h"
#include "platform/coreaudio/SimulatedAudioHardware.h"
#include "volume/Traverser.h"

#include <gtest/gtest.h>

namespace volume_test
{
    using namespace platform;

    inline const juce::String soundDeviceName = "Quenmar K-DAR7 Sound Device";
    constexpr AudioDeviceID soundDevice = SimulatedAudioHardware::soundDeviceId;

    enum class Presence
    {
        settable,
        fixed,
        absent
    };

    // The controls of one scope: master volume and mute, then per channel.
    struct ScopeSetup
    {
        Presence masterVolume;
        Presence masterMute;
        std::vector<Presence> channelVolumes;
        std::vector<Presence> channelMutes;
    };

    // A device of that id and name whose scope has the given controls; the
    // other scope is named so that it never matches.
    SimulatedDevice deviceWith (AudioDeviceID id, AudioScope scope, const ScopeSetup& setup);

    // "dev 58: volm@1=0.25 volm@2=0.25 mute@1=1" for the writes in the log.
    juce::String describeWrites (const std::vector<PlatformCall>& log);

    float getLevel (volume::Traverser& traverser, AudioScope side, bool& muted);
    void setLevel (volume::Traverser& traverser, AudioScope side, float level, bool mute);

    // Which device and controls a side's setter addresses: the writes of
    // muting at 0.25 (undone afterwards).
    juce::String writesOf (volume::Traverser& traverser, AudioScope side);

    // The calls made by one search.
    std::vector<PlatformCall> searchCalls (volume::Traverser& traverser);

    // Every test starts from the default hardware and ends with every name
    // reference given back.
    class HardwareTest : public ::testing::Test
    {
    protected:
        SimulatedAudioHardware& hardware = SimulatedAudioHardware::shared();

        void SetUp() override;
        void TearDown() override;
    };
}
