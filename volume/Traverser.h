#pragma once

#include <juce_events/juce_events.h>

#include <memory>

namespace volume
{
    // The sound device that the panel serves, found by its exact name among
    // the system's audio devices: which of its sides can be controlled, and
    // their levels and mutes. Every query searches the devices afresh; the
    // setters act on what the latest search found.
    class Traverser : public juce::ChangeBroadcaster
    {
    public:
        Traverser (const juce::String& deviceName, int numInputChannels, int numOutputChannels);
        ~Traverser() override;

        // Searches, then tells which sides are connected; true when either is.
        bool isDeviceConnected (bool& inputConnected, bool& outputConnected);

        // Posts a change message to the registered listeners.
        void update();

        // Search, then return the side's level and set muted to its mute
        // state; muted is left alone when neither side is connected or the
        // mute cannot be read, so callers preset it.
        float getInputVolume (bool& muted);
        float getOutputVolume (bool& muted);

        void setInputVolume (float level, bool mute);
        void setOutputVolume (float level, bool mute);

    private:
        struct Impl;
        std::unique_ptr<Impl> impl;

        JUCE_DECLARE_NON_COPYABLE (Traverser)
    };
}
