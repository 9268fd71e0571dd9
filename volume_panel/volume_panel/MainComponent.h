#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace volume_panel
{
    class VolumePanel;

    // The main window's content: the panel over its whole area.
    class MainComponent : public juce::Component
    {
    public:
        MainComponent();
        ~MainComponent() override;

        void resized() override;

        void startUpdating();
        void stopUpdating();

    private:
        std::unique_ptr<VolumePanel> volumePanel;

        JUCE_DECLARE_NON_COPYABLE (MainComponent)
    };
}
