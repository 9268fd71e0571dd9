#pragma once

#include "volume/Traverser.h"

#include "platform/coreaudio/AudioHardware.h"

namespace volume
{
    // What the latest search found for each side, and the emulated mute that
    // the setters keep where a side has no settable mute of its own.
    struct Traverser::Impl
    {
        Impl (const juce::String& name, int inputChannelCount, int outputChannelCount);

        // One side's state; both sides share one algorithm.
        struct Side
        {
            Side (int channelCount, Boolean inputScope);

            AudioDeviceID deviceId = 0;
            bool connected = false;
            bool hasMute = false;
            Float32 savedVolume = 1.0f;
            bool softMuted = false;
            bool usesMasterVolume = true;
            bool usesMasterMute = true;
            const int numChannels;
            const Boolean isInput;
        };

        Side input;
        Side output;
        juce::String deviceName;
        juce::String inputDeviceName;

        static const juce::String builtInOutputDeviceName;
        static const juce::String builtInInputDeviceName;

        // The device search: clears both connected flags, then takes each
        // side's id and capabilities from the device whose name matches.
        void refresh();

        float readSide (const Side& side, bool& isMuted) const;
        void writeSide (Side& side, Float32 level, bool mute);

    private:
        static void match (Side& side, AudioDeviceID id);
        static bool probeChannels (Side& side);
        static Float32 readLevel (const Side& side);

        template <typename Value>
        static void writeToSide (const Side& side, bool atMaster, AudioDevicePropertyID property, Value value);
    };
}
