#include "SoundServerTestSupport.h"

#include "volume/Traverser.h"

#include "support/MessagePump.h"

#include <csignal>
#include <cmath>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace sound_server_test;

namespace
{
    constexpr float volumeStep = 1.0f / 65536.0f;

    struct Side
    {
        const char* kind;
        const char* name;
        bool isInput;
    };

    const Side sides[] { { "sink", "kdar7_out", false }, { "source", "kdar7_in", true } };

    float getLevel (volume::Traverser& traverser, const Side& side, bool& muted)
    {
        return side.isInput ? traverser.getInputVolume (muted) : traverser.getOutputVolume (muted);
    }

    void setLevel (volume::Traverser& traverser, const Side& side, float level, bool mute)
    {
        side.isInput ? traverser.setInputVolume (level, mute) : traverser.setOutputVolume (level, mute);
    }

    class DeviceObjectTest : public SoundServerTest
    {
    protected:
        std::pair<bool, bool> connectedSides()
        {
            bool input = false, output = false;
            volume::Traverser (deviceName, 2, 2).isDeviceConnected (input, output);
            return { input, output };
        }
    };

    // Processes that keep every core busy while they live.
    class BusyLoops
    {
    public:
        explicit BusyLoops (unsigned count)
        {
            for (unsigned i = 0; i < count; ++i)
                if (const auto pid = ::fork(); pid == 0)
                    for (;;) {}
                else
                    pids.push_back (pid);
        }

        ~BusyLoops()
        {
            for (const auto pid : pids)
            {
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
            }
        }

    private:
        std::vector<pid_t> pids;
    };
}

TEST_F (DeviceObjectTest, FindsTheDeviceByItsExactNameEachSideOnItsOwnScopeAndNeverOnAMonitor)
{
    struct Row
    {
        const char* servers;
        std::function<void (DeviceObjectTest&)> load;
        bool inputConnected, outputConnected;
        // PipeWire names every monitor "Monitor of" its sink and renames
        // nothing that its pulse service made.
        bool pulseAudioOnly = false;
    };

    const Row rows[] {
        { "the K-DAR7's null sink and null source", [] (auto& test) { test.loadSoundDevice(); }, true, true },
        { "names in other letter case", [] (auto& test) {
              test.sink ("lower_out", "quenmar k-dar7 sound device");
              test.source ("lower_in", "quenmar k-dar7 sound device"); }, false, false },
        { "names that only start with the name", [] (auto& test) {
              test.sink ("longer_out", deviceName + " 2");
              test.source ("longer_in", deviceName + " 2"); }, false, false },
        { "the sink, and a monitor source carrying the name", [] (auto& test) {
              test.sink ("kdar7_out", deviceName);
              test.sink ("decoy", "Decoy");
              test.runServerCommand ("update-source-proplist decoy.monitor device.description=\"" + deviceName + "\""); }, false, true, true },
        { "a sink renamed to the name and a source renamed away, after a search", [] (auto& test) {
              test.sink ("renamed_out", "Other");
              test.source ("renamed_in", deviceName);
              EXPECT_TRUE (eventually ([] { return findDevice (deviceName, true) != 0; }));
              test.runServerCommand ("update-sink-proplist renamed_out device.description=\"" + deviceName + "\"\n"
                                     "update-source-proplist renamed_in device.description=Other"); }, false, true, true },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.servers);

        if (row.pulseAudioOnly && serverIsPipeWire())
            continue;

        row.load (*this);
        catchUp();
        EXPECT_EQ (connectedSides(), std::make_pair (row.inputConnected, row.outputConnected));

        if (row.inputConnected && row.outputConnected)
        {
            EXPECT_NE (findDevice (deviceName, true), findDevice (deviceName, false));
        }

        unloadAll();
    }
}

