#include "SoundServerTestSupport.h"

#include "platform/soundserver/SoundServerAudioLayer.h"
#include "support/LatenessWatch.h"
#include "support/MessagePump.h"
#include "volume/Traverser.h"

#include <juce_events/juce_events.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <future>
#include <iostream>
#include <thread>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace sound_server_test;

namespace
{
    using Clock = std::chrono::steady_clock;
    using namespace std::chrono_literals;

    const std::string soundServer = SOUND_SERVER_SCRIPT;

    // The longest the message thread may go without handling an event.
    constexpr auto blockBound = 100ms;

    pid_t serverPid()
    {
        return (pid_t) std::stol (run (soundServer + " pid"));
    }

    long long milliseconds (Clock::duration duration)
    {
        return std::chrono::duration_cast<std::chrono::milliseconds> (duration).count();
    }

    struct Poll
    {
        bool inputConnected = false;
        bool outputConnected = false;
        Clock::duration took {};
    };

    // One poll of the panel: the search, then both getters.
    Poll poll (volume::Traverser& traverser)
    {
        Poll result;
        const auto start = Clock::now();
        traverser.isDeviceConnected (result.inputConnected, result.outputConnected);
        bool muted = false;
        traverser.getInputVolume (muted);
        traverser.getOutputVolume (muted);
        result.took = Clock::now() - start;
        return result;
    }

    // Polls as the panel does, more often, until both sides are there, or
    // until neither is.
    bool reconnects (volume::Traverser& traverser)
    {
        return eventually ([&] { const auto result = poll (traverser); return result.inputConnected && result.outputConnected; }, 10000);
    }

    bool unplugs (volume::Traverser& traverser)
    {
        return eventually ([&] { const auto result = poll (traverser); return ! result.inputConnected && ! result.outputConnected; });
    }

    // A socket that takes connections and never says a word, as a server
    // that hangs after accepting would.
    class SilentServer
    {
    public:
        explicit SilentServer (const std::string& socketPath)
        {
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            std::copy (socketPath.begin(), socketPath.end(), address.sun_path);
            ::unlink (socketPath.c_str());
            listener = ::socket (AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            EXPECT_EQ (::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
            EXPECT_EQ (::listen (listener, 16), 0);
        }

        ~SilentServer()
        {
            for (const auto connection : accepted)
                ::close (connection);

            ::close (listener);
        }

        // The connections made so far, taken and held open.
        size_t connections()
        {
            for (int connection; (connection = ::accept (listener, nullptr, nullptr)) >= 0;)
                accepted.push_back (connection);

            return accepted.size();
        }

    private:
        int listener = -1;
        std::vector<int> accepted;
    };

    // Each test gets a fresh server with the K-DAR7 and leaves one running.
    class ServerFaultTest : public ::testing::Test
    {
    protected:
        // The connection to the last test's server is seen to go first.
        void SetUp() override
        {
            run (soundServer + " stop");
            ASSERT_TRUE (unplugs (traverser));
            reloadSoundDevice();
            ASSERT_TRUE (reconnects (traverser));
        }

        void TearDown() override
        {
            run (soundServer + " stop && " + soundServer + " start");
        }

        void reloadSoundDevice()
        {
            run (soundServer + " start");
            loadStandInDevice();
        }

        volume::Traverser traverser { deviceName, 2, 2 };
    };
}

TEST_F (ServerFaultTest, WithNoServerEveryCallFailsAtOnceAndTheDeviceReturnsWithANewServer)
{
    run (soundServer + " stop");
    EXPECT_TRUE (unplugs (traverser));

    // Each poll a second apart tries a new connection.
    for (int i = 0; i < 3; ++i, test_support::pumpMessages (1100))
    {
        const auto result = poll (traverser);
        EXPECT_FALSE (result.inputConnected || result.outputConnected);
        EXPECT_LT (result.took, blockBound);
    }

    UInt32 size = 0;
    EXPECT_NE (AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr), kAudioHardwareNoError);
    traverser.setOutputVolume (0.5f, true);

