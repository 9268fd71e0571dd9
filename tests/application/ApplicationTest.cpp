#include "support/XWindowState.h"

#include "app_lifecycle/MainWindowRecord.h"
#include "platform/coreaudio/SimulatedAudioHardware.h"
#include "support/MessagePump.h"
#include "volume_panel/volume_panel/Application.h"
#include "volume_panel/volume_panel/BuildInfo.h"
#include "volume_panel/volume_panel/Globals.h"
#include "volume_panel/volume_panel/Panel.h"
#include "volume_panel/volume_panel/Window.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

#include <gtest/gtest.h>

using namespace test_support;
using app_lifecycle::MainWindowRecord;
using volume_panel::VolumeApplication;
using volume_panel::VolumePanelWindow;

namespace
{
    constexpr int pollInterval = 2000;
    constexpr int hiddenFlags = 392;
    constexpr int shownFlags = 393;

    bool skinInstalled() { return dynamic_cast<VolumeSkinLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) != nullptr; }

    class PanelApplicationTest : public ::testing::Test
    {
    protected:
        void SetUp() override { hardware.resetToDefault(); }
        void TearDown() override { stop(); }

        VolumePanelWindow& start (const juce::StringArray& arguments = {})
        {
            volume_panel::initialVisibility = true; // as when the program is loaded
            application = std::make_unique<VolumeApplication>();
            application->initialise (arguments);
            return dynamic_cast<VolumePanelWindow&> (MainWindowRecord::mainPeer()->getComponent());
        }

        void stop()
        {
            if (application != nullptr)
                application->shutdown();
            application.reset();
        }

        static unsigned long nativeWindow()
        {
            return (unsigned long) (juce::pointer_sized_int) MainWindowRecord::mainPeer()->getNativeHandle();
        }

        bool polledWithin (int milliseconds)
        {
            hardware.clearCallLog();
            return test_support::pumpUntil ([this] { return ! hardware.getCallLog().empty(); }, milliseconds);
        }

        void expectPollsEveryTwoSeconds()
        {
            ASSERT_TRUE (polledWithin (pollInterval + 500));
            EXPECT_FALSE (polledWithin (pollInterval - 300));
            EXPECT_TRUE (polledWithin (600));
        }

        platform::SimulatedAudioHardware& hardware = platform::SimulatedAudioHardware::shared();
        std::unique_ptr<VolumeApplication> application;
    };
}

TEST_F (PanelApplicationTest, FirstOptionBeforeAnEmptyArgumentDecidesWhetherItStartsShown)
{
    const std::vector<std::pair<juce::StringArray, bool>> cases {
        { {}, true },             { { "-m" }, false },      { { "-M" }, true },
        { { "-m", "-M" }, false }, { { "-M", "-m" }, true }, { { "x", "-m" }, false },
        { { "", "-m" }, true },    { { "-mx" }, true },      { { "--m" }, true },
        { { "m" }, true },
    };

    for (const auto& [arguments, shown] : cases)
    {
        SCOPED_TRACE ("[" + arguments.joinIntoString ("] [").toStdString() + "]");
        EXPECT_EQ (start (arguments).isVisible(), shown);
        EXPECT_EQ (volume_panel::initialVisibility, shown);
        stop();
    }
}

TEST_F (PanelApplicationTest, StartedShownItIsTheCentredPanelAndEscapeOrTheCloseBoxHideOnlyItsNativeWindow)
{
    auto& window = start();
    ASSERT_TRUE (waitUntilMapped (nativeWindow(), true));
    EXPECT_EQ (MainWindowRecord::mainPeer()->getStyleFlags(), shownFlags);
    EXPECT_EQ (window.getName(), "K-DAR7");
    EXPECT_EQ (window.getBackgroundColour(), juce::Colour (0xff3c3c3c));
    EXPECT_EQ (window.getLocalBounds(), juce::Rectangle<int> (280, 360));
    EXPECT_FALSE (window.isResizable());
    EXPECT_TRUE (window.isUsingNativeTitleBar());
    EXPECT_TRUE (skinInstalled());

    // Not left at 100, 100; the window manager may shift it by its frame.
    const auto screen = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    EXPECT_LT (window.getBounds().getCentre().getDistanceFrom (screen.getCentre()), 40);

    const auto* panel = dynamic_cast<volume_panel::VolumePanel*> (window.getContentComponent()->getChildComponent (0));
    ASSERT_NE (panel, nullptr);
    EXPECT_TRUE (panel->isVisible());
    EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (0, 0, 280, 360));

    const juce::KeyPress shiftEscape (juce::KeyPress::escapeKey, juce::ModifierKeys::shiftModifier, 0);
    EXPECT_FALSE (MainWindowRecord::mainPeer()->handleKeyPress (shiftEscape));
    test_support::pumpMessages (200);
    EXPECT_TRUE (isMappedOnScreen (nativeWindow()));

    EXPECT_TRUE (MainWindowRecord::mainPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (waitUntilMapped (nativeWindow(), false));
    EXPECT_TRUE (window.isVisible());
    expectPollsEveryTwoSeconds();

    // Shown again on request, without a poll of its own.
    hardware.clearCallLog();
    application->anotherInstanceStarted ({});
    EXPECT_TRUE (hardware.getCallLog().empty());
    EXPECT_TRUE (waitUntilMapped (nativeWindow(), true));

    pressCloseBox (nativeWindow());
    EXPECT_TRUE (waitUntilMapped (nativeWindow(), false));
    EXPECT_TRUE (window.isVisible());
    EXPECT_TRUE (polledWithin (pollInterval + 500));
}

