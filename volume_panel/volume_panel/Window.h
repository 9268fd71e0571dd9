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

        // Replaces the native window by a fresh one, which starts unmapped.
        // JUCE 7 on Linux maps the native window whenever it sets up the
        // native title bar or the resizable setting (it brings the window
        // to the front with activation), even while the window component
        // is invisible, and a hide sent before the window manager has acted
        // on that map is lost. A window that is to start hidden calls this
        // once it is set up.
        void withdrawNativeWindow();

        void visibilityChanged() override;
        void userTriedToCloseWindow() override;
        void focusOfChildComponentChanged (FocusChangeType cause) override;
        bool keyPressed (const juce::KeyPress& key) override;
        bool keyStateChanged (bool isKeyDown) override;
        int getDesktopWindowStyleFlags() const override;
        void closeButtonPressed() override;

    private:
        // Owned as the window's content.
        MainComponent* mainComponent = nullptr;
        std::unique_ptr<VolumeSystemTray> systemTray;

        // Escape was already held down when the window got the focus: what
        // reaches the window until its release is the key's auto-repeat,
        // which would hide the window again each time it is shown.
        bool escapeHeldBeforeFocus = false;

        JUCE_DECLARE_NON_COPYABLE (VolumePanelWindow)
    };
}