    reloadSoundDevice();
    EXPECT_TRUE (reconnects (traverser));
}

TEST_F (ServerFaultTest, AServerKilledBetweenTwoCallsUnplugsTheDeviceUntilANewOneRuns)
{
    bool muted = false;
    traverser.getOutputVolume (muted);
    ::kill (serverPid(), SIGKILL);
    EXPECT_TRUE (unplugs (traverser));

    reloadSoundDevice();
    EXPECT_TRUE (reconnects (traverser));
    traverser.setOutputVolume (0.5f, true);
    EXPECT_TRUE (eventually ([] { return isMuted ("sink", "kdar7_out"); }));
}

// The panel goes on polling and the user dragging; the connection keeps what
// it heard, and what was dragged reaches the server once it goes on. The stop
// outlasts libpulse's 30 s wait for answers: a change announced as the server
// stopped is fetched again and seen once it goes on.
TEST_F (ServerFaultTest, AServerStoppedPastTheWaitForAnswersHoldsUpNothingAndThePictureCatchesUpWhenItGoesOn)
{
    loadSink ("bystander", "Bystander");
    run ("pactl set-sink-volume bystander 80%");
    AudioDeviceID bystander = 0;
    ASSERT_TRUE (eventually ([&] { bystander = findDevice ("Bystander", false); return readLevel (bystander, false, 0) > 0.79f; }));

    // Announced before the stop, and heard only after it.
    run ("pactl set-sink-volume bystander 30%");
    std::this_thread::sleep_for (100ms);
    const auto pid = serverPid();
    ::kill (pid, SIGSTOP);
    const test_support::LatenessWatch watch;
    Clock::duration longestCall {};
    float level = 0.0f;

    for (const auto end = Clock::now() + 32s; Clock::now() < end; test_support::pumpMessages (100))
    {
        longestCall = std::max (longestCall, poll (traverser).took);

        level = level < 0.8f ? level + 0.07f : 0.2f;
        const auto start = Clock::now();
        traverser.setOutputVolume (level, false);
        traverser.setInputVolume (level, false);
        longestCall = std::max (longestCall, Clock::now() - start);
    }

    ::kill (pid, SIGCONT);
    std::cout << "with the server stopped: longest call " << milliseconds (longestCall) << " ms, longest wait for the message thread "
              << milliseconds (watch.longest()) << " ms" << std::endl;
    EXPECT_LT (longestCall, blockBound);
    EXPECT_LT (watch.longest(), blockBound);

    EXPECT_TRUE (reconnects (traverser));
    const auto raw = (unsigned) std::lround (level * 65536.0f);
    EXPECT_TRUE (eventually ([raw] { return volumesOf ("sink", "kdar7_out") == std::vector<unsigned> { raw, raw }; }));
    EXPECT_TRUE (eventually ([&] { return std::abs (readLevel (bystander, false, 0) - 0.3f) < 0.001f; }))
        << readLevel (bystander, false, 0);
}

// Only the very first read waits, a quarter second at most; an attempt that
// gets no answer is given up and another made.
TEST_F (ServerFaultTest, AServerThatAcceptsAndNeverAnswersHoldsUpOnlyTheFirstReadAndIsTriedAgain)
{
    const auto socketPath = std::string (std::getenv ("KDAR7_SOUND_SERVER_DIR")) + "/silent";
    SilentServer silent (socketPath);
    const std::string realServer = std::getenv ("PULSE_SERVER");
    ::setenv ("PULSE_SERVER", ("unix:" + socketPath).c_str(), 1);

    platform::SoundServerAudioLayer layer;
    UInt32 size = 0;
    const auto start = Clock::now();
    EXPECT_NE (layer.hardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr), kAudioHardwareNoError);
    EXPECT_LT (Clock::now() - start, 250ms + blockBound);

    Clock::duration longestCall {};

    for (const auto end = Clock::now() + 8s; Clock::now() < end; test_support::pumpMessages (200))
    {
        const auto callStart = Clock::now();
        EXPECT_NE (layer.hardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr), kAudioHardwareNoError);
        longestCall = std::max (longestCall, Clock::now() - callStart);
    }

    EXPECT_LT (longestCall, blockBound);
    EXPECT_GE (silent.connections(), 2u);
    ::setenv ("PULSE_SERVER", realServer.c_str(), 1);
}

// Another program sweeps another sink's volume a thousand times a second
// and loads and unloads modules as fast as it can.
TEST_F (ServerFaultTest, AnotherProgramsStormNeitherUnplugsTheDeviceNorHoldsUpTheMessageThread)
{
    loadSink ("swept", "Swept");
    auto churn = std::async (std::launch::async, [] { return run (std::string (SOUND_SERVER_CHURN_PROGRAM) + " storm swept 5"); });
    const test_support::LatenessWatch watch;
    int polls = 0, unplugged = 0;

    while (churn.wait_for (0s) != std::future_status::ready)
    {
        const auto result = poll (traverser);
        ++polls;
        unplugged += result.inputConnected && result.outputConnected ? 0 : 1;
        test_support::pumpMessages (100);
    }

    const auto churned = churn.get();
    std::cout << churned << "longest wait for the message thread: " << milliseconds (watch.longest()) << " ms" << std::endl;
    EXPECT_EQ (churned.rfind ("volume changes: ", 0), 0u);
    EXPECT_GT (std::stoul (churned.substr (churned.find (": ") + 2)), 2500u);
    EXPECT_GT (polls, 40);
    EXPECT_EQ (unplugged, 0);
    EXPECT_LT (watch.longest(), blockBound);

    // Nothing is left of the storm's sinks but what the server still has.
    const auto serverDevices = [] {
        return (size_t) std::stoul (run ("pactl list short sinks | wc -l")) + std::stoul (run ("pactl list short sources | grep -vc '\\.monitor'"));
    };
    EXPECT_TRUE (eventually ([&] { return deviceIds().size() == serverDevices(); })) << deviceIds().size() << " against " << serverDevices();
}

TEST_F (ServerFaultTest, AfterARestartAWriteBeforeTheNextSearchReachesNoOtherDeviceUnderTheOldId)
{
    const auto indexOf = [] (const std::string& sink) {
        return run ("pactl list short sinks | awk '$2 == \"" + sink + "\" { print $1 }'");
    };
    const auto oldIndex = indexOf ("kdar7_out");
    ::kill (serverPid(), SIGKILL);
    run (soundServer + " start");
    loadSink ("other", "Other Device");

    // PipeWire never gives an index again; the old id must reach nothing there too.
    if (! serverIsPipeWire())
    {
        ASSERT_EQ (indexOf ("other"), oldIndex);
    }

    run ("pactl set-sink-volume other 40% && pactl set-sink-mute other 0");
    const auto otherVolumes = volumesOf ("sink", "other");

    // The first write goes to the old server, which is gone; one after the
    // retry delay finds no connection.
    traverser.setOutputVolume (0.25f, true);
    test_support::pumpMessages (1500);
    traverser.setOutputVolume (0.25f, true);
    test_support::pumpMessages (500);

    EXPECT_FALSE (isMuted ("sink", "other"));
    EXPECT_EQ (volumesOf ("sink", "other"), otherVolumes);
}
