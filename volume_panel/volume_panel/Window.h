#pragma once

#include "app_lifecycle/ApplicationWindow.h"

#include <memory>

namespace volume_panel
{
    class MainComponent;
    class VolumeSystemTray;

    // The program's one window: native title bar with a close box only, a
    // fixed size, the panel as content. Closing it hides only its native
    // window; the panel keeps polling the device.
    class VolumePanelWindow : public app_lifecycle::ApplicationWindow
    {
    public:
        VolumePanelWindow (const juce::String& title, const juce::String& trayName);
        ~VolumePanelWindow() override;

        void setVisibility (bool shouldBeVisible);
        void toggleVisibility();

        void visibilityChanged() override;
        void userTriedToCloseWindow() override;
        bool keyPressed (const juce::KeyPress& key) override;
        int getDesktopWindowStyleFlags() const override;
        void closeButtonPressed() override;

    private:
        // Owned as the window's content.
        MainComponent* mainComponent = nullptr;
        std::unique_ptr<VolumeSystemTray> systemTray;

        JUCE_DECLARE_NON_COPYABLE (VolumePanelWindow)
    };
}
