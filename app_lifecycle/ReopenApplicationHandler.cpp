#include "app_lifecycle/ReopenApplicationHandler.h"

#include "app_lifecycle/MainWindowRecord.h"

namespace app_lifecycle
{
    void ReopenApplicationHandler::installFor (const juce::ComponentPeer& peerWithNewWindow)
    {
        static const auto handleReopenApplicationUPP = NewAEEventHandlerUPP (&handleReopenApplication);

        // The reference value is the peer's unique id, not its address: the
        // installation outlives the peer, and a dead peer's address may be
        // taken by another window's peer.
        AEInstallEventHandler (kCoreEventClass, kAEReopenApplication, handleReopenApplicationUPP,
                               static_cast<long> (peerWithNewWindow.getUniqueID()), false);
    }

    OSErr ReopenApplicationHandler::handleReopenApplication (const AppleEvent*, AppleEvent*, long handlerRefcon)
    {
        auto* peer = MainWindowRecord::mainPeer();

        if (peer == nullptr)
            peer = livePeerWithId (static_cast<juce::uint32> (handlerRefcon));

        if (peer == nullptr)
            return eventNotHandledErr;

        show (*peer);
        return noErr;
    }

    void ReopenApplicationHandler::show (juce::ComponentPeer& peer)
    {
        peer.setVisible (true);

        auto& window = peer.getComponent();

        if (! window.isVisible())
            window.setVisible (true);
    }

    juce::ComponentPeer* ReopenApplicationHandler::livePeerWithId (juce::uint32 uniqueId)
    {
        for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
            if (auto* peer = juce::ComponentPeer::getPeer (i); peer->getUniqueID() == uniqueId)
                return peer;

        return nullptr;
    }
}
