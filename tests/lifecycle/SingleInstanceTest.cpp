#include "CacheFolder.h"
#include "ProbeProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/stat.h>

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
    const Lines firstLines { "initialise [-m] [] [] [x]", "thread lifecycle_probe" };
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
    const juce::ScopeGuard killHelper { [helper] { ::kill (helper, SIGKILL); } };
    ASSERT_EQ (::kill (helper, 0), 0);

    auto next = startRunning();
    EXPECT_TRUE (next->waitForLine ("initialise", 0));
    EXPECT_TRUE (next->isRunning());
    quit (*next);
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

TEST_F (SingleInstanceTest, RequestsInTheFirstMomentsWaitAndSignalsIgnoredAtTheStartStayIgnored)
{
    // As nohup and a script's background job start it.
    std::signal (SIGHUP, SIG_IGN);
    std::signal (SIGINT, SIG_IGN);
    auto probe = start ({}, { { "LIFECYCLE_PROBE_EARLY_REQUESTS", "yes" } });
    std::signal (SIGHUP, SIG_DFL);
    std::signal (SIGINT, SIG_DFL);

    EXPECT_TRUE (probe->waitForLine ("anotherInstanceStarted []", startTimeout));

    probe->sendSignal (SIGHUP);
    probe->sendSignal (SIGINT);
    probe->sendSignal (SIGUSR2);
    EXPECT_TRUE (probe->waitForLine ("anotherInstanceStarted []", startTimeout, 2));
    EXPECT_EQ (probe->countOf ("systemRequestedQuit 0"), 0);
    EXPECT_TRUE (probe->isRunning());
    quit (*probe);
}

TEST_F (SingleInstanceTest, CacheFolderIsAnAbsoluteXdgCacheHomeElseTheHomesCache)
{
    const auto home = cache.get().getChildFile ("home");
    const auto workingFolder = cache.get().getChildFile ("working");
    ASSERT_TRUE (workingFolder.createDirectory());
    const auto homeLock = home.getChildFile (".cache/lifecycle_probe/quenmarAppLock_Lifecycle Probe");
    const auto xdgFolder = cache.get().getChildFile ("xdg");
    const auto xdgLock = xdgFolder.getChildFile ("lifecycle_probe/quenmarAppLock_Lifecycle Probe");
    const auto xdgPath = xdgFolder.getFullPathName();

    const struct { const char* xdgCacheHome; bool homeSet; juce::File lock; } rows[] {
        { nullptr, true, homeLock },
        { "", true, homeLock },
        { "relative", true, homeLock },
        { "~/x", true, homeLock },
        { "~root/c", true, homeLock },
        { xdgPath.toRawUTF8(), false, xdgLock },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.xdgCacheHome == nullptr ? "unset" : row.xdgCacheHome);
        std::vector<std::string> launcher { "env", "-C", workingFolder.getFullPathName().toStdString(), "-u", "XDG_CACHE_HOME" };
        std::map<std::string, std::string> environment;

        if (row.xdgCacheHome != nullptr)
            environment.emplace ("XDG_CACHE_HOME", row.xdgCacheHome);

        if (row.homeSet)
            environment.emplace ("HOME", home.getFullPathName().toStdString());
        else
            launcher.insert (launcher.end(), { "-u", "HOME" });

        ProbeProcess probe ({}, environment, LIFECYCLE_PROBE_PATH, launcher);
        EXPECT_TRUE (probe.waitForLine ("initialise", startTimeout));
        EXPECT_TRUE (row.lock.existsAsFile());
        // Other programs the framework starts (gsettings) may follow a
        // relative cache folder; the lock must not.
        EXPECT_TRUE (workingFolder.findChildFiles (juce::File::findFiles, true, "quenmarAppLock_*").isEmpty());
        quit (probe);
        home.deleteRecursively();
        xdgFolder.deleteRecursively();
    }
}

