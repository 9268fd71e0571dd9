#include "platform/soundserver/SoundServerAudioLayer.h"

#include "platform/corefoundation/CFString.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform
{
    namespace
    {
        constexpr UInt32 valueSize = 4;
        constexpr UInt32 masterElement = 0;

        const std::optional<ServerNode>& scopeOf (const ServerDevice& device, Boolean isInput)
        {
            return isInput != 0 ? device.input : device.output;
        }

        bool hasElement (const ServerNode& node, UInt32 element, AudioDevicePropertyID property)
        {
            if (property == kAudioDevicePropertyMute)
                return element == masterElement;

            return ! node.channelVolumes.empty() && element <= node.channelVolumes.size();
        }

        UInt32 rawVolumeAt (const ServerNode& node, UInt32 element)
        {
            if (element == masterElement)
                return *std::max_element (node.channelVolumes.begin(), node.channelVolumes.end());

            return node.channelVolumes[element - 1];
        }

        Float32 scalarOf (UInt32 rawVolume)
        {
            return (Float32) ((double) rawVolume / PA_VOLUME_NORM);
        }

        // The server's volume for a scalar; none for a scalar the server
        // cannot take (negative, not a number, beyond its maximum).
        std::optional<UInt32> rawVolumeOf (Float32 level)
        {
            const auto raw = std::round ((double) level * PA_VOLUME_NORM);

            if (! std::isfinite (raw) || raw < 0.0 || raw > PA_VOLUME_MAX)
                return {};

            return (UInt32) raw;
        }

        // The whole node at a new loudest level, each channel scaled with it;
        // a silent node comes up evenly.
        std::vector<UInt32> scaledVolumes (const std::vector<UInt32>& volumes, UInt32 loudest)
        {
            const auto currentLoudest = *std::max_element (volumes.begin(), volumes.end());
            std::vector<UInt32> scaled;

            for (const auto volume : volumes)
                scaled.push_back (currentLoudest == 0 ? loudest
                                                      : (UInt32) std::llround ((double) volume * loudest / currentLoudest));

            return scaled;
        }

        struct SuccessAnswer
        {
            bool finished = false;
            bool succeeded = false;
        };

        void noteSuccess (pa_context*, int success, void* userData)
        {
            auto& answer = *static_cast<SuccessAnswer*> (userData);
            answer.finished = true;
            answer.succeeded = success != 0;
        }

        OSStatus writeName (const juce::String& name, UInt32* ioSize, void* outData)
        {
            if (*ioSize < sizeof (CFStringRef))
                return kAudioHardwareBadPropertySizeError;

            const CFStringRef reference = CFString::create (name);
            std::memcpy (outData, &reference, sizeof (reference));
            *ioSize = (UInt32) sizeof (reference);
            return kAudioHardwareNoError;
        }
    }

    SoundServerAudioLayer& SoundServerAudioLayer::shared()
    {
        static SoundServerAudioLayer layer;
        return layer;
    }

    SoundServerAudioLayer::SoundServerAudioLayer()
        : connection (clientName)
    {
    }

    std::shared_future<void> SoundServerAudioLayer::connectAhead()
    {
        return connection.connectAhead();
    }

    //==============================================================================
    OSStatus SoundServerAudioLayer::hardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable)
    {
        if (property != kAudioHardwarePropertyDevices)
            return kAudioHardwareUnknownPropertyError;

        const auto* lists = connection.lists (true);

        if (lists == nullptr)
            return kAudioHardwareUnspecifiedError;

        if (outSize != nullptr)
            *outSize = (UInt32) (ServerDeviceMap::devicesOf (*lists).size() * sizeof (AudioDeviceID));

        if (outWritable != nullptr)
            *outWritable = false;

        return kAudioHardwareNoError;
    }

    // The list may have grown since the caller asked for its size: only the
    // whole ids that fit are written.
    OSStatus SoundServerAudioLayer::hardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData)
    {
        if (property != kAudioHardwarePropertyDevices)
            return kAudioHardwareUnknownPropertyError;

        if (ioSize == nullptr)
            return kAudioHardwareBadParameterError;

        const auto* lists = connection.lists (true);

        if (lists == nullptr)
            return kAudioHardwareUnspecifiedError;

        idsHandedOutOn = connection.connectionNumber();
        const auto devices = ServerDeviceMap::devicesOf (*lists);
        const auto count = std::min<size_t> (devices.size(), *ioSize / sizeof (AudioDeviceID));

        if (count > 0 && outData == nullptr)
            return kAudioHardwareBadParameterError;

        for (size_t i = 0; i < count; ++i)
            std::memcpy (static_cast<char*> (outData) + i * sizeof (AudioDeviceID), &devices[i].id, sizeof (AudioDeviceID));

        *ioSize = (UInt32) (count * sizeof (AudioDeviceID));
        return kAudioHardwareNoError;
    }

    OSStatus SoundServerAudioLayer::deviceGetPropertyInfo (AudioDeviceID id, UInt32 element, Boolean isInput,
                                                           AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable)
    {
        if (property != kAudioDevicePropertyVolumeScalar && property != kAudioDevicePropertyMute)
            return kAudioHardwareUnknownPropertyError;

        ServerDevice device;

        if (const auto status = lookUpScope (id, isInput, device); status != kAudioHardwareNoError)
            return status;

        if (! hasElement (*scopeOf (device, isInput), element, property))
            return kAudioHardwareUnknownPropertyError;

        if (outSize != nullptr)
            *outSize = valueSize;

        if (outWritable != nullptr)
            *outWritable = true;

        return kAudioHardwareNoError;
    }

    OSStatus SoundServerAudioLayer::deviceGetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                                       AudioDevicePropertyID property, UInt32* ioSize, void* outData)
    {
        if (ioSize == nullptr || outData == nullptr)
            return kAudioHardwareBadParameterError;

        const bool isName = property == kAudioDevicePropertyDeviceNameCFString;

        if (! isName && property != kAudioDevicePropertyVolumeScalar && property != kAudioDevicePropertyMute)
            return kAudioHardwareUnknownPropertyError;

        ServerDevice device;

        if (const auto status = lookUpScope (id, isInput, device); status != kAudioHardwareNoError)
            return status;

        const auto& node = *scopeOf (device, isInput);

        if (isName)
            return element == masterElement ? writeName (device.name, ioSize, outData) : kAudioHardwareUnknownPropertyError;

        if (! hasElement (node, element, property))
            return kAudioHardwareUnknownPropertyError;

        if (*ioSize < valueSize)
            return kAudioHardwareBadPropertySizeError;

        if (property == kAudioDevicePropertyMute)
        {
            const UInt32 muted = node.muted ? 1 : 0;
            std::memcpy (outData, &muted, valueSize);
        }
        else
        {
            const auto level = scalarOf (rawVolumeAt (node, element));
            std::memcpy (outData, &level, valueSize);
        }

        *ioSize = valueSize;
        return kAudioHardwareNoError;
    }

    OSStatus SoundServerAudioLayer::deviceSetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                                       AudioDevicePropertyID property, UInt32 size, const void* data)
    {
        if (property != kAudioDevicePropertyVolumeScalar && property != kAudioDevicePropertyMute)
            return kAudioHardwareUnknownPropertyError;

        if (size != valueSize)
            return kAudioHardwareBadPropertySizeError;

        if (data == nullptr)
            return kAudioHardwareBadParameterError;

        ServerDevice device;

        if (const auto status = lookUpScope (id, isInput, device); status != kAudioHardwareNoError)
            return status;

        const auto& node = *scopeOf (device, isInput);

        if (! hasElement (node, element, property))
            return kAudioHardwareUnknownPropertyError;

        if (property == kAudioDevicePropertyVolumeScalar)
        {
            Float32 level = 0.0f;
            std::memcpy (&level, data, valueSize);
            return writeVolume (node, element, isInput, level);
        }

        UInt32 mute = 0;
        std::memcpy (&mute, data, valueSize);

        if (mute > 1)
            return kAudioHardwareBadParameterError;

        return setMute (node, isInput, mute == 1) ? kAudioHardwareNoError : kAudioHardwareUnspecifiedError;
    }

    //==============================================================================
    OSStatus SoundServerAudioLayer::lookUpScope (AudioDeviceID id, Boolean isInput, ServerDevice& device)
    {
        if (! ServerDeviceMap::objectOf (id).has_value())
            return kAudioHardwareBadDeviceError;

        const auto* lists = connection.lists (false);

        if (lists == nullptr)
            return kAudioHardwareUnspecifiedError;

        if (connection.connectionNumber() != idsHandedOutOn)
            return kAudioHardwareBadDeviceError;

        auto found = ServerDeviceMap::find (*lists, id);

        if (! found.has_value())
            return kAudioHardwareBadDeviceError;

        if (! scopeOf (*found, isInput).has_value())
            return kAudioHardwareUnknownPropertyError;

        device = std::move (*found);
        return kAudioHardwareNoError;
    }

    OSStatus SoundServerAudioLayer::writeVolume (const ServerNode& node, UInt32 element, Boolean isInput, Float32 level)
    {
        const auto raw = rawVolumeOf (level);

        if (! raw.has_value())
            return kAudioHardwareBadParameterError;

        auto volumes = node.channelVolumes;

        if (element == masterElement)
            volumes = scaledVolumes (volumes, *raw);
        else
            volumes[element - 1] = *raw;

        return setVolumes (node, isInput, volumes) ? kAudioHardwareNoError : kAudioHardwareUnspecifiedError;
    }

    // The server announces the change after it has answered the write; one
    // more question makes sure that what follows reads the new state.
    void SoundServerAudioLayer::awaitChange()
    {
        connection.lists (true);
    }

    bool SoundServerAudioLayer::setVolumes (const ServerNode& node, Boolean isInput, const std::vector<UInt32>& channelVolumes)
    {
        pa_cvolume volume;
        pa_cvolume_init (&volume);
        volume.channels = (uint8_t) std::min<size_t> (channelVolumes.size(), PA_CHANNELS_MAX);
        std::copy_n (channelVolumes.begin(), volume.channels, volume.values);

        if (! pa_cvolume_valid (&volume))
            return false;

        SuccessAnswer answer;
        const bool answered = connection.exchange ([&] (pa_context* context) {
            return std::vector<pa_operation*> { isInput != 0 ? pa_context_set_source_volume_by_index (context, node.index, &volume, noteSuccess, &answer)
                                                             : pa_context_set_sink_volume_by_index (context, node.index, &volume, noteSuccess, &answer) };
        }, [&answer] { return answer.finished; });

        const bool written = answered && answer.succeeded;

        if (written)
            awaitChange();

        return written;
    }

    bool SoundServerAudioLayer::setMute (const ServerNode& node, Boolean isInput, bool mute)
    {
        SuccessAnswer answer;
        const bool answered = connection.exchange ([&] (pa_context* context) {
            return std::vector<pa_operation*> { isInput != 0 ? pa_context_set_source_mute_by_index (context, node.index, mute, noteSuccess, &answer)
                                                             : pa_context_set_sink_mute_by_index (context, node.index, mute, noteSuccess, &answer) };
        }, [&answer] { return answer.finished; });

        const bool written = answered && answer.succeeded;

        if (written)
            awaitChange();

        return written;
    }
}
