// Kept to this file: Xlib's macros clash with the framework's names elsewhere.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app_lifecycle/PendingWindowRequests.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace app_lifecycle
{
    void PendingWindowRequests::sendNow()
    {
        auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();

        if (windowSystem == nullptr || windowSystem->getDisplay() == nullptr)
            return;

        juce::XWindowSystemUtilities::ScopedXLock xLock;
        juce::X11Symbols::getInstance()->xFlush (windowSystem->getDisplay());
    }
}
