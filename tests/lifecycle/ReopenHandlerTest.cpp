#include "app_lifecycle/ApplicationWindow.h"
#include "app_lifecycle/MainWindowRecord.h"
#include "platform/apple_events/AppleEvents.h"

#include "support/ChildProcess.h"
#include "support/CacheFolder.h"
#include "support/XWindowState.h"

#include <gtest/gtest.h>

#include <csignal>

using app_lifecycle::ApplicationWindow;
using app_lifecycle::MainWindowRecord;
using test_support::isMappedOnScreen;
using test_support::waitUntilMapped;

namespace
{
    std::unique_ptr<ApplicationWindow> makeWindow (const juce::String& name)
    {
        auto window = std::make_unique<ApplicationWindow> (name, juce::Colours::darkgrey, juce::DocumentWindow::closeButton);
        window->setBounds (100, 100, 240, 160);
        return window;
    }

    unsigned long windowIdOf (juce::Component& window)
    {
        return (unsigned long) (juce::pointer_sized_int) window.getWindowHandle();
    }

    OSErr reopen()
    {
        return AEProcessAppleEvent (kCoreEventClass, kAEReopenApplication);
    }

    // The reopen event puts the one window on screen, live, and leaves the
    // other off it.
    void expectReopenShowsOnly (juce::Component& shown, juce::Component& other)
    {
        EXPECT_EQ (reopen(), noErr);
        EXPECT_TRUE (waitUntilMapped (windowIdOf (shown), true));
        EXPECT_TRUE (shown.isVisible());
        EXPECT_FALSE (isMappedOnScreen (windowIdOf (other)));
        EXPECT_FALSE (other.isVisible());
    }

    // Closed by its close box: the component stays visible, only the
    // native window goes.
    void closeNativeWindow (juce::Component& window)
    {
        window.getPeer()->setVisible (false);
        ASSERT_TRUE (waitUntilMapped (windowIdOf (window), false));
    }
}

TEST (ReopenApplication, ShowsTheMainPeerElseTheReferencePeerElseReportsNotHandled)
{
    auto window = makeWindow ("main");
    window->setVisible (true);
    window->setIsMainWindow (true);
    const auto windowId = windowIdOf (*window);
    ASSERT_TRUE (waitUntilMapped (windowId, true));

    closeNativeWindow (*window);
    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (waitUntilMapped (windowId, true));
    EXPECT_TRUE (window->isVisible());

    // Shown already: shown again.
    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (isMappedOnScreen (windowId));

    // No record: the peer that installed the handler last.
    window->setIsMainWindow (false);
    closeNativeWindow (*window);
    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (waitUntilMapped (windowId, true));

    window->setIsMainWindow (true);
    window.reset();
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
    EXPECT_EQ (reopen(), eventNotHandledErr);

    // The installation outlives its peer; other windows' peers are not it.
    juce::DocumentWindow unrelated ("unrelated", juce::Colours::black, 0);
    EXPECT_EQ (reopen(), eventNotHandledErr);
}

TEST (ReopenApplication, LatestPeerIsTheReferenceAndAHiddenStartComesAlive)
{
    // Started hidden: component invisible, native window never mapped.
    auto main = makeWindow ("main");
    main->setIsMainWindow (true);
    auto later = makeWindow ("later");
    ASSERT_FALSE (isMappedOnScreen (windowIdOf (*main)));
    expectReopenShowsOnly (*main, *later);

    // Without a record the latest peer to get a native window is shown.
    main->setIsMainWindow (false);
    main->setVisible (false);
    ASSERT_TRUE (waitUntilMapped (windowIdOf (*main), false));
    expectReopenShowsOnly (*later, *main);

    // A re-created peer installs the handler again.
    later->setVisible (false);
    main->setUsingNativeTitleBar (true);
    ASSERT_TRUE (waitUntilMapped (windowIdOf (*later), false));
    expectReopenShowsOnly (*main, *later);
}

TEST (ReopenApplication, DockClickSignalShowsAProgramStartedHidden)
{
    test_support::CacheFolder cache;
    test_support::ChildProcess probe ({ "--hidden-window" }, { { "XDG_CACHE_HOME", cache.path() } }, LIFECYCLE_PROBE_PATH);

    const auto windowLine = probe.waitForLine ("window id ", 10000);
    ASSERT_TRUE (windowLine);
    const auto windowId = std::stoul (windowLine->substr (10));
    EXPECT_FALSE (isMappedOnScreen (windowId));

    probe.sendSignal (SIGUSR1);
    EXPECT_TRUE (probe.waitForLine ("window visible 1", 5000));
    EXPECT_TRUE (waitUntilMapped (windowId, true));
    EXPECT_TRUE (probe.isRunning());

    probe.sendSignal (SIGTERM);
    EXPECT_EQ (probe.waitForExit (10000), 0);
    EXPECT_EQ (probe.countOf ("shutdown"), 1);
}
