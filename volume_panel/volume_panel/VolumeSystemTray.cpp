#include "volume_panel/volume_panel/VolumeSystemTray.h"

namespace volume_panel
{
    // PLACEHOLDER
    VolumeSystemTray::VolumeSystemTray (juce::ResizableWindow* w, const juce::String&) : visible (true), window (w) {}
    VolumeSystemTray::~VolumeSystemTray() = default;
    void VolumeSystemTray::setVisibility (bool) {}
    void VolumeSystemTray::toggleVisibility() {}
    void VolumeSystemTray::populateMenu() {}
    void VolumeSystemTray::mouseUp (const juce::MouseEvent&) {}
}
