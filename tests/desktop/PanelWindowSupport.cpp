#include "PanelWindowSupport.h"

#include "support/XWindowWatch.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <cstdlib>

namespace desktop_tests
{
    namespace
    {
        // The output mute button's centre in the window.
        constexpr int muteButtonX = 214;
        constexpr int muteButtonY = 295;

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

        bool run (const std::string& command)
        {
            return std::system (command.c_str()) == 0;
        }

        // The window's picture once it has stopped changing (a hover
        // repaint, say).
        std::vector<std::uint32_t> settledPicture (test_support::XWindowWatch& watch)
        {
            auto picture = watch.pixels();

            for (int i = 0; i < 20; ++i)
            {
                juce::Thread::sleep (100);
                auto next = watch.pixels();

                if (next == picture)
                    break;

                picture = std::move (next);
            }

            return picture;
        }
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

    unsigned long activeWindow()
    {
        return std::strtoul (firstLineOf ("xdotool getactivewindow 2>/dev/null").c_str(), nullptr, 10);
    }

    void pressEscape (unsigned long windowId)
    {
        run ("xdotool windowactivate --sync " + std::to_string (windowId) + " key Escape");
    }

    void holdEscape (unsigned long windowId)
    {
        run ("xdotool windowactivate --sync " + std::to_string (windowId) + " keydown Escape");
    }

    void releaseEscape()
    {
        run ("xdotool keyup Escape");
    }

    bool takesClick (unsigned long windowId)
    {
        const auto window = std::to_string (windowId);

        if (! run ("xdotool mousemove --window " + window + " " + std::to_string (muteButtonX) + " " + std::to_string (muteButtonY)))
            return false;

        test_support::XWindowWatch watch (windowId);
        const auto before = settledPicture (watch);

        if (before.empty() || ! run ("xdotool click 1"))
            return false;

        for (int i = 0; i < 30; ++i, juce::Thread::sleep (100))
            if (const auto after = watch.pixels(); ! after.empty() && after != before)
                return true;

        return false;
    }
}
