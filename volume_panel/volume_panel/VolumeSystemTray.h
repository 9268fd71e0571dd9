#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace volume_panel
{
    // Holds whether the main window is meant to be shown, and shows or
    // hides it. It is never on screen itself, so its menu and mouse
    // handler are never reached.
    class VolumeSystemTray : public juce::Component
    {
    public:
        VolumeSystemTray (juce::ResizableWindow* window, const juce::String& unusedName);
        ~VolumeSystemTray() override;

        void setVisibility (bool shouldBeVisible);
        void toggleVisibility();
        void populateMenu();

        void mouseUp (const juce::MouseEvent& event) override;

    private:
        juce::PopupMenu menu;
        bool visible;
        juce::ResizableWindow* window;

        JUCE_DECLARE_NON_COPYABLE (VolumeSystemTray)
    };
}
