#include "XWindows.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <csignal>
#include <optional>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace
{
    // A cache folder of the test's own, deleted with its contents after.
    struct ScratchFolder
    {
        ScratchFolder()     { folder.createDirectory(); }
        ~ScratchFolder()    { folder.deleteRecursively(); }

        const juce::File folder = juce::File::createTempFile ("panel-cache");
    };

    // The panel program, started with a cache folder of its own (where its
    // single-instance lock lives) and its error output kept in a file.
    class PanelProgram
    {
    public:
        PanelProgram (const juce::File& cacheFolder, const juce::File& errorFile)
            : errors (errorFile)
        {
            std::vector<std::string> command { "env",
                                               "XDG_CACHE_HOME=" + cacheFolder.getFullPathName().toStdString(),
                                               // JUCE unloads the X library at shutdown: kept
                                               // loaded, what it holds is not taken for leaks.
                                               // It then comes before the sanitizer's runtime.
                                               "LD_PRELOAD=libX11.so.6",
                                               "ASAN_OPTIONS=verify_asan_link_order=0",
                                               PANEL_PROGRAM_PATH };
            std::vector<char*> argv;

            for (auto& word : command)
                argv.push_back (word.data());

            argv.push_back (nullptr);

            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errors.getFullPathName().toRawUTF8(),
                                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
            // env replaces itself by the program, which keeps the process id.
            const auto result = ::posix_spawnp (&pid, "env", &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy (&actions);

            if (result != 0)
                throw std::runtime_error ("cannot start the panel program");
        }

        ~PanelProgram()
        {
            if (! status)
            {
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
            }
        }

        // The exit status; nothing when it still runs or a signal ended it.
        std::optional<int> waitForExit (int timeoutMilliseconds)
        {
            test_support::pumpUntil ([this] { return hasEnded(); }, timeoutMilliseconds);

            if (! status || ! WIFEXITED (*status))
                return std::nullopt;

            return WEXITSTATUS (*status);
        }

        bool hasEnded()
        {
            int waitStatus = 0;

            if (! status && ::waitpid (pid, &waitStatus, WNOHANG) == pid)
                status = waitStatus;

            return status.has_value();
        }

        juce::String errorOutput() const    { return errors.loadFileAsString(); }

        const juce::File errors;
        pid_t pid = -1;
        std::optional<int> status;
    };
}

TEST (PanelProgram, RunsOnceShowsItsWindowAndQuitsCleanlyOnTheQuitRequest)
{
    const ScratchFolder cache;
    ASSERT_TRUE (cache.folder.isDirectory());
    const auto lockFile = cache.folder.getChildFile ("kdar7-volume-panel").getChildFile ("quenmarAppLock_K-DAR7 Volume Panel");

    PanelProgram running (cache.folder, cache.folder.getChildFile ("running.err"));
    ASSERT_NE (application_tests::waitForWindowOf (running.pid, 30000), 0u) << running.errorOutput();
    EXPECT_TRUE (lockFile.existsAsFile());

    PanelProgram second (cache.folder, cache.folder.getChildFile ("second.err"));
    EXPECT_EQ (second.waitForExit (30000), 0);
    EXPECT_EQ (second.errorOutput(), "");
    EXPECT_FALSE (running.hasEnded());

    ::kill (running.pid, SIGTERM);
    EXPECT_EQ (running.waitForExit (30000), 0);
    EXPECT_EQ (running.errorOutput(), "");
}
