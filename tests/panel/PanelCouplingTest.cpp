#include "PanelTestSupport.h"

#include "support/MessagePump.h"

#include <algorithm>

using namespace panel_test;

namespace
{
    juce::String tipFor (const char* side)
    {
        return juce::String ("Unable to control ") + side + " Level.\nPlease use the Mac OSX controls.\n"
               "In [Audio MIDI Setup],\nselect K-DAR7\nin [Properties For:] and see\nthe [Audio " + side + "] section.";
    }
}

TEST_F (PanelTest, EachSideIsEnabledTippedAndReadAsTheDeviceAllows)
{
    const struct { const char* name; bool connected[2]; juce::String tips[2]; } rows[] {
        { "both sides", { true, true }, {} },
        { "input only", { true, false }, { {}, tipFor ("Output") } },
        { "output only", { false, true }, { tipFor ("Input"), {} } },
        { "neither side", { false, false }, {} },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        hardware.resetToDefault();

        if (row.connected[input] != row.connected[output])
            plugInOnly (row.connected[input] ? AudioScope::input : AudioScope::output);
        else if (! row.connected[input])
            hardware.unplug (volume_test::soundDevice);

        if (row.connected[input])
            hardware.setVolume (volume_test::soundDevice, AudioScope::input, 0, 0.256f);
        if (row.connected[output])
        {
            hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 0.254f);
            hardware.setMute (volume_test::soundDevice, AudioScope::output, 0, 1);
        }
        openPanel();

        for (int side : { input, output })
        {
            SCOPED_TRACE (side == input ? "input side" : "output side");
            const bool connected = row.connected[side];
            auto& slider = window->slider (side);
            auto& muteButton = window->muteButton (side);

            for (juce::Component* control : { (juce::Component*) &slider, (juce::Component*) &muteButton })
            {
                bool self = false, children = false;
                control->getInterceptsMouseClicks (self, children);
                EXPECT_EQ (control->isEnabled(), connected);
                EXPECT_EQ (self, connected);
                EXPECT_EQ (children, connected);
                EXPECT_EQ (dynamic_cast<juce::SettableTooltipClient&> (*control).getTooltip(), row.tips[side]);
            }

            // A side never read keeps the controls' first state.
            EXPECT_EQ (slider.getValue(), connected ? (side == input ? 26.0 : 25.0) : 0.0);
            EXPECT_EQ (muteButton.getToggleState(), connected && side == output);
        }

        // Sides that come back lose their tips.
        hardware.resetToDefault();
        window->panel().update();

        for (int side : { input, output })
        {
            EXPECT_EQ (window->slider (side).getTooltip(), juce::String());
            EXPECT_EQ (window->muteButton (side).getTooltip(), juce::String());
        }

        window.reset();
    }
}

TEST_F (PanelTest, APollShowsTheDeviceWithoutWritingToItAndKeepsValuesWhenUnplugged)
{
    openPanel();
    hardware.setVolume (volume_test::soundDevice, AudioScope::input, 0, 1.0f);
    hardware.setMute (volume_test::soundDevice, AudioScope::input, 0, 1);
    // Times 100 in single precision that is 14.5, which shows as 15.
    hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 0.145f);
    hardware.clearCallLog();

    EXPECT_TRUE (window->repaintsPanel ([&] { window->panel().update(); }));

    for (const bool unplugged : { false, true })
    {
        SCOPED_TRACE (unplugged ? "unplugged" : "plugged");
        if (unplugged)
        {
            hardware.unplug (volume_test::soundDevice);
            window->panel().update();
        }

        EXPECT_EQ (window->slider (input).getValue(), 100.0);
        EXPECT_TRUE (window->muteButton (input).getToggleState());
        EXPECT_EQ (window->slider (output).getValue(), 15.0);
        EXPECT_EQ (deviceWrites(), 0);
    }
}

