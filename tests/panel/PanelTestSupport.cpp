#include "PanelTestSupport.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

namespace panel_test
{
    PanelWindow::PanelWindow()
        : window ("Panel test", juce::Colours::black, 0, true)
    {
        auto content = std::make_unique<volume_panel::VolumePanel>();
        content->setSize (280, 360);
        paintCounter.setBounds (0, 0, 20, 20);
        paintCounter.setInterceptsMouseClicks (false, false);
        content->addAndMakeVisible (paintCounter);
        panelContent = content.get();
        window.setContentOwned (content.release(), true);
        window.setTopLeftPosition (100, 100);
        window.setVisible (true);
        window.setIsMainWindow (true);
        test_support::pumpUntil ([this] { return window.isShowing(); }, 2000);
        test_support::pumpMessages (100);
    }

    juce::Slider& PanelWindow::slider (int side)
    {
        return dynamic_cast<juce::Slider&> (*panel().getChildComponent (side * 2));
    }

    juce::ToggleButton& PanelWindow::muteButton (int side)
    {
        return dynamic_cast<juce::ToggleButton&> (*panel().getChildComponent (side * 2 + 1));
    }

    void PanelWindow::click (juce::Point<int> panelPoint)
    {
        const auto screenPoint = panel().localPointToGlobal (panelPoint);
        send (screenPoint, juce::ModifierKeys::leftButtonModifier);
        send (screenPoint, {});
    }

    void PanelWindow::send (juce::Point<int> screenPoint, juce::ModifierKeys buttons)
    {
        auto* peer = window.getPeer();
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, peer->globalToLocal (screenPoint.toFloat()),
                                buttons, juce::MouseInputSource::defaultPressure,
                                juce::MouseInputSource::defaultOrientation, time += 20);
        test_support::pumpMessages (5);
    }

    namespace
    {
        // Counts the presses and releases that reach any component.
        struct ButtonCounter : juce::MouseListener
        {
            ButtonCounter()           { juce::Desktop::getInstance().addGlobalMouseListener (this); }
            ~ButtonCounter() override { juce::Desktop::getInstance().removeGlobalMouseListener (this); }

            void mouseDown (const juce::MouseEvent&) override { ++presses; }
            void mouseUp (const juce::MouseEvent&) override   { ++releases; }

            int presses = 0;
            int releases = 0;
        };
    }

    void PanelWindow::drag (juce::Point<int> panelPoint, juce::Point<int> distance)
    {
        const auto start = panel().localPointToGlobal (panelPoint);
        // "mousemove --sync" waits for the pointer to move, forever when it
        // is already there: start from beside the first point.
        juce::String command ("xdotool mousemove ");
        command << start.x + 1 << " " << start.y + 1 << " sleep 0.05";
        for (int step = 0; step <= 4; ++step)
        {
            const auto point = start + distance * step / 4;
            command << " mousemove --sync " << point.x << " " << point.y << " sleep 0.05"
                    << (step == 0 ? " mousedown 1 sleep 0.05" : "");
        }
        command << " mouseup 1 sleep 0.05";

        ButtonCounter buttons;
        juce::ChildProcess xdotool;
        ASSERT_TRUE (xdotool.start (command, 0));
        ASSERT_TRUE (test_support::pumpUntil ([&] { return ! xdotool.isRunning(); }, 5000));
        ASSERT_EQ (xdotool.getExitCode(), 0u);
        // On a busy machine the pointer's events reach the window well after
        // xdotool has ended; were they read later, they would move the
        // pointer in the middle of the next injected click.
        ASSERT_TRUE (test_support::pumpUntil ([&] { return buttons.presses > 0; }, 5000));
        // Now and then the window manager keeps the release from the window
        // (the framework still holds the button down after seconds). Then
        // it is given to the window as X would have: a press injected while
        // the button is held would count as part of the old drag.
        const auto released = [] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); };

        if (! test_support::pumpUntil ([&] { return buttons.releases > 0 && released(); }, 1000))
            send (start + distance, {});

        ASSERT_TRUE (released());
        test_support::pumpMessages (100);
    }

    bool PanelWindow::repaintsPanel (const std::function<void()>& action)
    {
        test_support::pumpMessages (50);
        const auto before = paintCounter.paints;
        action();
        test_support::pumpMessages (100);
        return paintCounter.paints > before;
    }

    void PanelTest::SetUp()
    {
        HardwareTest::SetUp();
        skin = std::make_unique<VolumeSkinLookAndFeel>();
        juce::LookAndFeel::setDefaultLookAndFeel (skin.get());
    }

    void PanelTest::TearDown()
    {
        window.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        skin.reset();
        HardwareTest::TearDown();
    }

    void PanelTest::plugInOnly (AudioScope side, const ScopeSetup& setup)
    {
        hardware.plugIn (volume_test::deviceWith (volume_test::soundDevice, side, setup));
    }

    int PanelTest::deviceWrites() const
    {
        const auto& log = hardware.getCallLog();
        return (int) std::count_if (log.begin(), log.end(), [] (const PlatformCall& call)
                                    { return call.operation == PlatformOperation::deviceSetProperty; });
    }
}
