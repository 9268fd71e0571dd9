#include "volume_panel/volume_panel/Window.h"

#include "volume_panel/volume_panel/MainComponent.h"
#include "volume_panel/volume_panel/VolumeSystemTray.h"

namespace volume_panel
{
    // PLACEHOLDER
    VolumePanelWindow::VolumePanelWindow (const juce::String& title, const juce::String&)
        : app_lifecycle::ApplicationWindow (title, juce::Colours::black, 4, true) {}
    VolumePanelWindow::~VolumePanelWindow() = default;
    void VolumePanelWindow::setVisibility (bool) {}
    void VolumePanelWindow::toggleVisibility() {}
    void VolumePanelWindow::visibilityChanged() {}
    void VolumePanelWindow::userTriedToCloseWindow() {}
    bool VolumePanelWindow::keyPressed (const juce::KeyPress&) { return false; }
    int VolumePanelWindow::getDesktopWindowStyleFlags() const { return 0; }
    void VolumePanelWindow::closeButtonPressed() {}
}
