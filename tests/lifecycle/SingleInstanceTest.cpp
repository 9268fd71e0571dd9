#include "CacheFolder.h"
#include "ProbeProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using lifecycle_tests::CacheFolder;
using lifecycle_tests::ProbeProcess;
using Lines = std::vector<std::string>;

namespace
{
    constexpr int startTimeout = 10000;
    constexpr int exitTimeout = 10000;

    class SingleInstanceTest : public ::testing::Test
    {
    protected:
        std::unique_ptr<ProbeProcess> start (const std::vector<std::string>& arguments = {},
                                             std::map<std::string, std::string> environment = {})
        {
            environment.emplace ("XDG_CACHE_HOME", cache.path());
            return std::make_unique<ProbeProcess> (arguments, environment);
        }

        // Starts a probe that is to become the running instance, and waits
        // until its initialise has run.
        std::unique_ptr<ProbeProcess> startRunning (const std::vector<std::string>& arguments = {})
        {
            auto probe = start (arguments);
            EXPECT_TRUE (probe->waitForLine ("thread ", startTimeout));
            return probe;
        }

        static void quit (ProbeProcess& probe)
        {
            probe.sendSignal (SIGTERM);
            EXPECT_EQ (probe.waitForExit (exitTimeout), 0);
            EXPECT_EQ (probe.countOf ("shutdown"), 1);
        }

        CacheFolder cache;
    };
}

TEST_F (SingleInstanceTest, SecondStartEndsAtOnceAndTheFirstRunsOn)
{
    const std::vector<std::string> arguments { "  -m ", "", "   ", "x" };
    auto first = startRunning (arguments);
    const Lines firstLines { "initialise [-m] [] [] [x]", "thread Juce Message Th" };
    EXPECT_EQ (first->outputLines(), firstLines);

    auto second = start (arguments);
    EXPECT_EQ (second->waitForExit (exitTimeout), 0);
    // Untrimmed, joined by one space each.
    const Lines secondLines { "broadcast [Lifecycle Probe/" "  -m " " " "" " " "   " " " "x" "]", "shutdown" };
    EXPECT_EQ (second->outputLines(), secondLines);
    EXPECT_TRUE (second->errorLines().empty());

    auto withoutArguments = start();
    EXPECT_EQ (withoutArguments->waitForExit (exitTimeout), 0);
    const Lines bareLines { "broadcast [Lifecycle Probe/]", "shutdown" };
    EXPECT_EQ (withoutArguments->outputLines(), bareLines);

    EXPECT_TRUE (first->isRunning());
    EXPECT_EQ (first->outputLines(), firstLines);
    quit (*first);
}

TEST_F (SingleInstanceTest, LockFileOutlivesItsHolderButNotItsHold)
{
    auto quitting = startRunning();
    ASSERT_TRUE (cache.probeLockFile().existsAsFile());
    quit (*quitting);
    EXPECT_TRUE (cache.probeLockFile().existsAsFile());

    // Killed, while a process it started lives on.
    auto killed = startRunning ({ "--start-helper" });
    const auto helperLine = killed->waitForLine ("helper ", startTimeout);
    ASSERT_TRUE (helperLine);
    const auto helper = static_cast<pid_t> (std::stol (helperLine->substr (7)));
    killed->sendSignal (SIGKILL);
    EXPECT_EQ (killed->waitForExit (exitTimeout), std::nullopt);
    ASSERT_EQ (::kill (helper, 0), 0);

    auto next = startRunning();
    EXPECT_TRUE (next->waitForLine ("initialise", 0));
    EXPECT_TRUE (next->isRunning());
    quit (*next);
    ::kill (helper, SIGKILL);
}

