#pragma once

#include "app_lifecycle/Application.h"
#include "volume_panel/volume_panel/AboutScreen.h"

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

    // Mouse events and keys handed to a window's peer, so that the
    // framework's hit testing and focus decide where they go. Points are
    // in the window's coordinates.
    class PeerInput
    {
    public:
        explicit PeerInput (juce::Component& peerWindow) : window (peerWindow) {}

        void move (juce::Point<int> point)       { send (point, {}); }
        void press (juce::Point<int> point)      { send (point, juce::ModifierKeys::leftButtonModifier); }
        void release (juce::Point<int> point)    { send (point, {}); }
        void click (juce::Point<int> point)      { press (point); release (point); }
        bool key (const juce::KeyPress& key);

    private:
        void send (juce::Point<int> point, juce::ModifierKeys buttons);

        juce::Component& window;
        juce::int64 time = juce::Time::currentTimeMillis();
    };

    // An about screen and the panel's stand-in, a 280 x 360 parent at (0, 0)
    // of a window on the desktop that counts the keys reaching it; the
    // addresses opened are recorded. Screen points are the screen's own.
    struct AboutOnDesktop
    {
        AboutOnDesktop();
        ~AboutOnDesktop();

        void show();
        juce::Point<int> inWindow (juce::Point<int> screenPoint) const  { return screenPoint + screen.getPosition(); }
        juce::Component* child (const juce::String& name) const;

        struct KeyCountingComponent : juce::Component
        {
            bool keyPressed (const juce::KeyPress&) override    { ++keys; return false; }
            int keys = 0;
        };

        juce::Component window;
        KeyCountingComponent parent;
        PeerInput input { window };
        BrowserRecorder browser;
        volume_panel::AboutScreen screen { "https://forum.quenmar.example/downloads/k-dar7" };
    };

    // Tile centres and the columns between tiles, in screen coordinates.
    const juce::Point<int> leftTile { 44, 258 }, centreTile { 133, 258 }, rightTile { 220, 258 };
    const juce::Point<int> gapLeftOfCentre { 89, 258 }, gapRightOfCentre { 177, 258 };
    const juce::Point<int> versionLine { 240, 15 };
}
