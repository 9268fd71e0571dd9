#include "SoundServerTestSupport.h"

#include "volume/Traverser.h"

#include <cmath>
#include <functional>
#include <thread>

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
              findDevice (deviceName, true);
              test.runServerCommand ("update-sink-proplist renamed_out device.description=\"" + deviceName + "\"\n"
                                     "update-source-proplist renamed_in device.description=Other"); }, false, true, true },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.servers);

        if (row.pulseAudioOnly && serverIsPipeWire())
            continue;

        row.load (*this);
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

        setLevel (traverser, side, 0.5f, false);
        EXPECT_EQ (volumesOf (side.kind, side.name), (std::vector<unsigned> { 32768, 32768 }));
        EXPECT_FALSE (isMuted (side.kind, side.name));

        setLevel (traverser, side, 0.25f, true);
        EXPECT_EQ (volumesOf (side.kind, side.name), (std::vector<unsigned> { 16384, 16384 }));
        EXPECT_TRUE (isMuted (side.kind, side.name));

        run (std::string ("pactl set-") + side.kind + "-volume " + side.name + " 20%");
        run (std::string ("pactl set-") + side.kind + "-mute " + side.name + " 0");
        bool muted = true;
        EXPECT_NEAR (getLevel (traverser, side, muted), 0.2f, volumeStep);
        EXPECT_FALSE (muted);

        // Above the normal volume is read as it is.
        run (std::string ("pactl set-") + side.kind + "-volume " + side.name + " 150%");
        EXPECT_NEAR (getLevel (traverser, side, muted), 1.5f, volumeStep);

        // Read back at once, within a moment of the searches before.
        for (int step = 1; step <= 50; ++step)
        {
            const auto level = (float) step / 50.0f;
            const bool mute = step % 2 == 0;
            setLevel (traverser, side, level, mute);
            muted = ! mute;
            EXPECT_NEAR (getLevel (traverser, side, muted), level, volumeStep) << "step " << step;
            EXPECT_EQ (muted, mute) << "step " << step;
        }
    }
}

TEST_F (DeviceObjectTest, UnloadingTheSinkUnconnectsTheOutputAndLoadingItAgainBringsItBackUnderANewId)
{
    const auto sinkModule = sink ("kdar7_out", deviceName);
    source ("kdar7_in", deviceName);
    volume::Traverser traverser (deviceName, 2, 2);
    bool input = false, output = false;
    ASSERT_TRUE (traverser.isDeviceConnected (input, output));
    ASSERT_TRUE (output);
    const auto oldId = findDevice (deviceName, false);
    run ("pactl set-sink-volume kdar7_out 20%");
    const auto lastLevels = volumesOf ("sink", "kdar7_out");

    unload (sinkModule);
    EXPECT_TRUE (traverser.isDeviceConnected (input, output));
    EXPECT_TRUE (input);
    EXPECT_FALSE (output);

    sink ("kdar7_out", deviceName);
    EXPECT_TRUE (traverser.isDeviceConnected (input, output));
    EXPECT_TRUE (output);
    EXPECT_NE (findDevice (deviceName, false), oldId);

    // WirePlumber gives the sink its last levels back some milliseconds
    // after it appears, over any level written before: the write waits for
    // that, as a user's would.
    for (int wait = 0; wait < 100 && serverIsPipeWire() && volumesOf ("sink", "kdar7_out") != lastLevels; ++wait)
        std::this_thread::sleep_for (std::chrono::milliseconds (20));

    traverser.setOutputVolume (0.75f, false);
    EXPECT_EQ (volumesOf ("sink", "kdar7_out"), (std::vector<unsigned> { 49152, 49152 }));
}
