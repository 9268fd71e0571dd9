#pragma once

#include "app_lifecycle/Application.h"
#include "panel/PanelTestSupport.h"
#include "support/MessagePump.h"
#include "volume_panel/volume_panel/AboutScreen.h"

#include <map>

namespace about_test
{
    // A running application object: the about screen reads its version.
    class TestApplication : public app_lifecycle::Application
    {
    public:
        static constexpr const char* version = "7.4.2-test";

        using app_lifecycle::Application::initialise;
        const juce::String getApplicationName() override       { return "About Test"; }
        const juce::String getApplicationVersion() override    { return version; }
        void initialise (const juce::StringArray&) override     {}
        void shutdown() override                                {}
    };

    // Puts a recording xdg-open first on PATH for the scope's length.
    class BrowserRecorder
    {
    public:
        BrowserRecorder();
        ~BrowserRecorder();

        // Waits until the given number of addresses were opened; gives them all.
        juce::StringArray waitForAddresses (int count);

    private:
        juce::TemporaryFile folder;
        juce::String savedPath;
    };

    // The panel in the main window, its about screen opened as the user
    // opens it. Screen points are the about screen's own.
    class AboutTest : public panel_test::PanelTest
    {
    protected:
        // With no panel open: a skin whose named pictures are replaced.
        void useSkinWith (std::map<juce::String, juce::Image> replacements);
        // The panel with its window focused, as after the user's click;
        // false when the focus never came.
        [[nodiscard]] bool openFocusedPanel();
        // A click in the strip, then a paint: the buttons learn where their
        // pictures lie when first painted.
        void openAbout() { window->click (panel_test::inStrip); test_support::pumpMessages (200); }
        void clickOnScreen (juce::Point<int> screenPoint) { window->click (screenPoint + aboutScreen()->getPosition()); }

        // The about screen once it is the panel's child, and its parts.
        volume_panel::AboutScreen* aboutScreen();
        juce::Component* part (const juce::String& name);

        // (8, 30, 264, 300) in the program, whose panel lies at (0, 0) of its
        // parent; this window's own title bar moves the panel, and the screen.
        juce::Rectangle<int> aboutPlace() { return juce::Rectangle<int> (8, 30, 264, 300) + window->panel().getPosition(); }
    };

    // Tile centres, the columns between tiles and the version line.
    const juce::Point<int> leftTile { 44, 258 }, centreTile { 133, 258 }, rightTile { 220, 258 };
    const juce::Point<int> gapLeftOfCentre { 89, 258 }, gapRightOfCentre { 177, 258 };
    const juce::Point<int> versionLine { 240, 15 };
}
