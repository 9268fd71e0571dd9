#include "PanelWindowSupport.h"

#include "support/XWindowWatch.h"

#include <juce_core/juce_core.h>

#include <cstdlib>

namespace desktop_tests
{
    namespace
    {
        // The output mute button's centre in the window.
        constexpr int muteButtonX = 214;
        constexpr int muteButtonY = 295;

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
