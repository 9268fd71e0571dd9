#include "app_lifecycle/ApplicationWindow.h"
#include "app_lifecycle/MainWindowRecord.h"
#include "platform/apple_events/AppleEvents.h"

#include "ProbeProcess.h"
#include "CacheFolder.h"
#include "XWindowState.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <csignal>

using app_lifecycle::ApplicationWindow;
using app_lifecycle::MainWindowRecord;
using lifecycle_tests::isMappedOnScreen;
using lifecycle_tests::waitUntilMapped;

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

    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (waitUntilMapped (windowIdOf (*main), true));
    EXPECT_TRUE (main->isVisible());
    EXPECT_FALSE (isMappedOnScreen (windowIdOf (*later)));
    EXPECT_FALSE (later->isVisible());

    // Without a record the latest peer to get a native window is shown.
    main->setIsMainWindow (false);
    main->setVisible (false);
    ASSERT_TRUE (waitUntilMapped (windowIdOf (*main), false));
    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (waitUntilMapped (windowIdOf (*later), true));
    EXPECT_TRUE (later->isVisible());
    EXPECT_FALSE (isMappedOnScreen (windowIdOf (*main)));

    // A re-created peer installs the handler again.
    later->setVisible (false);
    main->setUsingNativeTitleBar (true);
    ASSERT_TRUE (waitUntilMapped (windowIdOf (*later), false));
    EXPECT_EQ (reopen(), noErr);
    EXPECT_TRUE (waitUntilMapped (windowIdOf (*main), true));
    EXPECT_TRUE (main->isVisible());
    EXPECT_FALSE (isMappedOnScreen (windowIdOf (*later)));
}

TEST (ReopenApplication, DockClickSignalShowsAProgramStartedHidden)
{
    lifecycle_tests::CacheFolder cache;
    lifecycle_tests::ProbeProcess probe ({ "--hidden-window" }, { { "XDG_CACHE_HOME", cache.path() } });

    const auto windowLine = probe.waitForLineStartingWith ("window ", 10000);
    ASSERT_TRUE (windowLine);
    const auto windowId = std::stoul (windowLine->substr (7));
    EXPECT_FALSE (isMappedOnScreen (windowId));

    probe.sendSignal (SIGUSR1);
    EXPECT_TRUE (probe.waitForLine ("window visible 1", 5000));
    EXPECT_TRUE (waitUntilMapped (windowId, true));
    EXPECT_TRUE (probe.isRunning());

    probe.sendSignal (SIGTERM);
    EXPECT_EQ (probe.waitForExit (10000), 0);
    EXPECT_EQ (probe.countOf ("shutdown"), 1);
}
