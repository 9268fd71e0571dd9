#pragma once

#include <string>

namespace app_lifecycle
{
    // The framework's GUI on the X display that DISPLAY names.
    class GraphicalDisplay
    {
    public:
        // Starts the framework's GUI; empty when it can show windows, else
        // why not. Without a display name nothing is started: the framework
        // would take ":0", whatever server answers there. The framework says
        // on std::cerr why it cannot draw on a display it opened; that is
        // held back, and the reason given here instead.
        static std::string startGui();
    };
}