TEST_F (SingleInstanceTest, TwentyStartsAtOnceLeaveExactlyOneRunning)
{
    std::vector<std::unique_ptr<ProbeProcess>> probes;

    for (int i = 0; i < 20; ++i)
        probes.push_back (start ({ std::to_string (i) }));

    const auto stillRunning = [&]
    {
        std::vector<ProbeProcess*> running;

        for (auto& probe : probes)
            if (probe->isRunning())
                running.push_back (probe.get());

        return running;
    };

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) exitTimeout;

    while (stillRunning().size() > 1 && juce::Time::getMillisecondCounter() < deadline)
        juce::Thread::sleep (10);

    const auto running = stillRunning();
    ASSERT_EQ (running.size(), 1u);
    EXPECT_TRUE (running.front()->waitForLine ("initialise", startTimeout));

    for (auto& probe : probes)
    {
        if (probe.get() == running.front())
            continue;

        EXPECT_EQ (probe->waitForExit (0), 0);
        EXPECT_EQ (probe->countOf ("shutdown"), 1);
        EXPECT_FALSE (probe->waitForLine ("initialise", 0));
    }

    EXPECT_TRUE (running.front()->isRunning());
    quit (*running.front());
}

TEST_F (SingleInstanceTest, QuitRequestsEndTheLoopWithoutForceAndShutdownRunsOnce)
{
    for (auto signalNumber : { SIGTERM, SIGINT, SIGHUP })
    {
        SCOPED_TRACE (strsignal (signalNumber));
        auto probe = startRunning ({ "--linger-at-exit" });

        probe->sendSignal (signalNumber);
        probe->sendSignal (signalNumber);
        // Once more while the program is already ending: no death by signal.
        EXPECT_TRUE (probe->waitForLine ("deleted", exitTimeout));
        probe->sendSignal (signalNumber);

        EXPECT_EQ (probe->waitForExit (exitTimeout), 0);
        const auto& lines = probe->outputLines();
        ASSERT_GE (lines.size(), 3u);
        EXPECT_EQ (lines[2], "systemRequestedQuit 0");
        EXPECT_EQ (probe->countOf ("shutdown"), 1);
    }
}

TEST_F (SingleInstanceTest, OpenDocumentsRequestReachesTheRunningInstance)
{
    auto probe = startRunning();

    probe->sendSignal (SIGUSR2);
    EXPECT_TRUE (probe->waitForLine ("anotherInstanceStarted []", startTimeout));
    probe->sendSignal (SIGUSR2);
    EXPECT_TRUE (probe->waitForLine ("anotherInstanceStarted []", startTimeout, 2));

    EXPECT_TRUE (probe->isRunning());
    quit (*probe);
}

TEST_F (SingleInstanceTest, UnusableCacheFolderIsReportedAndFails)
{
    const auto notAFolder = cache.get().getChildFile ("not-a-folder");
    ASSERT_TRUE (notAFolder.create());
    const auto lockPath = notAFolder.getChildFile ("lifecycle_probe").getChildFile ("quenmarAppLock_Lifecycle Probe");

    ProbeProcess probe ({ "-m" }, { { "XDG_CACHE_HOME", notAFolder.getFullPathName().toStdString() } });

    EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
    EXPECT_EQ (probe.outputLines(), Lines { "shutdown" });
    const auto errors = probe.errorLines();
    ASSERT_EQ (errors.size(), 1u);
    EXPECT_NE (errors[0].find (lockPath.getFullPathName().toStdString()), std::string::npos) << errors[0];
    EXPECT_NE (errors[0].find ("Not a directory"), std::string::npos) << errors[0];
}

TEST_F (SingleInstanceTest, ManyInstancesAllowedTakeNoLock)
{
    auto first = start ({}, { { "LIFECYCLE_PROBE_INSTANCES", "many" } });
    auto second = start ({}, { { "LIFECYCLE_PROBE_INSTANCES", "many" } });

    EXPECT_TRUE (first->waitForLine ("initialise", startTimeout));
    EXPECT_TRUE (second->waitForLine ("initialise", startTimeout));
    EXPECT_FALSE (cache.get().getChildFile ("lifecycle_probe").exists());

    quit (*first);
    quit (*second);
}
