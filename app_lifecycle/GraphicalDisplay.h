#pragma once

#include <string>

namespace app_lifecycle
{
    // The framework's GUI on the X display that DISPLAY names.
    class GraphicalDisplay
    {
    public:
        // Empty when DISPLAY names a display, else why a start cannot go
        // on: the framework would take ":0", whatever server answers there.
        // Asked before any work of the start, which would be wasted.
        static std::string whyNoDisplayNamed();

        // Starts the framework's GUI on the named display; empty when it can
        // show windows, else why not. The framework says on std::cerr why it
        // cannot draw on a display it opened; that is held back, and the
        // reason given here instead.
        static std::string startGui();
    };
}
