#pragma once

#include "platform/coreaudio/AudioScope.h"

#include <optional>

namespace platform
{
    enum class PlatformOperation
    {
        hardwareGetPropertyInfo,
        hardwareGetProperty,
        deviceGetPropertyInfo,
        deviceGetProperty,
        deviceSetProperty
    };

    // One call of the audio layer as the simulated hardware saw it.
    // Device, element and scope are 0, 0 and output for the calls about
    // the whole hardware.
    struct PlatformCall
    {
        PlatformOperation operation = PlatformOperation::hardwareGetPropertyInfo;
        AudioDeviceID device = 0;
        UInt32 element = 0;
        AudioScope scope = AudioScope::output;
        UInt32 property = 0;

        // The size passed in: the value behind the size pointer on entry, or
        // the size argument of a write; none when no size pointer was given.
        std::optional<UInt32> size;

        // The writable flag's value on entry; none when no flag was passed.
        std::optional<Boolean> writableFlag;

        bool hasTimeStamp = false;

        // The four bytes of a volume or mute value on entry: the preset of a
        // read, the value of a write; none when there was no room for them.
        std::optional<UInt32> value;

        OSStatus result = kAudioHardwareNoError;
    };
}
