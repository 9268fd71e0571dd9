#include "platform/soundserver/SoundServerAudioLayer.h"

#include "platform/corefoundation/CFString.h"

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

            return pa_cvolume_valid (&node.volume) != 0 && element <= node.volume.channels;
        }

        UInt32 rawVolumeAt (const ServerNode& node, UInt32 element)
        {
            return element == masterElement ? pa_cvolume_max (&node.volume) : node.volume.values[element - 1];
        }

        Float32 scalarOf (UInt32 rawVolume)
        {
            return (Float32) ((double) rawVolume / PA_VOLUME_NORM);
        }

        // The server's volume for a scalar; none for a scalar the server
        // cannot take (negative, not a number, beyond its maximum).
        std::optional<pa_volume_t> rawVolumeOf (Float32 level)
        {
            const auto raw = std::round ((double) level * PA_VOLUME_NORM);

            if (! std::isfinite (raw) || raw < 0.0 || raw > PA_VOLUME_MAX)
                return {};

            return (pa_volume_t) raw;
        }

        ServerObjectRef nodeRef (const ServerNode& node, Boolean isInput)
        {
            return { isInput != 0 ? ServerObjectKind::source : ServerObjectKind::sink, node.index };
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

    //==============================================================================
    OSStatus SoundServerAudioLayer::hardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable)
    {
        if (property != kAudioHardwarePropertyDevices)
            return kAudioHardwareUnknownPropertyError;

        const auto* lists = connection.lists();

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

        const auto* lists = connection.lists();

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

        return connection.setMute (nodeRef (node, isInput), mute == 1) ? kAudioHardwareNoError : kAudioHardwareUnspecifiedError;
    }

    //==============================================================================
    OSStatus SoundServerAudioLayer::lookUpScope (AudioDeviceID id, Boolean isInput, ServerDevice& device)
    {
        if (! ServerDeviceMap::objectOf (id).has_value())
            return kAudioHardwareBadDeviceError;

        const auto* lists = connection.lists();

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

        auto volume = node.volume;

        if (element == masterElement)
            pa_cvolume_scale (&volume, *raw);
        else
            volume.values[element - 1] = *raw;

        return connection.setVolume (nodeRef (node, isInput), volume) ? kAudioHardwareNoError : kAudioHardwareUnspecifiedError;
    }
}
