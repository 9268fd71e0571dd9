// Kept to this file: Xlib's macros clash with the framework's names elsewhere.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app_lifecycle/GraphicalDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace app_lifecycle
{
    namespace
    {
        std::string displayName()
        {
            const auto* name = std::getenv ("DISPLAY");
            return name != nullptr ? name : "";
        }

        constexpr auto noDisplay = "needs a graphical display, and none could be opened (is DISPLAY set?)";

        std::string whyNoWindows()
        {
            auto* windowSystem = juce::XWindowSystem::getInstance();

            // JUCE 7 keeps a display whose screen it cannot draw on open,
            // finds its screens, and makes windows that never appear.
            if (windowSystem->getDisplay() != nullptr && ! windowSystem->isX11Available())
                return "cannot draw on the display \"" + displayName() + "\", which offers no 16, 24 or 32-bit colour";

            if (windowSystem->getDisplay() == nullptr || juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
                return noDisplay;

            return {};
        }
    }

    std::string GraphicalDisplay::startGui()
    {
        if (displayName().empty())
            return noDisplay;

        std::ostringstream heldBack;
        auto* const errorOutput = std::cerr.rdbuf (heldBack.rdbuf());

        juce::initialiseJuce_GUI();
        auto reason = whyNoWindows();

        std::cerr.rdbuf (errorOutput);

        if (const auto held = heldBack.str(); reason.empty() && ! held.empty())
            std::cerr << held << std::flush;

        return reason;
    }
}
