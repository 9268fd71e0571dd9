#include "HardwareTest.h"

#include "support/MessagePump.h"

namespace volume_test
{
    namespace
    {
        constexpr auto S = Presence::settable;
        constexpr auto F = Presence::fixed;
        constexpr auto A = Presence::absent;

        struct SideExpectation
        {
            bool connected;
            const char* writes;         // see describeWrites, device 58 omitted
            const char* probes;         // see describeProbes
        };

        struct OutcomeCase
        {
            const char* label;
            ScopeSetup setup;
            int numChannels;
            SideExpectation output;
            SideExpectation input;
        };

        const OutcomeCase outcomeCases[] = {
            { "master volume and mute", { S, S, { S, S }, { S, S } }, 2,
              { true, "volm@0=0.25 mute@0=1", "volm@0 mute@0" },
              { true, "volm@0=0.25 mute@0=1", "volm@0 mute@0" } },
            { "fixed master volume", { F, S, { S, S }, { S, S } }, 2,
              { false, "volm@0=0.25 mute@0=1", "volm@0 mute@0" },
              { true, "volm@1=0.25 volm@2=0.25 mute@0=1", "volm@0 mute@0 volm@1 volm@2" } },
            { "channel volumes, master mute", { A, S, { S, S }, { S, S } }, 2,
              { true, "volm@1=0.25 volm@2=0.25 mute@0=1", "volm@0 mute@0 volm@1 volm@2" },
              { true, "volm@1=0.25 volm@2=0.25 mute@0=1", "volm@0 mute@0 volm@1 volm@2" } },
            { "fixed master mute", { S, F, { S, S }, { S, S } }, 2,
              { true, "volm@0=0", "volm@0 mute@0" },
              { true, "volm@0=0", "volm@0 mute@0" } },
            { "master volume, channel mutes unexamined", { S, A, { S, S }, { S, S } }, 2,
              { true, "volm@0=0", "volm@0 mute@0" },
              { true, "volm@0=0", "volm@0 mute@0" } },
            { "channel volumes and mutes", { A, A, { S, S }, { S, S } }, 2,
              { true, "volm@1=0.25 volm@2=0.25 mute@1=1 mute@2=1", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" },
              { true, "volm@1=0.25 volm@2=0.25 mute@1=1 mute@2=1", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" } },
            { "no mute at channel 2", { A, A, { S, S }, { S, A } }, 2,
              { true, "volm@1=0 volm@2=0", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" },
              { true, "volm@1=0 volm@2=0", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" } },
            { "channel 1 volume fixed", { A, A, { F, S }, { S, S } }, 2,
              { false, "volm@1=0.25 volm@2=0.25 mute@1=1 mute@2=1", "volm@0 mute@0 volm@1 mute@1" },
              { false, "volm@1=0.25 volm@2=0.25 mute@1=1 mute@2=1", "volm@0 mute@0 volm@1 mute@1" } },
            { "mutes probed up to the first fixed volume", { A, A, { S, F, S }, { F, S, S } }, 3,
              { false, "volm@1=0 volm@2=0 volm@3=0", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" },
              { false, "volm@1=0 volm@2=0 volm@3=0", "volm@0 mute@0 volm@1 mute@1 volm@2 mute@2" } },
            { "no channels", { A, A, {}, {} }, 0,
              { true, "", "volm@0 mute@0" },
              { true, "", "volm@0 mute@0" } },
            { "channel volumes, fixed master mute", { A, F, { S, S }, { S, S } }, 2,
              { true, "volm@1=0 volm@2=0", "volm@0 mute@0 volm@1 volm@2" },
              { true, "volm@1=0 volm@2=0", "volm@0 mute@0 volm@1 volm@2" } },
            { "no channels, master mute", { A, S, {}, {} }, 0,
              { true, "mute@0=1", "volm@0 mute@0" },
              { true, "mute@0=1", "volm@0 mute@0" } },
        };

        // "volm@0 mute@0 volm@1" for the probes of one scope, each checked
        // for its shape: no size, a writable flag preset to false.
        juce::String describeProbes (const std::vector<PlatformCall>& calls, AudioScope scope)
        {
            juce::StringArray probes;

            for (const auto& call : calls)
            {
                if (call.operation != PlatformOperation::deviceGetPropertyInfo || call.scope != scope)
                    continue;

                EXPECT_FALSE (call.size.has_value());
                EXPECT_EQ (call.writableFlag, std::optional<Boolean> (0));
                probes.add ((call.property == kAudioDevicePropertyMute ? "mute@" : "volm@") + juce::String (call.element));
            }

            return probes.joinIntoString (" ");
        }

        bool askedForName (const std::vector<PlatformCall>& calls, AudioDeviceID device, AudioScope scope)
        {
            return std::any_of (calls.begin(), calls.end(), [=] (const PlatformCall& call)
            {
                return call.device == device && call.scope == scope && call.property == kAudioDevicePropertyDeviceNameCFString;
            });
        }

        bool touched (const std::vector<PlatformCall>& calls, AudioDeviceID device)
        {
            return std::any_of (calls.begin(), calls.end(), [=] (const PlatformCall& call) { return call.device == device; });
        }

        SimulatedDevice matchingOn (AudioDeviceID id, bool output, bool input)
        {
            return SimulatedDevice::withSettableControls (id, output ? soundDeviceName : "Other", input ? soundDeviceName : "Other", 2);
        }
    }

    class TraverserSearch : public HardwareTest {};

    TEST_F (TraverserSearch, OutcomeOfTheProbesForEachSide)
    {
        for (const auto& testCase : outcomeCases)
        {
            for (const auto side : { AudioScope::output, AudioScope::input })
            {
                const auto& expected = side == AudioScope::output ? testCase.output : testCase.input;
                SCOPED_TRACE (juce::String (testCase.label) + (side == AudioScope::output ? " (output)" : " (input)"));

                hardware.removeAllDevices();
                hardware.plugIn (deviceWith (soundDevice, side, testCase.setup));
                // The other side's count is one more: a side must probe its own.
                const auto otherCount = testCase.numChannels + 1;
                volume::Traverser traverser (soundDeviceName,
                                             side == AudioScope::input ? testCase.numChannels : otherCount,
                                             side == AudioScope::output ? testCase.numChannels : otherCount);

                const auto calls = searchCalls (traverser);
                bool input = true, output = true;
                EXPECT_EQ (traverser.isDeviceConnected (input, output), expected.connected);
                EXPECT_EQ (side == AudioScope::output ? output : input, expected.connected);
                EXPECT_FALSE (side == AudioScope::output ? input : output);
                EXPECT_EQ (describeProbes (calls, side), juce::String (expected.probes));

                const juce::String writes (expected.writes);
                EXPECT_EQ (writesOf (traverser, side), writes.isEmpty() ? writes : "dev 58: " + writes);
            }
        }
    }

    TEST_F (TraverserSearch, NoChannelsWithoutMasterMuteCountsAsHavingAMute)
    {
        hardware.removeAllDevices();
        hardware.plugIn (deviceWith (soundDevice, AudioScope::output, { A, A, { S }, { S } }));
        hardware.setVolume (soundDevice, AudioScope::output, 1, 0.75f);
        volume::Traverser traverser (soundDeviceName, 0, 0);

        // Not emulated: the getter reads the device instead of the saved 0.6.
        traverser.setOutputVolume (0.6f, true);
        bool muted = true;
        EXPECT_EQ (traverser.getOutputVolume (muted), 0.75f);
        EXPECT_FALSE (muted);
    }

    TEST_F (TraverserSearch, WhichDeviceWinsAmongSeveralMatches)
    {
        struct WinnerCase
        {
            const char* label;
            std::vector<std::pair<bool, bool>> matches;   // output, input; ids 1, 2, ...
            AudioDeviceID outputFrom, inputFrom;
        };

        const WinnerCase cases[] = {
            { "input only, then both", { { false, true }, { true, true } }, 2, 1 },
            { "output only, then both", { { true, false }, { true, true } }, 2, 2 },
            { "both, then both", { { true, true }, { true, true } }, 1, 1 },
            { "output, output, input", { { true, false }, { true, false }, { false, true } }, 2, 3 },
            { "input, input, both, both", { { false, true }, { false, true }, { true, true }, { true, true } }, 3, 2 },
            { "output, output, none", { { true, false }, { true, false }, { false, false } }, 2, 0 },
        };

        for (const auto& testCase : cases)
        {
            SCOPED_TRACE (testCase.label);
            hardware.removeAllDevices();
            AudioDeviceID id = 0;

            for (const auto& [output, input] : testCase.matches)
                hardware.plugIn (matchingOn (++id, output, input));

            volume::Traverser traverser (soundDeviceName, 2, 2);
            const auto calls = searchCalls (traverser);
            const auto lastVisited = std::max (testCase.outputFrom, testCase.inputFrom);

            EXPECT_EQ (writesOf (traverser, AudioScope::output), "dev " + juce::String (testCase.outputFrom) + ": volm@0=0.25 mute@0=1");

            if (testCase.inputFrom != 0)
            {
                EXPECT_EQ (writesOf (traverser, AudioScope::input), "dev " + juce::String (testCase.inputFrom) + ": volm@0=0.25 mute@0=1");
            }

            // The search ends at the match that completes both sides.
            const bool endedOnOutput = testCase.outputFrom > testCase.inputFrom && testCase.inputFrom != 0;
            EXPECT_EQ (askedForName (calls, lastVisited, AudioScope::input), ! endedOnOutput);
            EXPECT_EQ (touched (calls, lastVisited + 1), testCase.inputFrom == 0);
        }
    }

    TEST_F (TraverserSearch, NamesCompareWholeAndCaseSensitively)
    {
        hardware.removeAllDevices();
        hardware.plugIn (matchingOn (1, true, true).withName (AudioScope::output, SimulatedName::of (soundDeviceName.toLowerCase()))
                                                   .withName (AudioScope::input, SimulatedName::of (soundDeviceName + " ")));
        hardware.plugIn (SimulatedDevice::withSettableControls (2, soundDeviceName.dropLastCharacters (1), soundDeviceName.substring (1), 2));

        bool input = true, output = true;
        EXPECT_FALSE (volume::Traverser (soundDeviceName, 2, 2).isDeviceConnected (input, output));
        EXPECT_FALSE (input || output);
    }

    TEST_F (TraverserSearch, OnlyBuiltInOutputIsPairedWithAnotherInputName)
    {
        bool input = false, output = false;
        volume::Traverser builtInOutput ("Built-in Output", 2, 2);
        EXPECT_TRUE (builtInOutput.isDeviceConnected (input, output));
        EXPECT_TRUE (input && output);
        EXPECT_EQ (writesOf (builtInOutput, AudioScope::input), "dev 38: volm@0=0.25 mute@0=1");

        volume::Traverser builtInInput ("Built-in Input", 2, 2);
        builtInInput.isDeviceConnected (input, output);
        EXPECT_TRUE (input);
        EXPECT_FALSE (output);

        // Only that exact name: another case, or more after it, is paired with itself.
        for (const auto* name : { "built-in output", "Built-in Output 2", "Built-in Outpu" })
        {
            volume::Traverser similar (name, 2, 2);
            EXPECT_FALSE (similar.isDeviceConnected (input, output)) << name;
        }

        hardware.plugIn (SimulatedDevice::withSettableControls (SimulatedAudioHardware::builtInDeviceId, "Built-in Output", "Built-in Output", 2));
        builtInOutput.isDeviceConnected (input, output);
        EXPECT_FALSE (input);
        EXPECT_TRUE (output);
    }

    TEST_F (TraverserSearch, UnpluggedDeviceKeepsItsIdUntilItComesBackUnderANewOne)
    {
        volume::Traverser traverser (soundDeviceName, 2, 2);
        bool input = false, output = false;
        ASSERT_TRUE (traverser.isDeviceConnected (input, output));

        hardware.unplug (soundDevice);
        EXPECT_FALSE (traverser.isDeviceConnected (input, output));
        EXPECT_FALSE (input || output);
        EXPECT_EQ (writesOf (traverser, AudioScope::output), "dev 58: volm@0=0.25 mute@0=1");

        hardware.plugIn (deviceWith (77, AudioScope::input, { S, A, {}, {} }).withName (AudioScope::output, SimulatedName::of (soundDeviceName)));
        EXPECT_TRUE (traverser.isDeviceConnected (input, output));
        EXPECT_TRUE (input);
        EXPECT_FALSE (output);
        EXPECT_EQ (writesOf (traverser, AudioScope::input), "dev 77: volm@0=0");
        EXPECT_EQ (writesOf (traverser, AudioScope::output), "dev 77: volm@1=0 volm@2=0");
    }

    TEST_F (TraverserSearch, FailingOrEmptyDeviceListKeepsTheLastMatch)
    {
        const std::function<void()> breakings[] = {
            [this] { hardware.failDeviceList(); },
            [this] { hardware.removeAllDevices(); },
        };

        for (const auto& breakHardware : breakings)
        {
            hardware.resetToDefault();
            volume::Traverser traverser (soundDeviceName, 2, 2);
            breakHardware();

            bool input = true, output = true;
            EXPECT_FALSE (traverser.isDeviceConnected (input, output));
            EXPECT_FALSE (input || output);
            EXPECT_EQ (writesOf (traverser, AudioScope::input), "dev 58: volm@0=0.25 mute@0=1");
        }
    }

    TEST_F (TraverserSearch, UpdateReachesAListenerOnTheMessageLoop)
    {
        struct Listener : juce::ChangeListener
        {
            juce::ChangeBroadcaster* changed = nullptr;
            void changeListenerCallback (juce::ChangeBroadcaster* source) override { changed = source; }
        } listener;

        volume::Traverser traverser (soundDeviceName, 2, 2);
        traverser.addChangeListener (&listener);
        traverser.update();
        EXPECT_EQ (listener.changed, nullptr);
        EXPECT_TRUE (test_support::pumpUntil ([&] { return listener.changed != nullptr; }, 2000));
        EXPECT_EQ (listener.changed, &traverser);
        traverser.removeChangeListener (&listener);
    }
}
