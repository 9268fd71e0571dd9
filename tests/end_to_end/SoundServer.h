#pragma once

#include <juce_core/juce_core.h>

namespace end_to_end
{
    // The test's own sound server, which scripts/with-sound-server starts
    // around the test program, and the K-DAR7 stand-in on it, changed and
    // read with pactl as another program of the desktop would.
    class SoundServer
    {
    public:
        // The stand-in of scripts/stand-in-device at these levels in
        // percent of the normal volume, neither side muted. Unloading leaves
        // the server as it was before.
        void loadDevice (int inputPercent, int outputPercent);
        void unloadDevice();
        void unloadInput();

        void setLevels (int inputPercent, int outputPercent);
        // The sink's level in the server's own steps (65536 is 100%).
        void setRawOutput (int volume);
        // The sink's level in percent, to a hundredth; its mute.
        double outputPercent();
        bool outputMuted();

        // Kills the server outright (the device goes with it); starts a new
        // one in its place, on the same socket.
        void kill();
        void start();

    private:
        juce::String pactl (const juce::StringArray& arguments);
    };
}