TEST_F (PanelTest, AMuteThatCannotBeReadShowsAsOff)
{
    hardware.setMute (volume_test::soundDevice, AudioScope::input, 0, 1);
    openPanel();
    ASSERT_TRUE (window->muteButton (input).getToggleState());

    hardware.clearCallLog();
    window->panel().update();
    const auto log = hardware.getCallLog();
    // A read's info call asks for the size; a probe's, for the writable flag.
    const auto muteRead = std::find_if (log.begin(), log.end(), [] (const PlatformCall& call)
    {
        return call.operation == PlatformOperation::deviceGetPropertyInfo && call.scope == AudioScope::input
            && call.property == kAudioDevicePropertyMute && call.size.has_value();
    });
    ASSERT_NE (muteRead, log.end());

    hardware.failCallNumber ((int) (muteRead - log.begin()));
    window->panel().update();
    EXPECT_FALSE (window->muteButton (input).getToggleState());
}

TEST_F (PanelTest, SliderMovesAndMuteClicksWriteLevelAndMute)
{
    hardware.setMute (volume_test::soundDevice, AudioScope::output, 0, 1);
    // Between two whole percents: the slider shows 33.
    hardware.setVolume (volume_test::soundDevice, AudioScope::input, 0, 0.3333f);
    openPanel();

    // The thumb sits at row 174 for 50; row 189 is 40.
    window->drag (sliderCentre (output), { 0, 15 });
    EXPECT_EQ (window->slider (output).getValue(), 40.0);
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 0.4f);
    EXPECT_EQ (hardware.getMute (volume_test::soundDevice, AudioScope::output, 0), 1u);
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::input, 0), 0.3333f);

    // A mute click keeps the level read, not the slider's whole percent.
    for (const bool muted : { true, false })
    {
        SCOPED_TRACE (muted ? "muting" : "unmuting");
        hardware.clearCallLog();
        window->click (muteButtonCentre (input));
        EXPECT_EQ (window->muteButton (input).getToggleState(), muted);
        EXPECT_EQ (window->slider (input).isEnabled(), ! muted);
        EXPECT_EQ (volume_test::describeWrites (hardware.getCallLog()),
                   "dev 58: volm@0=" + juce::String (0.3333f) + " mute@0=" + (muted ? "1" : "0"));

        // A poll gives a muted side its slider back.
        window->panel().update();
        EXPECT_TRUE (window->slider (input).isEnabled());
        EXPECT_EQ (window->muteButton (input).getToggleState(), muted);
    }

    // Once the user has moved the slider, even back to where it was, the
    // slider's value goes.
    window->slider (input).setValue (40.0, juce::sendNotificationSync);
    window->slider (input).setValue (33.0, juce::sendNotificationSync);
    window->click (muteButtonCentre (input));
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::input, 0), 0.33f);

    // A level above the slider's top, which shows as the top, stays too.
    hardware.setVolume (volume_test::soundDevice, AudioScope::output, 0, 1.5f);
    window->panel().update();
    ASSERT_EQ (window->slider (output).getValue(), 100.0);
    window->click (muteButtonCentre (output));
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 1.5f);
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

    window->click (muteButtonCentre (output));
    EXPECT_FALSE (window->muteButton (output).getToggleState());
    EXPECT_EQ (hardware.getVolume (volume_test::soundDevice, AudioScope::output, 0), 0.6f);
}

TEST_F (PanelTest, PollingStartsAtOnceRepeatsEveryTwoSecondsAndStops)
{
    openPanel();
    const auto calls = [this] { return hardware.getCallLog().size(); };
    hardware.clearCallLog();
    window->panel().update();
    const auto perPoll = calls();
    ASSERT_GT (perPoll, 0u);

    hardware.clearCallLog();
    window->panel().startUpdating();
    EXPECT_EQ (calls(), perPoll);
    test_support::pumpMessages (1700);
    EXPECT_EQ (calls(), perPoll);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return calls() == 2 * perPoll; }, 1300));

    window->panel().stopUpdating();
    test_support::pumpMessages (2500);
    EXPECT_EQ (calls(), 2 * perPoll);
}
