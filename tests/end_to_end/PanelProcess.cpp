#include "PanelProcess.h"

#include "Command.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace end_to_end
{
    PanelProcess::PanelProcess()
        : folder (juce::File::createTempFile ("end-to-end")),
          errorFile (folder.getChildFile ("panel.err"))
    {
        folder.createDirectory();
    }

    PanelProcess::~PanelProcess()
    {
        if (pid > 0 && ::kill (pid, SIGKILL) == 0)
            ::waitpid (pid, nullptr, 0);

        folder.deleteRecursively();
    }

    // env execs the program, which keeps the process id.
    bool PanelProcess::start()
    {
        const auto cacheSetting = "XDG_CACHE_HOME=" + folder.getFullPathName().toStdString();
        const char* argv[] { "env", cacheSetting.c_str(), PANEL_PROGRAM_PATH, nullptr };

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errorFile.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const auto spawned = ::posix_spawnp (&pid, "env", &actions, nullptr, const_cast<char**> (argv), environ);
        posix_spawn_file_actions_destroy (&actions);

        if (spawned != 0)
        {
            pid = -1;
            return false;
        }

        window = runCommand ({ "xdotool", "search", "--sync", "--onlyvisible", "--pid", juce::String (pid) })
                     .upToFirstOccurrenceOf ("\n", false, false);
        return window.isNotEmpty();
    }

    std::optional<int> PanelProcess::quit()
    {
        // Never -1, which would signal every process of the user.
        if (pid <= 0)
            return std::nullopt;

        ::kill (pid, SIGTERM);

        for (int waited = 0; waited < 10000; waited += 10, juce::Thread::sleep (10))
        {
            if (int status = 0; ::waitpid (pid, &status, WNOHANG) == pid)
            {
                pid = -1;
                return WIFEXITED (status) ? std::optional<int> (WEXITSTATUS (status)) : std::nullopt;
            }
        }

        return std::nullopt;
    }

    PanelScreenshot PanelProcess::screenshot()
    {
        const auto file = folder.getChildFile ("screenshot.png");
        runCommand ({ "import", "-window", window, file.getFullPathName() });
        return PanelScreenshot (juce::ImageFileFormat::loadFrom (file));
    }

    bool PanelProcess::waitUntilShown (const std::function<bool (const PanelScreenshot&)>& check, int timeoutMilliseconds)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

        do
        {
            if (check (screenshot()))
                return true;
        }
        while (juce::Time::getMillisecondCounter() < deadline);

        return false;
    }

    void PanelProcess::click (juce::Point<int> panelPoint)
    {
        auto actions = moveTo (panelPoint);
        actions.addArray ({ "click", "1", "sleep", "0.05" });
        xdotool (actions);
    }

    // In steps, as a hand moves: the slider follows each.
    void PanelProcess::drag (juce::Point<int> from, juce::Point<int> to)
    {
        auto actions = moveTo (from);
        actions.addArray ({ "mousedown", "1", "sleep", "0.05" });

        for (int step = 1; step <= 4; ++step)
            actions.addArray (moveTo (from + (to - from) * step / 4));

        actions.addArray ({ "mouseup", "1", "sleep", "0.05" });
        xdotool (actions);
    }

    juce::StringArray PanelProcess::moveTo (juce::Point<int> panelPoint) const
    {
        return { "mousemove", "--window", window, juce::String (panelPoint.x), juce::String (panelPoint.y), "sleep", "0.05" };
    }

    void PanelProcess::xdotool (const juce::StringArray& actions)
    {
        juce::StringArray command { "xdotool" };
        command.addArray (actions);
        runCommand (command);
    }
}
