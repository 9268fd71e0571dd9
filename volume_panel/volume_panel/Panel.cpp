#include "volume_panel/volume_panel/Panel.h"

#include "volume/Traverser.h"
#include "volume_panel/volume_panel/AboutScreen.h"

namespace volume_panel
{
    // PLACEHOLDER
    VolumePanel::VolumePanel() {}
    VolumePanel::~VolumePanel() = default;
    void VolumePanel::mouseDown (const juce::MouseEvent&) {}
    void VolumePanel::mouseDrag (const juce::MouseEvent&) {}
    void VolumePanel::mouseUp (const juce::MouseEvent&) {}
    void VolumePanel::paint (juce::Graphics&) {}
    void VolumePanel::paintOverChildren (juce::Graphics&) {}
    void VolumePanel::resized() {}
    void VolumePanel::sliderValueChanged (juce::Slider*) {}
    void VolumePanel::buttonClicked (juce::Button*) {}
    void VolumePanel::timerCallback() {}
    void VolumePanel::changeListenerCallback (juce::ChangeBroadcaster*) {}
    void VolumePanel::update() {}
    void VolumePanel::startUpdating() {}
    void VolumePanel::stopUpdating() {}
    void VolumePanel::setVolumeFromSlider (int, double, bool) {}
}
