#include "HardwareTest.h"

#include <array>

namespace volume_test
{
    namespace
    {
        constexpr char guard = 0x5a;

        template <size_t size>
        size_t untouchedFrom (const std::array<char, size>& buffer, size_t start)
        {
            return (size_t) std::count (buffer.begin() + (std::ptrdiff_t) start, buffer.end(), guard);
        }
    }

    class SimulatedHardware : public HardwareTest {};

    TEST_F (SimulatedHardware, DeviceListNeverWritesPastTheCallersSize)
    {
        hardware.setDeviceListExtraBytes (3);
        UInt32 size = 0;
        ASSERT_EQ (AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr), kAudioHardwareNoError);
        EXPECT_EQ (size, 11u);

        for (const UInt32 room : { 0u, 3u, 6u, 11u, 16u })
        {
            std::array<char, 20> buffer;
            buffer.fill (guard);
            size = room;
            ASSERT_EQ (AudioHardwareGetProperty (kAudioHardwarePropertyDevices, &size, buffer.data()), kAudioHardwareNoError);
            EXPECT_EQ (size, std::min (room, 11u));
            EXPECT_EQ (untouchedFrom (buffer, size), buffer.size() - size) << room;
        }

        std::array<AudioDeviceID, 2> ids {};
        size = sizeof (ids);
        AudioHardwareGetProperty (kAudioHardwarePropertyDevices, &size, ids.data());
        EXPECT_EQ (ids[1], soundDevice);
    }

    TEST_F (SimulatedHardware, DevicePropertiesNeverWritePastTheCallersSize)
    {
        std::array<char, 16> buffer;
        buffer.fill (guard);
        UInt32 size = 2;
        EXPECT_NE (AudioDeviceGetProperty (soundDevice, 0, false, kAudioDevicePropertyVolumeScalar, &size, buffer.data()), kAudioHardwareNoError);
        size = sizeof (CFStringRef) - 1;
        EXPECT_NE (AudioDeviceGetProperty (soundDevice, 0, false, kAudioDevicePropertyDeviceNameCFString, &size, buffer.data()), kAudioHardwareNoError);
        EXPECT_EQ (untouchedFrom (buffer, 0), buffer.size());
        EXPECT_EQ (CFString::liveReferenceCount(), 0);

        size = sizeof (buffer);
        ASSERT_EQ (AudioDeviceGetProperty (soundDevice, 0, false, kAudioDevicePropertyMute, &size, buffer.data()), kAudioHardwareNoError);
        EXPECT_EQ (size, 4u);
        EXPECT_EQ (untouchedFrom (buffer, 4), buffer.size() - 4);

        const Float32 level = 0.2f;
        for (const UInt32 writeSize : { 2u, 8u })
            EXPECT_NE (AudioDeviceSetProperty (soundDevice, nullptr, 0, false, kAudioDevicePropertyVolumeScalar, writeSize, &level), kAudioHardwareNoError);
        EXPECT_EQ (hardware.getVolume (soundDevice, AudioScope::output, 0), 0.5f);
    }
}
