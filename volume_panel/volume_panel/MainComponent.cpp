#include "volume_panel/volume_panel/MainComponent.h"

#include "volume_panel/volume_panel/Panel.h"

namespace volume_panel
{
    MainComponent::MainComponent()
        : juce::Component ("MainComponent"),
          volumePanel (std::make_unique<VolumePanel>())
    {
        addAndMakeVisible (volumePanel.get(), -1);
    }

    MainComponent::~MainComponent() = default;

    void MainComponent::resized()
    {
        volumePanel->setBounds (0, 0, getWidth(), getHeight());
    }

    void MainComponent::startUpdating()
    {
        volumePanel->startUpdating();
    }

    void MainComponent::stopUpdating()
    {
        volumePanel->stopUpdating();
    }
}
