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
    // JUCE 7 re-creates a window's peer through a qualified call of
    // Component::addToDesktop, which an override would not see, and tells
    // no one when a peer dies. So the record listens to the peer's
    // component, which hears of each re-creation twice (the old peer still
    // alive, then the new one in place), and keeps the peer's unique id: a
    // dead peer's address may be taken by a new one.
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

        void record (juce::ComponentPeer* peer);
        juce::ComponentPeer* livePeer() const;

        void componentParentHierarchyChanged (juce::Component& component) override;
        void componentBeingDeleted (juce::Component& component) override;

        juce::Component::SafePointer<juce::Component> peerComponent;
        juce::uint32 peerId = 0;
        bool movingToNewPeer = false;

        JUCE_DECLARE_NON_COPYABLE (MainWindowRecord)
    };
}
