// Kept to this file: Xlib's macros clash with the framework's names elsewhere.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app_lifecycle/GraphicalDisplay.h"

#include "platform/ErrorOutput.h"

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

        bool serverAnswers (const std::string& name)
        {
            auto* display = ::XOpenDisplay (name.c_str());

            if (display == nullptr)
                return false;

            ::XCloseDisplay (display);
            return true;
        }

        std::string whyNoWindows()
        {
            if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
                return {};

            // The framework (patched) closes a display whose screen it
            // cannot draw on, as one that does not answer.
            if (serverAnswers (displayName()))
                return "cannot draw on the display \"" + displayName() + "\", which offers no 16, 24 or 32-bit colour";

            return noDisplay;
        }
    }

    std::string GraphicalDisplay::whyNoDisplayNamed()
    {
        return displayName().empty() ? noDisplay : "";
    }

    std::string GraphicalDisplay::startGui()
    {
        std::ostringstream heldBack;
        auto* const errorOutput = std::cerr.rdbuf (heldBack.rdbuf());

        juce::initialiseJuce_GUI();
        auto reason = whyNoWindows();

        std::cerr.rdbuf (errorOutput);

        if (auto held = heldBack.str(); reason.empty() && ! held.empty())
        {
            if (held.back() == '\n')
                held.pop_back();

            platform::ErrorOutput::writeLine (held);
        }

        return reason;
    }
}
