#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"
#include "platform/soundserver/ServerDeviceMap.h"
#include "platform/soundserver/SoundServerConnection.h"

namespace platform
{
    // The audio layer's operations on the sound server: the devices that
    // ServerDeviceMap makes of its cards, sinks and sources. Element 0 is the
    // whole sink or source (its loudest channel; a write sets that level and
    // keeps the balance), elements 1..n its channels in channel-map order.
    // The volume scalar is the server's volume over its normal volume. Mute
    // is at element 0 only. Every call returns at once: reads answer from
    // the connection's picture of the server, writes are queued.
    class SoundServerAudioLayer
    {
    public:
        static constexpr const char* clientName = "K-DAR7 Volume Panel";

        // The one layer of the process, connected on first use.
        static SoundServerAudioLayer& shared();

        SoundServerAudioLayer();

        OSStatus hardwareGetPropertyInfo (AudioHardwarePropertyID property, UInt32* outSize, Boolean* outWritable);
        OSStatus hardwareGetProperty (AudioHardwarePropertyID property, UInt32* ioSize, void* outData);
        OSStatus deviceGetPropertyInfo (AudioDeviceID id, UInt32 element, Boolean isInput,
                                        AudioDevicePropertyID property, UInt32* outSize, Boolean* outWritable);
        OSStatus deviceGetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                    AudioDevicePropertyID property, UInt32* ioSize, void* outData);
        OSStatus deviceSetProperty (AudioDeviceID id, UInt32 element, Boolean isInput,
                                    AudioDevicePropertyID property, UInt32 size, const void* data);

    private:
        SoundServerConnection connection;
        // The connection on which the device list last handed out ids: an id
        // from an earlier one may name another object now, so it names none.
        unsigned idsHandedOutOn = 0;

        // The device with that id as the connection last heard of it, or why
        // there is none; the scope's name and node come with it.
        OSStatus lookUpScope (AudioDeviceID id, Boolean isInput, ServerDevice& device);
        OSStatus writeVolume (const ServerNode& node, UInt32 element, Boolean isInput, Float32 level);
    };
}
