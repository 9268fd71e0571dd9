#include "support/CacheFolder.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using test_support::CacheFolder;
using test_support::ChildProcess;
using Lines = std::vector<std::string>;

namespace
{
    constexpr int startTimeout = 10000;
    constexpr int exitTimeout = 10000;

    // The variable as the process was started with it; nothing when unset.
    // The process may still be in its exec, with no environment yet.
    std::optional<std::string> environmentOf (pid_t pid, const std::string& name)
    {
        for (int waited = 0; waited < 1000; waited += 5, juce::Thread::sleep (5))
        {
            std::ifstream variables ("/proc/" + std::to_string (pid) + "/environ");
            std::vector<std::string> entries;

            for (std::string entry; std::getline (variables, entry, '\0');)
                entries.push_back (entry);

            if (entries.empty())
                continue;

            for (const auto& entry : entries)
                if (entry.rfind (name + "=", 0) == 0)
                    return entry.substr (name.size() + 1);

            return std::nullopt;
        }

        return std::nullopt;
    }
    class SingleInstanceTest : public ::testing::Test
    {
    protected:
        std::unique_ptr<ChildProcess> start (const std::vector<std::string>& arguments = {},
                                             std::map<std::string, std::string> environment = {})
        {
            environment.emplace ("XDG_CACHE_HOME", cache.path());
            return std::make_unique<ChildProcess> (arguments, environment, LIFECYCLE_PROBE_PATH);
        }

        // Starts a probe that is to become the running instance, and waits
        // until its initialise has run.
        std::unique_ptr<ChildProcess> startRunning (const std::vector<std::string>& arguments = {})
        {
            auto probe = start (arguments);
            EXPECT_TRUE (probe->waitForLine ("thread ", startTimeout));
            return probe;
        }

        static void quit (ChildProcess& probe)
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
    const Lines firstLines { "startingUp", "initialise [-m] [] [] [x]", "thread lifecycle_probe" };
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
    std::vector<std::unique_ptr<ChildProcess>> probes;

    for (int i = 0; i < 20; ++i)
        probes.push_back (start ({ std::to_string (i) }));

