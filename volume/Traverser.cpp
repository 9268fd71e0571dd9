#include "volume/Traverser.h"

#include "volume/TraverserImpl.h"

namespace volume
{
    Traverser::Traverser (const juce::String& deviceName, int numInputChannels, int numOutputChannels)
    {
        auto record = std::make_unique<Impl> (deviceName, numInputChannels, numOutputChannels);
        record->refresh();
        impl = std::move (record);
    }

    Traverser::~Traverser()
    {
        impl.reset();
    }

    bool Traverser::isDeviceConnected (bool& inputConnected, bool& outputConnected)
    {
        impl->refresh();
        inputConnected = impl->input.connected;
        outputConnected = impl->output.connected;
        return inputConnected || outputConnected;
    }

    void Traverser::update()
    {
        sendChangeMessage();
    }

    float Traverser::getInputVolume (bool& muted)
    {
        impl->refresh();
        return impl->readSide (impl->input, muted);
    }

    float Traverser::getOutputVolume (bool& muted)
    {
        impl->refresh();
        return impl->readSide (impl->output, muted);
    }

    void Traverser::setInputVolume (float level, bool mute)
    {
        impl->writeSide (impl->input, level, mute);
    }

    void Traverser::setOutputVolume (float level, bool mute)
    {
        impl->writeSide (impl->output, level, mute);
    }
}
