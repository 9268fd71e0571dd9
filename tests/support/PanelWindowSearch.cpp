#include "support/PanelWindowSearch.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <cstdlib>

namespace test_support
{
    std::string firstLineOf (const std::string& command)
    {
        std::string text;

        if (auto* output = ::popen (command.c_str(), "r"))
        {
            char buffer[256];

            if (std::fgets (buffer, sizeof (buffer), output) != nullptr)
                text = buffer;

            ::pclose (output);
        }

        return text;
    }

    std::optional<unsigned long> findPanelWindow (pid_t pid, bool visibleOnly)
    {
        // xdotool ends at the X error when a window goes away while it
        // looks (a program that just ended, a window manager's frame): it
        // is asked again while there is time.
        const auto deadline = juce::Time::getMillisecondCounter() + 30000;

        for (auto now = juce::Time::getMillisecondCounter(); now < deadline; now = juce::Time::getMillisecondCounter())
        {
            const auto line = firstLineOf ("timeout " + std::to_string ((deadline - now) / 1000.0) + " xdotool search --sync --all "
                                           + std::string (visibleOnly ? "--onlyvisible " : "")
                                           + "--pid " + std::to_string (pid) + " --name '^K-DAR7$' 2>/dev/null");

            if (const auto window = std::strtoul (line.c_str(), nullptr, 10); window != 0)
                return window;

            juce::Thread::sleep (50);
        }

        return std::nullopt;
    }
}
