#include "platform/coreaudio/SimulatedDevice.h"

namespace platform
{
    namespace
    {
        constexpr Float32 initialLevel = 0.5f;
        constexpr UInt32 notMuted = 0;
    }

    SimulatedDevice SimulatedDevice::named (AudioDeviceID deviceId, const juce::String& outputName, const juce::String& inputName)
    {
        SimulatedDevice device;
        device.id = deviceId;
        device.output.name = SimulatedName::of (outputName);
        device.input.name = SimulatedName::of (inputName);
        return device;
    }

    SimulatedDevice SimulatedDevice::named (AudioDeviceID deviceId, const juce::String& name)
    {
        return named (deviceId, name, name);
    }

    SimulatedDevice SimulatedDevice::withSettableControls (AudioDeviceID deviceId,
                                                           const juce::String& outputName,
                                                           const juce::String& inputName,
                                                           int numChannels)
    {
        auto device = named (deviceId, outputName, inputName);

        for (auto which : { AudioScope::output, AudioScope::input })
        {
            for (UInt32 element = 0; element <= (UInt32) juce::jmax (0, numChannels); ++element)
            {
                device.withControl (which, element, ControlKind::volume, SimulatedControl::volume (initialLevel))
                      .withControl (which, element, ControlKind::mute, SimulatedControl::mute (notMuted));
            }
        }

        return device;
    }

    SimulatedScope& SimulatedDevice::scope (AudioScope which)
    {
        return which == AudioScope::input ? input : output;
    }

    const SimulatedScope& SimulatedDevice::scope (AudioScope which) const
    {
        return which == AudioScope::input ? input : output;
    }

    SimulatedDevice& SimulatedDevice::withName (AudioScope which, const SimulatedName& name)
    {
        scope (which).name = name;
        return *this;
    }

    SimulatedDevice& SimulatedDevice::withControl (AudioScope which, UInt32 element, ControlKind kind, const SimulatedControl& control)
    {
        scope (which).element (element).control (kind) = control;
        return *this;
    }
}
