#include "SoundServer.h"

#include "Command.h"

#include <csignal>
#include <gtest/gtest.h>

namespace end_to_end
{
    namespace
    {
        const juce::String deviceName ("Quenmar K-DAR7 Sound Device");
        const juce::String sink ("kdar7_out"), source ("kdar7_in");

        juce::String percent (int value) { return juce::String (value) + "%"; }

        juce::String soundServerScript (const char* action)
        {
            return runCommand ({ juce::String (SCRIPTS_FOLDER) + "/sound-server", action }).trim();
        }
    }

    void SoundServer::loadDevice (int inputPercent, int outputPercent)
    {
        sinkModule = pactl ({ "load-module", "module-null-sink", "sink_name=" + sink,
                              "sink_properties='device.description=\"" + deviceName + "\"'" }).trim();
        sourceModule = pactl ({ "load-module", "module-null-source", "source_name=" + source,
                                "description=\"" + deviceName + "\"" }).trim();
        setLevels (inputPercent, outputPercent);
    }

    void SoundServer::unloadDevice()
    {
        unloadInput();
        unload (sinkModule);
    }

    void SoundServer::unloadInput()
    {
        unload (sourceModule);
    }

    void SoundServer::unload (juce::String& module)
    {
        if (module.isNotEmpty())
            pactl ({ "unload-module", module });

        module.clear();
    }

    void SoundServer::setLevels (int inputPercent, int outputPercent)
    {
        pactl ({ "set-source-volume", source, percent (inputPercent) });
        pactl ({ "set-sink-volume", sink, percent (outputPercent) });
    }

    void SoundServer::setRawOutput (int volume)
    {
        pactl ({ "set-sink-volume", sink, juce::String (volume) });
    }

    // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: ..."
    double SoundServer::outputPercent()
    {
        const auto volume = pactl ({ "get-sink-volume", sink }).fromFirstOccurrenceOf ("front-left:", false, false);
        return volume.getLargeIntValue() * 100.0 / 0x10000;
    }

    bool SoundServer::outputMuted()
    {
        return pactl ({ "get-sink-mute", sink }).trim() == "Mute: yes";
    }

    void SoundServer::kill()
    {
        const auto pid = soundServerScript ("pid").getIntValue();
        ASSERT_GT (pid, 0);
        ::kill (pid, SIGKILL);
        // The device went with it.
        sinkModule.clear();
        sourceModule.clear();
    }

    void SoundServer::start()
    {
        // Waits until a killed daemon is gone for good, which start takes
        // for running until then.
        soundServerScript ("stop");
        soundServerScript ("start");
    }

    juce::String SoundServer::pactl (const juce::StringArray& arguments)
    {
        juce::StringArray command { "pactl" };
        command.addArray (arguments);
        return runCommand (command);
    }
}
