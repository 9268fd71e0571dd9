// The real program in a real window, asked by the desktop over a private
// session bus (scripts/with-session-bus) and by signals.

#include "PanelWindowSupport.h"

#include "support/CacheFolder.h"
#include "support/ChildProcess.h"
#include "support/MessagePump.h"
#include "support/SessionBusClient.h"
#include "support/XWindowState.h"
#include "support/XWindowWatch.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <unistd.h>

namespace
{
    using desktop_tests::panelBusName;
    using desktop_tests::reopenBoundMilliseconds;
    using test_support::CacheFolder;
    using test_support::ChildProcess;
    using test_support::SessionBusClient;
    using test_support::XWindowWatch;

    long long millisecondsBetween (XWindowWatch::Clock::time_point from, XWindowWatch::Clock::time_point to)
    {
        return std::chrono::duration_cast<std::chrono::milliseconds> (to - from).count();
    }

    // The panel's environment: its cache folder (its lock lives there) and
    // whatever else is given. JUCE unloads the X library at its shutdown;
    // kept loaded, what the library holds is not taken for a leak in the
    // sanitizer build.
    std::map<std::string, std::string> panelEnvironment (const CacheFolder& cache, std::map<std::string, std::string> more = {})
    {
        more.emplace ("XDG_CACHE_HOME", cache.path());
        more.emplace ("LD_PRELOAD", "libX11.so.6");
        more.emplace ("ASAN_OPTIONS", "verify_asan_link_order=0");
        return more;
    }

    bool isOwnedBy (SessionBusClient& bus, pid_t pid, int timeoutMilliseconds = 10000)
    {
        for (int waited = 0; waited < timeoutMilliseconds; waited += 20, juce::Thread::sleep (20))
            if (bus.ownerOf (panelBusName) == pid)
                return true;

        return false;
    }

    // Whether another process could take the lock now.
    bool lockIsFree (const juce::File& lockFile)
    {
        const auto descriptor = ::open (lockFile.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);

        if (descriptor < 0)
            return false;

        const auto taken = ::flock (descriptor, LOCK_EX | LOCK_NB) == 0;
        ::close (descriptor);
        return taken;
    }

    // A display number with no server.
    std::string unusedDisplay()
    {
        for (int number = 900;; ++number)
        {
            const auto name = std::to_string (number);

            if (! juce::File ("/tmp/.X11-unix/X" + name).exists() && ! juce::File ("/tmp/.X" + name + "-lock").exists())
                return ":" + name;
        }
    }

    // An X server at ":0": this test's own when none answers there.
    std::unique_ptr<ChildProcess> serverAtDisplayZero()
    {
        auto server = std::make_unique<ChildProcess> (std::vector<std::string> { ":0", "-nolisten", "tcp" },
                                                      std::map<std::string, std::string> {}, "Xvfb");

        for (int waited = 0; waited < 10000 && std::system ("xdpyinfo -display :0 >/dev/null 2>&1") != 0; waited += 50)
            juce::Thread::sleep (50);

        return server;
    }

    // A held Escape is what an automation tool's sent Escape leaves behind:
    // pressed while the window has the focus, released by a sent event once
    // it has gone, which leaves the key down in the X server.
    enum class Hide { closeBox, escape, heldEscape };

    void hide (unsigned long window, Hide how)
    {
        if (how == Hide::closeBox)
            test_support::pressCloseBox (window);
        else if (how == Hide::escape)
            desktop_tests::pressEscape (window);
        else
            desktop_tests::holdEscape (window);

        ASSERT_TRUE (test_support::waitUntilMapped (window, false));
    }

