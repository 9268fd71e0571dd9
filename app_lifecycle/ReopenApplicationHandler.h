#pragma once

#include "platform/apple_events/AppleEvents.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace app_lifecycle
{
    // The reopen-application event ('aevt'/'rapp', a click on the dock
    // icon) shows the main window again.
    class ReopenApplicationHandler
    {
    public:
        // Installs the handler with this peer as its reference value,
        // replacing the previous installation; it is never removed.
        static void installFor (const juce::ComponentPeer& peerWithNewWindow);

        // Shows the main window's peer, else the reference peer, and
        // returns noErr; eventNotHandledErr when neither is alive. A shown
        // peer whose window component is invisible (started hidden) has
        // its component made visible too, or the window on screen would
        // take no click and its panel would never poll.
        static OSErr handleReopenApplication (const AppleEvent* event, AppleEvent* reply, long handlerRefcon);

    private:
        static void show (juce::ComponentPeer& peer);
        static juce::ComponentPeer* livePeerWithId (juce::uint32 uniqueId);
    };
}
