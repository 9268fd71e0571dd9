#pragma once

#include "app_lifecycle/Application.h"

#include <memory>

class PicturesDecodedAhead;
class VolumeSkinLookAndFeel;

namespace volume_panel
{
    class VolumePanelWindow;

    // The panel program: installs the skin, then makes, places and shows
    // (or, with "-m", hides) the one window.
    class VolumeApplication : public app_lifecycle::Application
    {
    public:
        VolumeApplication();
        ~VolumeApplication() override;

        using app_lifecycle::Application::initialise;
        void startingUp() override;
        void initialise (const juce::StringArray& arguments) override;
        void shutdown() override;
        const juce::String getApplicationName() override;
        const juce::String getApplicationVersion() override;
        bool moreThanOneInstanceAllowed() override;
        void anotherInstanceStarted (const juce::String& commandLine) override;
        juce::String getSessionBusName() override;

    private:
        // From the start's going on until the skin has them.
        std::shared_ptr<PicturesDecodedAhead> picturesDecodedAhead;

        // Declared skin first: the window must go before it.
        std::unique_ptr<VolumeSkinLookAndFeel> lookAndFeel;
        std::unique_ptr<VolumePanelWindow> window;

        JUCE_DECLARE_NON_COPYABLE (VolumeApplication)
    };
}
