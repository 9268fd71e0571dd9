#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace app_lifecycle
{
    // The base of the program's document windows. Every native window
    // (peer) it gets, the first one and each re-created one, installs the
    // reopen-application handler with itself as the reference value, and
    // the window can mark itself as the main window.
    class ApplicationWindow : public juce::DocumentWindow
    {
    public:
        ApplicationWindow (const juce::String& name,
                           juce::Colour backgroundColour,
                           int buttonsWanted,
                           bool shouldAddToDesktop = true);

        // Call it once the window is on the desktop: true records its peer
        // as the main window's, false clears the record (MainWindowRecord).
        void setIsMainWindow (bool isMain);

        // A derived window that overrides this calls it too.
        void parentHierarchyChanged() override;

    private:
        void installReopenHandlerForNewPeer();

        juce::uint32 peerWithReopenHandler = 0;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ApplicationWindow)
    };
}
