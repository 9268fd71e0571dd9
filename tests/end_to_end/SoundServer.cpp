#include "SoundServer.h"

#include "Command.h"

#include <csignal>
#include <gtest/gtest.h>

namespace end_to_end
{
    namespace
    {
        const juce::String sink ("kdar7_out"), source ("kdar7_in");

        juce::String percent (int value) { return juce::String (value) + "%"; }

        juce::String script (const char* name, const char* action)
        {
            return runCommand ({ juce::String (SCRIPTS_FOLDER) + "/" + name, action }).trim();
        }
    }

    void SoundServer::loadDevice (int inputPercent, int outputPercent)
    {
        script ("stand-in-device", "load");
        setLevels (inputPercent, outputPercent);
        // A server may give a device loaded again its last mutes.
        pactl ({ "set-source-mute", source, "0" });
        pactl ({ "set-sink-mute", sink, "0" });
    }

    void SoundServer::unloadDevice()
    {
        script ("stand-in-device", "unload");
    }

    // "Name: kdar7_in" ... "Owner Module: 2"
    void SoundServer::unloadInput()
    {
        const auto module = pactl ({ "list", "sources" })
                                .fromFirstOccurrenceOf ("Name: " + source + "\n", false, false)
                                .fromFirstOccurrenceOf ("Owner Module: ", false, false)
                                .upToFirstOccurrenceOf ("\n", false, false);
        ASSERT_TRUE (module.containsOnly ("0123456789") && module.isNotEmpty()) << module;
        pactl ({ "unload-module", module });
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
        const auto pid = script ("sound-server", "pid").getIntValue();
        ASSERT_GT (pid, 0);
        ::kill (pid, SIGKILL);
    }

    void SoundServer::start()
    {
        // Waits until a killed server is gone for good, which start takes
        // for running until then.
        script ("sound-server", "stop");
        script ("sound-server", "start");
    }

    juce::String SoundServer::pactl (const juce::StringArray& arguments)
    {
        juce::StringArray command { "pactl" };
        command.addArray (arguments);
        return runCommand (command);
    }
}
