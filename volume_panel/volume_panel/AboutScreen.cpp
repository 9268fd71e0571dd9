#include "volume_panel/volume_panel/AboutScreen.h"

namespace volume_panel
{
    // PLACEHOLDER
    AboutScreen::AboutScreen (const juce::String&) {}
    AboutScreen::~AboutScreen() = default;
    void AboutScreen::show (juce::Component*) {}
    void AboutScreen::mouseMove (const juce::MouseEvent&) {}
    void AboutScreen::mouseDown (const juce::MouseEvent&) {}
    void AboutScreen::paint (juce::Graphics&) {}
    bool AboutScreen::keyPressed (const juce::KeyPress&) { return false; }
    void AboutScreen::resized() {}
    void AboutScreen::buttonClicked (juce::Button*) {}
}
