#include "HardwareTest.h"

namespace volume_test
{
    namespace
    {
        // The calls a getter makes after its search.
        std::vector<PlatformCall> readCalls (volume::Traverser& traverser, AudioScope side, float& level, bool& muted)
        {
            auto& hardware = SimulatedAudioHardware::shared();
            const auto searchCallCount = searchCalls (traverser).size();
            level = getLevel (traverser, side, muted);
            const auto log = hardware.getCallLog();
            hardware.clearCallLog();
            return { log.begin() + (std::ptrdiff_t) std::min (searchCallCount, log.size()), log.end() };
        }

        void expectRead (const PlatformCall& info, const PlatformCall& get, UInt32 element, AudioScope side, UInt32 property)
        {
            EXPECT_EQ (info.operation, PlatformOperation::deviceGetPropertyInfo);
            EXPECT_EQ (get.operation, PlatformOperation::deviceGetProperty);

            for (const auto& call : { info, get })
            {
                EXPECT_EQ (call.device, soundDevice);
                EXPECT_EQ (call.element, element);
                EXPECT_EQ (call.scope, side);
                EXPECT_EQ (call.property, property);
            }

            EXPECT_EQ (info.size, std::optional<UInt32> (0));
            EXPECT_FALSE (info.writableFlag.has_value());
            EXPECT_EQ (get.size, std::optional<UInt32> (4));
            EXPECT_EQ (get.value, std::optional<UInt32> (0));
        }

        void expectWriteShapes (const std::vector<PlatformCall>& log)
        {
            for (const auto& call : log)
            {
                EXPECT_EQ (call.operation, PlatformOperation::deviceSetProperty);
                EXPECT_EQ (call.size, std::optional<UInt32> (4));
                EXPECT_FALSE (call.hasTimeStamp);
            }
        }
    }

    class TraverserLevel : public HardwareTest {};

    TEST_F (TraverserLevel, MasterElementReadsAndWritesOnEachSide)
    {
        for (const auto side : { AudioScope::output, AudioScope::input })
        {
            hardware.resetToDefault();
            hardware.setVolume (soundDevice, side, 0, 0.3f);
            hardware.setMute (soundDevice, side, 0, 1);
            volume::Traverser traverser (soundDeviceName, 2, 2);

            float level = 0.0f;
            bool muted = false;
            const auto reads = readCalls (traverser, side, level, muted);
            EXPECT_EQ (level, 0.3f);
            EXPECT_TRUE (muted);
            ASSERT_EQ (reads.size(), 4u);
            expectRead (reads[0], reads[1], 0, side, kAudioDevicePropertyVolumeScalar);
            expectRead (reads[2], reads[3], 0, side, kAudioDevicePropertyMute);

            setLevel (traverser, side, 0.7f, false);
            const auto writes = hardware.getCallLog();
            EXPECT_EQ (describeWrites (writes), "dev 58: volm@0=0.7 mute@0=0");
            expectWriteShapes (writes);
            EXPECT_EQ (writes[0].scope, side);
            EXPECT_EQ (hardware.getVolume (soundDevice, side, 0), 0.7f);
            EXPECT_EQ (hardware.getMute (soundDevice, side, 0), 0u);
        }
    }

    TEST_F (TraverserLevel, PerChannelControlsReadChannelOneAndWriteEveryChannel)
    {
        hardware.removeAllDevices();
        hardware.plugIn (deviceWith (soundDevice, AudioScope::input, { Presence::absent, Presence::absent,
                                                                       { Presence::settable, Presence::settable },
                                                                       { Presence::settable, Presence::settable } }));
        volume::Traverser traverser (soundDeviceName, 2, 2);
        hardware.clearCallLog();

        traverser.setInputVolume (0.8f, true);
        const auto writes = hardware.getCallLog();
        EXPECT_EQ (describeWrites (writes), "dev 58: volm@1=0.8 volm@2=0.8 mute@1=1 mute@2=1");
        expectWriteShapes (writes);

        hardware.setVolume (soundDevice, AudioScope::input, 2, 0.1f);
        hardware.setMute (soundDevice, AudioScope::input, 2, 0);
        float level = 0.0f;
        bool muted = false;
        const auto reads = readCalls (traverser, AudioScope::input, level, muted);
        EXPECT_EQ (level, 0.8f);
        EXPECT_TRUE (muted);
        ASSERT_EQ (reads.size(), 4u);
        expectRead (reads[0], reads[1], 1, AudioScope::input, kAudioDevicePropertyVolumeScalar);
        expectRead (reads[2], reads[3], 1, AudioScope::input, kAudioDevicePropertyMute);

        traverser.setInputVolume (0.5f, false);
        EXPECT_EQ (hardware.getVolume (soundDevice, AudioScope::input, 2), 0.5f);
        EXPECT_EQ (hardware.getMute (soundDevice, AudioScope::input, 2), 0u);
    }

