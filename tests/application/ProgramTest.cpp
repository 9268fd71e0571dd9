#include "../lifecycle/ProbeProcess.h"
#include "support/PanelWindowSearch.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
    // The program with a cache folder of its own (its single-instance lock
    // lives there) and its error output into a file. env execs the program,
    // which keeps the process id.
    pid_t startProgram (const juce::File& cacheFolder, const juce::File& errorFile)
    {
        auto cacheSetting = "XDG_CACHE_HOME=" + cacheFolder.getFullPathName().toStdString();
        // JUCE unloads the X library at its shutdown; kept loaded, what the
        // library holds is not taken for a leak. It then comes before the
        // sanitizer's runtime.
        const char* argv[] { "env", cacheSetting.c_str(), "LD_PRELOAD=libX11.so.6",
                             "ASAN_OPTIONS=verify_asan_link_order=0", PANEL_PROGRAM_PATH, nullptr };

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errorFile.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        const auto result = ::posix_spawnp (&pid, "env", &actions, nullptr, const_cast<char**> (argv), environ);
        posix_spawn_file_actions_destroy (&actions);
        return result == 0 ? pid : -1;
    }

    // The exit status; nothing when the time ran out or a signal ended it.
    std::optional<int> waitForExit (pid_t pid)
    {
        for (int waited = 0; waited < 30000; waited += 10, juce::Thread::sleep (10))
            if (int status = 0; ::waitpid (pid, &status, WNOHANG) == pid)
                return WIFEXITED (status) ? std::optional<int> (WEXITSTATUS (status)) : std::nullopt;

        return std::nullopt;
    }
}

TEST (PanelProgram, RunsOnceShowsItsWindowAndQuitsCleanlyOnTheQuitRequest)
{
    const auto cache = juce::File::createTempFile ("panel-cache");
    ASSERT_TRUE (cache.createDirectory());
    const juce::ScopeGuard deleteCache { [&] { cache.deleteRecursively(); } };
    const auto runningErrors = cache.getChildFile ("running.err");
    const auto secondErrors = cache.getChildFile ("second.err");

    const auto running = startProgram (cache, runningErrors);
    ASSERT_GT (running, 0);
    const juce::ScopeGuard killLeftover { [&] { if (::kill (running, SIGKILL) == 0) ::waitpid (running, nullptr, 0); } };
    ASSERT_TRUE (test_support::findPanelWindow (running, true).has_value()) << runningErrors.loadFileAsString();
    EXPECT_TRUE (cache.getChildFile ("kdar7-volume-panel/quenmarAppLock_K-DAR7 Volume Panel").existsAsFile());

    // Refused at the lock, the second start touches no sound server: other
    // clients would see it come and go.
    {
        lifecycle_tests::ProbeProcess serverEvents ({ "subscribe" }, {}, "pactl");
        juce::Thread::sleep (200);
        EXPECT_EQ (waitForExit (startProgram (cache, secondErrors)), 0);
        juce::Thread::sleep (200);
        EXPECT_FALSE (serverEvents.waitForLine ("Event 'new' on client", 0));
        EXPECT_TRUE (serverEvents.isRunning());
    }

    EXPECT_EQ (secondErrors.loadFileAsString(), "");

    ::kill (running, SIGTERM);
    EXPECT_EQ (waitForExit (running), 0);
    EXPECT_EQ (runningErrors.loadFileAsString(), "");
}
