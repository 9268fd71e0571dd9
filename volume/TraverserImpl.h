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

        AudioDeviceID inputDeviceId = 0;
        AudioDeviceID outputDeviceId = 0;
        bool inputConnected = false;
        bool outputConnected = false;
        bool inputHasMute = false;
        bool outputHasMute = false;
        Float32 inputSavedVolume = 1.0f;
        Float32 outputSavedVolume = 1.0f;
        bool inputSoftMuted = false;
        bool outputSoftMuted = false;
        bool inputUsesMasterVolume = true;
        bool outputUsesMasterVolume = true;
        bool inputUsesMasterMute = true;
        bool outputUsesMasterMute = true;
        juce::String deviceName;
        juce::String inputDeviceName;
        int numInputChannels;
        int numOutputChannels;

        static const juce::String builtInOutputDeviceName;
        static const juce::String builtInInputDeviceName;

        // The fields of one side, so that both sides share one algorithm.
        struct Side
        {
            AudioDeviceID& deviceId;
            bool& connected;
            bool& hasMute;
            Float32& savedVolume;
            bool& softMuted;
            bool& usesMasterVolume;
            bool& usesMasterMute;
            const int numChannels;
            const Boolean isInput;
        };

        Side inputSide();
        Side outputSide();

        // The device search: clears both connected flags, then takes each
        // side's id and capabilities from the device whose name matches.
        void refresh();

        float readSide (const Side& side, bool& isMuted) const;
        void writeSide (const Side& side, Float32 level, bool mute);

    private:
        void matchOutput (AudioDeviceID id);
        void matchInput (AudioDeviceID id);
        static bool probeChannels (const Side& side);
        static Float32 readLevel (const Side& side);

        template <typename Value>
        static void writeToSide (const Side& side, bool atMaster, AudioDevicePropertyID property, Value value);
    };
}
