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
    // The panel program with a cache folder (where its single-instance lock
    // lives) of the test's own, its error output into a file.
    pid_t startProgram (const juce::File& cacheFolder, const juce::File& errorFile)
    {
        std::vector<std::string> command { "env", "XDG_CACHE_HOME=" + cacheFolder.getFullPathName().toStdString(),
                                           // JUCE unloads the X library at its shutdown; kept loaded, what
                                           // the library holds is not taken for a leak. It then comes
                                           // before the sanitizer's runtime.
                                           "LD_PRELOAD=libX11.so.6", "ASAN_OPTIONS=verify_asan_link_order=0",
                                           PANEL_PROGRAM_PATH };
        std::vector<char*> argv;

        for (auto& word : command)
            argv.push_back (word.data());

        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errorFile.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // env replaces itself by the program, which keeps the process id.
        pid_t pid = -1;
        const auto result = ::posix_spawnp (&pid, "env", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy (&actions);
        return result == 0 ? pid : -1;
    }

    // The exit status; nothing when the time ran out or a signal ended it.
    std::optional<int> waitForExit (pid_t pid, int timeoutMilliseconds)
    {
        for (auto waited = 0; waited < timeoutMilliseconds; waited += 10)
        {
            int status = 0;

            if (::waitpid (pid, &status, WNOHANG) == pid)
                return WIFEXITED (status) ? std::optional<int> (WEXITSTATUS (status)) : std::nullopt;

            juce::Thread::sleep (10);
        }

        return std::nullopt;
    }

    bool waitForWindow (pid_t pid)
    {
        const auto command = "timeout 30 xdotool search --sync --onlyvisible --pid " + std::to_string (pid) + " >/dev/null";
        return std::system (command.c_str()) == 0;
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
    ASSERT_TRUE (waitForWindow (running)) << runningErrors.loadFileAsString();
    EXPECT_TRUE (cache.getChildFile ("kdar7-volume-panel/quenmarAppLock_K-DAR7 Volume Panel").existsAsFile());

    const auto second = startProgram (cache, secondErrors);
    EXPECT_EQ (waitForExit (second, 30000), 0);
    EXPECT_EQ (secondErrors.loadFileAsString(), "");

    ::kill (running, SIGTERM);
    EXPECT_EQ (waitForExit (running, 30000), 0);
    EXPECT_EQ (runningErrors.loadFileAsString(), "");
}