    // Hidden by its close box, the panel comes back on the reopen signal
    // and quits cleanly on SIGTERM, having said once why the bus is not
    // used.
    void expectRunsOnSignalsHavingSaid (ChildProcess& panel, unsigned long window, const std::string& reason)
    {
        ASSERT_NO_FATAL_FAILURE (hide (window, Hide::closeBox));
        panel.sendSignal (SIGUSR1);
        EXPECT_TRUE (test_support::waitUntilMapped (window, true));

        panel.sendSignal (SIGTERM);
        EXPECT_EQ (panel.waitForExit (10000), 0);
        const auto errors = panel.errorLines();
        ASSERT_EQ (errors.size(), 1u);
        EXPECT_NE (errors[0].find (reason), std::string::npos) << errors[0];
        EXPECT_NE (errors[0].find ("signals only"), std::string::npos) << errors[0];
    }

    class DesktopRequests : public testing::Test
    {
    protected:
        // A K-DAR7 on the test's own sound server, so that the panel's
        // controls answer clicks.
        static void SetUpTestSuite()
        {
            ASSERT_EQ (std::system (SCRIPTS_FOLDER "/stand-in-device load"), 0);
        }

        void SetUp() override
        {
            if (std::getenv ("DBUS_SESSION_BUS_ADDRESS") == nullptr)
                GTEST_FAIL() << "run under scripts/with-session-bus";

            ASSERT_TRUE (bus.isConnected());
        }

        // The panel with the cache folder of the test; started once it owns
        // its name and shows (or, with "-m", has) its window.
        void startPanel (const std::vector<std::string>& arguments = {}, bool expectShown = true)
        {
            panel = std::make_unique<ChildProcess> (arguments, panelEnvironment (cache), PANEL_PROGRAM_PATH);
            ASSERT_TRUE (isOwnedBy (bus, panel->processId()));
            const auto found = test_support::findPanelWindow (panel->processId(), expectShown);
            ASSERT_TRUE (found.has_value());
            window = *found;
        }

        juce::File lockFile() const
        {
            return cache.get().getChildFile ("kdar7-volume-panel").getChildFile ("quenmarAppLock_K-DAR7 Volume Panel");
        }

        CacheFolder cache;
        SessionBusClient bus;
        std::unique_ptr<ChildProcess> panel;
        unsigned long window = 0;
    };
}

// Both deliveries of the reopen event, after each way of hiding: the window
// is mapped at once, measured from the reply (or the signal) to the map,
// stays shown while an Escape held since before repeats into it, and takes
// clicks.
TEST_F (DesktopRequests, ActivateAndTheReopenSignalShowTheWindowHiddenByItsCloseBoxOrEscapeAtOnceAndItTakesClicks)
{
    ASSERT_NO_FATAL_FAILURE (startPanel());

    for (const auto overTheBus : { true, false })
    {
        for (const auto how : { Hide::closeBox, Hide::escape, Hide::heldEscape })
        {
            const char* hidden[] { " after the close box", " after Escape", " after a held Escape" };
            const auto what = std::string (overTheBus ? "Activate" : "SIGUSR1") + hidden[(int) how];
            SCOPED_TRACE (what);
            const juce::ScopeGuard releaseEscape { [] { desktop_tests::releaseEscape(); } };
            ASSERT_NO_FATAL_FAILURE (hide (window, how));

            XWindowWatch watch (window);
            auto requested = XWindowWatch::Clock::now();

            if (overTheBus)
            {
                const auto reply = bus.activate (panelBusName);
                ASSERT_TRUE (reply.succeeded) << reply.errorMessage;
                requested = reply.arrived;
            }
            else
            {
                panel->sendSignal (SIGUSR1);
            }

            const auto mapped = watch.waitForMap (5000);
            ASSERT_TRUE (mapped.has_value());
            std::cout << what << ": mapped " << millisecondsBetween (requested, *mapped) << " ms after the request\n";
            EXPECT_LE (millisecondsBetween (requested, *mapped), reopenBoundMilliseconds);
            // Past the server's repeat delay, 660 ms from the press.
            EXPECT_FALSE (test_support::waitUntilMapped (window, false, 1000));
        }

        EXPECT_TRUE (desktop_tests::takesClick (window));
    }

    EXPECT_TRUE (panel->errorLines().empty());
}

