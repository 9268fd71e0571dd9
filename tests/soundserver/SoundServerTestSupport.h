#pragma once

#include "platform/coreaudio/AudioHardware.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Tests of the audio layer on a real sound server: the private PulseAudio
// daemon that scripts/with-sound-server starts for the test program, changed
// with pactl.
namespace sound_server_test
{
    inline const std::string deviceName = "Quenmar K-DAR7 Sound Device";

    // The command's standard output; the test fails when the command does.
    std::string run (const std::string& command);

    // Loads a module and gives its index, for unloading.
    std::string loadModule (const std::string& arguments);
    void unloadModule (const std::string& index);

    // A null sink or source with the given name and description.
    std::string loadSink (const std::string& name, const std::string& description, int channels = 2);
    std::string loadSource (const std::string& name, const std::string& description, int channels = 2);

    // The raw per-channel volumes and the mute that pactl reads.
    std::vector<unsigned> volumesOf (const std::string& kind, const std::string& name);
    bool isMuted (const std::string& kind, const std::string& name);

    // The audio layer's current device ids.
    std::vector<AudioDeviceID> deviceIds();

    // The id of the device whose scope has the given name; 0 when none.
    AudioDeviceID findDevice (const std::string& name, Boolean isInput);

    // Element 0 and beyond, through the audio layer; -1 when absent.
    float readLevel (AudioDeviceID id, Boolean isInput, UInt32 element);
    OSStatus writeLevel (AudioDeviceID id, Boolean isInput, UInt32 element, float level);

    // Unloads every module that a test loaded, and checks that every name
    // reference was given back.
    class SoundServerTest : public ::testing::Test
    {
    public:
        void TearDown() override;
        void unloadAll();
        void unload (const std::string& module);

        // Runs a command of the server's own command language, for what
        // pactl cannot do (such as changing a source's properties).
        void runServerCommand (const std::string& command);

        std::string sink (const std::string& name, const std::string& description, int channels = 2);
        std::string source (const std::string& name, const std::string& description, int channels = 2);
        // The K-DAR7: kdar7_out and kdar7_in.
        void loadSoundDevice();

    private:
        std::vector<std::string> modules;
    };
}
