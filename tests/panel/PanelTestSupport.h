#pragma once

#include "app_lifecycle/ApplicationWindow.h"
#include "volume/HardwareTest.h"
#include "volume_panel/volume_panel/Panel.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

#include <functional>

namespace panel_test
{
    using namespace platform;
    using volume_test::Presence;
    using volume_test::ScopeSetup;

    constexpr int input = 0;
    constexpr int output = 1;

    // Free panel points: one below the logo strip, one inside it.
    const juce::Point<int> freeArea { 140, 60 };
    const juce::Point<int> inStrip { 140, 20 };

    inline juce::Point<int> sliderCentre (int side)     { return { side == input ? 67 : 214, 174 }; }
    inline juce::Point<int> muteButtonCentre (int side) { return { side == input ? 67 : 214, 295 }; }

    const ScopeSetup settableScope { Presence::settable, Presence::settable,
                                     { Presence::settable, Presence::settable },
                                     { Presence::settable, Presence::settable } };

    // The panel in a main window; clicks go to the window's peer, so that
    // the framework decides who gets a press.
    class PanelWindow
    {
    public:
        PanelWindow();
        ~PanelWindow() { window.clearContentComponent(); }

        volume_panel::VolumePanel& panel() { return *panelContent; }
        juce::Slider& slider (int side);
        juce::ToggleButton& muteButton (int side);

        void click (juce::Point<int> panelPoint);
        // With the real pointer (xdotool): the framework moves a dragged
        // window after the pointer's screen position, not the event's.
        void drag (juce::Point<int> panelPoint, juce::Point<int> distance);

        juce::Image snapshot() { return panel().createComponentSnapshot (panel().getLocalBounds()); }
        // As a child in the free corner sees it: no control repaints there.
        bool repaintsPanel (const std::function<void()>& action);
        juce::Point<int> windowPosition() const { return window.getScreenPosition(); }

    private:
        void send (juce::Point<int> screenPoint, juce::ModifierKeys buttons);

        struct PaintCounter : juce::Component
        {
            void paint (juce::Graphics&) override { ++paints; }
            int paints = 0;
        };

        app_lifecycle::ApplicationWindow window;
        volume_panel::VolumePanel* panelContent = nullptr;
        PaintCounter paintCounter;
        juce::int64 time = juce::Time::currentTimeMillis();
    };

    // Default hardware and the skin as default look-and-feel; the test
    // opens the panel once it has set the device up.
    class PanelTest : public volume_test::HardwareTest
    {
    protected:
        void SetUp() override;
        void TearDown() override;

        void openPanel() { window = std::make_unique<PanelWindow>(); }
        // The device with only this side's name and controls.
        void plugInOnly (AudioScope side, const ScopeSetup& setup = settableScope);
        int deviceWrites() const;

        std::unique_ptr<VolumeSkinLookAndFeel> skin;
        std::unique_ptr<PanelWindow> window;
    };
}
