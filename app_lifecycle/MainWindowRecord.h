#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace app_lifecycle
{
    // The process-wide record of which native window (peer) is the
    // program's main window. The record follows the window to every peer
    // the framework re-creates for it (a change of style flags, the native
    // title bar, the drop shadow), and is gone when set false or when the
    // recorded peer dies. Message thread only.
    //
    // JUCE 7 re-creates a window's peer through Component::addToDesktop,
    // often by a qualified call that an override would not see, and tells
    // no one when a peer dies. So the record listens to the peer's
    // component, which hears of each re-creation twice (the old peer still
    // alive, then the new one in place), and a reader checks that the
    // recorded peer is still the same live peer.
    class MainWindowRecord : private juce::ComponentListener
    {
    public:
        // True makes the window's current peer (its own, or that of its
        // nearest ancestor on the desktop) the main one; a window without a
        // peer does not become main, now or later. False clears the record,
        // whichever window it names.
        static void setIsMainWindow (juce::TopLevelWindow& window, bool isMain);

        // The main window's peer, or null; never a dead peer.
        static juce::ComponentPeer* mainPeer();

    private:
        MainWindowRecord() = default;
        ~MainWindowRecord() override = default;

        static MainWindowRecord& instance();

        void record (juce::ComponentPeer* newPeer);
        void forget();
        bool holdsLivePeer() const;

        void componentParentHierarchyChanged (juce::Component& component) override;
        void componentBeingDeleted (juce::Component& component) override;

        juce::ComponentPeer* peer = nullptr;
        juce::uint32 peerId = 0;
        juce::Component::SafePointer<juce::Component> peerComponent;
        bool movingToNewPeer = false;

        JUCE_DECLARE_NON_COPYABLE (MainWindowRecord)
    };
}
