#include "volume_panel/volume_panel/MainComponent.h"

#include "volume_panel/volume_panel/Panel.h"

namespace volume_panel
{
    // PLACEHOLDER
    MainComponent::MainComponent() {}
    MainComponent::~MainComponent() = default;
    void MainComponent::resized() {}
    void MainComponent::startUpdating() {}
    void MainComponent::stopUpdating() {}
}