TEST_F (SingleInstanceTest, AnUnusableLockIsReportedAndFailsAtOnceLeavingNoFolderBehind)
{
    const auto notAFolder = cache.get().getChildFile ("not-a-folder");
    ASSERT_TRUE (notAFolder.create());
    const auto fifoCache = cache.get().getChildFile ("fifo");
    ASSERT_TRUE (fifoCache.getChildFile ("lifecycle_probe").createDirectory());
    const auto fifo = fifoCache.getChildFile ("lifecycle_probe/quenmarAppLock_Lifecycle Probe");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);

    // Deeper than a path may be; and a name longer than a folder name may
    // be, under two folders that the lock would have to make first.
    juce::String deep = cache.path();

    while (deep.length() < 5000)
        deep << "/d";

    const auto longName = cache.get().getChildFile ("a/b/" + juce::String::repeatedString ("x", 300)).getFullPathName();
    const auto lockIn = [] (const juce::String& folder) { return folder + "/lifecycle_probe/quenmarAppLock_Lifecycle Probe"; };

    const struct { const char* label; std::map<std::string, std::string> environment; std::vector<std::string> launcher;
                   juce::String path; const char* reason; } rows[] {
        { "a file on the way", { { "XDG_CACHE_HOME", notAFolder.getFullPathName().toStdString() } }, {},
          lockIn (notAFolder.getFullPathName()), "Not a directory" },
        { "a FIFO for the lock", { { "XDG_CACHE_HOME", fifoCache.getFullPathName().toStdString() } }, {},
          fifo.getFullPathName(), "not a regular file" },
        { "a path too long", { { "XDG_CACHE_HOME", deep.toStdString() } }, {}, lockIn (deep), "File name too long" },
        { "a name too long", { { "XDG_CACHE_HOME", longName.toStdString() } }, {}, lockIn (longName), "File name too long" },
        { "a relative HOME", { { "HOME", "home" } }, { "env", "-C", cache.path(), "-u", "XDG_CACHE_HOME" },
          lockIn ("~/.cache"), "not an absolute path" },
        { "no HOME", {}, { "env", "-C", cache.path(), "-u", "XDG_CACHE_HOME", "-u", "HOME" },
          lockIn ("~/.cache"), "not an absolute path" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.label);
        ProbeProcess probe ({ "-m" }, row.environment, LIFECYCLE_PROBE_PATH, row.launcher);

        EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
        EXPECT_EQ (probe.outputLines(), Lines { "shutdown" });
        const auto errors = probe.errorLines();
        ASSERT_EQ (errors.size(), 1u);
        EXPECT_EQ (errors[0], "Lifecycle Probe: cannot use the single-instance lock file \""
                              + row.path.toStdString() + "\": " + row.reason);
        // The file and the FIFO's folder only.
        EXPECT_EQ (cache.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    }
}

TEST_F (SingleInstanceTest, TooFewFileDescriptorsAreReportedAndFailUnlessTheLimitCanBeRaised)
{
    const struct { const char* limit; bool runs; } rows[] { { "-n 5", false }, { "-n 8", false }, { "-S -n 5", true } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.limit);
        // What the test process leaves open is closed first: the loader
        // needs a descriptor of its own below the limit.
        const auto script = std::string ("exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-; ulimit ") + row.limit + " && exec \"$@\"";
        ProbeProcess probe ({}, { { "XDG_CACHE_HOME", cache.path() } }, LIFECYCLE_PROBE_PATH, { "sh", "-c", script, "sh" });

        if (row.runs)
        {
            EXPECT_TRUE (probe.waitForLine ("initialise", startTimeout));
            quit (probe);
            continue;
        }

        EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
        const auto errors = probe.errorLines();
        ASSERT_EQ (errors.size(), 1u);
        EXPECT_EQ (errors[0].rfind ("Lifecycle Probe: too few file descriptors: ", 0), 0u) << errors[0];
    }
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
