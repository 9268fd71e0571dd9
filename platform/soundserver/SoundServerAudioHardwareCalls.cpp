#include "platform/coreaudio/AudioHardware.h"

#include "platform/soundserver/SoundServerAudioLayer.h"

// The audio layer's operations of the program: the sound server's.

using platform::SoundServerAudioLayer;

OSStatus AudioHardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable)
{
    return SoundServerAudioLayer::shared().hardwareGetPropertyInfo (property, outSize, outWritable);
}

OSStatus AudioHardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData)
{
    return SoundServerAudioLayer::shared().hardwareGetProperty (property, ioSize, outData);
}

OSStatus AudioDeviceGetPropertyInfo (AudioDeviceID device, UInt32 element, Boolean isInput,
                                     AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable)
{
    return SoundServerAudioLayer::shared().deviceGetPropertyInfo (device, element, isInput, property, outSize, outWritable);
}

OSStatus AudioDeviceGetProperty (AudioDeviceID device, UInt32 element, Boolean isInput,
                                 AudioDevicePropertyID property, UInt32* ioSize, void* outData)
{
    return SoundServerAudioLayer::shared().deviceGetProperty (device, element, isInput, property, ioSize, outData);
}

// The server applies every write at once, so the time stamp has no use.
OSStatus AudioDeviceSetProperty (AudioDeviceID device, const AudioTimeStamp*, UInt32 element, Boolean isInput,
                                 AudioDevicePropertyID property, UInt32 size, const void* data)
{
    return SoundServerAudioLayer::shared().deviceSetProperty (device, element, isInput, property, size, data);
}