TEST_F (DesktopRequests, OpenAfterAHiddenStartShowsAndRaisesTheWindowFullyLive)
{
    ASSERT_NO_FATAL_FAILURE (startPanel ({ "-m" }, false));
    EXPECT_FALSE (test_support::isMappedOnScreen (window));

    const auto reply = bus.open (panelBusName, { "file:///tmp/some%20document.txt" });
    ASSERT_TRUE (reply.succeeded) << reply.errorMessage;

    // Made visible, the window gets a native window of its own.
    const auto shown = test_support::findPanelWindow (panel->processId(), true);
    ASSERT_TRUE (shown.has_value());
    window = *shown;
    EXPECT_TRUE (test_support::pumpUntil ([&] { return test_support::activeWindow() == window; }, 5000));
    EXPECT_TRUE (desktop_tests::takesClick (window));
}

// Nothing but a well-formed quit action ends it; every other call is
// answered with an error and leaves the hidden window hidden.
TEST_F (DesktopRequests, MalformedCallsAndUnknownActionsGetErrorsAndTheQuitActionEndsItReleasingTheLock)
{
    ASSERT_NO_FATAL_FAILURE (startPanel());
    ASSERT_NO_FATAL_FAILURE (hide (window, Hide::closeBox));

    const struct { const char* what; test_support::BusReply reply; const char* errorName; } refused[] {
        { "Activate with a string", bus.callWithOneString (panelBusName, "Activate", "x"), "org.freedesktop.DBus.Error.InvalidArgs" },
        { "Open with a string", bus.callWithOneString (panelBusName, "Open", "file:///x"), "org.freedesktop.DBus.Error.InvalidArgs" },
        { "quit as a lone string", bus.callWithOneString (panelBusName, "ActivateAction", "quit"), "org.freedesktop.DBus.Error.InvalidArgs" },
        { "an unknown action", bus.activateAction (panelBusName, "activate-all"), "org.freedesktop.DBus.Error.InvalidArgs" },
        { "quit with a parameter", bus.activateAction (panelBusName, "quit", std::string ("now")), "org.freedesktop.DBus.Error.InvalidArgs" },
        { "an unknown method", bus.callWithOneString (panelBusName, "Quit", "x"), "org.freedesktop.DBus.Error.UnknownMethod" },
    };

    for (const auto& call : refused)
    {
        SCOPED_TRACE (call.what);
        EXPECT_FALSE (call.reply.succeeded);
        EXPECT_EQ (call.reply.errorName, call.errorName) << call.reply.errorMessage;
    }

    test_support::pumpMessages (300);
    EXPECT_TRUE (panel->isRunning());
    EXPECT_FALSE (test_support::isMappedOnScreen (window));
    EXPECT_FALSE (lockIsFree (lockFile()));

    const auto quit = bus.activateAction (panelBusName, "quit");
    EXPECT_TRUE (quit.succeeded) << quit.errorMessage;
    EXPECT_EQ (panel->waitForExit (10000), 0);
    EXPECT_TRUE (panel->errorLines().empty());
    EXPECT_TRUE (lockIsFree (lockFile()));
}

TEST_F (DesktopRequests, WithoutASessionBusItSaysSoOnceAndRunsOnSignals)
{
    panel = std::make_unique<ChildProcess> (std::vector<std::string> {},
                                            panelEnvironment (cache, { { "DBUS_SESSION_BUS_ADDRESS", "unix:path=" + cache.path() + "/no-bus" } }),
                                            PANEL_PROGRAM_PATH);
    const auto found = test_support::findPanelWindow (panel->processId(), true);
    ASSERT_TRUE (found.has_value());
    window = *found;

    EXPECT_TRUE (desktop_tests::takesClick (window));
    expectRunsOnSignalsHavingSaid (*panel, window, "no session bus");
}

