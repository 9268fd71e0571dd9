#include "PanelProcess.h"

#include "Command.h"

#include "support/PanelWindowSearch.h"
#include "support/XWindowState.h"

#include <csignal>

namespace end_to_end
{
    bool PanelProcess::start (const std::map<std::string, std::string>& environment)
    {
        auto variables = environment;
        variables["XDG_CACHE_HOME"] = folder.path();
        process = std::make_unique<test_support::ChildProcess> (std::vector<std::string> {}, variables, PANEL_PROGRAM_PATH);
        const auto found = test_support::findPanelWindow (process->processId(), true);
        window = found.has_value() ? juce::String (*found) : juce::String();
        return found.has_value();
    }

    std::optional<int> PanelProcess::quit()
    {
        if (process == nullptr)
            return std::nullopt;

        process->sendSignal (SIGTERM);
        return process->waitForExit (10000);
    }

    juce::String PanelProcess::errorOutput()
    {
        return process != nullptr ? juce::String (process->errorOutput()) : juce::String();
    }

    PanelScreenshot PanelProcess::screenshot()
    {
        const auto file = folder.get().getChildFile ("screenshot.png");
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

    bool PanelProcess::hideByCloseBox()
    {
        test_support::pressCloseBox ((unsigned long) window.getLargeIntValue());
        return test_support::waitUntilMapped ((unsigned long) window.getLargeIntValue(), false);
    }

    bool PanelProcess::reopen()
    {
        process->sendSignal (SIGUSR1);
        return test_support::waitUntilMapped ((unsigned long) window.getLargeIntValue(), true);
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
