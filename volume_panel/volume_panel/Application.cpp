#include "volume_panel/volume_panel/Application.h"

#include "volume_panel/volume_panel/Window.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

namespace volume_panel
{
    // PLACEHOLDER
    VolumeApplication::VolumeApplication() = default;
    VolumeApplication::~VolumeApplication() = default;
    void VolumeApplication::initialise (const juce::StringArray&) {}
    void VolumeApplication::shutdown() {}
    const juce::String VolumeApplication::getApplicationName() { return {}; }
    const juce::String VolumeApplication::getApplicationVersion() { return {}; }
    bool VolumeApplication::moreThanOneInstanceAllowed() { return true; }
    void VolumeApplication::anotherInstanceStarted (const juce::String&) {}
}
