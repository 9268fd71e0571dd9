#pragma once

#include "platform/coreaudio/AudioScope.h"
#include "platform/coreaudio/SimulatedScope.h"

namespace platform
{
    // One simulated audio device: its id and its two scopes.
    struct SimulatedDevice
    {
        AudioDeviceID id = 0;
        SimulatedScope output;
        SimulatedScope input;

        // A device with these scope names and no controls at all.
        static SimulatedDevice named (AudioDeviceID deviceId, const juce::String& outputName, const juce::String& inputName);
        static SimulatedDevice named (AudioDeviceID deviceId, const juce::String& name);

        // A device whose scopes both have a settable master volume and mute
        // and a settable volume and mute on each of their channels.
        static SimulatedDevice withSettableControls (AudioDeviceID deviceId,
                                                     const juce::String& outputName,
                                                     const juce::String& inputName,
                                                     int numChannels);

        SimulatedScope& scope (AudioScope which);
        const SimulatedScope& scope (AudioScope which) const;

        SimulatedDevice& withName (AudioScope which, const SimulatedName& name);
        SimulatedDevice& withControl (AudioScope which, UInt32 element, ControlKind kind, const SimulatedControl& control);
    };
}
