#pragma once

#include "app_lifecycle/Application.h"
#include "volume_panel/volume_panel/AboutScreen.h"

#include <memory>

namespace about_test
{
    // A running application object, as the about screen reads its version
    // from it; only its version is ever asked for.
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
    // in the window's own coordinates.
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

    // The panel's stand-in: a 280 x 360 component at (0, 0) of a window on
    // the desktop. It counts the keys that reach it.
    class ParentInWindow
    {
    public:
        ParentInWindow();
        ~ParentInWindow();

        juce::Component& getParent()    { return parent; }
        juce::Component& getWindow()    { return window; }
        int keysReachingParent() const  { return parent.keys; }

    private:
        struct KeyCountingComponent : juce::Component
        {
            bool keyPressed (const juce::KeyPress&) override    { ++keys; return false; }
            int keys = 0;
        };

        juce::Component window;
        KeyCountingComponent parent;
    };

    // The about screen shown over a panel-sized parent in a window, with the
    // addresses it opens recorded. Screen points are in its own coordinates.
    struct ShownAboutScreen
    {
        ShownAboutScreen();

        juce::Point<int> inWindow (juce::Point<int> screenPoint) const;
        juce::ImageButton* button (const juce::String& name) const;

        ParentInWindow host;
        PeerInput input { host.getWindow() };
        BrowserRecorder browser;
        volume_panel::AboutScreen screen { "https://forum.quenmar.example/downloads/k-dar7" };
    };

    // Tile centres and the columns between tiles, in screen coordinates.
    const juce::Point<int> leftTile { 44, 258 }, centreTile { 133, 258 }, rightTile { 220, 258 };
    const juce::Point<int> gapLeftOfCentre { 89, 258 }, gapRightOfCentre { 177, 258 };
}
