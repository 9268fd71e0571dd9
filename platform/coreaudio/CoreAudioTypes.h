#pragma once

#include <cstdint>

// The plain types, property codes and result codes of the audio hardware
// layer stand-in.

using UInt32 = std::uint32_t;
using SInt32 = std::int32_t;
using UInt64 = std::uint64_t;
using Float32 = float;
using Float64 = double;
using Boolean = unsigned char;
using OSStatus = SInt32;

using AudioDeviceID = UInt32;
using AudioHardwarePropertyID = UInt32;
using AudioDevicePropertyID = UInt32;

// When a value written to a device takes effect; the stand-in applies every
// write at once.
struct AudioTimeStamp
{
    Float64 sampleTime = 0.0;
    UInt64 hostTime = 0;
};

// Four-character codes.
constexpr AudioHardwarePropertyID kAudioHardwarePropertyDevices = 0x64657623;          // 'dev#'
constexpr AudioDevicePropertyID kAudioDevicePropertyDeviceNameCFString = 0x6C6E616D;   // 'lnam'
constexpr AudioDevicePropertyID kAudioDevicePropertyVolumeScalar = 0x766F6C6D;         // 'volm'
constexpr AudioDevicePropertyID kAudioDevicePropertyMute = 0x6D757465;                 // 'mute'

// Results: 0 is success; the callers treat any other value as absence.
constexpr OSStatus kAudioHardwareNoError = 0;
constexpr OSStatus kAudioHardwareUnspecifiedError = 1;
constexpr OSStatus kAudioHardwareBadDeviceError = 2;
constexpr OSStatus kAudioHardwareUnknownPropertyError = 3;
constexpr OSStatus kAudioHardwareBadPropertySizeError = 4;
constexpr OSStatus kAudioHardwareIllegalOperationError = 5;
constexpr OSStatus kAudioHardwareBadParameterError = 6;
