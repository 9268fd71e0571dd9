#pragma once

#include "platform/coreaudio/AudioHardware.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Tests of the audio layer on a real sound server: the private PulseAudio
// daemon or headless PipeWire that scripts/with-sound-server starts for the
// test program, changed with pactl. The layer hears the server in the
// message loop: a test runs the loop for what it waits to see.
namespace sound_server_test
{
    inline const std::string deviceName = "Quenmar K-DAR7 Sound Device";

    // Runs the message loop until the condition holds, five seconds at most;
    // what the condition says at the end.
    bool eventually (const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

    // The command's standard output; the test fails when the command does.
    std::string run (const std::string& command);

    // PipeWire's PulseAudio service, unlike PulseAudio's daemon, gives every
    // new object a new index, has no null source and no command language.
    bool serverIsPipeWire();

    // The K-DAR7 stand-in that scripts/stand-in-device makes: kdar7_out and
    // kdar7_in.
    void loadStandInDevice();
    void unloadStandInDevice();

    // Loads a module and gives its index, for unloading.
    std::string loadModule (const std::string& arguments);
    void unloadModule (const std::string& index);

    // A null sink or (a non-monitor) source with the given name and
    // description, once the server lists it.
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
        // Both return once the server no longer lists what was unloaded, and
        // unloadAll once the audio layer has heard.
        void unloadAll();
        void unload (const std::string& index);

        // Runs a command of PulseAudio's own command language, for what
        // pactl cannot do (such as changing a source's properties).
        void runServerCommand (const std::string& command);

        std::string sink (const std::string& name, const std::string& description, int channels = 2);
        std::string source (const std::string& name, const std::string& description, int channels = 2);
        // Sinks of one channel, named and described with 0, 1 and so on
        // appended ("extra0", "Extra 0"), loaded before any is waited for.
        void sinks (const std::string& name, const std::string& description, int count);
        // The stand-in K-DAR7, unloaded with the rest, seen by the audio layer.
        void loadSoundDevice();
        // Until the audio layer has heard what the server announced so far:
        // a sink of its own, loaded and seen.
        void catchUp();

    private:
        struct Module
        {
            std::string index;
            // What it made: a sink or a source, or nothing of either.
            std::string kind, name;
        };

        std::vector<Module> modules;
        bool soundDeviceLoaded = false;
    };
}
