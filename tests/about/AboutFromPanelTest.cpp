#include "AboutTestSupport.h"

#include "app_lifecycle/ApplicationWindow.h"
#include "platform/coreaudio/SimulatedAudioHardware.h"
#include "skin/SkinTestSupport.h"
#include "support/MessagePump.h"
#include "volume_panel/volume_panel/Panel.h"

#include <gtest/gtest.h>

using namespace about_test;

namespace
{
    // A real panel at (0, 0) of the content of the main window, as the
    // program holds it, with the device plugged in.
    struct PanelInMainWindow
    {
        PanelInMainWindow()
        {
            platform::SimulatedAudioHardware::shared().resetToDefault();
            panel = std::make_unique<volume_panel::VolumePanel>();
            content.setSize (280, 360);
            content.addAndMakeVisible (*panel);
            panel->setBounds (0, 0, 280, 360);
            window.setContentNonOwned (&content, true);
            window.setTopLeftPosition (200, 150);
            window.setVisible (true);
            window.setIsMainWindow (true);
            test_support::pumpUntil ([this] { return window.isShowing(); }, 2000);
            test_support::pumpMessages (100);
        }

        ~PanelInMainWindow()
        {
            window.setIsMainWindow (false);
            window.clearContentComponent();
            platform::SimulatedAudioHardware::shared().resetToDefault();
        }

        juce::Point<int> inWindow (juce::Point<int> panelPoint) const  { return window.getLocalPoint (panel.get(), panelPoint); }

        void press (juce::Point<int> panelPoint)     { input.press (inWindow (panelPoint)); }
        void move (juce::Point<int> panelPoint)      { input.move (inWindow (panelPoint)); }
        void release (juce::Point<int> panelPoint)   { input.release (inWindow (panelPoint)); }
        void click (juce::Point<int> panelPoint)     { press (panelPoint); release (panelPoint); }

        // The real mouse pressed there, moved over the desktop by the
        // distance and released: the window follows it only as the window
        // manager reports where it went, which injected events cannot wait for.
        void dragOnDesktop (juce::Point<int> panelPoint, juce::Point<int> distance)
        {
            const auto start = panel->localPointToGlobal (panelPoint);
            juce::StringArray command { "xdotool" };
            const auto moveTo = [&command] (juce::Point<int> screenPoint)
            {
                command.addArray ({ "mousemove", "--sync", juce::String (screenPoint.x), juce::String (screenPoint.y),
                                    "sleep", "0.05" });
            };

            moveTo (start);
            command.addArray ({ "mousedown", "1", "sleep", "0.05" });

            for (int step = 1; step <= 4; ++step)
                moveTo (start + distance * step / 4);

            command.addArray ({ "mouseup", "1", "sleep", "0.05" });

            juce::ChildProcess xdotool;
            ASSERT_TRUE (xdotool.start (command, 0));
            ASSERT_TRUE (test_support::pumpUntil ([&] { return ! xdotool.isRunning(); }, 5000));
            ASSERT_EQ (xdotool.getExitCode(), 0u);
            test_support::pumpMessages (100);
        }

        juce::Component* aboutScreen() const
        {
            for (auto* child : panel->getChildren())
                if (child->getName() == "AboutScreen")
                    return child;

            return nullptr;
        }

        bool aboutScreenShown() const    { return aboutScreen() != nullptr && aboutScreen()->isVisible(); }

        app_lifecycle::ApplicationWindow window { "About Panel Test", juce::Colours::black, 0 };
        juce::Component content;
        std::unique_ptr<volume_panel::VolumePanel> panel;
        PeerInput input { window };
    };

    const juce::Point<int> inTheStrip { 140, 20 }, belowTheStrip { 140, 60 }, onInputSlider { 60, 150 };
}

TEST (AboutFromPanel, OnlyAReleaseAfterAPressInTheTopStripOpensTheScreen)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    PanelInMainWindow main;

    main.click (belowTheStrip);
    EXPECT_EQ (main.aboutScreen(), nullptr);

    // Unplugged, a press on a control area starts no drag, so the release
    // can come in the strip: the press point decides.
    platform::SimulatedAudioHardware::shared().unplug (platform::SimulatedAudioHardware::soundDeviceId);
    main.panel->update();
    const auto windowPlace = main.window.getPosition();
    main.press (onInputSlider);
    main.move (inTheStrip);
    main.release (inTheStrip);
    EXPECT_EQ (main.window.getPosition(), windowPlace);
    EXPECT_EQ (main.aboutScreen(), nullptr);

    main.click (inTheStrip);
    ASSERT_TRUE (main.aboutScreenShown());
    EXPECT_EQ (main.aboutScreen()->getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
}

TEST (AboutFromPanel, ADragFromTheStripMovesTheWindowAndStillOpensTheScreen)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    PanelInMainWindow main;
    const auto windowPlace = main.window.getScreenPosition();

    main.dragOnDesktop (inTheStrip, { 60, 40 });

    EXPECT_EQ (main.window.getScreenPosition(), windowPlace + juce::Point<int> (60, 40));
    ASSERT_TRUE (main.aboutScreenShown());
    EXPECT_EQ (main.aboutScreen()->getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
}

TEST (AboutFromPanel, TheUnpluggedOverlayCoversAnOpenScreen)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    PanelInMainWindow main;
    main.click (inTheStrip);
    ASSERT_TRUE (main.aboutScreenShown());

    // A point of the about picture clear of the overlay's text.
    const juce::Point<int> onScreen { 20, 100 };
    const auto picture = skin_test::embeddedPicture ("about").getPixelAt (onScreen.x, onScreen.y);
    ASSERT_LT (picture.getBrightness(), 0.8f);
    const auto panelPoint = onScreen + main.aboutScreen()->getPosition();
    EXPECT_EQ (skin_test::snapshot (*main.panel).getPixelAt (panelPoint.x, panelPoint.y), picture);

    platform::SimulatedAudioHardware::shared().unplug (platform::SimulatedAudioHardware::soundDeviceId);
    main.panel->update();

    const auto covered = skin_test::snapshot (*main.panel).getPixelAt (panelPoint.x, panelPoint.y);
    const auto expected = picture.interpolatedWith (juce::Colours::white, 0.5f);
    EXPECT_NEAR (covered.getRed(), expected.getRed(), 2);
    EXPECT_NEAR (covered.getGreen(), expected.getGreen(), 2);
    EXPECT_NEAR (covered.getBlue(), expected.getBlue(), 2);
    EXPECT_TRUE (main.aboutScreenShown());
}
