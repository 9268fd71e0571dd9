#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"
#include "platform/corefoundation/CFString.h"

// The audio hardware layer's operations. Sizes are in bytes; a size pointer
// passed in carries the room the caller has and comes back with the bytes
// the call wrote. Element 0 is a scope's master element, 1..n its channels;
// isInput false selects the output scope.

OSStatus AudioHardwareGetPropertyInfo (AudioHardwarePropertyID property,
                                       UInt32* outSize,
                                       Boolean* outWritable);

OSStatus AudioHardwareGetProperty (AudioHardwarePropertyID property,
                                   UInt32* ioSize,
                                   void* outData);

OSStatus AudioDeviceGetPropertyInfo (AudioDeviceID device,
                                     UInt32 element,
                                     Boolean isInput,
                                     AudioDevicePropertyID property,
                                     UInt32* outSize,
                                     Boolean* outWritable);

OSStatus AudioDeviceGetProperty (AudioDeviceID device,
                                 UInt32 element,
                                 Boolean isInput,
                                 AudioDevicePropertyID property,
                                 UInt32* ioSize,
                                 void* outData);

OSStatus AudioDeviceSetProperty (AudioDeviceID device,
                                 const AudioTimeStamp* when,
                                 UInt32 element,
                                 Boolean isInput,
                                 AudioDevicePropertyID property,
                                 UInt32 size,
                                 const void* data);