    TEST_F (TraverserLevel, ValuesPassUnchangedAndOnlyOneMeansMuted)
    {
        volume::Traverser traverser (soundDeviceName, 2, 2);
        bool muted = true;

        for (const auto mute : { 2u, 0xffffffffu, 0u })
        {
            hardware.setMute (soundDevice, AudioScope::output, 0, mute);
            muted = true;
            traverser.getOutputVolume (muted);
            EXPECT_FALSE (muted) << mute;
        }

        for (const auto level : { -0.5f, 1.5f, std::numeric_limits<float>::quiet_NaN() })
        {
            traverser.setOutputVolume (level, false);
            const auto written = hardware.getControl (soundDevice, AudioScope::output, 0, ControlKind::volume).bits;
            EXPECT_EQ (written, SimulatedControl::bitsOf (level));
            EXPECT_EQ (SimulatedControl::bitsOf (traverser.getOutputVolume (muted)), written);
        }
    }

    TEST_F (TraverserLevel, EmulatedMuteKeepsTheLevelAcrossAnotherProgramsChange)
    {
        hardware.removeAllDevices();
        hardware.plugIn (deviceWith (soundDevice, AudioScope::output, { Presence::settable, Presence::absent, {}, {} }));
        volume::Traverser traverser (soundDeviceName, 2, 2);

        traverser.setOutputVolume (0.6f, true);
        EXPECT_EQ (describeWrites (hardware.getCallLog()), "dev 58: volm@0=0");

        hardware.setVolume (soundDevice, AudioScope::output, 0, 0.9f);
        float level = 0.0f;
        bool muted = false;
        EXPECT_TRUE (readCalls (traverser, AudioScope::output, level, muted).empty());
        EXPECT_EQ (level, 0.6f);
        EXPECT_TRUE (muted);

        traverser.setOutputVolume (0.4f, false);
        EXPECT_EQ (hardware.getVolume (soundDevice, AudioScope::output, 0), 0.4f);
        EXPECT_EQ (readCalls (traverser, AudioScope::output, level, muted).size(), 2u);
        EXPECT_EQ (level, 0.4f);
        EXPECT_FALSE (muted);
    }

    TEST_F (TraverserLevel, EmulatedMuteOutlivesTheDevicesAbsenceButNotTheTraverser)
    {
        hardware.removeAllDevices();
        const auto device = deviceWith (soundDevice, AudioScope::output, { Presence::settable, Presence::absent, {}, {} });
        hardware.plugIn (device);
        auto traverser = std::make_unique<volume::Traverser> (soundDeviceName, 2, 2);

        hardware.unplug (soundDevice);
        traverser->setOutputVolume (0.6f, true);
        EXPECT_EQ (describeWrites (hardware.getCallLog()), "dev 58: volm@0=0");

        hardware.plugIn (device);
        bool muted = false;
        EXPECT_EQ (traverser->getOutputVolume (muted), 0.6f);
        EXPECT_TRUE (muted);

        // Ending leaves the device as it is: no level comes back.
        hardware.clearCallLog();
        traverser.reset();
        EXPECT_TRUE (hardware.getCallLog().empty());
    }

    TEST_F (TraverserLevel, GetterGuardAndASideNeverFound)
    {
        hardware.removeAllDevices();
        volume::Traverser traverser (soundDeviceName, 2, 2);
        bool muted = true;
        EXPECT_EQ (traverser.getOutputVolume (muted), 0.0f);
        EXPECT_TRUE (muted);

        // Only the output is there: the input getter asks device id 0, which
        // names no device.
        hardware.plugIn (deviceWith (soundDevice, AudioScope::output, { Presence::settable, Presence::settable, {}, {} }));
        float level = 1.0f;
        const auto reads = readCalls (traverser, AudioScope::input, level, muted);
        EXPECT_EQ (level, 0.0f);
        EXPECT_FALSE (muted);
        ASSERT_EQ (reads.size(), 1u);
        EXPECT_EQ (reads[0].device, 0u);
        EXPECT_NE (reads[0].result, kAudioHardwareNoError);
    }
}
