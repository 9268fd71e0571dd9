#include "volume/TraverserImpl.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace volume
{
    namespace
    {
        constexpr Boolean outputScope = false;
        constexpr Boolean inputScope = true;
        constexpr UInt32 masterElement = 0;
        constexpr UInt32 firstChannel = 1;
        constexpr UInt32 mutedValue = 1;
        constexpr UInt32 unmutedValue = 0;

        struct NameReleaser
        {
            void operator() (CFStringRef name) const { CFRelease (name); }
        };

        using NameReference = std::unique_ptr<const CFString, NameReleaser>;

        // The system's device ids in list order; none when the list cannot
        // be had. The storage is rounded up to whole ids, so a list size
        // that is not a multiple of 4 still fits.
        std::vector<AudioDeviceID> fetchDeviceIds()
        {
            UInt32 listSize = 0;

            if (AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &listSize, nullptr) != kAudioHardwareNoError)
                return {};

            std::vector<AudioDeviceID> ids ((listSize + sizeof (AudioDeviceID) - 1) / sizeof (AudioDeviceID));
            UInt32 bytesWritten = listSize;

            if (AudioHardwareGetProperty (kAudioHardwarePropertyDevices, &bytesWritten, ids.data()) != kAudioHardwareNoError)
                return {};

            ids.resize (std::min (bytesWritten, listSize) / sizeof (AudioDeviceID));
            return ids;
        }

        // The device's name for one scope; none when the query fails or
        // gives no name.
        std::optional<juce::String> nameOf (AudioDeviceID id, Boolean isInput)
        {
            // Room for one reference, which is a pointer: 8 bytes on a 64-bit
            // machine, not the 4 of a 32-bit one.
            CFStringRef name = nullptr;
            UInt32 size = sizeof (name);

            if (AudioDeviceGetProperty (id, masterElement, isInput, kAudioDevicePropertyDeviceNameCFString, &size, &name)
                    != kAudioHardwareNoError
                || name == nullptr)
                return {};

            const NameReference reference (name);
            return cfStringToJuceString (reference.get());
        }

        struct Probe
        {
            bool exists = false;
            bool settable = false;
        };

        Probe probe (AudioDeviceID id, UInt32 element, Boolean isInput, AudioDevicePropertyID property)
        {
            Boolean writable = false;

            if (AudioDeviceGetPropertyInfo (id, element, isInput, property, nullptr, &writable) != kAudioHardwareNoError)
                return {};

            return { true, writable != 0 };
        }

        // Reads a 4-byte property when its info call succeeds; the value keeps
        // its preset when the read itself fails.
        template <typename Value>
        bool readProperty (AudioDeviceID id, UInt32 element, Boolean isInput, AudioDevicePropertyID property, Value& value)
        {
            static_assert (sizeof (Value) == 4);
            UInt32 size = 0;

            if (AudioDeviceGetPropertyInfo (id, element, isInput, property, &size, nullptr) != kAudioHardwareNoError)
                return false;

            // The device never gets more room than the value has.
            size = std::min (size, (UInt32) sizeof (Value));
            AudioDeviceGetProperty (id, element, isInput, property, &size, &value);
            return true;
        }

        template <typename Value>
        void writeProperty (AudioDeviceID id, UInt32 element, Boolean isInput, AudioDevicePropertyID property, Value value)
        {
            static_assert (sizeof (Value) == 4);
            AudioDeviceSetProperty (id, nullptr, element, isInput, property, sizeof (Value), &value);
        }
    }

    const juce::String Traverser::Impl::builtInOutputDeviceName ("Built-in Output");
    const juce::String Traverser::Impl::builtInInputDeviceName ("Built-in Input");

    Traverser::Impl::Impl (const juce::String& name, int inputChannelCount, int outputChannelCount)
        : input (inputChannelCount, inputScope),
          output (outputChannelCount, outputScope),
          deviceName (name),
          inputDeviceName (name == builtInOutputDeviceName ? builtInInputDeviceName : name)
    {
    }

    Traverser::Impl::Side::Side (int channelCount, Boolean inputScope)
        : numChannels (channelCount),
          isInput (inputScope)
    {
    }

    //==============================================================================
    void Traverser::Impl::refresh()
    {
        input.connected = false;
        output.connected = false;

        bool outputMatched = false;
        bool inputMatched = false;

        for (const auto id : fetchDeviceIds())
        {
            if (nameOf (id, outputScope) == deviceName)
            {
                match (output, id);

                if (inputMatched)
                    return;

                outputMatched = true;
            }

            if (nameOf (id, inputScope) == inputDeviceName)
            {
                match (input, id);

                if (outputMatched)
                    return;

                inputMatched = true;
            }
        }
    }

    // A master volume that exists but cannot be set still counts as the
    // output's control: the side is then unconnected, its channels unprobed.
    // On the input side it counts as absent, and the channels are tried
    // instead.
    void Traverser::Impl::match (Side& side, AudioDeviceID id)
    {
        side.deviceId = id;

        const auto masterVolume = probe (id, masterElement, side.isInput, kAudioDevicePropertyVolumeScalar);
        side.usesMasterVolume = side.isInput ? masterVolume.settable : masterVolume.exists;

        const auto masterMute = probe (id, masterElement, side.isInput, kAudioDevicePropertyMute);
        side.usesMasterMute = masterMute.exists;
        side.hasMute = masterMute.settable;

        side.connected = masterVolume.settable;

        if (! side.usesMasterVolume)
            side.connected = probeChannels (side);
    }

    // True when every channel 1 to n has a settable volume (so also for no
    // channels); without a master mute, the side has a mute only when every
    // channel visited has a settable one.
    bool Traverser::Impl::probeChannels (Side& side)
    {
        const bool probeMutes = ! side.usesMasterMute;

        if (probeMutes)
            side.hasMute = true;

        bool ok = true;

        for (int channel = 1; channel <= side.numChannels; ++channel)
        {
            ok = probe (side.deviceId, (UInt32) channel, side.isInput, kAudioDevicePropertyVolumeScalar).settable;

            if (probeMutes)
            {
                const bool channelMuteSettable = probe (side.deviceId, (UInt32) channel, side.isInput, kAudioDevicePropertyMute).settable;
                side.hasMute = side.hasMute && channelMuteSettable;
            }

            if (! ok)
                break;
        }

        return ok;
    }

    //==============================================================================
    // Writes at the master element, or to each channel 1 to n in turn.
    template <typename Value>
    void Traverser::Impl::writeToSide (const Side& side, bool atMaster, AudioDevicePropertyID property, Value value)
    {
        if (atMaster)
        {
            writeProperty (side.deviceId, masterElement, side.isInput, property, value);
            return;
        }

        for (int channel = 1; channel <= side.numChannels; ++channel)
            writeProperty (side.deviceId, (UInt32) channel, side.isInput, property, value);
    }

    Float32 Traverser::Impl::readLevel (const Side& side)
    {
        Float32 level = 0.0f;
        readProperty (side.deviceId, side.usesMasterVolume ? masterElement : firstChannel, side.isInput,
                      kAudioDevicePropertyVolumeScalar, level);
        return level;
    }

    float Traverser::Impl::readSide (const Side& side, bool& isMuted) const
    {
        if (! input.connected && ! output.connected)
            return 0.0f;

        if (side.hasMute)
        {
            const auto level = readLevel (side);
            UInt32 muteValue = unmutedValue;

            if (readProperty (side.deviceId, side.usesMasterMute ? masterElement : firstChannel, side.isInput,
                              kAudioDevicePropertyMute, muteValue))
                isMuted = muteValue == mutedValue;

            return level;
        }

        if (side.softMuted)
        {
            isMuted = true;
            return side.savedVolume;
        }

        const auto level = readLevel (side);
        isMuted = false;
        return level;
    }

    void Traverser::Impl::writeSide (Side& side, Float32 level, bool mute)
    {
        if (side.hasMute)
        {
            writeToSide (side, side.usesMasterVolume, kAudioDevicePropertyVolumeScalar, level);
            writeToSide (side, side.usesMasterMute, kAudioDevicePropertyMute, mute ? mutedValue : unmutedValue);
            return;
        }

        side.softMuted = mute;

        if (mute)
        {
            side.savedVolume = level;
            writeToSide (side, side.usesMasterVolume, kAudioDevicePropertyVolumeScalar, 0.0f);
            return;
        }

        writeToSide (side, side.usesMasterVolume, kAudioDevicePropertyVolumeScalar, level);
    }
}