TEST_F (PanelApplicationTest, StartedHiddenItWaitsForARequestToOpenDocumentsThenPollsAtOnce)
{
    auto& window = start ({ "-m" });
    EXPECT_EQ (MainWindowRecord::mainPeer()->getStyleFlags(), hiddenFlags);
    EXPECT_FALSE (polledWithin (pollInterval + 500));
    EXPECT_FALSE (isMappedOnScreen (nativeWindow()));

    hardware.clearCallLog();
    application->anotherInstanceStarted ("some document");
    EXPECT_FALSE (hardware.getCallLog().empty());
    EXPECT_TRUE (window.isVisible());
    EXPECT_TRUE (waitUntilMapped (nativeWindow(), true));
    EXPECT_EQ (MainWindowRecord::mainPeer()->getStyleFlags(), shownFlags);
    expectPollsEveryTwoSeconds();

    // The state holder now knows the window as shown: a toggle hides it.
    window.toggleVisibility();
    EXPECT_FALSE (window.isVisible());
    EXPECT_TRUE (waitUntilMapped (nativeWindow(), false));
    EXPECT_FALSE (polledWithin (pollInterval + 500));
}

TEST_F (PanelApplicationTest, ShutdownDeletesThePanelThenTheWindowThenTheSkin)
{
    struct DeletionRecorder : juce::ComponentListener
    {
        // Each deleted component, and whether the skin still existed then.
        std::vector<std::pair<juce::Component*, bool>> deleted;

        void componentBeingDeleted (juce::Component& component) override
        {
            deleted.emplace_back (&component, ! VolumeSkinLookAndFeel::getAboutImage().isNull());
        }
    } recorder;

    auto& window = start();
    auto* panel = window.getContentComponent()->getChildComponent (0);
    panel->addComponentListener (&recorder);
    window.addComponentListener (&recorder);
    stop();

    const std::vector<std::pair<juce::Component*, bool>> panelThenWindowBeforeTheSkin { { panel, true }, { &window, true } };
    EXPECT_EQ (recorder.deleted, panelThenWindowBeforeTheSkin);
    EXPECT_TRUE (VolumeSkinLookAndFeel::getAboutImage().isNull());
    EXPECT_FALSE (skinInstalled());
}

TEST (PanelApplication, NamesVersionBuildInformationAndARefusedStart)
{
    VolumeApplication application;
    EXPECT_EQ (application.getApplicationName(), "K-DAR7 Volume Panel");
    EXPECT_EQ (application.getApplicationVersion(), "1.0.3");
    EXPECT_FALSE (application.moreThanOneInstanceAllowed());

    EXPECT_STREQ (kdar7_volume_panel::getBuildName(), "Release");
    EXPECT_TRUE (kdar7_volume_panel::isFinalBuild());
    EXPECT_FALSE (kdar7_volume_panel::buildHasDebugInfo());
    int date[6] { 2024, 12, 31, 23, 59, -1 };
    kdar7_volume_panel::getBuildConfigurationDate (date[0], date[1], date[2], date[3], date[4], date[5]);
    EXPECT_EQ (std::vector<int> (std::begin (date), std::end (date)), std::vector<int> (6, 0));

    // Another instance held the lock: shutdown runs without initialise, and
    // must find nothing to delete.
    application.shutdown();
}
