#include "SoundServerTestSupport.h"

#include "support/MessagePump.h"

#include <array>
#include <cstdio>
#include <regex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
        // sink only in its property list.
        std::string moduleArguments (const std::string& kind, const std::string& name, const std::string& description, int channels)
        {
            const auto describe = "description=\"" + description + "\"";
            const auto descriptionArgument = kind == "sink" ? quoted ("sink_properties=" + quoted ("device." + describe))
                                                            : quoted (describe);
            return "module-null-" + kind + " " + kind + "_name=" + name + " channels=" + std::to_string (channels)
                   + " " + descriptionArgument;
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
        return loadModule (moduleArguments ("sink", name, description, channels));
    }

    std::string loadSource (const std::string& name, const std::string& description, int channels)
    {
        return loadModule (moduleArguments ("source", name, description, channels));
    }

    void SoundServerTest::runServerCommand (const std::string& command)
    {
        const auto* folder = std::getenv ("KDAR7_SOUND_SERVER_DIR");
        ASSERT_NE (folder, nullptr);
        const auto socketPath = std::string (folder) + "/cli";
        modules.push_back (loadModule ("module-cli-protocol-unix socket=" + socketPath));

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
            unloadModule (*module);

        if (! std::exchange (modules, {}).empty())
            catchUp();
    }

    void SoundServerTest::unload (const std::string& module)
    {
        unloadModule (module);
        modules.erase (std::remove (modules.begin(), modules.end(), module), modules.end());
    }

    std::string SoundServerTest::sink (const std::string& name, const std::string& description, int channels)
    {
        modules.push_back (loadSink (name, description, channels));
        return modules.back();
    }

    std::string SoundServerTest::source (const std::string& name, const std::string& description, int channels)
    {
        modules.push_back (loadSource (name, description, channels));
        return modules.back();
    }

    void SoundServerTest::loadSoundDevice()
    {
        sink ("kdar7_out", deviceName);
        source ("kdar7_in", deviceName);
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
