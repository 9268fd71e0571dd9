#include "HardwareTest.h"

namespace volume_test
{
    namespace
    {
        struct Connection
        {
            bool input, output;
            bool operator== (const Connection& other) const { return input == other.input && output == other.output; }
        };

        // What a search on the default hardware finds when this one call fails.
        Connection connectionWhenFailing (const PlatformCall& call)
        {
            if (call.operation == PlatformOperation::hardwareGetPropertyInfo || call.operation == PlatformOperation::hardwareGetProperty)
                return { false, false };

            if (call.property == kAudioDevicePropertyDeviceNameCFString && call.device == soundDevice)
                return { call.scope != AudioScope::input, call.scope != AudioScope::output };

            return { true, true };
        }

        // How the setter addresses a side after the search lost this probe.
        juce::String writesWhenFailing (const PlatformCall& call, AudioScope side)
        {
            if (call.operation == PlatformOperation::deviceGetPropertyInfo && call.scope == side && call.element == 0)
                return call.property == kAudioDevicePropertyVolumeScalar ? "dev 58: volm@1=0.25 volm@2=0.25 mute@0=1"
                                                                         : "dev 58: volm@0=0";
            return "dev 58: volm@0=0.25 mute@0=1";
        }
    }

    class TraverserFailure : public HardwareTest {};

    TEST_F (TraverserFailure, EachSearchCallFailingInTurn)
    {
        volume::Traverser probeRun (soundDeviceName, 2, 2);
        const auto calls = searchCalls (probeRun);
        ASSERT_EQ (calls.size(), 10u);

        for (size_t index = 0; index < calls.size(); ++index)
        {
            const auto& failing = calls[index];
            SCOPED_TRACE ("search call " + std::to_string (index));

            volume::Traverser traverser (soundDeviceName, 2, 2);
            hardware.failCallNumber ((int) index);
            Connection found {};
            traverser.isDeviceConnected (found.input, found.output);
            hardware.clearFailures();

            EXPECT_TRUE (found == connectionWhenFailing (failing));
            EXPECT_EQ (CFString::liveReferenceCount(), 0);

            for (const auto side : { AudioScope::output, AudioScope::input })
                EXPECT_EQ (writesOf (traverser, side), writesWhenFailing (failing, side));
        }
    }

    TEST_F (TraverserFailure, EachGetterReadFailingInTurn)
    {
        struct Expected
        {
            float level;
            bool mutedPreset;
            bool muted;
            size_t readCalls;
        };

        // Level 0.3 and mute 1 on the device.
        const Expected afterFailing[] = {
            { 0.0f, false, true, 3 },   // level's info call: the mute is still read
            { 0.0f, false, true, 4 },   // level's read: the preset 0.0 stands
            { 0.3f, true, true, 3 },    // mute's info call: muted left as it was, no read
            { 0.3f, true, false, 4 },   // mute's read: the preset 0 stands
        };

        hardware.setVolume (soundDevice, AudioScope::output, 0, 0.3f);
        hardware.setMute (soundDevice, AudioScope::output, 0, 1);
        volume::Traverser traverser (soundDeviceName, 2, 2);
        const auto searchCallCount = searchCalls (traverser).size();

        for (size_t read = 0; read < 4; ++read)
        {
            SCOPED_TRACE (read);
            const auto& expected = afterFailing[read];
            hardware.failCallNumber ((int) (searchCallCount + read));
            bool muted = expected.mutedPreset;
            EXPECT_EQ (traverser.getOutputVolume (muted), expected.level);
            EXPECT_EQ (muted, expected.muted);
            EXPECT_EQ (hardware.getCallLog().size(), searchCallCount + expected.readCalls);
            hardware.clearCallLog();
        }
    }

    TEST_F (TraverserFailure, EachSetterWriteFailingInTurn)
    {
        hardware.removeAllDevices();
        hardware.plugIn (deviceWith (soundDevice, AudioScope::output, { Presence::absent, Presence::absent,
                                                                        { Presence::settable, Presence::settable },
                                                                        { Presence::settable, Presence::settable } }));
        volume::Traverser traverser (soundDeviceName, 2, 2);
        const std::pair<UInt32, ControlKind> controls[] = {
            { 1, ControlKind::volume }, { 2, ControlKind::volume }, { 1, ControlKind::mute }, { 2, ControlKind::mute }
        };

        for (int write = 0; write < 4; ++write)
        {
            SCOPED_TRACE (write);
            traverser.setOutputVolume (0.0f, false);
            hardware.clearCallLog();
            hardware.failCallNumber (write);
            traverser.setOutputVolume (0.9f, true);

            EXPECT_EQ (hardware.getCallLog().size(), 4u);

            for (int control = 0; control < 4; ++control)
            {
                const auto [element, kind] = controls[control];
                const auto bits = hardware.getControl (soundDevice, AudioScope::output, element, kind).bits;
                const auto wanted = kind == ControlKind::volume ? SimulatedControl::bitsOf (0.9f) : 1u;
                const auto unchanged = kind == ControlKind::volume ? SimulatedControl::bitsOf (0.0f) : 0u;
                EXPECT_EQ (bits, control == write ? unchanged : wanted) << control;
            }
        }
    }

    TEST_F (TraverserFailure, EveryNameIsReleasedWhateverTheNamesAnswer)
    {
        const SimulatedName answers[] = { SimulatedName::of (soundDeviceName), SimulatedName::of ("Other"),
                                          SimulatedName::none(), SimulatedName::failing() };

        for (const auto& outputName : answers)
        {
            for (const auto& inputName : answers)
            {
                hardware.plugIn (SimulatedDevice::withSettableControls (soundDevice, "", "", 2)
                                     .withName (AudioScope::output, outputName)
                                     .withName (AudioScope::input, inputName));
                volume::Traverser traverser (soundDeviceName, 2, 2);
                bool input = false, output = false;
                traverser.isDeviceConnected (input, output);

                EXPECT_EQ (output, outputName.answer == SimulatedName::Answer::text && outputName.text == soundDeviceName);
                EXPECT_EQ (input, inputName.answer == SimulatedName::Answer::text && inputName.text == soundDeviceName);
                EXPECT_EQ (CFString::liveReferenceCount(), 0);
            }
        }
    }

    TEST_F (TraverserFailure, DeviceListOfAnOddByteSize)
    {
        for (UInt32 extraBytes = 1; extraBytes < 4; ++extraBytes)
        {
            hardware.setDeviceListExtraBytes (extraBytes);
            bool input = false, output = false;
            EXPECT_TRUE (volume::Traverser (soundDeviceName, 2, 2).isDeviceConnected (input, output));
            EXPECT_TRUE (input && output);
        }
    }
}
