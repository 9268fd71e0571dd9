#include "PanelTestSupport.h"

#include "support/MessagePump.h"

using namespace panel_test;

namespace
{
    const juce::String inputTip ("Unable to control Input Level.\nPlease use the Mac OSX controls.\n"
                                 "In [Audio MIDI Setup],\nselect K-DAR7\nin [Properties For:] and see\n"
                                 "the [Audio Input] section.");
    const juce::String outputTip ("Unable to control Output Level.\nPlease use the Mac OSX controls.\n"
                                  "In [Audio MIDI Setup],\nselect K-DAR7\nin [Properties For:] and see\n"
                                  "the [Audio Output] section.");

    bool takesClicks (juce::Component& control)
    {
        bool self = false, children = false;
        control.getInterceptsMouseClicks (self, children);
        EXPECT_EQ (self, children) << control.getName();
        return self;
    }
}

TEST_F (PanelTest, EachSideIsEnabledTippedAndReadAsTheDeviceAllows)
{
    const struct
    {
        const char* name;
        bool inputConnected, outputConnected;
        juce::String inputTips, outputTips;
    } rows[] {
        { "both sides", true, true, {}, {} },
        { "input only", true, false, {}, outputTip },
        { "output only", false, true, inputTip, {} },
        { "neither side", false, false, {}, {} },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        hardware.resetToDefault();

        if (row.inputConnected != row.outputConnected)
            plugInOnly (row.inputConnected ? AudioScope::input : AudioScope::output);
        else if (! row.inputConnected)
            hardware.unplug (volume_test::soundDevice);

        if (row.inputConnected)
            hardware.setVolume (volume_test::soundDevice, AudioScope::input, 0, 0.256f);

        if (row.outputConnected)
        {
            hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 0.254f);
            hardware.setMute (volume_test::soundDevice, AudioScope::output, 0, 1);
        }

        openPanel();

        for (int side : { input, output })
        {
            SCOPED_TRACE (side == input ? "input side" : "output side");
            const bool connected = side == input ? row.inputConnected : row.outputConnected;
            const auto& tips = side == input ? row.inputTips : row.outputTips;
            auto& slider = window->slider (side);
            auto& muteButton = window->muteButton (side);

            EXPECT_EQ (slider.isEnabled(), connected);
            EXPECT_EQ (muteButton.isEnabled(), connected);
            EXPECT_EQ (takesClicks (slider), connected);
            EXPECT_EQ (takesClicks (muteButton), connected);
            EXPECT_EQ (slider.getTooltip(), tips);
            EXPECT_EQ (muteButton.getTooltip(), tips);
            // A side never read keeps the controls' first state.
            EXPECT_EQ (slider.getValue(), connected ? (side == input ? 26.0 : 25.0) : 0.0);
            EXPECT_EQ (muteButton.getToggleState(), connected && side == output);
        }

        window.reset();
    }
}

TEST_F (PanelTest, APollShowsTheDeviceWithoutWritingToItAndKeepsValuesWhenUnplugged)
{
    openPanel();
    auto& panel = window->panel();
    hardware.setVolume (volume_test::soundDevice, AudioScope::input, 0, 1.0f);
    hardware.setMute (volume_test::soundDevice, AudioScope::input, 0, 1);
    // Times 100 in single precision that is 14.5, which shows as 15.
    hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 0.145f);
    hardware.clearCallLog();

    EXPECT_TRUE (window->repaintsPanel ([&] { panel.update(); }));

    EXPECT_EQ (window->slider (input).getValue(), 100.0);
    EXPECT_TRUE (window->muteButton (input).getToggleState());
    EXPECT_EQ (window->slider (output).getValue(), 15.0);
    // A muted side keeps its slider usable.
    EXPECT_TRUE (window->slider (input).isEnabled());
    EXPECT_EQ (deviceWrites(), 0);

    hardware.unplug (volume_test::soundDevice);
    panel.update();

    for (int side : { input, output })
    {
        EXPECT_FALSE (window->slider (side).isEnabled());
        EXPECT_FALSE (window->muteButton (side).isEnabled());
        EXPECT_FALSE (takesClicks (window->slider (side)));
    }

    EXPECT_EQ (window->slider (input).getValue(), 100.0);
    EXPECT_TRUE (window->muteButton (input).getToggleState());
    EXPECT_EQ (window->slider (output).getValue(), 15.0);
    EXPECT_EQ (deviceWrites(), 0);
}

TEST_F (PanelTest, SliderMovesAndMuteClicksWriteLevelAndMute)
{
    hardware.setMute (volume_test::soundDevice, AudioScope::output, 0, 1);
    openPanel();

    // The thumb sits at row 174 for 50; row 189 is 40.
    window->drag (sliderCentre (output), { 0, 15 });
    EXPECT_EQ (window->slider (output).getValue(), 40.0);
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 0.4f);
    EXPECT_EQ (hardware.getMute (volume_test::soundDevice, AudioScope::output, 0), 1u);
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::input, 0), 0.5f);

    hardware.clearCallLog();
    window->click (muteButtonCentre (input));
    EXPECT_TRUE (window->muteButton (input).getToggleState());
    EXPECT_FALSE (window->slider (input).isEnabled());
    EXPECT_EQ (volume_test::describeWrites (hardware.getCallLog()), "dev 58: volm@0=0.5 mute@0=1");

    window->panel().update();
    EXPECT_TRUE (window->slider (input).isEnabled());
    EXPECT_TRUE (window->muteButton (input).getToggleState());

    hardware.clearCallLog();
    window->click (muteButtonCentre (input));
    EXPECT_FALSE (window->muteButton (input).getToggleState());
    EXPECT_TRUE (window->slider (input).isEnabled());
    EXPECT_EQ (volume_test::describeWrites (hardware.getCallLog()), "dev 58: volm@0=0.5 mute@0=0");
}

TEST_F (PanelTest, ASideWithoutMuteIsMutedAtLevelZeroAndShowsItsLevelWhileMuted)
{
    auto device = SimulatedDevice::withSettableControls (volume_test::soundDevice, volume_test::soundDeviceName,
                                                         volume_test::soundDeviceName, 2);
    for (UInt32 element = 0; element <= 2; ++element)
        device.withControl (AudioScope::output, element, ControlKind::mute, SimulatedControl::absent());
    hardware.plugIn (device);
    hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 0.6f);
    openPanel();

    window->click (muteButtonCentre (output));
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 0.0f);

    window->panel().update();
    EXPECT_TRUE (window->muteButton (output).getToggleState());
    EXPECT_EQ (window->slider (output).getValue(), 60.0);
    EXPECT_TRUE (window->slider (output).isEnabled());

    window->click (muteButtonCentre (output));
    EXPECT_FALSE (window->muteButton (output).getToggleState());
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 0.6f);
}

TEST_F (PanelTest, PollingStartsAtOnceRepeatsEveryTwoSecondsAndStops)
{
    openPanel();
    auto& panel = window->panel();
    const auto calls = [this] { return hardware.getCallLog().size(); };

    hardware.clearCallLog();
    panel.update();
    const auto callsPerPoll = calls();
    ASSERT_GT (callsPerPoll, 0u);

    hardware.clearCallLog();
    panel.startUpdating();
    EXPECT_EQ (calls(), callsPerPoll);

    test_support::pumpMessages (1700);
    EXPECT_EQ (calls(), callsPerPoll);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return calls() == 2 * callsPerPoll; }, 1300));

    panel.stopUpdating();
    test_support::pumpMessages (2500);
    EXPECT_EQ (calls(), 2 * callsPerPoll);
}
