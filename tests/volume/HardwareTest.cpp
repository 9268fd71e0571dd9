#include "HardwareTest.h"

namespace volume_test
{
    namespace
    {
        SimulatedControl controlOf (Presence presence, ControlKind kind)
        {
            if (presence == Presence::absent)
                return SimulatedControl::absent();

            const bool settable = presence == Presence::settable;
            return kind == ControlKind::volume ? SimulatedControl::volume (0.5f, settable) : SimulatedControl::mute (0, settable);
        }

        void applySetup (SimulatedDevice& device, AudioScope scope, const ScopeSetup& setup)
        {
            device.withControl (scope, 0, ControlKind::volume, controlOf (setup.masterVolume, ControlKind::volume))
                  .withControl (scope, 0, ControlKind::mute, controlOf (setup.masterMute, ControlKind::mute));

            for (size_t index = 0; index < setup.channelVolumes.size(); ++index)
                device.withControl (scope, (UInt32) index + 1, ControlKind::volume, controlOf (setup.channelVolumes[index], ControlKind::volume));

            for (size_t index = 0; index < setup.channelMutes.size(); ++index)
                device.withControl (scope, (UInt32) index + 1, ControlKind::mute, controlOf (setup.channelMutes[index], ControlKind::mute));
        }
    }

    SimulatedDevice deviceWith (AudioDeviceID id, AudioScope scope, const ScopeSetup& setup)
    {
        auto device = SimulatedDevice::named (id, "Other");
        device.withName (scope, SimulatedName::of (soundDeviceName));
        applySetup (device, scope, setup);
        return device;
    }

    juce::String describeWrites (const std::vector<PlatformCall>& log)
    {
        juce::StringArray writes;
        juce::String device;

        for (const auto& call : log)
        {
            if (call.operation != PlatformOperation::deviceSetProperty)
                continue;

            device = "dev " + juce::String (call.device) + ":";
            const auto bits = call.value.value_or (0xdeadbeef);
            writes.add (call.property == kAudioDevicePropertyMute
                            ? "mute@" + juce::String (call.element) + "=" + juce::String (bits)
                            : "volm@" + juce::String (call.element) + "=" + juce::String (SimulatedControl::levelOf (bits)));
        }

        return (device + " " + writes.joinIntoString (" ")).trim();
    }

    float getLevel (volume::Traverser& traverser, AudioScope side, bool& muted)
    {
        return side == AudioScope::input ? traverser.getInputVolume (muted) : traverser.getOutputVolume (muted);
    }

    void setLevel (volume::Traverser& traverser, AudioScope side, float level, bool mute)
    {
        if (side == AudioScope::input)
            traverser.setInputVolume (level, mute);
        else
            traverser.setOutputVolume (level, mute);
    }

    juce::String writesOf (volume::Traverser& traverser, AudioScope side)
    {
        auto& hardware = SimulatedAudioHardware::shared();
        hardware.clearCallLog();
        setLevel (traverser, side, 0.25f, true);
        const auto writes = describeWrites (hardware.getCallLog());
        setLevel (traverser, side, 0.25f, false);
        hardware.clearCallLog();
        return writes;
    }

    std::vector<PlatformCall> searchCalls (volume::Traverser& traverser)
    {
        auto& hardware = SimulatedAudioHardware::shared();
        hardware.clearCallLog();
        bool input = false, output = false;
        traverser.isDeviceConnected (input, output);
        auto calls = hardware.getCallLog();
        hardware.clearCallLog();
        return calls;
    }

    void HardwareTest::SetUp()
    {
        hardware.resetToDefault();
    }

    void HardwareTest::TearDown()
    {
        EXPECT_EQ (CFString::liveReferenceCount(), 0) << "a device name was not released";
        EXPECT_EQ (CFString::invalidReleaseCount(), 0) << "a device name was released twice";
    }
}
