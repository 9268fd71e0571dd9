#include "platform/coreaudio/AudioHardware.h"

#include "platform/coreaudio/SimulatedAudioHardware.h"

// The audio layer's operations of the tests: the simulated hardware's.

using platform::SimulatedAudioHardware;

OSStatus AudioHardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable)
{
    return SimulatedAudioHardware::shared().hardwareGetPropertyInfo (property, outSize, outWritable);
}

OSStatus AudioHardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData)
{
    return SimulatedAudioHardware::shared().hardwareGetProperty (property, ioSize, outData);
}

OSStatus AudioDeviceGetPropertyInfo (AudioDeviceID device, UInt32 element, Boolean isInput,
                                     AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable)
{
    return SimulatedAudioHardware::shared().deviceGetPropertyInfo (device, element, isInput, property, outSize, outWritable);
}

OSStatus AudioDeviceGetProperty (AudioDeviceID device, UInt32 element, Boolean isInput,
                                 AudioDevicePropertyID property, UInt32* ioSize, void* outData)
{
    return SimulatedAudioHardware::shared().deviceGetProperty (device, element, isInput, property, ioSize, outData);
}

OSStatus AudioDeviceSetProperty (AudioDeviceID device, const AudioTimeStamp* when, UInt32 element, Boolean isInput,
                                 AudioDevicePropertyID property, UInt32 size, const void* data)
{
    return SimulatedAudioHardware::shared().deviceSetProperty (device, when, element, isInput, property, size, data);
}
