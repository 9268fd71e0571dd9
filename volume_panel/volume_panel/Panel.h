#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <optional>

namespace volume { class Traverser; }

namespace volume_panel
{
    class AboutScreen;

    // The face of the window: the input (side 0, left) and output (side 1,
    // right) level sliders with a mute button under each, kept in step with
    // the device by polling it. Draws the "Device unplugged." overlay and
    // the tips of controls that cannot be used, moves the window when
    // dragged, and opens the about screen from the top strip.
    class VolumePanel : public juce::Component,
                        public juce::Slider::Listener,
                        public juce::Button::Listener,
                        public juce::Timer,
                        public juce::ChangeListener
    {
    public:
        VolumePanel();
        ~VolumePanel() override;

        void mouseDown (const juce::MouseEvent& event) override;
        void mouseDrag (const juce::MouseEvent& event) override;
        void mouseUp (const juce::MouseEvent& event) override;
        void paint (juce::Graphics& g) override;
        void paintOverChildren (juce::Graphics& g) override;
        void resized() override;
        void sliderValueChanged (juce::Slider* slider) override;
        void buttonClicked (juce::Button* button) override;
        void timerCallback() override;
        void changeListenerCallback (juce::ChangeBroadcaster* source) override;

        // One poll of the device.
        void update();
        // Polls now, then every two seconds.
        void startUpdating();
        void stopUpdating();
        // Writes one side's level (0 to 100) and mute to the device.
        void setVolumeFromSlider (int side, double sliderValue, bool muted);

    private:
        void showUnavailableTips (bool inputConnected, bool outputConnected);
        static void enableControl (juce::Component& control, bool connected);
        void showSideState (size_t side, float level, bool muted);
        float levelToSend (size_t side) const;
        void deleteControls();

        void paintUnpluggedOverlay (juce::Graphics& g);
        void paintClickTip (juce::Graphics& g);

        // The control under a panel point, or null on the free area.
        juce::SettableTooltipClient* controlAt (juce::Point<int> point) const;
        bool isOutputControl (const juce::SettableTooltipClient* control) const;
        juce::Component* mainWindow() const;

        std::unique_ptr<volume::Traverser> traverser;
        std::unique_ptr<AboutScreen> aboutScreen;
        bool deviceConnected = true;
        std::array<std::unique_ptr<juce::Slider>, 2> sliders;
        std::array<juce::Rectangle<int>, 2> sliderBounds;
        std::array<std::unique_ptr<juce::ToggleButton>, 2> muteButtons;
        std::array<juce::Rectangle<int>, 2> muteButtonBounds;
        juce::ComponentDragger dragger;
        juce::ComponentBoundsConstrainer constrainer;
        int mouseDownX = 0;
        int mouseDownY = 0;
        juce::String currentTip;
        bool isDragging = false;
        // Per side, the level the last poll read, until the user moves the
        // slider: a mute click sends it rather than the slider's value.
        std::array<std::optional<float>, 2> levelsRead;

        JUCE_DECLARE_NON_COPYABLE (VolumePanel)
    };
}