    const auto stillRunning = [&]
    {
        std::vector<ChildProcess*> running;

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
        ASSERT_GE (lines.size(), 4u);
        EXPECT_EQ (lines[3], "systemRequestedQuit 0");
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

// The lock's folder from the environment's bytes, a home folder from the
// password database when HOME is of no use, and a relative XDG_CACHE_HOME
// kept from the programs the program starts (gsettings would follow it).
TEST_F (SingleInstanceTest, CacheFolderIsAnAbsoluteXdgCacheHomeElseTheHomesCacheAndOnlyAnAbsoluteOneIsPassedOn)
{
    namespace fs = std::filesystem;
    const auto home = cache.path() + "/home";
    const auto working = cache.get().getChildFile ("working");
    ASSERT_TRUE (working.createDirectory());
    const auto xdg = cache.path() + "/xdg";
    const auto notUtf8 = cache.path() + "/caf\xe9";

    // Named apart from the probe: a lock in the user's own cache folder is
    // then this test's alone, and removed after it.
    const auto programName = "probe-" + std::to_string (::getpid());
    const auto program = cache.path() + "/" + programName;
    fs::create_symlink (LIFECYCLE_PROBE_PATH, program);
    const auto* user = ::getpwuid (::getuid());
    ASSERT_NE (user, nullptr);
    const auto userCache = std::string (user->pw_dir) + "/.cache";
    const auto userCacheExisted = fs::exists (userCache);

    using Setting = std::optional<std::string>;
    const struct { Setting xdgCacheHome; Setting home; std::string cacheFolder; } rows[] {
        { std::nullopt, home, home + "/.cache" },
        { "", home, home + "/.cache" },
        { "relative", home, home + "/.cache" },
        { "~/x", home, home + "/.cache" },
        { "~root/c", home, home + "/.cache" },
        { xdg, std::nullopt, xdg },
        { xdg + "//", home, xdg },
        { notUtf8, home, notUtf8 },
        { std::nullopt, std::nullopt, userCache },
        { std::nullopt, "", userCache },
        { "relative", "home", userCache },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.xdgCacheHome.value_or ("unset") + ", HOME " + row.home.value_or ("unset"));
        std::map<std::string, std::string> environment;

        if (row.xdgCacheHome)
            environment.emplace ("XDG_CACHE_HOME", *row.xdgCacheHome);

        if (row.home)
            environment.emplace ("HOME", *row.home);

        ChildProcess probe ({ "--start-helper" }, environment, program,
                            { "env", "-C", working.getFullPathName().toStdString(), "-u", "XDG_CACHE_HOME", "-u", "HOME" });
        const auto helperLine = probe.waitForLine ("helper ", startTimeout);
        ASSERT_TRUE (helperLine);
        const auto helper = static_cast<pid_t> (std::stol (helperLine->substr (7)));
        const auto cacheFolderPassedOn = environmentOf (helper, "XDG_CACHE_HOME");
        const auto homePassedOn = environmentOf (helper, "HOME");
        ::kill (helper, SIGKILL);

        EXPECT_TRUE (fs::is_regular_file (row.cacheFolder + "/" + programName + "/quenmarAppLock_Lifecycle Probe"));
        const auto isAbsolute = [] (const Setting& folder) { return folder && folder->rfind ("/", 0) == 0; };
        EXPECT_EQ (cacheFolderPassedOn, isAbsolute (row.xdgCacheHome) ? row.xdgCacheHome : std::nullopt);
        EXPECT_EQ (homePassedOn, ! row.home || isAbsolute (row.home) ? row.home : Setting (user->pw_dir));
        EXPECT_TRUE (working.findChildFiles (juce::File::findFilesAndDirectories, true).isEmpty());
        quit (probe);
        fs::remove_all (row.cacheFolder + "/" + programName);
        fs::remove_all (home);
        fs::remove_all (xdg);
    }

    if (! userCacheExisted)
        fs::remove (userCache);
}

TEST_F (SingleInstanceTest, AnUnusableLockIsReportedAndFailsAtOnceLeavingNoFolderBehind)
{
    const auto notAFolder = cache.get().getChildFile ("not-a-folder");
    ASSERT_TRUE (notAFolder.create());
    const auto fifoCache = cache.get().getChildFile ("fifo");
    ASSERT_TRUE (fifoCache.getChildFile ("lifecycle_probe").createDirectory());
    const auto fifo = fifoCache.getChildFile ("lifecycle_probe/quenmarAppLock_Lifecycle Probe");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    // Pointing where a file of the user's own could be made.
    const auto linkCache = cache.get().getChildFile ("link");
    ASSERT_TRUE (linkCache.getChildFile ("lifecycle_probe").createDirectory());
    const auto link = linkCache.getChildFile ("lifecycle_probe/quenmarAppLock_Lifecycle Probe");
    ASSERT_TRUE (cache.get().getChildFile ("link-target").createSymbolicLink (link, false));

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
        { "a symbolic link for the lock", { { "XDG_CACHE_HOME", linkCache.getFullPathName().toStdString() } }, {},
          link.getFullPathName(), "Too many levels of symbolic links" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.label);
        ChildProcess probe ({ "-m" }, row.environment, LIFECYCLE_PROBE_PATH, row.launcher);

        EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
        EXPECT_EQ (probe.outputLines(), Lines { "shutdown" });
        const auto errors = probe.errorLines();
        ASSERT_EQ (errors.size(), 1u);
        EXPECT_EQ (errors[0], "Lifecycle Probe: cannot use the single-instance lock file \""
                              + row.path.toStdString() + "\": " + row.reason);
        // The file, the FIFO's folder and the link's only.
        EXPECT_EQ (cache.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 3);
    }
}

// A launcher that has ended leaves stderr a pipe that nobody reads: saying
// why fails, and the start still ends with status 1, not by SIGPIPE.
TEST_F (SingleInstanceTest, AFailedStartEndsWithStatusOneWhenNobodyReadsItsErrorOutput)
{
    const auto notAFolder = cache.get().getChildFile ("not-a-folder");
    ASSERT_TRUE (notAFolder.create());
    ChildProcess probe ({}, { { "XDG_CACHE_HOME", notAFolder.getFullPathName().toStdString() } }, LIFECYCLE_PROBE_PATH,
                        { "bash", "-c", "exec 2> >(:); wait $!; exec \"$@\"", "bash" });

    EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
}

// Without a display name the start goes no further than the lock: the
// application's own start-up work (the panel's pictures) would be wasted.
TEST_F (SingleInstanceTest, AStartWithoutADisplayNameFailsBeforeTheApplicationStartsUp)
{
    ChildProcess probe ({}, { { "XDG_CACHE_HOME", cache.path() } }, LIFECYCLE_PROBE_PATH, { "env", "-u", "DISPLAY" });

    EXPECT_EQ (probe.waitForExit (exitTimeout), 1);
    EXPECT_EQ (probe.outputLines(), Lines { "shutdown" });
    EXPECT_EQ (probe.errorLines(), Lines { "Lifecycle Probe: needs a graphical display, and none could be opened (is DISPLAY set?)" });
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
        ChildProcess probe ({}, { { "XDG_CACHE_HOME", cache.path() } }, LIFECYCLE_PROBE_PATH, { "sh", "-c", script, "sh" });

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
