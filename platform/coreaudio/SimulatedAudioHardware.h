#pragma once

#include "platform/coreaudio/SimulatedHardwareState.h"

#include <functional>

namespace platform
{
    // The simulated audio hardware behind the audio layer's operations, and
    // the control a test (or a tool) has over it. Every call of the audio
    // layer is logged, may be made to fail, and never writes more bytes than
    // the caller's size allows.
    class SimulatedAudioHardware
    {
    public:
        static constexpr AudioDeviceID builtInDeviceId = 0x26;
        static constexpr AudioDeviceID soundDeviceId = 0x3a;

        // The one hardware of the process, in its default state until
        // something changes it.
        static SimulatedAudioHardware& shared();

        SimulatedAudioHardware();

        // "Built-in Output"/"Built-in Input" then "Quenmar K-DAR7 Sound
        // Device", each with settable master and 2 channel controls, so the
        // program finds a working device out of the box.
        void resetToDefault();
        void removeAllDevices();

        // Adds the device at the end of the list, or replaces the one with
        // the same id where it stands.
        void plugIn (const SimulatedDevice& device);
        void unplug (AudioDeviceID id);

        SimulatedControl getControl (AudioDeviceID id, AudioScope scope, UInt32 element, ControlKind kind) const;

        // Changes the value of an existing control, as another program would.
        void setVolume (AudioDeviceID id, AudioScope scope, UInt32 element, Float32 level);
        void setMute (AudioDeviceID id, AudioScope scope, UInt32 element, UInt32 value);
        Float32 getVolume (AudioDeviceID id, AudioScope scope, UInt32 element) const;
        UInt32 getMute (AudioDeviceID id, AudioScope scope, UInt32 element) const;

        void setDeviceListExtraBytes (UInt32 extraBytes);

        // Both device list calls fail until clearFailures.
        void failDeviceList();

        // The call after the next callsToPass ones fails, once.
        void failCallNumber (int callsToPass);
        void clearFailures();

        std::vector<PlatformCall> getCallLog() const;
        void clearCallLog();

        // The audio layer's operations.
        OSStatus hardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable);
        OSStatus hardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData);
        OSStatus deviceGetPropertyInfo (AudioDeviceID id, UInt32 element, Boolean isInput,
                                        AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable);
        OSStatus deviceGetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                    AudioDevicePropertyID property, UInt32* ioSize, void* outData);
        OSStatus deviceSetProperty (AudioDeviceID id, const AudioTimeStamp* when, UInt32 element, Boolean isInput,
                                    AudioDevicePropertyID property, UInt32 size, const void* data);

    private:
        SimulatedHardwareState state;

        SimulatedDevice* findDevice (AudioDeviceID id);
        const SimulatedDevice* findDevice (AudioDeviceID id) const;
        SimulatedControl* findExistingControl (AudioDeviceID id, AudioScope scope, UInt32 element, ControlKind kind);

        std::vector<char> deviceListBytes() const;

        bool injectFailure (const PlatformCall& call);
        OSStatus logged (PlatformCall call, const std::function<OSStatus()>& perform);

        OSStatus readDeviceList (UInt32* ioSize, void* outData) const;
        // The volume or mute control a call addresses, or why there is none.
        OSStatus lookUpControl (const PlatformCall& call, SimulatedControl& control) const;
        OSStatus describeDeviceProperty (const PlatformCall& call, UInt32* outSize, Boolean* outWritable) const;
        OSStatus readName (const PlatformCall& call, UInt32* ioSize, void* outData) const;
        OSStatus readDeviceProperty (const PlatformCall& call, UInt32* ioSize, void* outData) const;
        OSStatus writeDeviceProperty (const PlatformCall& call, UInt32 size, const void* data);
    };
}