TEST_F (DeviceObjectTest, LevelsAndMutesWrittenAreWhatPactlReadsAndWhatPactlSetsIsRead)
{
    loadSoundDevice();
    volume::Traverser traverser (deviceName, 2, 2);
    bool inputConnected = false, outputConnected = false;
    ASSERT_TRUE (traverser.isDeviceConnected (inputConnected, outputConnected));

    for (const auto& side : sides)
    {
        SCOPED_TRACE (side.kind);
        const auto serverHas = [&side] (unsigned volume, bool muted) {
            return eventually ([&] { return volumesOf (side.kind, side.name) == std::vector<unsigned> { volume, volume }
                                            && isMuted (side.kind, side.name) == muted; });
        };

        setLevel (traverser, side, 0.5f, false);
        EXPECT_TRUE (serverHas (32768, false));

        setLevel (traverser, side, 0.25f, true);
        EXPECT_TRUE (serverHas (16384, true));

        run (std::string ("pactl set-") + side.kind + "-volume " + side.name + " 20%");
        run (std::string ("pactl set-") + side.kind + "-mute " + side.name + " 0");
        bool muted = true;
        EXPECT_TRUE (eventually ([&] { muted = true; return std::abs (getLevel (traverser, side, muted) - 0.2f) <= volumeStep; }));
        EXPECT_FALSE (muted);

        // Above the normal volume is read as it is.
        run (std::string ("pactl set-") + side.kind + "-volume " + side.name + " 150%");
        EXPECT_TRUE (eventually ([&] { return std::abs (getLevel (traverser, side, muted) - 1.5f) <= volumeStep; }));

        // Read back at once, before the server has had any of them; the
        // last reaches it.
        for (int step = 1; step <= 50; ++step)
        {
            const auto level = (float) step / 50.0f;
            const bool mute = step % 2 == 0;
            setLevel (traverser, side, level, mute);
            muted = ! mute;
            EXPECT_NEAR (getLevel (traverser, side, muted), level, volumeStep) << "step " << step;
            EXPECT_EQ (muted, mute) << "step " << step;
        }

        EXPECT_TRUE (serverHas (65536, true));
    }
}

// A drag sends as fast as the server answers: each move replaces the one
// still waiting, and the thumb's last place is what the server ends with.
TEST_F (DeviceObjectTest, AFastDragsLastLevelReachesTheServerAlsoWithEveryCoreBusy)
{
    loadSoundDevice();
    volume::Traverser traverser (deviceName, 2, 2);
    bool input = false, output = false;
    ASSERT_TRUE (traverser.isDeviceConnected (input, output));

    for (const auto busyLoops : { 0u, std::max (1u, std::thread::hardware_concurrency()) })
    {
        SCOPED_TRACE (std::to_string (busyLoops) + " busy loops");
        const BusyLoops loops (busyLoops);
        const auto last = busyLoops == 0 ? 0.37f : 0.63f;

        // The panel reads between moves: the older levels the server
        // answers with meanwhile never show.
        int oldLevelsRead = 0;

        for (int move = 0; move < 1000; ++move)
        {
            const auto level = (float) (move % 100) / 100.0f;
            traverser.setOutputVolume (level, false);
            test_support::dispatchQueuedEvents();
            bool muted = false;
            oldLevelsRead += std::abs (traverser.getOutputVolume (muted) - level) <= volumeStep ? 0 : 1;
        }

        EXPECT_EQ (oldLevelsRead, 0);

        traverser.setOutputVolume (last, false);
        const auto expected = (unsigned) std::lround (last * 65536.0f);
        EXPECT_TRUE (eventually ([&] { return volumesOf ("sink", "kdar7_out") == std::vector<unsigned> { expected, expected }; }))
            << volumesOf ("sink", "kdar7_out")[0];
    }
}

TEST_F (DeviceObjectTest, UnloadingTheSinkUnconnectsTheOutputAndLoadingItAgainBringsItBackUnderANewId)
{
    const auto sinkModule = sink ("kdar7_out", deviceName);
    source ("kdar7_in", deviceName);
    volume::Traverser traverser (deviceName, 2, 2);
    bool input = false, output = false;
    const auto sidesAre = [&] (bool inputWanted, bool outputWanted) {
        return eventually ([&] { return traverser.isDeviceConnected (input, output) && input == inputWanted && output == outputWanted; });
    };
    ASSERT_TRUE (sidesAre (true, true));
    const auto oldId = findDevice (deviceName, false);
    run ("pactl set-sink-volume kdar7_out 20%");
    const auto lastLevels = volumesOf ("sink", "kdar7_out");

    unload (sinkModule);
    EXPECT_TRUE (sidesAre (true, false));

    sink ("kdar7_out", deviceName);
    EXPECT_TRUE (sidesAre (true, true));
    EXPECT_NE (findDevice (deviceName, false), oldId);

    // WirePlumber gives the sink its last levels back some milliseconds
    // after it appears, over any level written before: the write waits for
    // that, as a user's would.
    for (int wait = 0; wait < 100 && serverIsPipeWire() && volumesOf ("sink", "kdar7_out") != lastLevels; ++wait)
        std::this_thread::sleep_for (std::chrono::milliseconds (20));

    traverser.setOutputVolume (0.75f, false);
    EXPECT_TRUE (eventually ([] { return volumesOf ("sink", "kdar7_out") == std::vector<unsigned> { 49152, 49152 }; }));
}
