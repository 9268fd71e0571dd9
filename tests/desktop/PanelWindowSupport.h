#pragma once

#include "support/PanelWindowSearch.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace desktop_tests
{
    // The panel's name on the session bus.
    inline const std::string panelBusName { "example.quenmar.Kdar7VolumePanel" };

    // How long a reopened window may take to appear.
    constexpr int reopenBoundMilliseconds = 300;

    // Escape pressed in the window.
    void pressEscape (unsigned long windowId);

    // Escape pressed in the window and held down, until released.
    void holdEscape (unsigned long windowId);
    void releaseEscape();

    // Clicks the output mute button with the real pointer and reports
    // whether the window's picture changed (the button toggled, or the
    // panel said why it could not).
    bool takesClick (unsigned long windowId);
}
