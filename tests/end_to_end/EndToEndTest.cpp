#include "PanelProcess.h"
#include "SoundServer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace end_to_end;

namespace
{
    // A poll every two seconds, and half a second for the poll and its paint.
    constexpr int onePoll = 2500;
    // Starting the program, or seeing a change the panel made on the server.
    constexpr int aWhile = 10000;

    class PanelOnSoundServer : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // The test kills its server: never the user's own.
            ASSERT_TRUE (juce::SystemStats::getEnvironmentVariable ("KDAR7_SOUND_SERVER_DIR", {}).isNotEmpty())
                << "run under scripts/with-sound-server";
            server.loadDevice (30, 70);
            ASSERT_TRUE (panel.start()) << panel.errorOutput();
        }

        void TearDown() override
        {
            // The next test finds the server as the first did.
            server.unloadDevice();

            if (HasFatalFailure())
                return;

            EXPECT_EQ (panel.quit(), 0);
            EXPECT_EQ (panel.errorOutput(), "");
        }

        bool showsWithinOnePoll (const std::function<bool (const PanelScreenshot&)>& check)
        {
            return panel.waitUntilShown (check, onePoll);
        }

        bool serverShowsWithinAWhile (const std::function<bool()>& condition)
        {
            for (const auto deadline = juce::Time::getMillisecondCounter() + aWhile;
                 juce::Time::getMillisecondCounter() < deadline; juce::Thread::sleep (50))
                if (condition())
                    return true;

            return false;
        }

        SoundServer server;
        PanelProcess panel;
    };

    bool showsControlsAt (const PanelScreenshot& screen, int inputPercent, int outputPercent)
    {
        return screen.showsPanel() && screen.showsThumbsAt (inputPercent, outputPercent);
    }
}

TEST_F (PanelOnSoundServer, ShowsTheServersLevelsWritesItsOwnAndFollowsOtherProgramsWithinOnePoll)
{
    // The first paint already shows the levels read at start.
    ASSERT_TRUE (panel.waitUntilShown ([] (const PanelScreenshot& screen) { return screen.showsPanel(); }, aWhile));
    const auto first = panel.screenshot();
    EXPECT_TRUE (first.showsThumbsAt (30, 70)) << "thumbs at rows " << first.thumbRow (input).value_or (-1)
                                               << " and " << first.thumbRow (output).value_or (-1);

    panel.drag (PanelScreenshot::thumbCentreFor (output, 70), PanelScreenshot::thumbCentreFor (output, 50));
    EXPECT_TRUE (serverShowsWithinAWhile ([&] { return std::abs (server.outputPercent() - 50.0) < 0.01; }))
        << server.outputPercent();

    // Mute on and off keeps a level between two whole percents.
    constexpr int thirdOfNormal = 21845;
    server.setRawOutput (thirdOfNormal);
    EXPECT_TRUE (showsWithinOnePoll ([] (const PanelScreenshot& screen) { return screen.showsThumbsAt (30, 33); }));
    const auto keptAtAThird = [&] { return std::abs (server.outputPercent() - thirdOfNormal * 100.0 / 0x10000) < 0.001; };

    for (const bool muted : { true, false })
    {
        panel.click (muteButtonCentre (output));
        EXPECT_TRUE (serverShowsWithinAWhile ([&] { return server.outputMuted() == muted && keptAtAThird(); }))
            << (muted ? "muted at " : "unmuted at ") << server.outputPercent();
    }

    server.setLevels (80, 20);
    EXPECT_TRUE (showsWithinOnePoll ([] (const PanelScreenshot& screen) { return screen.showsThumbsAt (80, 20); }));

    // Hidden by its close box, it goes on polling; shown again, its first
    // frame has the last poll's levels, well before the next poll.
    ASSERT_TRUE (panel.hideByCloseBox());
    server.setLevels (40, 60);
    juce::Thread::sleep (onePoll);
    server.setLevels (25, 75);
    juce::Thread::sleep (onePoll);
    ASSERT_TRUE (panel.reopen());
    EXPECT_TRUE (panel.waitUntilShown ([] (const PanelScreenshot& screen) { return showsControlsAt (screen, 25, 75); }, 500));
}

TEST_F (PanelOnSoundServer, ShowsTheDeviceUnpluggedWhileItOrItsServerIsGoneAndTakesItBackWhenItReturns)
{
    const auto unplugged = [] (const PanelScreenshot& screen) { return screen.showsUnpluggedOverlay(); };

    server.unloadDevice();
    EXPECT_TRUE (showsWithinOnePoll (unplugged));
    server.loadDevice (60, 40);
    EXPECT_TRUE (showsWithinOnePoll ([] (const PanelScreenshot& screen) { return showsControlsAt (screen, 60, 40); }));

    server.kill();
    EXPECT_TRUE (showsWithinOnePoll (unplugged));
    // The next poll connects to the new server, the one after reads it.
    server.start();
    server.loadDevice (10, 90);
    EXPECT_TRUE (panel.waitUntilShown ([] (const PanelScreenshot& screen) { return showsControlsAt (screen, 10, 90); }, 2 * onePoll));

    // From the next poll on, the input slider takes no clicks and the panel
    // shows why. A click before that goes to the slider and shows nothing.
    server.unloadInput();
    bool tipShown = false;
    for (const auto deadline = juce::Time::getMillisecondCounter() + onePoll;
         ! tipShown && juce::Time::getMillisecondCounter() < deadline;)
    {
        panel.click (sliderCentre (input));
        tipShown = panel.waitUntilShown ([] (const PanelScreenshot& screen) { return screen.showsInputTip(); }, 300);
    }
    EXPECT_TRUE (tipShown);
}

// libpulse reads the cookie and the client configuration on the calling
// thread before it connects: a FIFO there would hold the panel for ever.
TEST (PanelWithAClientFileThatIsNoRegularFile, RunsAsWithNoServerSaysSoOnceAndQuitsWhenAsked)
{
    const juce::TemporaryFile folderName;
    const auto folder = folderName.getFile();
    ASSERT_TRUE (folder.createDirectory());
    const auto fifo = folder.getChildFile ("cookie").getFullPathName();
    ASSERT_EQ (::mkfifo (fifo.toRawUTF8(), 0600), 0);

    const std::pair<std::string, juce::String> rows[] {
        { "PULSE_COOKIE", fifo },
        { "PULSE_CLIENTCONFIG", folder.getFullPathName() },
    };

    for (const auto& [variable, path] : rows)
    {
        SCOPED_TRACE (variable);
        PanelProcess panel;
        ASSERT_TRUE (panel.start ({ { variable, path.toStdString() } })) << panel.errorOutput();
        EXPECT_TRUE (panel.waitUntilShown ([] (const PanelScreenshot& screen) { return screen.showsUnpluggedOverlay(); }, aWhile));

        // The polls after the first try again, and say nothing more.
        juce::Thread::sleep (onePoll);
        EXPECT_EQ (panel.quit(), 0);

        juce::StringArray said;
        said.addLines (panel.errorOutput());
        said.removeEmptyStrings();
        const auto saysWhy = [&] (const juce::String& line) { return line.contains (variable); };
        EXPECT_EQ (std::count_if (said.begin(), said.end(), saysWhy), 1) << panel.errorOutput();
        EXPECT_TRUE (std::all_of (said.begin(), said.end(), [] (const juce::String& line) { return line.startsWith ("K-DAR7 Volume Panel: "); }))
            << panel.errorOutput();
    }

    folder.deleteRecursively();
}
