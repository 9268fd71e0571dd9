#include "SoundServerTestSupport.h"

#include "support/MessagePump.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace sound_server_test
{
    namespace
    {
        // Single quotes for the shell.
        std::string quoted (const std::string& text)
        {
            std::string result = "'";

            for (const auto character : text)
                result += character == '\'' ? std::string ("'\\''") : std::string (1, character);

            return result + "'";
        }

        // A null source takes its description as a module argument, a null
        // sink only in its property list. Where there is no null source, a
        // null sink of the source class is a source of its own.
        std::string moduleArguments (const std::string& kind, const std::string& name, const std::string& description, int channels)
        {
            const auto describe = "description=\"" + description + "\"";
            const auto channelsArgument = " channels=" + std::to_string (channels) + " ";
            const auto sinkArguments = "sink_name=" + name + channelsArgument + quoted ("sink_properties=" + quoted ("device." + describe));

            if (kind == "sink")
                return "module-null-sink " + sinkArguments;

            if (serverIsPipeWire())
                return "module-null-sink media.class=Audio/Source/Virtual " + sinkArguments;

            return "module-null-source source_name=" + name + channelsArgument + quoted (describe);
        }

        std::string standInDevice (const std::string& action)
        {
            return std::string (SCRIPTS_FOLDER) + "/stand-in-device " + action + " >/dev/null";
        }

        // The names of the server's sinks or sources.
        std::vector<std::string> listed (const std::string& kind)
        {
            std::istringstream lines (run ("pactl list short " + kind + "s"));
            std::vector<std::string> names;

            for (std::string line; std::getline (lines, line);)
                if (const auto tab = line.find ('\t'); tab != std::string::npos)
                    names.push_back (line.substr (tab + 1, line.find ('\t', tab + 1) - tab - 1));

            return names;
        }

        // PipeWire answers a module's load or unload before its lists show
        // the change; PulseAudio after.
        void waitUntilListed (const std::string& kind, const std::vector<std::string>& names, bool shown)
        {
            const auto allAsWanted = [&] {
                const auto all = listed (kind);
                return std::all_of (names.begin(), names.end(), [&] (const std::string& name) {
                    return (std::find (all.begin(), all.end(), name) != all.end()) == shown;
                });
            };

            for (int attempt = 0; attempt < 250; ++attempt, std::this_thread::sleep_for (std::chrono::milliseconds (20)))
                if (allAsWanted())
                    return;

            ADD_FAILURE() << "the server " << (shown ? "does not list " : "still lists ") << "a " << kind << " of " << names.size();
        }

        std::string loadListed (const std::string& kind, const std::string& name, const std::string& arguments)
        {
            const auto index = loadModule (arguments);
            waitUntilListed (kind, { name }, true);
            return index;
        }
    }

    bool eventually (const std::function<bool()>& condition, int timeoutMilliseconds)
    {
        // Between two checks, which may run pactl, the loop runs a while.
        constexpr int pumpMilliseconds = 10;

        for (auto waited = 0; waited < timeoutMilliseconds; waited += pumpMilliseconds)
        {
            if (condition())
                return true;

            test_support::pumpMessages (pumpMilliseconds);
        }

        return condition();
    }

    std::string run (const std::string& command)
    {
        std::string output;
        auto* pipe = ::popen (command.c_str(), "r");

        if (pipe == nullptr)
        {
            ADD_FAILURE() << "cannot run " << command;
            return {};
        }

        std::array<char, 4096> buffer {};

        for (size_t read; (read = std::fread (buffer.data(), 1, buffer.size(), pipe)) > 0;)
            output.append (buffer.data(), read);

        EXPECT_EQ (::pclose (pipe), 0) << command;
        return output;
    }

    bool serverIsPipeWire()
    {
        static const bool isPipeWire = run ("pactl info").find ("on PipeWire") != std::string::npos;
        return isPipeWire;
    }

    void loadStandInDevice()
    {
        run (standInDevice ("load"));
    }

    void unloadStandInDevice()
    {
        run (standInDevice ("unload"));
    }

    std::string loadModule (const std::string& arguments)
    {
        auto index = run ("pactl load-module " + arguments);

        while (! index.empty() && std::isspace ((unsigned char) index.back()))
            index.pop_back();

        return index;
    }

    void unloadModule (const std::string& index)
    {
        run ("pactl unload-module " + index);
    }

    std::string loadSink (const std::string& name, const std::string& description, int channels)
    {
        return loadListed ("sink", name, moduleArguments ("sink", name, description, channels));
    }

    std::string loadSource (const std::string& name, const std::string& description, int channels)
    {
        return loadListed ("source", name, moduleArguments ("source", name, description, channels));
    }

    void SoundServerTest::runServerCommand (const std::string& command)
    {
        const auto* folder = std::getenv ("KDAR7_SOUND_SERVER_DIR");
        ASSERT_NE (folder, nullptr);
        const auto socketPath = std::string (folder) + "/cli";
        modules.push_back ({ loadModule ("module-cli-protocol-unix socket=" + socketPath), {}, {} });

        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        ASSERT_LT (socketPath.size(), sizeof (address.sun_path));
        std::copy (socketPath.begin(), socketPath.end(), address.sun_path);

        const int server = ::socket (AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ (::connect (server, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
        const auto line = command + "\n";
        EXPECT_EQ (::write (server, line.data(), line.size()), (ssize_t) line.size());

        // The server ends the connection once it has read our end of it.
        ::shutdown (server, SHUT_WR);
        for (char buffer[256]; ::read (server, buffer, sizeof (buffer)) > 0;)
            ;

        ::close (server);
    }

    std::vector<unsigned> volumesOf (const std::string& kind, const std::string& name)
    {
        // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: ..."
        const auto text = run ("pactl get-" + kind + "-volume " + name);
        const std::regex channel (R"(: (\d+) /)");
        std::vector<unsigned> volumes;

        for (auto match = std::sregex_iterator (text.begin(), text.end(), channel); match != std::sregex_iterator(); ++match)
            volumes.push_back ((unsigned) std::stoul ((*match)[1]));

        return volumes;
    }

    bool isMuted (const std::string& kind, const std::string& name)
    {
        return run ("pactl get-" + kind + "-mute " + name).find ("yes") != std::string::npos;
    }

    std::vector<AudioDeviceID> deviceIds()
    {
        UInt32 size = 0;

        if (AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr) != kAudioHardwareNoError)
            return {};

        std::vector<AudioDeviceID> ids (size / sizeof (AudioDeviceID));

        if (AudioHardwareGetProperty (kAudioHardwarePropertyDevices, &size, ids.data()) != kAudioHardwareNoError)
            return {};

        ids.resize (size / sizeof (AudioDeviceID));
        return ids;
    }

    AudioDeviceID findDevice (const std::string& name, Boolean isInput)
    {
        for (const auto id : deviceIds())
        {
            CFStringRef reference = nullptr;
            UInt32 size = sizeof (reference);

            if (AudioDeviceGetProperty (id, 0, isInput, kAudioDevicePropertyDeviceNameCFString, &size, &reference) != kAudioHardwareNoError)
                continue;

            const auto text = cfStringToJuceString (reference);
            CFRelease (reference);

            if (text.toStdString() == name)
                return id;
        }

        return 0;
    }

    float readLevel (AudioDeviceID id, Boolean isInput, UInt32 element)
    {
        UInt32 size = 0;

        if (AudioDeviceGetPropertyInfo (id, element, isInput, kAudioDevicePropertyVolumeScalar, &size, nullptr) != kAudioHardwareNoError)
            return -1.0f;

        Float32 level = -1.0f;
        size = sizeof (level);
        AudioDeviceGetProperty (id, element, isInput, kAudioDevicePropertyVolumeScalar, &size, &level);
        return level;
    }

    OSStatus writeLevel (AudioDeviceID id, Boolean isInput, UInt32 element, float level)
    {
        return AudioDeviceSetProperty (id, nullptr, element, isInput, kAudioDevicePropertyVolumeScalar, sizeof (level), &level);
    }

    //==============================================================================
    void SoundServerTest::TearDown()
    {
        unloadAll();
        EXPECT_EQ (CFString::liveReferenceCount(), 0);
    }

    void SoundServerTest::unloadAll()
    {
        for (auto module = modules.rbegin(); module != modules.rend(); ++module)
            unloadModule (module->index);

        for (const std::string kind : { "sink", "source" })
        {
            std::vector<std::string> names;

            for (const auto& module : modules)
                if (module.kind == kind)
                    names.push_back (module.name);

            waitUntilListed (kind, names, false);
        }

        const bool hadAny = ! modules.empty() || soundDeviceLoaded;
        modules.clear();

        if (std::exchange (soundDeviceLoaded, false))
            unloadStandInDevice();

        if (hadAny)
            catchUp();
    }

    void SoundServerTest::unload (const std::string& index)
    {
        const auto module = std::find_if (modules.begin(), modules.end(), [&] (const Module& m) { return m.index == index; });
        ASSERT_NE (module, modules.end());
        unloadModule (index);

        if (! module->kind.empty())
            waitUntilListed (module->kind, { module->name }, false);

        modules.erase (module);
    }

    std::string SoundServerTest::sink (const std::string& name, const std::string& description, int channels)
    {
        modules.push_back ({ loadSink (name, description, channels), "sink", name });
        return modules.back().index;
    }

    std::string SoundServerTest::source (const std::string& name, const std::string& description, int channels)
    {
        modules.push_back ({ loadSource (name, description, channels), "source", name });
        return modules.back().index;
    }

    void SoundServerTest::sinks (const std::string& name, const std::string& description, int count)
    {
        std::vector<std::string> names;

        for (int i = 0; i < count; ++i)
        {
            names.push_back (name + std::to_string (i));
            const auto arguments = moduleArguments ("sink", names.back(), description + " " + std::to_string (i), 1);
            modules.push_back ({ loadModule (arguments), "sink", names.back() });
        }

        waitUntilListed ("sink", names, true);
    }

    void SoundServerTest::loadSoundDevice()
    {
        loadStandInDevice();
        soundDeviceLoaded = true;
        EXPECT_TRUE (eventually ([] { return findDevice (deviceName, false) != 0 && findDevice (deviceName, true) != 0; }));
    }

    void SoundServerTest::catchUp()
    {
        const auto module = loadSink ("caught_up", "Caught Up", 1);
        EXPECT_TRUE (eventually ([] { return findDevice ("Caught Up", false) != 0; }));
        unloadModule (module);
        EXPECT_TRUE (eventually ([] { return findDevice ("Caught Up", false) == 0; }));
    }
}