// A panel with a lock of its own (another cache folder) finds the name
// taken: the calls keep going to the first.
TEST_F (DesktopRequests, WhenAnotherProgramOwnsTheNameItSaysSoAndRunsOnSignals)
{
    ASSERT_NO_FATAL_FAILURE (startPanel());
    const auto first = panel->processId();

    CacheFolder otherCache;
    ChildProcess second ({}, panelEnvironment (otherCache), PANEL_PROGRAM_PATH);
    const auto secondWindow = test_support::findPanelWindow (second.processId(), true);
    ASSERT_TRUE (secondWindow.has_value());
    ASSERT_TRUE (test_support::pumpUntil ([&] { return ! second.errorLines().empty(); }, 5000));
    EXPECT_EQ (bus.ownerOf (panelBusName), first);

    expectRunsOnSignalsHavingSaid (second, *secondWindow, "is owned by another program");
}

TEST_F (DesktopRequests, ABusThatGoesAwayLeavesItRunningOnSignals)
{
    ChildProcess privateBus ({ "--session", "--nofork", "--print-address=1" }, {}, "dbus-daemon");
    const auto address = privateBus.waitForLine ("unix:", 10000);
    ASSERT_TRUE (address.has_value());

    panel = std::make_unique<ChildProcess> (std::vector<std::string> {},
                                            panelEnvironment (cache, { { "DBUS_SESSION_BUS_ADDRESS", *address } }),
                                            PANEL_PROGRAM_PATH);
    {
        SessionBusClient thatBus (*address);
        ASSERT_TRUE (isOwnedBy (thatBus, panel->processId()));
    }
    const auto found = test_support::findPanelWindow (panel->processId(), true);
    ASSERT_TRUE (found.has_value());
    window = *found;

    privateBus.sendSignal (SIGKILL);
    EXPECT_TRUE (test_support::pumpUntil ([&] { return ! panel->errorLines().empty(); }, 5000));
    expectRunsOnSignalsHavingSaid (*panel, window, "lost the session bus");
}

// No display, or one the framework cannot draw on: a clear error and status
// 1, and nothing left that stops the next start.
TEST_F (DesktopRequests, WithoutAUsableDisplayItSaysSoAndEndsWithStatusOneLeavingTheNextStartFree)
{
    // JUCE takes ":0" for an unset or empty DISPLAY: a server answers there.
    auto displayZero = serverAtDisplayZero();
    // 256 colours, which JUCE cannot draw with. Without -noreset the server
    // resets as a failed start's last client leaves, and turns the next
    // connection away meanwhile.
    ChildProcess eightBitServer ({ "-displayfd", "1", "-noreset", "-screen", "0", "640x480x8", "-nolisten", "tcp" }, {}, "Xvfb");
    const auto eightBitDisplay = eightBitServer.waitForLine ("", 10000);
    ASSERT_TRUE (eightBitDisplay.has_value());

    const struct { const char* what; std::vector<std::string> launcher; std::map<std::string, std::string> environment; const char* reason; } rows[] {
        { "no server", {}, { { "DISPLAY", unusedDisplay() } }, "needs a graphical display, and none could be opened" },
        { "DISPLAY unset", { "env", "-u", "DISPLAY" }, {}, "needs a graphical display, and none could be opened" },
        { "DISPLAY empty", {}, { { "DISPLAY", "" } }, "needs a graphical display, and none could be opened" },
        { "an 8-bit screen", {}, { { "DISPLAY", ":" + *eightBitDisplay } }, "which offers no 16, 24 or 32-bit colour" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        ChildProcess headless ({}, panelEnvironment (cache, row.environment), PANEL_PROGRAM_PATH, row.launcher);
        EXPECT_EQ (headless.waitForExit (10000), 1);
        const auto errors = headless.errorLines();
        ASSERT_EQ (errors.size(), 1u);
        EXPECT_NE (errors[0].find (row.reason), std::string::npos) << errors[0];
        EXPECT_FALSE (bus.ownerOf (panelBusName).has_value());
    }

    ASSERT_NO_FATAL_FAILURE (startPanel());
    panel->sendSignal (SIGTERM);
    EXPECT_EQ (panel->waitForExit (10000), 0);

    for (auto* server : { displayZero.get(), &eightBitServer })
    {
        server->sendSignal (SIGTERM);
        server->waitForExit (10000);
    }
}
